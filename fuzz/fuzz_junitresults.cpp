// Any bytes as a JUnit XML file: test cases or an ExchangeError, nothing else,
// at any depth; every failure message one line within the limit, no date
// after today.
#include "exchangeerror.h"
#include "junitresults.h"
#include "textcount.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        for (const JUnitCase &test : parseJUnit(content, QStringLiteral("fuzz.xml"))) {
            if (charCount(test.message) > kFailureMessageLimit || test.message.contains(u'\n')
                || (test.messageCut && !test.message.endsWith(u'\u2026')) || test.date > QDate::currentDate()
                || test.line < 1)
                __builtin_trap();
        }
    } catch (const ExchangeError &) {
    }
    return 0;
}

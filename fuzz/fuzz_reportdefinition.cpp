// Any text as a report definition: it parses or throws ReportError, nothing else.
#include "reportdefinition.h"
#include "reporterror.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        const ReportDefinition def = ReportDefinition::parse(content, QStringLiteral("fuzz.rpt"));
        // A definition that passed must hold what the report window relies on.
        if (def.query.sql.trimmed().isEmpty() || def.columns.isEmpty() || def.title.trimmed().isEmpty())
            __builtin_trap();
    } catch (const ReportError &) {
    }
    return 0;
}

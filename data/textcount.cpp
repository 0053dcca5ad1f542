#include "textcount.h"

namespace {

bool secondHalf(const QString &text, qsizetype i)
{
    return i > 0 && i < text.size() && text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate();
}

} // namespace

// Views, not copies: a text of many megabytes is checked without a second one.
int trimmedLength(const QString &text)
{
    return int(QStringView(text).trimmed().size());
}

bool isBlank(const QString &text)
{
    return QStringView(text).trimmed().isEmpty();
}

int charCount(const QString &text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        count += secondHalf(text, i) ? 0 : 1;
    return count;
}

QString leftChars(const QString &text, int n)
{
    qsizetype end = 0;
    for (int counted = 0; counted < n && end < text.size(); ++counted)
        end += secondHalf(text, end + 1) ? 2 : 1;
    return text.left(end);
}

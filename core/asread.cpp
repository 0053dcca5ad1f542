#include "asread.h"

QString stillAsRead(const QStringList &columns)
{
    // Null-safe on both engines: a Null read must still be Null.
    QStringList terms;
    for (const QString &column : columns)
        terms << column + QStringLiteral(" is not distinct from ?");
    return terms.join(QStringLiteral(" and "));
}

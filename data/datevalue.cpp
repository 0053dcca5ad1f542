#include "datevalue.h"

namespace DateValue {

QVariant toStored(const QDate &date)
{
    if (!date.isValid())
        return QVariant();
    return date.toString(Qt::ISODate);
}

QDate fromStored(const QVariant &stored)
{
    if (stored.isNull())
        return QDate();
    if (stored.typeId() == QMetaType::QDate)
        return stored.toDate();
    const QString text = stored.toString();
    // A timestamp written by another tool still names its day in the first ten characters.
    return QDate::fromString(text.left(10), Qt::ISODate);
}

} // namespace DateValue

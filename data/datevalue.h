#pragma once

#include <QDate>
#include <QVariant>

// Dates are stored as yyyy-mm-dd text so that they sort and compare as dates.
namespace DateValue {

QVariant toStored(const QDate &date);
// Null for a Null or unreadable stored value.
QDate fromStored(const QVariant &stored);

} // namespace DateValue

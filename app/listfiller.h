#pragma once

#include <QString>
#include <QVariantList>

class Connection;
class DropDown;
class RecordSet;

// The list filler every selector uses: empties the drop-down, lists the first
// column of every row of the query (Null skipped) in one go, closes the record
// set, then selects the first entry, which runs the drop-down's selection
// handler; that handler may reuse the record set.
void fillDropDown(DropDown *box, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params = {});

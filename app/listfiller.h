#pragma once

#include "recordlist.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>

class Connection;
class DropDown;
class RecordSet;

// The list filler every selector uses: empties the drop-down, lists the fixed
// entries, then the first column of every row of the query (Null skipped) in
// one go, closes the record set, then selects the first entry, which runs the
// drop-down's selection handler; that handler may reuse the record set.
void fillDropDown(DropDown *box, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params = {},
                  const QStringList &fixed = {});

// Makes a list row of one record: its "S No" and the values of the fields the
// list asked for, in their order.
using RowMaker = std::function<ListRow(int rowNo, const QVariantList &values)>;
// "S No", then each value as a list shows it (one blank for Null).
ListRow plainRow(int rowNo, const QVariantList &values);

// The numbered-row list filler every record list uses: a row per record of
// the query, in query order, numbered from 1; row_no ends one past the last.
void fillRecordList(RecordList *list, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params,
                    const QStringList &fields, int &row_no, const RowMaker &make = plainRow);

// The same fillers over what was already read: the selector's entries (the
// fixed ones first), and the list's rows, each a row's values in column order.
void fillDropDown(DropDown *box, const QStringList &entries, const QStringList &fixed = {});
void fillRecordList(RecordList *list, const QList<QVariantList> &rows, int &row_no, const RowMaker &make = plainRow);

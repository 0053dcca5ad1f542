#pragma once

#include "recordlist.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

class Connection;
class DropDown;
class RecordSet;

// The list filler every selector uses: empties the drop-down, lists the fixed
// entries, then the first column of every row of the query (Null skipped) in
// one go, closes the record set, then selects the first entry, which runs the
// drop-down's selection handler; that handler may reuse the record set.
void fillDropDown(DropDown *box, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params = {},
                  const QStringList &fixed = {});

// The numbered-row list filler every record list uses: a row per record of
// the query, in query order, numbered from 1; row_no ends one past the last.
// The list keeps the values of the fields it asked for as read and shows them
// by format.
void fillRecordList(RecordList *list, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params,
                    const QStringList &fields, int &row_no, const RecordFormat &format = {});

// The same fillers over what was already read: the selector's entries (the
// fixed ones first), and the list's rows, each a row's values in column order.
void fillDropDown(DropDown *box, const QStringList &entries, const QStringList &fixed = {});
void fillRecordList(RecordList *list, QList<QVariantList> rows, int &row_no, const RecordFormat &format = {});

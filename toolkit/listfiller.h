#pragma once

#include "recordlist.h"

#include <QString>
#include <QStringList>
#include <QVariantList>

class DropDown;

// The list fillers over what the core read. A selector: empties it, lists the
// fixed entries then the entries, and selects the first, which runs its
// selection handler. A record list: the rows in the order given, each a row's
// values in column order, numbered from 1; row_no ends one past the last.
void fillDropDown(DropDown *box, const QStringList &entries, const QStringList &fixed = {});
void fillRecordList(RecordList *list, QList<QVariantList> rows, int &row_no, const RecordFormat &format = {});

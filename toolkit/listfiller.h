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

// The same lists read again while the user works on the window: a selector
// gets the new entries without its selection handler, its text (typed or
// picked) and the cursor in it kept; a record list keeps the row the user
// selected, found again by its texts in keyColumns, and where it was scrolled to.
void refreshDropDown(DropDown *box, const QStringList &entries, const QStringList &fixed = {});
void refreshRecordList(RecordList *list, QList<QVariantList> rows, int &row_no, const RecordFormat &format,
                       const QList<int> &keyColumns);

#include "listfiller.h"

#include "dropdown.h"

void fillDropDown(DropDown *box, const QStringList &entries, const QStringList &fixed)
{
    box->clearEntries();
    box->addEntries(fixed.isEmpty() ? entries : fixed + entries);
    if (box->entryCount() > 0)
        box->setListIndex(0);
}

void fillRecordList(RecordList *list, QList<QVariantList> rows, int &row_no, const RecordFormat &format)
{
    list->clearRows();
    row_no = int(rows.size()) + 1;
    list->setRecords(std::move(rows), format);
}

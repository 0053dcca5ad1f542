#include "listfiller.h"

#include "dropdown.h"
#include "recordset.h"

void fillDropDown(DropDown *box, RecordSet &rs, Connection &cn, const QString &sql, const QVariantList &params)
{
    box->clearEntries();
    if (rs.state() == 1)
        rs.close();
    rs.open(sql, params, cn, CursorType::Dynamic, LockType::ReadOnly);
    QStringList entries;
    entries.reserve(rs.recordCount());
    for (; !rs.eof(); rs.moveNext()) {
        const QVariant value = rs.fields(0);
        if (!value.isNull())
            entries << value.toString();
    }
    rs.close();
    box->addEntries(entries);
    if (box->entryCount() > 0)
        box->setListIndex(0);
}

#include "listfiller.h"

#include "dropdown.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

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

void refreshDropDown(DropDown *box, const QStringList &entries, const QStringList &fixed)
{
    const QStringList wanted = fixed.isEmpty() ? entries : fixed + entries;
    QStringList listed;
    for (int i = 0; i < box->entryCount(); ++i)
        listed << box->entry(i);
    QStringList sortedWanted = wanted;
    std::sort(sortedWanted.begin(), sortedWanted.end(), textLess);
    std::sort(listed.begin(), listed.end(), textLess);
    // The same entries: an open list or a selection in the text stays as it is.
    if (listed == sortedWanted)
        return;
    const QString text = box->text();
    QLineEdit *edit = box->lineEdit();
    const int cursor = edit ? edit->cursorPosition() : 0;
    const int selectionStart = edit ? edit->selectionStart() : -1;
    const int selectionLength = edit ? edit->selectedText().size() : 0;
    box->clearEntries();
    box->addEntries(wanted);
    const auto find = [box](const QString &t) { return box->findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive); };
    // A pick no longer stored stays on screen until the user picks again.
    if (box->kind() == DropDown::Kind::PickOnly && !text.isEmpty() && find(text) < 0)
        box->addEntry(text);
    const int index = find(text);
    {
        const QSignalBlocker block(box);
        if (index >= 0)
            box->setCurrentIndex(index);
    }
    box->setText(text);
    if (edit && selectionStart >= 0)
        edit->setSelection(selectionStart, selectionLength);
    else if (edit)
        edit->setCursorPosition(cursor);
}

void refreshRecordList(RecordList *list, QList<QVariantList> rows, int &row_no, const RecordFormat &format,
                       const QList<int> &keyColumns)
{
    const int selected = list->selectedRow();
    QStringList key;
    for (const int c : keyColumns)
        key << (selected >= 0 ? list->cell(selected, c) : QString());
    const int scrolled = list->verticalScrollBar()->value();
    fillRecordList(list, std::move(rows), row_no, format);
    for (int r = 0; selected >= 0 && r < list->rowCount(); ++r) {
        bool same = true;
        for (int i = 0; same && i < keyColumns.size(); ++i)
            same = list->cell(r, keyColumns[i]) == key[i];
        if (same) {
            list->selectRow(r);
            break;
        }
    }
    list->verticalScrollBar()->setValue(scrolled);
}

#pragma once

// What every window test shares: a window on a database of its own, shown and
// active so that the focus moves as for a user, and the user's ways of reading
// and working its boxes and lists.

#include "apppaths.h"
#include "dropdown.h"
#include "recorders.h"
#include "recordlist.h"
#include "tempdatabase.h"
#include "testingclass.h"
#include "textbox.h"

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QtTest>
#include <memory>

inline bool showActive(QWidget *w)
{
    w->show();
    QApplication::setActiveWindow(w->window());
    return QTest::qWaitForWindowActive(w->window());
}

// True when the keyboard focus is on the control or inside it (an editable
// drop-down's edit field counts as the drop-down).
inline bool hasFocusIn(const QWidget *control)
{
    const QWidget *focus = QApplication::focusWidget();
    return control && focus && (focus == control || control->isAncestorOf(focus));
}

template <class Window>
struct WindowOn
{
    // On a server the program's connections are pointed at it for the fixture's life.
    explicit WindowOn(TempDatabase::Engine engine = TempDatabase::Engine::File)
        : db(engine)
    {
        if (engine == TempDatabase::Engine::Server)
            AppPaths::chooseDatabase(db.path());
    }
    ~WindowOn()
    {
        if (db.engine() == TempDatabase::Engine::Server)
            AppPaths::chooseDatabase(QString());
    }
    TempDatabase db;
    ServiceRecorders services;
    TestingClass con;
    std::unique_ptr<Window> w;
    // Loads a new window as the main window does; shown, it is as large as maximized.
    Window &load(bool shown = true)
    {
        w.reset();
        w = std::make_unique<Window>(con);
        w->Form_Load();
        w->resize(1200, 800);
        if (shown && !showActive(w.get()))
            qWarning("the window did not become active");
        return *w;
    }
    QStringList messages() const { return services.messages->texts(); }
};

inline QStringList entries(const DropDown *box)
{
    QStringList all;
    for (int i = 0; i < box->entryCount(); ++i)
        all << box->entry(i);
    return all;
}

inline QStringList column(const RecordList *list, int c)
{
    QStringList all;
    for (int r = 0; r < list->rowCount(); ++r)
        all << list->cell(r, c);
    return all;
}

// The first row whose cells hold the given texts in the given columns, or -1.
inline int rowOf(const RecordList *list, const QMap<int, QString> &cells)
{
    for (int r = 0; r < list->rowCount(); ++r) {
        bool all = true;
        for (auto it = cells.cbegin(); it != cells.cend(); ++it)
            all = all && list->cell(r, it.key()) == it.value();
        if (all)
            return r;
    }
    return -1;
}

// A pick by the user of the entry equal to text.
inline bool pick(DropDown *box, const QString &text)
{
    const int i = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0)
        box->setListIndex(i);
    return i >= 0;
}

// A double click on a row as the user makes it; the list must be shown.
inline void doubleClickRow(RecordList *list, int row)
{
    const QPoint at = list->visualRect(list->model()->index(row, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

inline void clickHeader(RecordList *list, int column)
{
    QHeaderView *header = list->header();
    const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
}

// A button pressed as the user does: it takes the focus first.
inline void press(QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
}

inline QString textOf(const QWidget *w)
{
    if (auto *t = qobject_cast<const TextBox *>(w))
        return t->text();
    if (auto *m = qobject_cast<const MultiLineTextBox *>(w))
        return m->text();
    return qobject_cast<const DropDown *>(w)->text();
}

// Puts text into a control as a paste would; a pick-only list is left with no
// entry for the empty text, and offers any other text it does not hold.
inline void setTextOf(QWidget *w, const QString &text)
{
    if (auto *t = qobject_cast<TextBox *>(w))
        return t->setText(text);
    if (auto *m = qobject_cast<MultiLineTextBox *>(w))
        return m->setText(text);
    auto *d = qobject_cast<DropDown *>(w);
    if (d->kind() == DropDown::Kind::PickOnly && text.isEmpty())
        return d->deselect();
    if (d->kind() == DropDown::Kind::PickOnly && d->findText(text) < 0)
        d->addEntry(text);
    d->setText(text);
}

#pragma once

#include <QApplication>
#include <QWidget>
#include <QtTest>

// Shows a window offscreen and makes it the active one, so focus moves as for a user.
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
    return focus && (focus == control || control->isAncestorOf(focus));
}

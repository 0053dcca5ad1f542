#include "childwindow.h"

#include "windowkeys.h"

#include <QMdiSubWindow>

ChildWindow::ChildWindow(QWidget *parent)
    : QWidget(parent)
    , m_keys(new WindowKeys(this))
{
}

int ChildWindow::points(double pt) const
{
    return qRound(pt * logicalDpiX() / 72.0);
}

void ChildWindow::closeWindow()
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

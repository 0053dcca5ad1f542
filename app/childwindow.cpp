#include "childwindow.h"

#include "windowkeys.h"

ChildWindow::ChildWindow(QWidget *parent)
    : QWidget(parent)
    , m_keys(new WindowKeys(this))
{
}

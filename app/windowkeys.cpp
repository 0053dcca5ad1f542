#include "windowkeys.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPushButton>
#include <QWidget>

WindowKeys::WindowKeys(QWidget *window)
    : QObject(window)
{
    window->installEventFilter(this);
}

void WindowKeys::setDefaultButton(QAbstractButton *button)
{
    if (auto *old = qobject_cast<QPushButton *>(m_default.data()))
        old->setDefault(false);
    m_default = button;
    if (auto *push = qobject_cast<QPushButton *>(button))
        push->setDefault(true);
}

void WindowKeys::setCancelButton(QAbstractButton *button)
{
    m_cancel = button;
}

bool WindowKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && m_default && m_default->isEnabled()
        && m_default->isVisible()) {
        m_default->click();
        return true;
    }
    if (key->key() == Qt::Key_Escape && m_cancel && m_cancel->isEnabled()) {
        m_cancel->click();
        return true;
    }
    return false;
}

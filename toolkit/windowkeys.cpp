#include "windowkeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QToolButton>
#include <QWidget>

WindowKeys::WindowKeys(QWidget *window)
    : QObject(window)
    , m_window(window)
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
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (enter && enterOnFocusedButton())
        return true;
    if (enter && m_default && m_default->isEnabled() && m_default->isVisible()) {
        m_default->click();
        return true;
    }
    if (key->key() == Qt::Key_Escape && m_cancel && m_cancel->isEnabled()) {
        m_cancel->click();
        return true;
    }
    return false;
}

bool WindowKeys::enterOnFocusedButton()
{
    // A button that is not the default ignores Enter, so the key arrives here.
    auto *button = qobject_cast<QAbstractButton *>(QApplication::focusWidget());
    if (!button || !m_window->isAncestorOf(button))
        return false;
    if (button->isEnabled() && (qobject_cast<QPushButton *>(button) || qobject_cast<QToolButton *>(button)))
        button->click();
    // A focused check box or option button takes Enter as nothing: never the default button.
    return true;
}

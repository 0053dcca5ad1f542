#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QPointer>

class QWidget;

// A window's default button (Enter presses it) and cancel button (Esc presses
// it). Enter on a focused button presses that button, as Space does; the
// default button takes Enter only from a control that is not a button and has
// no use for the key itself (a multi-line box keeps its line breaks).
class WindowKeys : public QObject
{
    Q_OBJECT

public:
    explicit WindowKeys(QWidget *window);

    void setDefaultButton(QAbstractButton *button);
    void setCancelButton(QAbstractButton *button);
    QAbstractButton *defaultButton() const { return m_default; }
    QAbstractButton *cancelButton() const { return m_cancel; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool enterOnFocusedButton();

    QWidget *m_window;
    QPointer<QAbstractButton> m_default;
    QPointer<QAbstractButton> m_cancel;
};

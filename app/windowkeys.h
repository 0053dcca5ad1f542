#pragma once

#include <QObject>
#include <QPointer>

#include <QAbstractButton>
class QWidget;

// A window's default button (Enter presses it) and cancel button (Esc presses
// it). Enter reaches it only when the focused control has no use for it, so a
// multi-line box still takes its line breaks.
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
    QPointer<QAbstractButton> m_default;
    QPointer<QAbstractButton> m_cancel;
};

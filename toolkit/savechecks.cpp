#include "savechecks.h"

#include "dropdown.h"
#include "services.h"
#include "textbox.h"

QString fieldText(const QWidget *field)
{
    if (const auto *box = qobject_cast<const DropDown *>(field))
        return box->text();
    if (const auto *line = qobject_cast<const QLineEdit *>(field))
        return line->text();
    if (const auto *multi = qobject_cast<const QPlainTextEdit *>(field))
        return multi->toPlainText();
    return QString();
}

void setFieldText(QWidget *field, const QString &text)
{
    if (auto *box = qobject_cast<DropDown *>(field))
        box->setText(text);
    else if (auto *line = qobject_cast<QLineEdit *>(field))
        line->setText(text);
    else if (auto *multi = qobject_cast<QPlainTextEdit *>(field))
        multi->setPlainText(text);
}

SaveChecks::SaveChecks(QWidget *window)
    : m_window(window)
{
}

void SaveChecks::fail(QWidget *focus, const QString &message, int cutTo)
{
    m_failed = true;
    Ui::information(m_window, message);
    if (cutTo >= 0)
        setFieldText(focus, leftChars(fieldText(focus), cutTo));
    focus->setFocus();
}

SaveChecks &SaveChecks::notBlank(QWidget *field, const QString &message)
{
    if (!m_failed && isBlank(fieldText(field)))
        fail(field, message);
    return *this;
}

SaveChecks &SaveChecks::notLonger(QWidget *field, int limit, const QString &message, TooLong tooLong)
{
    if (m_failed || charCount(fieldText(field)) <= limit)
        return *this;
    // The user sees what will be kept and presses Save again to keep it.
    fail(field, message, tooLong == TooLong::Cut ? limit : -1);
    return *this;
}

SaveChecks &SaveChecks::that(bool ok, QWidget *focus, const QString &message)
{
    if (!m_failed && !ok)
        fail(focus, message);
    return *this;
}

void showRefusal(QWidget *window, QWidget *field, const QString &message, const std::optional<QString> &cutText)
{
    Ui::information(window, message);
    if (cutText)
        setFieldText(field, *cutText);
    field->setFocus();
}

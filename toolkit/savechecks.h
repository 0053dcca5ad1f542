#pragma once

#include <QString>
#include <optional>

class QWidget;

// The checks a save makes, in their order: the first that fails shows its
// message, cuts an over-long text to its limit when asked, puts the focus on
// the field, and every later check is skipped.
//
//     SaveChecks check(this);
//     check.notBlank(txt_prjid, "Project Id is blank").notLonger(cmb_type, 50, "...");
//     if (!check.passed())
//         return;
class SaveChecks
{
public:
    enum class TooLong { Cut, Keep };

    explicit SaveChecks(QWidget *window);

    // Fails when the field's text is blank.
    SaveChecks &notBlank(QWidget *field, const QString &message);
    // Fails when the field's text has more characters than limit.
    SaveChecks &notLonger(QWidget *field, int limit, const QString &message, TooLong tooLong = TooLong::Cut);
    // Fails when ok is false; the focus goes to focus.
    SaveChecks &that(bool ok, QWidget *focus, const QString &message);

    bool passed() const { return !m_failed; }

private:
    // cutTo >= 0: the text of focus is cut to that many characters.
    void fail(QWidget *focus, const QString &message, int cutTo = -1);

    QWidget *m_window;
    bool m_failed = false;
};

// The text of a text box, a multi-line box or a drop-down, and its setter.
QString fieldText(const QWidget *field);
void setFieldText(QWidget *field, const QString &text);

// Shows a save's refusal as a failed check does: the message, an over-long
// text cut back into the field when one is given, the focus on the field.
void showRefusal(QWidget *window, QWidget *field, const QString &message, const std::optional<QString> &cutText);

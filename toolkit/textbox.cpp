#include "textbox.h"

#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

namespace {

bool secondHalf(const QString &text, qsizetype i)
{
    return i > 0 && i < text.size() && text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate();
}

// Where the character before position starts.
qsizetype previousChar(const QString &text, qsizetype position)
{
    --position;
    if (secondHalf(text, position))
        --position;
    return position;
}

// Where the first n characters end.
qsizetype charsEnd(const QString &text, int n)
{
    qsizetype end = 0;
    for (int counted = 0; counted < n && end < text.size(); ++counted)
        end += secondHalf(text, end + 1) ? 2 : 1;
    return end;
}

// The code a typed key gives, or -1 for keys that type nothing (arrows, Delete, Tab).
int keyCode(const QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Backspace)
        return 8;
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return 13;
    if (event->modifiers() & Qt::ControlModifier) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z)
            return key - Qt::Key_A + 1;
        return -1;
    }
    // One character, an emoji's surrogate pair included: the filter sees it too.
    const QList<uint> chars = event->text().toUcs4();
    if (chars.size() == 1 && chars.at(0) >= 32)
        return int(chars.at(0));
    return -1;
}

} // namespace

TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
    // textEdited (the user's changes only) comes before textChanged, so the
    // text before the change is still at hand when the filter runs.
    connect(this, &QLineEdit::textEdited, this, [this] { filterArrivedText(); });
    connect(this, &QLineEdit::textChanged, this, [this] {
        enforceMaxLength();
        m_lastText = text();
    });
}

void TextBox::setMaxLength(int maxLength)
{
    m_maxLength = maxLength;
    // Room for a surrogate pair per character; the characters are counted below.
    QLineEdit::setMaxLength(maxLength > 0 ? 2 * maxLength : 32767);
    enforceMaxLength();
}

void TextBox::enforceMaxLength()
{
    if (m_enforcing || m_maxLength <= 0)
        return;
    const QString all = text();
    int excess = charCount(all) - m_maxLength;
    if (excess <= 0)
        return;
    // Keep what was there; drop the tail of what was just typed or pasted,
    // which ends at the cursor.
    const qsizetype end = cursorPosition();
    qsizetype start = end;
    while (excess > 0 && start > 0) {
        start = previousChar(all, start);
        --excess;
    }
    const QString kept = leftChars(all.left(start) + all.mid(end), m_maxLength);
    m_enforcing = true;
    setText(kept);
    setCursorPosition(int(qMin(start, kept.size())));
    m_enforcing = false;
}

void TextBox::setKeyPressHandler(KeyPressHandler handler)
{
    m_keyPress = std::move(handler);
}

void TextBox::filterArrivedText()
{
    if (!m_keyPress || m_keyFiltered)
        return;
    const QString before = m_lastText;
    const QString after = text();
    // The change replaced before[start, before.size() - tail) by after[start, after.size() - tail).
    qsizetype start = 0;
    const qsizetype shorter = qMin(before.size(), after.size());
    while (start < shorter && before.at(start) == after.at(start))
        ++start;
    qsizetype tail = 0;
    while (tail < shorter - start && before.at(before.size() - 1 - tail) == after.at(after.size() - 1 - tail))
        ++tail;
    const QString arrived = after.mid(start, after.size() - start - tail);
    if (arrived.isEmpty())
        return; // only removed: nothing to filter

    // Type what arrived, one character at a time, on the text as it was
    // without the replaced part: the handler sees the box as it grows.
    m_keyFiltered = true;
    setText(before.left(start) + before.mid(before.size() - tail));
    setCursorPosition(int(start));
    for (const char32_t c : arrived.toUcs4()) {
        int code = int(c);
        m_keyPress(code);
        if (code >= 32) {
            const char32_t typed = char32_t(code);
            insert(QString::fromUcs4(&typed, 1));
        }
    }
    m_keyFiltered = false;
}

void TextBox::setDisplayOnly(bool displayOnly)
{
    setReadOnly(displayOnly);
    setFocusPolicy(displayOnly ? Qt::NoFocus : Qt::StrongFocus);
}

void TextBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (m_focusSelect == FocusSelect::None)
        return;
    const int length = m_focusSelect == FocusSelect::WholeText ? int(text().size()) : trimmedLength(text());
    setSelection(0, length);
    emit gotFocus();
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (m_keyPress) {
        int code = keyCode(event);
        if (code >= 0) {
            m_keyPress(code);
            if (code == 0) {
                event->accept();
                return;
            }
            // The handler has seen this character; a control key it let
            // through (a paste) still has its text filtered on arrival.
            const QScopedValueRollback seen(m_keyFiltered, code == 8 || code >= 32);
            if (code != keyCode(event)) {
                // The handler replaced the character: type the replacement instead.
                if (code >= 32) {
                    const char32_t replacement = char32_t(code);
                    insert(QString::fromUcs4(&replacement, 1));
                }
                event->accept();
                return;
            }
            QLineEdit::keyPressEvent(event);
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

MultiLineTextBox::MultiLineTextBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(document(), &QTextDocument::contentsChange, this,
            [this](int position, int, int charsAdded) { enforceMaxLength(position, charsAdded); });
}

void MultiLineTextBox::setText(const QString &text)
{
    setPlainText(text);
}

void MultiLineTextBox::setMaxLength(int maxLength)
{
    m_maxLength = maxLength;
    if (m_maxLength > 0 && charCount(toPlainText()) > m_maxLength)
        setPlainText(leftChars(toPlainText(), m_maxLength));
}

void MultiLineTextBox::enforceMaxLength(int position, int charsAdded)
{
    if (m_enforcing || m_maxLength <= 0)
        return;
    const QString all = toPlainText();
    int excess = charCount(all) - m_maxLength;
    if (excess <= 0)
        return;
    // Keep what was there; drop the tail of what was just typed or pasted,
    // whole characters only.
    m_enforcing = true;
    QTextCursor cursor(document());
    const qsizetype end = qMin<qsizetype>(position + charsAdded, all.size());
    qsizetype start = end;
    while (excess > 0 && start > position) {
        start = previousChar(all, start);
        --excess;
    }
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    const QString rest = toPlainText();
    if (charCount(rest) > m_maxLength) {
        cursor.setPosition(int(charsEnd(rest, m_maxLength)));
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    m_enforcing = false;
}

void MultiLineTextBox::setDisplayOnly(bool displayOnly)
{
    setReadOnly(displayOnly);
    setFocusPolicy(displayOnly ? Qt::NoFocus : Qt::StrongFocus);
}

void MultiLineTextBox::setSelection(int start, int length)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(start);
    cursor.setPosition(qMin<int>(start + length, int(toPlainText().size())), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

QString MultiLineTextBox::selectedText() const
{
    return textCursor().selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

void MultiLineTextBox::focusInEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusInEvent(event);
    if (m_focusSelect == FocusSelect::None)
        return;
    const int length = m_focusSelect == FocusSelect::WholeText ? int(toPlainText().size()) : trimmedLength(toPlainText());
    setSelection(0, length);
    emit gotFocus();
}

#include "textbox.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

int trimmedLength(const QString &text)
{
    return int(text.trimmed().size());
}

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

namespace {

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
    const QString text = event->text();
    if (text.size() == 1 && text.at(0).unicode() >= 32)
        return text.at(0).unicode();
    return -1;
}

} // namespace

TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
}

void TextBox::setKeyPressHandler(KeyPressHandler handler)
{
    m_keyPress = std::move(handler);
    // Pasting and dropping would get past the key handler.
    setContextMenuPolicy(m_keyPress ? Qt::NoContextMenu : Qt::DefaultContextMenu);
    setDragEnabled(false);
    setAcceptDrops(!m_keyPress);
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
            if (code != keyCode(event)) {
                // The handler replaced the character: type the replacement instead.
                if (code >= 32)
                    insert(QString(QChar(code)));
                event->accept();
                return;
            }
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
    if (m_maxLength > 0 && toPlainText().size() > m_maxLength)
        setPlainText(toPlainText().left(m_maxLength));
}

void MultiLineTextBox::enforceMaxLength(int position, int charsAdded)
{
    if (m_enforcing || m_maxLength <= 0)
        return;
    const int excess = int(toPlainText().size()) - m_maxLength;
    if (excess <= 0)
        return;
    // Keep what was there; drop the tail of what was just typed or pasted.
    m_enforcing = true;
    QTextCursor cursor(document());
    const int end = position + charsAdded;
    const int start = qMax(position, end - excess);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    if (toPlainText().size() > m_maxLength) {
        cursor.setPosition(m_maxLength);
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

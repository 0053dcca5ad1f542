#pragma once

#include "textcount.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

// What a text box selects when it gets the focus.
enum class FocusSelect {
    None,
    TrimmedLength, // from the start, as many characters as the trimmed text holds
    WholeText,
};

// A one-line text box. Its maximum length also holds for pasted text; a key
// handler sees each typed character's code and may replace it by 0 to discard
// it. Text that arrives any other way (pasted by key, menu or middle button,
// dropped, composed by an input method) passes the handler character by
// character, as if typed; text set from code does not.
class TextBox : public QLineEdit
{
    Q_OBJECT

public:
    using KeyPressHandler = std::function<void(int &keyAscii)>;

    explicit TextBox(QWidget *parent = nullptr);

    // The limit counts characters as the user sees them (an emoji is one) and
    // a cut never keeps half of one.
    void setMaxLength(int maxLength);
    int maxLength() const { return m_maxLength; }

    void setFocusSelect(FocusSelect mode) { m_focusSelect = mode; }
    void setKeyPressHandler(KeyPressHandler handler);
    // Shown for reading only: no typing, not reached by the tab key.
    void setDisplayOnly(bool displayOnly);

signals:
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void enforceMaxLength();
    void filterArrivedText();

    FocusSelect m_focusSelect = FocusSelect::None;
    KeyPressHandler m_keyPress;
    int m_maxLength = 0;
    bool m_enforcing = false;
    bool m_keyFiltered = false; // the change under way comes from a key the handler has seen
    QString m_lastText;         // the text before the change under way
};

// A text box of several lines with a scroll bar; plain text only, the maximum
// length (0: none) also holds for pasted text.
class MultiLineTextBox : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit MultiLineTextBox(QWidget *parent = nullptr);

    QString text() const { return toPlainText(); }
    void setText(const QString &text);

    void setMaxLength(int maxLength);
    int maxLength() const { return m_maxLength; }
    void setFocusSelect(FocusSelect mode) { m_focusSelect = mode; }
    void setDisplayOnly(bool displayOnly);

    void setSelection(int start, int length);
    QString selectedText() const;

signals:
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent *event) override;

private:
    void enforceMaxLength(int position, int charsAdded);

    int m_maxLength = 0;
    bool m_enforcing = false;
    FocusSelect m_focusSelect = FocusSelect::None;
};


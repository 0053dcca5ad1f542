#include "dropdown.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

bool textLess(const QString &a, const QString &b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

DropDown::DropDown(Kind kind, bool sorted, QWidget *parent)
    : QComboBox(parent)
    , m_kind(kind)
    , m_sorted(sorted)
{
    setMaxVisibleItems(20);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(8);
    if (kind == Kind::TypeOrPick) {
        setEditable(true);
        setInsertPolicy(QComboBox::NoInsert);
        // Typed text is the user's: no completion, and leaving the box must not
        // select an entry that happens to match it.
        setCompleter(nullptr);
        disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    }
    // activated() comes only from the user: a pick in the list, arrow keys, the wheel.
    connect(this, &QComboBox::activated, this, [this](int) { emit clicked(); });
    connect(qApp, &QApplication::focusChanged, this, &DropDown::onFocusChanged);
}

DropDown::~DropDown()
{
    // Tearing the widget down moves the focus; this object must not hear of it any more.
    disconnect(qApp, nullptr, this, nullptr);
}

bool DropDown::ownsWidget(const QWidget *w) const
{
    if (!w)
        return false;
    if (w == this || isAncestorOf(w))
        return true;
    const QWidget *popup = view() ? view()->window() : nullptr;
    return popup && popup != window() && (w == popup || popup->isAncestorOf(w));
}

void DropDown::onFocusChanged(QWidget *old, QWidget *now)
{
    // Focus going nowhere is the program losing activation or the window being
    // torn down, not the user leaving the box for another control.
    if (!now)
        return;
    if (ownsWidget(old) && !ownsWidget(now))
        emit lostFocus();
}

void DropDown::restoreAfterInsert(int previousIndex, const QString &previousText)
{
    // Qt selects the first entry added to an empty box; the entries are only listed.
    if (previousIndex == -1 && currentIndex() != -1)
        setCurrentIndex(-1);
    if (isEditable() && currentText() != previousText)
        setEditText(previousText);
}

void DropDown::clearEntries()
{
    const QSignalBlocker block(this);
    clear();
    if (isEditable())
        setEditText(QString());
}

void DropDown::addEntry(const QString &text)
{
    const QSignalBlocker block(this);
    const int previousIndex = currentIndex();
    const QString previousText = currentText();
    int at = count();
    if (m_sorted) {
        int lo = 0;
        int hi = count();
        while (lo < hi) {
            const int mid = (lo + hi) / 2;
            if (textLess(text, itemText(mid)))
                hi = mid;
            else
                lo = mid + 1;
        }
        at = lo;
    }
    insertItem(at, text);
    restoreAfterInsert(previousIndex, previousText);
}

void DropDown::addEntries(QStringList texts)
{
    if (count() != 0 || !m_sorted) {
        if (!m_sorted) {
            const QSignalBlocker block(this);
            const int previousIndex = currentIndex();
            const QString previousText = currentText();
            addItems(texts);
            restoreAfterInsert(previousIndex, previousText);
            return;
        }
        for (const QString &t : texts)
            addEntry(t);
        return;
    }
    std::stable_sort(texts.begin(), texts.end(), textLess);
    const QSignalBlocker block(this);
    const QString previousText = currentText();
    addItems(texts);
    restoreAfterInsert(-1, previousText);
}

void DropDown::setListIndex(int index)
{
    if (index < -1 || index >= count())
        return;
    {
        const QSignalBlocker block(this);
        setCurrentIndex(index);
    }
    emit clicked();
}

bool DropDown::selectEqualEntry(const QString &text)
{
    for (int i = 0; i < count(); ++i) {
        if (itemText(i) == text) {
            setListIndex(i);
            return true;
        }
    }
    return false;
}

void DropDown::setText(const QString &text)
{
    const QSignalBlocker block(this);
    if (isEditable()) {
        setEditText(text);
        return;
    }
    const int i = findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i >= 0)
        setCurrentIndex(i);
}

#include "dropdown.h"

#include "textbox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

namespace {

// How much of an entry the box's width makes room for.
constexpr int shownChars = 50;

} // namespace

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
    // Not WheelFocus: a wheel turn passing over the box must not take the focus and then pick.
    setFocusPolicy(Qt::StrongFocus);
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

bool DropDown::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QComboBox::event(event);
    // The whole text of an entry longer than the box makes room for.
    const QString text = currentText();
    if (charCount(text) > shownChars)
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text, this);
    else
        QToolTip::hideText();
    return true;
}

QSize DropDown::sizeHint() const
{
    return QComboBox::sizeHint().expandedTo(minimumSizeHint());
}

QSize DropDown::minimumSizeHint() const
{
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QSize entries = style()->sizeFromContents(QStyle::CT_ComboBox, &option,
                                                    QSize(widestEntry(), fontMetrics().height()), this);
    return QComboBox::minimumSizeHint().expandedTo(QSize(entries.width(), 0));
}

int DropDown::widestEntry() const
{
    if (m_widestEntry >= 0)
        return m_widestEntry;
    // Only the longest texts can be the widest: a list of many thousand ids
    // is measured in a few of them.
    qsizetype longest = 0;
    for (int i = 0; i < count(); ++i)
        longest = qMax(longest, qMin<qsizetype>(itemText(i).size(), 2 * shownChars));
    const QFontMetrics metrics = fontMetrics();
    m_widestEntry = 0;
    for (int i = 0; i < count(); ++i) {
        const QString text = itemText(i);
        if (2 * text.size() >= longest)
            m_widestEntry = qMax(m_widestEntry, metrics.horizontalAdvance(leftChars(text, shownChars)));
    }
    return m_widestEntry;
}

void DropDown::entriesChanged(int first, int last)
{
    for (int i = first; i <= last; ++i) {
        const QString text = itemText(i);
        if (charCount(text) > shownChars)
            setItemData(i, text, Qt::ToolTipRole);
    }
    m_widestEntry = -1;
    updateGeometry();
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

void DropDown::wheelEvent(QWheelEvent *event)
{
    if (!hasFocus()) {
        event->ignore();
        return;
    }
    QComboBox::wheelEvent(event);
}

void DropDown::clearEntries()
{
    const QSignalBlocker block(this);
    clear();
    if (isEditable())
        setEditText(QString());
    entriesChanged(0, -1);
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
    entriesChanged(at, at);
}

void DropDown::addEntries(QStringList texts)
{
    if (count() != 0 || !m_sorted) {
        if (!m_sorted) {
            const QSignalBlocker block(this);
            const int previousIndex = currentIndex();
            const QString previousText = currentText();
            const int first = count();
            addItems(texts);
            restoreAfterInsert(previousIndex, previousText);
            entriesChanged(first, count() - 1);
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
    entriesChanged(0, count() - 1);
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

void DropDown::deselect()
{
    const QSignalBlocker block(this);
    setCurrentIndex(-1);
    if (isEditable())
        setEditText(QString());
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

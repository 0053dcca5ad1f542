#pragma once

#include <QComboBox>
#include <QStringList>

// A drop-down list (pick only) or a drop-down box that also takes typed text.
// It is at least as wide as its longest entry, up to 50 characters; a longer
// entry shows whole in a tooltip.
// clicked() is the selection event: a pick by the user or setListIndex() from
// code raises it, even for the entry already selected. Nothing else does: not
// clearing, not adding entries, not setting the edit text, not typing.
class DropDown : public QComboBox
{
    Q_OBJECT

public:
    enum class Kind { PickOnly, TypeOrPick };

    explicit DropDown(Kind kind, bool sorted, QWidget *parent = nullptr);
    ~DropDown() override;

    Kind kind() const { return m_kind; }

    // Removes every entry and empties the edit text.
    void clearEntries();
    // A sorted drop-down puts each entry in its alphabetical place.
    void addEntry(const QString &text);
    void addEntries(QStringList texts);
    int entryCount() const { return count(); }
    QString entry(int index) const { return itemText(index); }

    int listIndex() const { return currentIndex(); }
    // Selects the entry and raises clicked().
    void setListIndex(int index);
    // Selects the first entry equal to text (case counts) and raises clicked();
    // false, with nothing changed, when no entry equals it.
    bool selectEqualEntry(const QString &text);
    // Selects no entry, without the selection event; a box's edit text empties.
    void deselect();

    QString text() const { return currentText(); }
    // A type-or-pick box takes any text; a pick-only list selects the equal
    // entry, if any, without the selection event.
    void setText(const QString &text);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    // The wheel picks only in the box that has the focus; elsewhere it scrolls
    // what is around the box.
    void wheelEvent(QWheelEvent *event) override;

signals:
    void clicked();
    void lostFocus();

private:
    void onFocusChanged(QWidget *old, QWidget *now);
    bool ownsWidget(const QWidget *w) const;
    void restoreAfterInsert(int previousIndex, const QString &previousText);
    void entriesChanged(int first, int last);
    int widestEntry() const;

    Kind m_kind;
    bool m_sorted;
    mutable int m_widestEntry = -1; // pixels, -1 until measured
};

// Alphabetical order of drop-down entries and list texts: case-insensitive first.
bool textLess(const QString &a, const QString &b);

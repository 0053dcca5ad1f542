#pragma once

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <utility>

// A workbook (.xlsx) of one sheet: a title, a few "label: value" lines and the
// print date above a table whose header row stays in view and carries a filter.
// Every cell is typed, and a text is always written as a text, never as a
// formula, whatever it starts with. Written beside the file it is to become
// and put in its place whole, as every export is.
class WorkbookWriter
{
public:
    enum class CellType { Text, Number, Date };
    struct Column
    {
        QString header;
        CellType type = CellType::Text;
    };
    struct Heading
    {
        QString title;
        QList<std::pair<QString, QString>> details; // label and value, one line each
        QDate printed;
    };

    explicit WorkbookWriter(const QString &path);
    ~WorkbookWriter();
    WorkbookWriter(const WorkbookWriter &) = delete;
    WorkbookWriter &operator=(const WorkbookWriter &) = delete;

    // Makes the file beside the target and writes the heading and the header
    // row. Empty on success, else why not (a target that may not be written).
    QString begin(const QString &sheetName, const Heading &heading, const QList<Column> &columns);
    // One row, a text per column: a Number or Date column's text that reads as
    // neither stays a text; an empty text leaves the cell blank.
    void addRow(const QStringList &values);
    // Writes the workbook and puts it in place. Empty on success, else why not.
    QString finish();

    // Whether the text is a number written as a number is ("12", "-3.5"; not
    // "007", "1e3" or " 5"), so that reading it as one loses nothing.
    static bool isPlainNumber(const QString &text);

private:
    struct Book;
    std::unique_ptr<Book> d;
};

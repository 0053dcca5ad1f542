#include "workbookwriter.h"

#include "sidefile.h"

#include <QFile>
#include <QLocale>
#include <QRegularExpression>

#include <xlsxwriter.h>

#include <algorithm>
#include <cmath>

namespace {

// A spreadsheet cell holds at most this many characters.
constexpr qsizetype kMaxCellText = 32767;
// Columns grow with their longest text up to this many characters; longer texts overflow.
constexpr int kMaxColumnWidth = 60;
constexpr int kDateWidth = 10;

QString sheetNameFrom(QString name)
{
    static const QRegularExpression forbidden(QStringLiteral("[\\[\\]:*?/\\\\]"));
    name.replace(forbidden, QStringLiteral("_"));
    while (name.startsWith(QLatin1Char('\'')))
        name.remove(0, 1);
    name = name.left(LXW_SHEETNAME_MAX);
    while (name.endsWith(QLatin1Char('\'')))
        name.chop(1);
    return name;
}

// The width a text needs: its longest line, in characters.
int textWidth(const QString &text)
{
    int widest = 0;
    for (const QStringView line : QStringView(text).split(QLatin1Char('\n')))
        widest = std::max(widest, int(line.size()));
    return widest;
}

} // namespace

struct WorkbookWriter::Book
{
    explicit Book(const QString &path) : file(path) {}
    ~Book()
    {
        if (workbook)
            lxw_workbook_free(workbook);
    }

    void note(lxw_error error)
    {
        if (error != LXW_NO_ERROR && problem.isEmpty())
            problem = QString::fromUtf8(lxw_strerror(error));
    }
    void writeText(lxw_row_t row, lxw_col_t column, const QString &text, lxw_format *format = nullptr)
    {
        note(worksheet_write_string(sheet, row, column, text.left(kMaxCellText).toUtf8().constData(), format));
    }
    void writeDate(lxw_row_t row, lxw_col_t column, const QDate &date)
    {
        lxw_datetime when{date.year(), date.month(), date.day(), 0, 0, 0};
        note(worksheet_write_datetime(sheet, row, column, &when, dateFormat));
    }

    SideFile file;
    lxw_workbook *workbook = nullptr;
    lxw_worksheet *sheet = nullptr;
    lxw_format *bold = nullptr;
    lxw_format *dateFormat = nullptr;
    QList<Column> columns;
    QList<int> widths;
    lxw_row_t headerRow = 0;
    lxw_row_t nextRow = 0;
    QString problem; // the first write that failed
};

WorkbookWriter::WorkbookWriter(const QString &path) : d(std::make_unique<Book>(path)) {}

WorkbookWriter::~WorkbookWriter() = default;

QString WorkbookWriter::begin(const QString &sheetName, const Heading &heading, const QList<Column> &columns)
{
    QString problem = d->file.create();
    if (!problem.isEmpty())
        return problem;
    // The library writes the file by its name; the side file is ours, locked and
    // made anew, so its name leads nowhere else.
    d->workbook = workbook_new(QFile::encodeName(d->file.path()).constData());
    const QByteArray name = sheetNameFrom(sheetName).toUtf8();
    d->sheet = d->workbook ? workbook_add_worksheet(d->workbook, name.isEmpty() ? nullptr : name.constData()) : nullptr;
    if (!d->sheet)
        return QStringLiteral("the workbook cannot be made");

    d->bold = workbook_add_format(d->workbook);
    format_set_bold(d->bold);
    lxw_format *titleFormat = workbook_add_format(d->workbook);
    format_set_bold(titleFormat);
    format_set_font_size(titleFormat, 14);
    d->dateFormat = workbook_add_format(d->workbook);
    format_set_num_format(d->dateFormat, "yyyy-mm-dd");
    format_set_align(d->dateFormat, LXW_ALIGN_LEFT);

    lxw_row_t row = 0;
    d->writeText(row++, 0, heading.title, titleFormat);
    for (const auto &[label, value] : heading.details) {
        d->writeText(row, 0, label, d->bold);
        d->writeText(row++, 1, value);
    }
    if (heading.printed.isValid()) {
        d->writeText(row, 0, QStringLiteral("Printed"), d->bold);
        d->writeDate(row++, 1, heading.printed);
    }
    d->headerRow = row + 1; // a blank row between the heading and the table
    d->columns = columns;
    for (int c = 0; c < columns.size(); ++c) {
        d->writeText(d->headerRow, lxw_col_t(c), columns.at(c).header, d->bold);
        d->widths << textWidth(columns.at(c).header);
    }
    d->nextRow = d->headerRow + 1;
    worksheet_freeze_panes(d->sheet, d->nextRow, 0);
    return d->problem;
}

void WorkbookWriter::addRow(const QStringList &values)
{
    if (!d->sheet)
        return;
    const lxw_row_t row = d->nextRow++;
    for (int c = 0; c < d->columns.size() && c < values.size(); ++c) {
        const QString &text = values.at(c);
        if (text.isEmpty())
            continue;
        const CellType type = d->columns.at(c).type;
        int width = 0;
        if (type == CellType::Number && isPlainNumber(text)) {
            d->note(worksheet_write_number(d->sheet, row, lxw_col_t(c), QLocale::c().toDouble(text), nullptr));
            width = int(text.size());
        } else if (const QDate date = type == CellType::Date ? QDate::fromString(text.left(10), Qt::ISODate) : QDate();
                   date.isValid()) {
            d->writeDate(row, lxw_col_t(c), date);
            width = kDateWidth;
        } else {
            d->writeText(row, lxw_col_t(c), text);
            width = textWidth(text);
        }
        d->widths[c] = std::max(d->widths.at(c), width);
    }
}

QString WorkbookWriter::finish()
{
    if (!d->sheet)
        return QStringLiteral("the workbook cannot be made");
    const int columns = int(d->columns.size());
    if (columns > 0)
        d->note(worksheet_autofilter(d->sheet, d->headerRow, 0, d->nextRow - 1, lxw_col_t(columns - 1)));
    for (int c = 0; c < columns; ++c) {
        const double width = std::min(d->widths.at(c), kMaxColumnWidth) + 2;
        d->note(worksheet_set_column(d->sheet, lxw_col_t(c), lxw_col_t(c), width, nullptr));
    }
    if (!d->problem.isEmpty())
        return d->problem;
    // Closing writes the file and frees the workbook, whatever the outcome.
    const lxw_error closed = workbook_close(d->workbook);
    d->workbook = nullptr;
    d->sheet = nullptr;
    if (closed != LXW_NO_ERROR)
        return QString::fromUtf8(lxw_strerror(closed));
    return d->file.putInPlace();
}

bool WorkbookWriter::isPlainNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    return ok && std::isfinite(value) && QString::number(value, 'g', 15) == text;
}

#include "reportlayout.h"

#include "reporterror.h"
#include "textwrapper.h"

#include <QFontMetricsF>
#include <QLocale>
#include <QMap>
#include <QRegularExpression>
#include <QTextLayout>
#include <algorithm>
#include <vector>

using ReportUnits::fromPoints;

QStringList wrapText(const QString &text, const QFont &font, double width)
{
    QStringList out;
    QString plain = text;
    plain.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    plain.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    plain.replace(QLatin1Char('\t'), QLatin1Char(' '));
    const QFontMetricsF metrics(font);
    const QStringList paragraphs = plain.split(QLatin1Char('\n'));
    for (const QString &paragraph : paragraphs) {
        if (paragraph.isEmpty() || metrics.horizontalAdvance(paragraph) <= width) {
            out << paragraph;
            continue;
        }
        QTextLayout layout(paragraph, font);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            QString part = paragraph.mid(line.textStart(), line.textLength());
            while (part.size() > 1 && part.back().isSpace())
                part.chop(1);
            out << part;
        }
        layout.endLayout();
    }
    return out;
}

QString formatValue(const QString &value, ReportColumn::Format format)
{
    if (format == ReportColumn::Format::Date && !value.isEmpty()) {
        QDate date = QDate::fromString(value.left(10), Qt::ISODate);
        if (date.isValid())
            return QLocale::c().toString(date, QStringLiteral("dd MMM yyyy"));
    }
    return value;
}

namespace {

// How a cell's text splits, as kept for it: on one line as it is, by wrap()
// when painted, or else its number of lines, each but the first with its break
// following (lines without their trailing blanks).
constexpr quint16 splitWhole = 0;
constexpr quint16 splitByWrap = 0xffff;

} // namespace

ReportRowCells::ReportRowCells(ReportRows rows, QList<int> fields, QList<ReportColumn::Format> formats,
                               QList<double> widths, const QFont &font)
    : m_rows(std::move(rows))
    , m_fields(std::move(fields))
    , m_formats(std::move(formats))
    , m_widths(std::move(widths))
    , m_wrapper(std::make_shared<TextWrapper>(font))
    , m_splitter(std::make_shared<TextWrapper>(font))
    , m_known(std::make_shared<std::vector<QHash<quint32, Split>>>(m_fields.size()))
{
}

ReportRowCells::Split ReportRowCells::split(const QString &text, int column)
{
    Split cellSplit;
    switch (m_splitter->split(text, m_widths.at(column), &cellSplit.lines)) {
    case TextWrapper::Split::Whole:
        cellSplit.notes = {splitWhole};
        break;
    case TextWrapper::Split::AtBreaks:
        // Breaks are kept in 16 bits; a text too long for that is wrapped again when painted.
        if (text.size() < splitByWrap) {
            cellSplit.notes = {quint16(m_splitter->breaks().size() + 1)};
            cellSplit.notes.insert(cellSplit.notes.end(), m_splitter->breaks().cbegin(), m_splitter->breaks().cend());
            break;
        }
        Q_FALLTHROUGH();
    case TextWrapper::Split::Other:
        cellSplit.notes = {splitByWrap};
        break;
    }
    return cellSplit;
}

void ReportRowCells::splitUpTo(qsizetype row)
{
    auto &known = *m_known;
    for (qsizetype current = m_lines.size(); current <= row && current < size(); ++current) {
        m_rowStart.push_back(quint32(m_splits.size()));
        int lines = 1;
        for (int column = 0; column < m_fields.size(); ++column) {
            const quint32 number = m_rows.textNumber(current, m_fields.at(column));
            Split fresh;
            const Split *cellSplit = &fresh;
            if (m_rows.repeats(m_fields.at(column))) {
                auto it = known[column].constFind(number);
                if (it == known[column].cend())
                    it = known[column].insert(number, split(cellText(current, column), column));
                cellSplit = &*it;
            } else {
                fresh = split(cellText(current, column), column);
            }
            lines = std::max(lines, cellSplit->lines);
            m_splits.insert(m_splits.end(), cellSplit->notes.cbegin(), cellSplit->notes.cend());
        }
        m_lines.append(lines);
    }
    if (m_lines.size() == size()) {
        m_splits.shrink_to_fit();
        known.clear();
        known.shrink_to_fit();
    }
}

QString ReportRowCells::cellText(qsizetype row, int column) const
{
    return formatValue(m_rows.at(row, m_fields.at(column)), m_formats.at(column));
}

QList<QStringList> ReportRowCells::at(qsizetype row) const
{
    QList<QStringList> cells;
    cells.reserve(m_fields.size());
    const quint16 *note = m_splits.data() + m_rowStart.at(row);
    for (int column = 0; column < m_fields.size(); ++column) {
        const QString text = cellText(row, column);
        if (*note == splitWhole) {
            cells << QStringList{text};
            ++note;
        } else if (*note == splitByWrap) {
            cells << m_wrapper->wrap(text, m_widths.at(column));
            ++note;
        } else {
            const std::span<const quint16> breaks(note + 1, *note - 1);
            cells << TextWrapper::linesAt(text, breaks);
            note += *note;
        }
    }
    return cells;
}


QString ReportLayout::footerText(int pageIndex) const
{
    return QStringLiteral("Page %1 of %2").arg(pageIndex + 1).arg(complete ? QString::number(pageCount()) : QStringLiteral("..."));
}

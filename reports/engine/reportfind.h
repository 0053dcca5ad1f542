#pragma once

#include "reportlayout.h"

#include <QList>
#include <QRectF>
#include <QString>

// Finds text on laid-out pages, ignoring case. A hit lies within one printed
// line of one cell or heading.
namespace ReportFind {

// Whether any text the page prints holds text: read from the layout's lines,
// not from painting, so that thousands of pages are searched quickly.
bool pageHolds(const ReportLayout &layout, int pageIndex, const QString &text);

// Where the page shows text, in the order it is painted: boxes in dots from
// the top left of the printable area, as ReportPainter::paintPage draws.
QList<QRectF> hitBoxes(const ReportLayout &layout, int pageIndex, const QString &text);

} // namespace ReportFind

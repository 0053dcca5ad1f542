#pragma once

#include "reportlayout.h"

#include <functional>

class QPainter;
class QPagedPaintDevice;

// Paints laid-out pages. The same code draws the screen, the printer and PDF files.
namespace ReportPainter {

// Paints one page with the painter's origin at the top left of the printable
// area and its scale set so that one unit is one dot (1/1200 inch).
void paintPage(QPainter &painter, const ReportLayout &layout, int pageIndex);

// Paints pages first..last (0-based, inclusive) onto a paged device whose page
// layout has been set to the report's; scales to the device's resolution.
void paintPages(QPagedPaintDevice &device, int resolution, const ReportLayout &layout, int first, int last);

// Told the pages done and the pages in all after each page; returns false to stop.
using ExportProgress = std::function<bool(int done, int total)>;

// Writes every page to a PDF file, put in place only when whole; throws
// ReportError with the system's reason when it cannot be written, leaving an
// older file of that name as it was. Returns false, having written nothing,
// when progress stops it.
bool exportPdf(const ReportLayout &layout, const QString &path, const QString &title,
               const ExportProgress &progress = {});

} // namespace ReportPainter

#include "reportviewer.h"

#include "report.h"
#include "reporterror.h"
#include "reportpainter.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <limits>

// The white sheet of the current page, painted at the viewer's zoom.
class ReportPageView : public QWidget
{
public:
    explicit ReportPageView(QWidget *parent)
        : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent, false);
    }

    const ReportLayout *layout = nullptr;
    int page = 0; // from 0
    double zoom = 1.0;

    static constexpr int gap = 12; // pixels round the sheet

    QSizeF sheetSize() const
    {
        if (!layout)
            return {};
        const QSizeF points = layout->pageLayout.fullRectPoints().size();
        return points * zoom * logicalDpiX() / 72.0;
    }
    void updateSize()
    {
        const QSizeF sheet = sheetSize();
        resize(qCeil(sheet.width()) + 2 * gap, qCeil(sheet.height()) + 2 * gap);
        update();
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        if (!layout)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        const QSizeF sheet = sheetSize();
        const QRectF sheetRect(gap, gap, sheet.width(), sheet.height());
        p.fillRect(sheetRect.translated(3, 3), QColor(0, 0, 0, 60));
        p.fillRect(sheetRect, Qt::white);
        const double pixelsPerPoint = zoom * logicalDpiX() / 72.0;
        const QPointF origin = layout->pageLayout.paintRectPoints().topLeft() * pixelsPerPoint;
        p.translate(sheetRect.topLeft() + origin);
        const double scale = pixelsPerPoint * 72.0 / ReportUnits::dotsPerInch;
        p.scale(scale, scale);
        ReportPainter::paintPage(p, *layout, page);
    }
};

ReportViewer::ReportViewer(QWidget *parent)
    : QWidget(parent)
    , m_toolBar(new QToolBar(this))
    , m_pageOf(new QLabel(this))
    , m_zoomLabel(new QLabel(this))
    , m_scroll(new QScrollArea(this))
    , m_view(new ReportPageView(m_scroll))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_scroll, 1);

    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto action = [this](const QString &text, QKeySequence key, void (ReportViewer::*slot)()) {
        QAction *a = m_toolBar->addAction(text);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    firstAction = action(tr("|< First"), QKeySequence(Qt::CTRL | Qt::Key_Home), &ReportViewer::firstPage);
    previousAction = action(tr("< Previous"), QKeySequence(Qt::Key_PageUp), &ReportViewer::previousPage);
    pageBox = new QSpinBox(this);
    pageBox->setObjectName(QStringLiteral("pageBox"));
    pageBox->setAccessibleName(tr("Page"));
    pageBox->setKeyboardTracking(false);
    m_toolBar->addWidget(pageBox);
    m_toolBar->addWidget(m_pageOf);
    nextAction = action(tr("Next >"), QKeySequence(Qt::Key_PageDown), &ReportViewer::nextPage);
    lastAction = action(tr("Last >|"), QKeySequence(Qt::CTRL | Qt::Key_End), &ReportViewer::lastPage);
    m_toolBar->addSeparator();
    zoomOutAction = action(tr("Zoom Out"), QKeySequence::ZoomOut, &ReportViewer::zoomOut);
    m_toolBar->addWidget(m_zoomLabel);
    zoomInAction = action(tr("Zoom In"), QKeySequence::ZoomIn, &ReportViewer::zoomIn);
    fitWidthAction = action(tr("Fit Width"), QKeySequence(), &ReportViewer::fitWidth);
    fitPageAction = action(tr("Fit Page"), QKeySequence(), &ReportViewer::fitPage);
    m_toolBar->addSeparator();
    printAction = action(tr("Print..."), QKeySequence::Print, &ReportViewer::print);
    exportAction = action(tr("Export to PDF..."), QKeySequence(), &ReportViewer::exportToPdf);
    connect(pageBox, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != m_page)
            showPage(page);
    });
    updateControls();
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::setReportSource(Report *report)
{
    m_report = report;
    m_layout.reset();
    m_view->layout = nullptr;
    m_page = 0;
    m_view->updateSize();
    updateControls();
}

void ReportViewer::viewReport()
{
    m_layout.reset();
    m_view->layout = nullptr;
    m_page = 0;
    updateControls();
    if (!m_report)
        return;
    const QStringList values = m_report->parameterValues();
    const ReportContent &content = readContent();
    m_layout = std::make_unique<ReportLayout>(
        layoutReport(m_report->definition(), content, values, content.readAt.date()));
    m_view->layout = m_layout.get();
    m_page = m_layout->pageCount() > 0 ? 1 : 0;
    m_view->page = 0;
    applyFit();
    updateControls();
}

const ReportContent &ReportViewer::readContent()
{
    // A read that takes a while shows a Cancel; until then the window still
    // repaints but takes no input, and while it shows, only it takes input.
    QProgressDialog progress(tr("Reading the report's rows..."), tr("Cancel"), 0, 0, this);
    progress.setObjectName(QStringLiteral("readProgress"));
    progress.setWindowTitle(m_report->definition().title);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(std::numeric_limits<int>::max()); // shown by the read below, not by its own timer
    Report *report = m_report;
    connect(&progress, &QProgressDialog::canceled, this, [report] { report->cancelRead(); });
    QElapsedTimer clock;
    clock.start();
    report->setReadProgress([&] {
        if (!progress.isVisible() && clock.elapsed() >= showReadProgressAfterMs)
            progress.show();
        QCoreApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    });
    struct Detach
    {
        Report *report;
        ~Detach() { report->setReadProgress({}); }
    } detach{report};
    return report->content();
}

int ReportViewer::pageCount() const
{
    return m_layout ? m_layout->pageCount() : 0;
}

void ReportViewer::showPage(int page)
{
    if (!m_layout || pageCount() == 0)
        return;
    m_page = std::clamp(page, 1, pageCount());
    m_view->page = m_page - 1;
    m_view->update();
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
}

void ReportViewer::firstPage() { showPage(1); }
void ReportViewer::previousPage() { showPage(m_page - 1); }
void ReportViewer::nextPage() { showPage(m_page + 1); }
void ReportViewer::lastPage() { showPage(pageCount()); }

QSizeF ReportViewer::pageSizeInPixels() const
{
    if (!m_layout)
        return {};
    return m_layout->pageLayout.fullRectPoints().size() * logicalDpiX() / 72.0;
}

void ReportViewer::setZoom(double zoom)
{
    m_zoom = std::clamp(zoom, 0.1, 8.0);
    m_view->zoom = m_zoom;
    m_view->updateSize();
    updateControls();
}

void ReportViewer::zoomIn()
{
    m_fit = Fit::None;
    setZoom(m_zoom * 1.25);
}

void ReportViewer::zoomOut()
{
    m_fit = Fit::None;
    setZoom(m_zoom / 1.25);
}

void ReportViewer::fitWidth()
{
    m_fit = Fit::Width;
    applyFit();
}

void ReportViewer::fitPage()
{
    m_fit = Fit::Page;
    applyFit();
}

void ReportViewer::applyFit()
{
    const QSizeF page = pageSizeInPixels();
    if (page.isEmpty() || m_fit == Fit::None) {
        setZoom(m_zoom);
        return;
    }
    const int room = 2 * ReportPageView::gap + 4;
    const double scrollBar = m_scroll->verticalScrollBar()->sizeHint().width();
    const QSize viewport = m_scroll->size();
    const double byWidth = (viewport.width() - room - scrollBar) / page.width();
    const double byHeight = (viewport.height() - room) / page.height();
    setZoom(m_fit == Fit::Width ? byWidth : std::min(byWidth, byHeight));
}

void ReportViewer::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_fit != Fit::None)
        applyFit();
}

void ReportViewer::updateControls()
{
    const int pages = pageCount();
    const bool any = pages > 0;
    firstAction->setEnabled(any && m_page > 1);
    previousAction->setEnabled(any && m_page > 1);
    nextAction->setEnabled(any && m_page < pages);
    lastAction->setEnabled(any && m_page < pages);
    for (QAction *a : {zoomInAction, zoomOutAction, fitWidthAction, fitPageAction, printAction, exportAction})
        a->setEnabled(any);
    {
        const QSignalBlocker blocker(pageBox);
        pageBox->setRange(any ? 1 : 0, pages);
        pageBox->setValue(m_page);
        pageBox->setEnabled(any);
    }
    m_pageOf->setText(tr(" of %1 ").arg(pages));
    m_zoomLabel->setText(QStringLiteral(" %1% ").arg(qRound(m_zoom * 100)));
}

void ReportViewer::report(const QString &text)
{
    if (m_reporter)
        m_reporter(this, text);
    else
        QMessageBox::warning(this, windowTitle(), text);
}

void ReportViewer::print()
{
    if (!m_layout || pageCount() == 0)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(m_layout->pageLayout);
    printer.setDocName(m_layout->title);
    QPrintDialog dialog(&printer, this);
    dialog.setMinMax(1, pageCount());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    if (dialog.exec() != QDialog::Accepted)
        return;
    int first = 0;
    int last = pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = std::min(last, printer.toPage() - 1);
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = m_page - 1;
    }
    try {
        ReportPainter::paintPages(printer, printer.resolution(), *m_layout, first, last);
    } catch (const ReportError &e) {
        report(tr("The report could not be printed.\n\n%1").arg(e.describe()));
    }
}

void ReportViewer::exportToPdf()
{
    if (!m_layout || pageCount() == 0)
        return;
    const QString proposed = m_layout->title + QStringLiteral(".pdf");
    std::optional<QString> path;
    if (m_chooser) {
        path = m_chooser(this, proposed);
    } else {
        const QString chosen = QFileDialog::getSaveFileName(this, tr("Export to PDF"), proposed, tr("PDF files (*.pdf)"));
        if (!chosen.isEmpty())
            path = chosen;
    }
    if (!path || path->isEmpty())
        return;
    QString file = *path;
    if (QFileInfo(file).suffix().isEmpty())
        file += QStringLiteral(".pdf");
    try {
        exportPdf(file);
    } catch (const ReportError &e) {
        report(tr("The report could not be exported.\n\n%1").arg(e.describe()));
    }
}

void ReportViewer::exportPdf(const QString &path) const
{
    if (!m_layout)
        throw ReportError(path, QStringLiteral("there is no report to export"));
    ReportPainter::exportPdf(*m_layout, path, m_layout->title);
}

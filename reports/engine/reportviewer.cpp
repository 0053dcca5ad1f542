#include "reportviewer.h"

#include "report.h"
#include "reportcsv.h"
#include "reporterror.h"
#include "reportfind.h"
#include "reportworkbook.h"
#include "reportpainter.h"
#include "writetarget.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QResizeEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cstdlib>
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
    QList<QRectF> hits; // on this page, in dots
    int currentHit = -1;

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
        // Multiplied over the text, so the letters stay black on the marker.
        p.setCompositionMode(QPainter::CompositionMode_Multiply);
        for (int i = 0; i < hits.size(); ++i)
            p.fillRect(hits.at(i), i == currentHit ? QColor(255, 150, 40) : QColor(255, 236, 90));
    }

public:
    // Where a box in dots of the page stands in this widget.
    QRectF toWidget(const QRectF &dots) const
    {
        const double pixelsPerPoint = zoom * logicalDpiX() / 72.0;
        const QPointF origin = QPointF(gap, gap) + layout->pageLayout.paintRectPoints().topLeft() * pixelsPerPoint;
        const double scale = pixelsPerPoint * 72.0 / ReportUnits::dotsPerInch;
        return QRectF(origin + dots.topLeft() * scale, dots.size() * scale);
    }
};

namespace {

// A key as the keyboard's legend names it, not Qt's abbreviation.
QString keyName(const QKeySequence &key)
{
    return key.toString(QKeySequence::NativeText)
        .replace(QStringLiteral("PgDown"), QCoreApplication::translate("ReportViewer", "Page Down"))
        .replace(QStringLiteral("PgUp"), QCoreApplication::translate("ReportViewer", "Page Up"));
}

} // namespace

ReportViewer::ReportViewer(QWidget *parent)
    : QWidget(parent)
    , m_toolBar(new QToolBar(this))
    , m_pageOf(new QLabel(this))
    , m_zoomLabel(new QLabel(this))
    , m_scroll(new QScrollArea(this))
    , m_view(new ReportPageView(m_scroll))
{
    m_layoutTimer = new QTimer(this);
    m_layoutTimer->setInterval(0);
    connect(m_layoutTimer, &QTimer::timeout, this, &ReportViewer::layOutMore);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    makeFindBar();
    layout->addWidget(m_findBar);
    layout->addWidget(m_scroll, 1);

    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(false);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);

    // Keys work wherever the focus is in the viewer: the actions belong to it
    // as well as to the toolbar. The first key is named in the tooltip.
    auto action = [this](const QString &text, const QString &tip, QList<QKeySequence> keys, void (ReportViewer::*slot)(),
                         QStyle::StandardPixmap icon = QStyle::SP_CustomBase) {
        QAction *a = m_toolBar->addAction(text);
        if (icon != QStyle::SP_CustomBase)
            a->setIcon(style()->standardIcon(icon, nullptr, this));
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        a->setToolTip(keys.isEmpty() ? tip : tr("%1 (%2)").arg(tip, keyName(keys.first())));
        addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    const auto ctrl = [](int key) { return QKeySequence(int(Qt::CTRL) | key); };
    firstAction = action(tr("First Page"), tr("First page"), {QKeySequence(Qt::Key_Home), ctrl(Qt::Key_Home)},
                         &ReportViewer::firstPage, QStyle::SP_MediaSkipBackward);
    previousAction = action(tr("Previous Page"), tr("Previous page"), {QKeySequence(Qt::Key_PageUp)},
                            &ReportViewer::previousPage, QStyle::SP_ArrowLeft);
    pageBox = new QSpinBox(this);
    pageBox->setObjectName(QStringLiteral("pageBox"));
    pageBox->setAccessibleName(tr("Page"));
    pageBox->setToolTip(tr("Page"));
    pageBox->setKeyboardTracking(false);
    m_toolBar->addWidget(pageBox);
    m_toolBar->addWidget(m_pageOf);
    nextAction = action(tr("Next Page"), tr("Next page"), {QKeySequence(Qt::Key_PageDown)}, &ReportViewer::nextPage,
                        QStyle::SP_ArrowRight);
    lastAction = action(tr("Last Page"), tr("Last page"), {QKeySequence(Qt::Key_End), ctrl(Qt::Key_End)},
                        &ReportViewer::lastPage, QStyle::SP_MediaSkipForward);
    m_toolBar->addSeparator();
    zoomOutAction = action(tr("Zoom Out"), tr("Zoom out"), {ctrl(Qt::Key_Minus)}, &ReportViewer::zoomOut);
    zoomOutAction->setIconText(QStringLiteral("\u2212"));
    m_toolBar->addWidget(m_zoomLabel);
    zoomInAction = action(tr("Zoom In"), tr("Zoom in"), {ctrl(Qt::Key_Plus), ctrl(Qt::Key_Equal)}, &ReportViewer::zoomIn);
    zoomInAction->setIconText(QStringLiteral("+"));
    fitWidthAction = action(tr("Fit Width"), tr("Fit the page's width"), {ctrl(Qt::Key_0)}, &ReportViewer::fitWidth);
    fitPageAction = action(tr("Fit Page"), tr("Fit the whole page"), {}, &ReportViewer::fitPage);
    m_toolBar->addSeparator();
    printAction = action(tr("Print..."), tr("Print"), {ctrl(Qt::Key_P)}, &ReportViewer::print);
    printAction->setIconText(tr("Print...")); // a toolbar drops the dots, the exports keep theirs
    exportAction = action(tr("Export to PDF..."), tr("Export to PDF"), {ctrl(Qt::Key_S)}, &ReportViewer::exportToPdf);
    exportAction->setIconText(tr("PDF..."));
    csvAction = action(tr("Export to CSV..."), tr("Export to CSV"), {QKeySequence(int(Qt::CTRL | Qt::SHIFT) | Qt::Key_S)},
                       &ReportViewer::exportToCsv);
    csvAction->setIconText(tr("CSV..."));
    xlsxAction = action(tr("Export to Excel workbook (.xlsx)..."), tr("Export to an Excel workbook (.xlsx)"), {},
                        &ReportViewer::exportToXlsx);
    xlsxAction->setIconText(tr("Excel...")); // the full name is its tooltip and accessible name
    // Find opens a box under the toolbar rather than taking room in it.
    findAction = new QAction(tr("Find..."), this);
    findAction->setShortcut(QKeySequence::Find);
    findNextAction = new QAction(tr("Find Next"), this);
    findNextAction->setShortcut(QKeySequence(Qt::Key_F3));
    for (QAction *a : {findAction, findNextAction}) {
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        addAction(a);
    }
    connect(findAction, &QAction::triggered, this, &ReportViewer::openFind);
    connect(findNextAction, &QAction::triggered, this, &ReportViewer::findNext);
    connect(pageBox, &QSpinBox::valueChanged, this, [this](int page) {
        if (page != m_page)
            showPage(page);
    });

    // Tab reaches every control in the toolbar's order, then the page.
    QWidget *previous = nullptr;
    for (QAction *a : m_toolBar->actions()) {
        QWidget *w = m_toolBar->widgetForAction(a);
        if (!w || a->isSeparator())
            continue;
        if (qobject_cast<QToolButton *>(w)) {
            w->setFocusPolicy(Qt::TabFocus);
            w->setAccessibleName(a->text()); // the button itself shows an icon or a short text
        }
        if (w->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    setTabOrder(previous, findBox);
    setTabOrder(findBox, m_scroll);
    // The page takes the focus given to the viewer, so that its keys work at once.
    m_scroll->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_scroll);
    m_scroll->viewport()->installEventFilter(this);
    pageBox->installEventFilter(this);
    updateControls();
}

ReportViewer::~ReportViewer() = default;

void ReportViewer::setReportSource(Report *report)
{
    m_report = report;
    dropLayout();
    m_content = ReportContent(); // the rows go with the report
    m_view->layout = nullptr;
    m_page = 0;
    m_view->updateSize();
    updateControls();
}

void ReportViewer::dropLayout()
{
    m_layoutTimer->stop();
    m_hits.clear();
    m_hitPage = 0;
    m_hitIndex = -1;
    m_findText.clear();
    m_view->hits.clear();
    m_layout = nullptr;
    m_layouter.reset();
}

void ReportViewer::viewReport()
{
    dropLayout();
    m_content = ReportContent();
    m_view->layout = nullptr;
    m_page = 0;
    updateControls();
    if (!m_report)
        return;
    const QStringList values = m_report->parameterValues();
    const ReportContent &content = readContent();
    m_definition = m_report->definition();
    m_content = content;
    m_values = values;
    // The first pages show at once; the rest are laid out while the window waits for input.
    m_layouter = std::make_unique<ReportLayouter>(m_definition, m_content, values, content.readAt.date());
    m_layouter->layoutPages(firstPagesLaidOut);
    m_layout = &m_layouter->layout();
    if (!m_layouter->isComplete())
        m_layoutTimer->start();
    m_view->layout = m_layout;
    m_page = m_layout->pageCount() > 0 ? 1 : 0;
    m_view->page = 0;
    m_fit = m_layout->pageLayout.orientation() == QPageLayout::Landscape ? Fit::Width : Fit::Page;
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
    if (!m_layout)
        return 0;
    return m_layout->complete ? m_layout->pageCount() : m_layout->pageCount() - 1; // the last is being filled
}

void ReportViewer::layOutMore()
{
    if (!m_layouter)
        return;
    m_layouter->layoutPages(m_layout->pageCount() + pagesPerStep);
    if (m_layouter->isComplete()) {
        m_layoutTimer->stop();
        m_view->update(); // "Page 1 of ..." gets its count
    }
    updateControls();
}

void ReportViewer::finishLayout()
{
    if (!m_layouter || m_layouter->isComplete())
        return;
    m_layouter->finish();
    m_layoutTimer->stop();
    m_view->update();
    updateControls();
}

const ReportLayout *ReportViewer::reportLayout()
{
    finishLayout();
    return m_layout;
}

void ReportViewer::makeFindBar()
{
    m_findBar = new QWidget(this);
    m_findBar->setObjectName(QStringLiteral("findBar"));
    auto *row = new QHBoxLayout(m_findBar);
    row->setContentsMargins(6, 2, 6, 2);
    auto *label = new QLabel(tr("Find:"), m_findBar);
    findBox = new QLineEdit(m_findBar);
    findBox->setObjectName(QStringLiteral("findBox"));
    findBox->setAccessibleName(tr("Find"));
    findBox->setToolTip(tr("Enter finds the text, F3 the next place; Esc closes"));
    findBox->setClearButtonEnabled(true);
    label->setBuddy(findBox);
    m_findStatus = new QLabel(m_findBar);
    m_findStatus->setObjectName(QStringLiteral("findStatus"));
    row->addWidget(label);
    row->addWidget(findBox, 1);
    row->addWidget(m_findStatus, 1);
    connect(findBox, &QLineEdit::returnPressed, this, [this] {
        // Enter again on the same text goes on, as F3 does.
        if (findBox->text() == m_findText && m_hitIndex >= 0)
            findNext();
        else
            find(findBox->text());
    });
    // Esc in the box closes it; elsewhere it stays the window's key.
    auto *close = new QAction(findBox);
    close->setShortcut(QKeySequence(Qt::Key_Escape));
    close->setShortcutContext(Qt::WidgetShortcut);
    findBox->addAction(close);
    connect(close, &QAction::triggered, this, &ReportViewer::closeFind);
    m_findBar->hide();
}

void ReportViewer::openFind()
{
    if (!m_layout)
        return;
    m_findBar->show();
    findBox->setFocus();
    findBox->selectAll();
}

void ReportViewer::closeFind()
{
    m_findBar->hide();
    m_hits.clear();
    m_hitIndex = -1;
    m_hitPage = 0;
    m_view->hits.clear();
    m_view->update();
    m_scroll->setFocus();
}

void ReportViewer::setFindStatus(const QString &text)
{
    m_findStatus->setText(text);
}

QString ReportViewer::findStatus() const
{
    return m_findStatus->text();
}

QList<QRectF> ReportViewer::pageHits() const
{
    return m_hitPage == m_page ? m_hits : QList<QRectF>();
}

int ReportViewer::findPageFrom(int index, int end)
{
    for (int page = index; page < end; ++page) {
        // Pages not laid out yet are laid out as the search reaches them.
        while (page >= pageCount() && m_layouter && !m_layouter->isComplete())
            layOutMore();
        if (page >= pageCount())
            return -1;
        if (ReportFind::pageHolds(*m_layout, page, m_findText) && !ReportFind::hitBoxes(*m_layout, page, m_findText).isEmpty())
            return page;
    }
    return -1;
}

bool ReportViewer::goToHit(int pageIndex, int hit, const QString &status)
{
    setFindStatus(status);
    if (pageIndex < 0) {
        m_hits.clear();
        m_hitPage = 0;
        m_hitIndex = -1;
        m_view->hits.clear();
        m_view->update();
        return false;
    }
    if (m_hitPage != pageIndex + 1)
        m_hits = ReportFind::hitBoxes(*m_layout, pageIndex, m_findText);
    m_hitPage = pageIndex + 1;
    m_hitIndex = hit;
    if (m_page != m_hitPage)
        showPage(m_hitPage);
    m_view->hits = m_hits;
    m_view->currentHit = m_hitIndex;
    m_view->update();
    const QRectF at = m_view->toWidget(m_hits.at(hit));
    m_scroll->ensureVisible(qRound(at.center().x()), qRound(at.center().y()), qRound(at.width() / 2) + 40,
                            qRound(at.height() / 2) + 40);
    return true;
}

bool ReportViewer::find(const QString &text)
{
    if (!m_layout || pageCount() == 0)
        return false;
    m_findText = text;
    m_hitPage = 0; // the hits are worked out anew for this text
    if (text.isEmpty())
        return goToHit(-1, -1, QString());
    const int from = m_page - 1;
    int page = findPageFrom(from, std::numeric_limits<int>::max());
    if (page >= 0)
        return goToHit(page, 0, QString());
    page = findPageFrom(0, from);
    return goToHit(page, 0, page >= 0 ? tr("Continued from the first page") : tr("Not found"));
}

bool ReportViewer::findNext()
{
    if (m_findText.isEmpty()) {
        openFind();
        return false;
    }
    if (!m_layout || pageCount() == 0)
        return false;
    // On the page of the last hit, the next hit; from a page the user went to, its first.
    if (m_hitPage == m_page && m_hitIndex + 1 < m_hits.size())
        return goToHit(m_page - 1, m_hitIndex + 1, QString());
    const int from = m_hitPage == m_page ? m_page : m_page - 1;
    int page = findPageFrom(from, std::numeric_limits<int>::max());
    if (page >= 0)
        return goToHit(page, 0, QString());
    page = findPageFrom(0, from); // the current page's earlier hits among them
    return goToHit(page, 0, page >= 0 ? tr("Continued from the first page") : tr("Not found"));
}

void ReportViewer::showPage(int page)
{
    if (!m_layout || pageCount() == 0)
        return;
    m_page = std::clamp(page, 1, pageCount());
    m_view->page = m_page - 1;
    m_view->hits = pageHits(); // only the page of the hits shows them
    m_view->update();
    m_scroll->verticalScrollBar()->setValue(0);
    updateControls();
}

void ReportViewer::firstPage() { showPage(1); }
void ReportViewer::previousPage() { showPage(m_page - 1); }
void ReportViewer::nextPage() { showPage(m_page + 1); }
void ReportViewer::lastPage()
{
    finishLayout();
    showPage(pageCount());
}

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

bool ReportViewer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scroll->viewport() && event->type() == QEvent::Wheel && pageCount() > 0)
        return wheel(static_cast<QWheelEvent *>(event));
    // In the page number box, Home and End go to the first and last page, as
    // everywhere else in the viewer, rather than to the ends of the number.
    if (watched == pageBox && event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Home || key->key() == Qt::Key_End) && key->modifiers() == Qt::NoModifier)
            return true; // not taken by the box: the viewer's shortcut runs
    }
    return QWidget::eventFilter(watched, event);
}

// Ctrl zooms; otherwise the wheel scrolls the page, and at its foot (or head)
// a further notch shows the next page from its top (the previous from its
// foot). A touchpad's small steps add up to a notch first.
bool ReportViewer::wheel(QWheelEvent *event)
{
    constexpr int notch = 120;
    const int delta = event->angleDelta().y();
    if (delta == 0 || (event->modifiers() & Qt::ShiftModifier))
        return false;
    if ((m_wheelRest < 0) != (delta < 0))
        m_wheelRest = 0;
    if (event->modifiers() & Qt::ControlModifier) {
        m_wheelRest += delta;
        for (; m_wheelRest >= notch; m_wheelRest -= notch)
            zoomIn();
        for (; m_wheelRest <= -notch; m_wheelRest += notch)
            zoomOut();
        return true;
    }
    QScrollBar *bar = m_scroll->verticalScrollBar();
    const bool down = delta < 0;
    const bool atEdge = down ? bar->value() >= bar->maximum() : bar->value() <= bar->minimum();
    const bool further = down ? m_page < pageCount() : m_page > 1;
    if (!atEdge || !further) {
        m_wheelRest = 0;
        return false;
    }
    m_wheelRest += delta;
    if (std::abs(m_wheelRest) < notch)
        return true;
    m_wheelRest = 0;
    if (down) {
        nextPage();
    } else {
        previousPage();
        bar->setValue(bar->maximum());
    }
    return true;
}

void ReportViewer::updateControls()
{
    const int pages = pageCount();
    const bool any = pages > 0;
    firstAction->setEnabled(any && m_page > 1);
    previousAction->setEnabled(any && m_page > 1);
    nextAction->setEnabled(any && m_page < pages);
    lastAction->setEnabled(any && m_page < pages);
    for (QAction *a : {zoomInAction, zoomOutAction, fitWidthAction, fitPageAction, printAction, exportAction, csvAction, xlsxAction})
        a->setEnabled(any);
    {
        const QSignalBlocker blocker(pageBox);
        pageBox->setRange(any ? 1 : 0, pages);
        pageBox->setValue(m_page);
        pageBox->setEnabled(any);
    }
    m_pageOf->setText(m_layout && !m_layout->complete ? tr(" of %1... ").arg(pages) : tr(" of %1 ").arg(pages));
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
    finishLayout();
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

QString ReportViewer::proposedFileName(const QString &suffix) const
{
    // "<title> - <project> - <date>": the project is the first captioned parameter.
    QStringList parts{m_definition.title};
    for (int i = 0; i < m_definition.parameters.size(); ++i) {
        if (!m_definition.parameters.at(i).caption.isEmpty()) {
            parts << m_values.value(i).trimmed();
            break;
        }
    }
    parts << QDate::currentDate().toString(Qt::ISODate);
    parts.removeAll(QString());
    QString name = parts.join(QStringLiteral(" - ")) + QLatin1Char('.') + suffix;
    static const QString notAllowed = QStringLiteral("/\\:*?\"<>|");
    for (QChar &c : name) {
        if (notAllowed.contains(c) || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    return name;
}

std::optional<QString> ReportViewer::chooseFile(const QString &suffix, const QString &filter)
{
    const QString proposed = proposedFileName(suffix);
    std::optional<QString> path;
    if (m_chooser) {
        path = m_chooser(this, proposed, filter);
    } else {
        const QString chosen = QFileDialog::getSaveFileName(this, QString(), proposed, filter);
        if (!chosen.isEmpty())
            path = chosen;
    }
    if (!path || path->isEmpty())
        return std::nullopt;
    if (QFileInfo(*path).suffix().isEmpty())
        *path += QLatin1Char('.') + suffix;
    return path;
}

void ReportViewer::exportToPdf()
{
    finishLayout();
    if (!m_layout || pageCount() == 0)
        return;
    const std::optional<QString> file = chooseFile(QStringLiteral("pdf"), tr("PDF files (*.pdf)"));
    if (!file)
        return;
    // Until it shows, the window repaints but takes no input; then only the
    // progress takes input, so the report cannot go while it is written.
    QProgressDialog progress(tr("Exporting the report to PDF..."), tr("Cancel"), 0, pageCount(), this);
    progress.setObjectName(QStringLiteral("exportProgress"));
    progress.setWindowTitle(m_layout->title);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setMinimumDuration(std::numeric_limits<int>::max()); // shown below, not by its own timer
    QElapsedTimer clock;
    clock.start();
    try {
        checkTarget(*file);
        ReportPainter::exportPdf(*m_layout, *file, m_layout->title, [&](int done, int) {
            progress.setValue(done);
            if (!progress.isVisible() && clock.elapsed() >= showExportProgressAfterMs)
                progress.show();
            QCoreApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents
                                                                 : QEventLoop::ExcludeUserInputEvents);
            return !progress.wasCanceled();
        });
    } catch (const ReportError &e) {
        progress.hide();
        report(tr("The report could not be exported.\n\n%1").arg(e.describe()));
    }
}

void ReportViewer::exportPdf(const QString &path)
{
    finishLayout();
    checkExport(path);
    ReportPainter::exportPdf(*m_layout, path, m_layout->title);
}

// Asks where, then writes through write; a failure is told, not thrown.
void ReportViewer::exportChosen(const QString &suffix, const QString &filter,
                                void (ReportViewer::*write)(const QString &) const)
{
    if (!m_layout)
        return;
    const std::optional<QString> file = chooseFile(suffix, filter);
    if (!file)
        return;
    try {
        (this->*write)(*file);
    } catch (const ReportError &e) {
        report(tr("The report could not be exported.\n\n%1").arg(e.describe()));
    }
}

void ReportViewer::exportToCsv()
{
    exportChosen(QStringLiteral("csv"), tr("CSV files (*.csv)"), &ReportViewer::exportCsv);
}

void ReportViewer::exportCsv(const QString &path) const
{
    checkExport(path);
    ReportCsv::write(m_definition, m_content, path);
}

void ReportViewer::exportToXlsx()
{
    exportChosen(QStringLiteral("xlsx"), tr("Excel workbook (*.xlsx)"), &ReportViewer::exportXlsx);
}

void ReportViewer::exportXlsx(const QString &path) const
{
    checkExport(path);
    ReportWorkbook::write(m_definition, m_content, m_values, path);
}

void ReportViewer::checkExport(const QString &path) const
{
    if (!m_layout)
        throw ReportError(path, QStringLiteral("there is no report to export"));
    checkTarget(path);
}

void ReportViewer::checkTarget(const QString &path) const
{
    const QString refused = WriteTarget::problem(path, m_report ? m_report->dataSource() : QString());
    if (!refused.isEmpty())
        throw ReportError(QString(), refused);
}

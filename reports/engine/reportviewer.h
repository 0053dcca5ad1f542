#pragma once

#include "reportlayout.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QScrollArea;
class QSpinBox;
class QTimer;
class QToolBar;
class QWheelEvent;
class Report;
class ReportPageView;

// Shows a report's pages as they will print, one page at a time, with page
// navigation, zoom, printing, export to PDF, CSV and a workbook, and Find. Its
// keys work wherever the focus is inside it; the wheel runs on from one page into the next.
class ReportViewer : public QWidget
{
    Q_OBJECT

public:
    enum class Fit { None, Width, Page };

    explicit ReportViewer(QWidget *parent = nullptr);
    ~ReportViewer() override;

    // The report the next viewReport() shows; the viewer does not own it.
    // Passing nullptr empties the viewer.
    void setReportSource(Report *report);
    Report *reportSource() const { return m_report; }
    // Reads the report's rows, lays out its pages and shows the first, the
    // whole page when it is portrait, its width when landscape. A read that
    // takes a while shows a Cancel. Throws ReportError when the report cannot
    // be read or the read was stopped.
    void viewReport();

    // The whole layout: pages not laid out yet are laid out first.
    const ReportLayout *reportLayout();
    int pageCount() const;
    int currentPage() const { return m_page; } // from 1; 0 when empty
    void showPage(int page);
    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();

    double zoom() const { return m_zoom; } // 1.0 shows the page at its printed size
    void setZoom(double zoom);
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void fitPage();
    Fit fit() const { return m_fit; }

    // Opens the system print dialog and prints the chosen pages.
    void print();
    // Asks for a file name through the chooser and writes every page to it,
    // showing the pages done with a Cancel.
    void exportToPdf();
    void exportPdf(const QString &path);
    // Asks for a file name through the chooser and writes every row to it.
    void exportToCsv();
    void exportCsv(const QString &path) const;
    // The same rows as a workbook, with typed cells.
    void exportToXlsx();
    void exportXlsx(const QString &path) const;

    // Shows the find box with the focus in it.
    void openFind();
    // Goes to the first place that shows text, ignoring case, from the top of
    // the current page on, past the end on to the first page; the page's hits
    // are highlighted. Returns false when no page shows it.
    bool find(const QString &text);
    // The next hit of the last text found, on this page or a later one;
    // opens the find box when nothing was searched for yet.
    bool findNext();
    QString findStatus() const; // "Not found", or that the search went on from the first page
    // The hits on the page shown, in dots from the printable area's top left,
    // and the one gone to; none when the page shows no hit.
    QList<QRectF> pageHits() const;
    int currentHit() const { return m_hitIndex; }

    // Where an export goes: returns nothing when the user cancels. filter is
    // e.g. "PDF files (*.pdf)". Without a chooser the viewer asks with a plain
    // save dialog.
    using FileChooser =
        std::function<std::optional<QString>(QWidget *parent, const QString &proposedName, const QString &filter)>;
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    // Shows a failed print or export; without one the viewer shows a warning box.
    using ErrorReporter = std::function<void(QWidget *parent, const QString &text)>;
    void setErrorReporter(ErrorReporter reporter) { m_reporter = std::move(reporter); }

    QToolBar *toolBar() const { return m_toolBar; }
    QAction *firstAction = nullptr;
    QAction *previousAction = nullptr;
    QAction *nextAction = nullptr;
    QAction *lastAction = nullptr;
    QAction *zoomInAction = nullptr;
    QAction *zoomOutAction = nullptr;
    QAction *fitWidthAction = nullptr;
    QAction *fitPageAction = nullptr;
    QAction *printAction = nullptr;
    QAction *exportAction = nullptr; // PDF
    QAction *csvAction = nullptr;
    QAction *findAction = nullptr;
    QAction *findNextAction = nullptr;
    QAction *xlsxAction = nullptr;
    QSpinBox *pageBox = nullptr;
    QLineEdit *findBox = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void dropLayout();
    void layOutMore();
    void finishLayout();
    const ReportContent &readContent();
    bool wheel(QWheelEvent *event);
    QString proposedFileName(const QString &suffix) const;
    std::optional<QString> chooseFile(const QString &suffix, const QString &filter);
    // Throws ReportError, before anything is made, when path is a database or a
    // file the engine keeps beside the report's.
    void checkTarget(const QString &path) const;
    // Throws when there is no report or path is a file no export may write.
    void checkExport(const QString &path) const;
    void exportChosen(const QString &suffix, const QString &filter,
                      void (ReportViewer::*write)(const QString &) const);
    void applyFit();
    void updateControls();
    void report(const QString &text);
    QSizeF pageSizeInPixels() const;
    void makeFindBar();
    void closeFind();
    // The first page from index on (0-based) that shows the text searched
    // for, laying out pages as it goes; -1 when none does.
    int findPageFrom(int index, int end);
    bool goToHit(int pageIndex, int hit, const QString &status);
    void setFindStatus(const QString &text);

    static constexpr int showReadProgressAfterMs = 400;
    static constexpr int showExportProgressAfterMs = 300;

    Report *m_report = nullptr;
    std::unique_ptr<ReportLayouter> m_layouter;
    const ReportLayout *m_layout = nullptr; // the layouter's, as far as it has gone
    QTimer *m_layoutTimer;
    static constexpr int firstPagesLaidOut = 2;
    static constexpr int pagesPerStep = 40;
    // What the layout was made from, for the exports' names and the CSV rows.
    ReportDefinition m_definition;
    ReportContent m_content;
    QStringList m_values;
    int m_wheelRest = 0; // the wheel's turn not yet acted on, in eighths of a degree
    int m_page = 0;
    double m_zoom = 1.0;
    Fit m_fit = Fit::Width;
    FileChooser m_chooser;
    ErrorReporter m_reporter;

    QToolBar *m_toolBar;
    QLabel *m_pageOf;
    QLabel *m_zoomLabel;
    QScrollArea *m_scroll;
    ReportPageView *m_view;
    QWidget *m_findBar = nullptr;
    QLabel *m_findStatus = nullptr;
    QString m_findText; // the text searched for last
    int m_hitPage = 0;  // from 1: the page of m_hits
    int m_hitIndex = -1;
    QList<QRectF> m_hits;
};

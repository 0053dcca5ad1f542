#pragma once

#include "reportlayout.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QLabel;
class QScrollArea;
class QSpinBox;
class QToolBar;
class Report;
class ReportPageView;

// Shows a report's pages as they will print, one page at a time, with page
// navigation, zoom, printing and export to PDF.
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
    // Reads the report's rows, lays out its pages and shows the first. A read
    // that takes a while shows a Cancel. Throws ReportError when the report
    // cannot be read or the read was stopped.
    void viewReport();

    const ReportLayout *reportLayout() const { return m_layout.get(); }
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
    // Asks for a file name through the chooser and writes every page to it.
    void exportToPdf();
    void exportPdf(const QString &path) const;

    // Where the PDF goes: returns nothing when the user cancels. Without a
    // chooser the viewer asks with a plain save dialog.
    using FileChooser = std::function<std::optional<QString>(QWidget *parent, const QString &proposedName)>;
    void setPdfFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
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
    QAction *exportAction = nullptr;
    QSpinBox *pageBox = nullptr;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    const ReportContent &readContent();
    void applyFit();
    void updateControls();
    void report(const QString &text);
    QSizeF pageSizeInPixels() const;

    static constexpr int showReadProgressAfterMs = 400;

    Report *m_report = nullptr;
    std::unique_ptr<ReportLayout> m_layout;
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
};

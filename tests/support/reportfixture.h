#pragma once

#include "reportlayout.h"
#include "tempdatabase.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

// The shipped report definitions, copied beside a test's database as the program has them.
inline void copyReportDefinitions(const QString &folder)
{
    const QDir source(QStringLiteral(VEROLAN_REPORT_DEFINITIONS));
    for (const QString &name : source.entryList({QStringLiteral("*.rpt")}, QDir::Files))
        QFile::copy(source.filePath(name), QDir(folder).filePath(name));
}

// Stores a logged result the way the test log window does.
inline void logResult(const TempDatabase &db, const QStringList &key, const QString &pass, const QString &actual,
                      const QString &severity, const QString &category, const QString &date)
{
    db.exec(QStringLiteral("update qv_zr_tst_cases set qv_zr_pass=?, qv_zr_rslt_act=?, qv_zr_def_severity=?, "
                           "qv_zr_def_cat=?, qv_zr_dt_tst=? where qv_zr_prjid=? and qv_zr_tst_type=? and "
                           "qv_zr_component=? and qv_zr_component_type=? and qv_zr_tst_case_id=?"),
            {pass, actual, severity, category, date, key[0], key[1], key[2], key[3], key[4]});
}

// One project with a mix of passed, failed and never logged cases, and a
// second project whose rows must never show in the first one's reports.
inline const QString fixtureProject = QStringLiteral("O'Brien's app");

inline void fillReportFixture(const TempDatabase &db)
{
    db.setCompany(QStringLiteral("Acme Testing Ltd"), QStringLiteral("1 Road"));
    db.addProject(fixtureProject, "Billing front end", "Web", "12.5", "KLOC");
    db.addProject(QStringLiteral("Other"));
    const QString p = fixtureProject;
    db.addCases({{p, "Functional", "Login", "Screen", "10", "Never run case", "Works"},
                 {p, "Functional", "Login", "Screen", "2", "Wrong password", "Refused"},
                 {p, "Functional", "Login", "Screen", "1", "Right password", "Accepted"},
                 {p, "Functional", "Report", "Module", "1", "Totals", "Adds up"},
                 {p, "Performance", "Login", "Screen", "3", "Fast login", "Under 1 s"},
                 {"Other", "Functional", "Login", "Screen", "1", "Other project's case", "x"}});
    logResult(db, {p, "Functional", "Login", "Screen", "1"}, "Pass", "Accepted", "", "", "2024-03-05");
    logResult(db, {p, "Functional", "Login", "Screen", "2"}, "Fail", "Let in", "Critical", "Security", "2024-03-06");
    logResult(db, {p, "Functional", "Report", "Module", "1"}, "Fail", "Off by one", "Minor", "Calculation", "2024-03-07");
    logResult(db, {p, "Performance", "Login", "Screen", "3"}, "Pass", "0.4 s", "", "", "2024-03-08");
    logResult(db, {"Other", "Functional", "Login", "Screen", "1"}, "Pass", "fine", "", "", "2024-01-01");
}

// Every text line of the given kind of item, page after page.
inline QStringList itemLines(const ReportLayout &layout, PageItem::Kind kind)
{
    QStringList out;
    for (const ReportPage &page : layout.pages)
        for (const PageItem &item : page.items)
            if (item.kind == kind)
                out << item.lines.join(QLatin1Char(' '));
    return out;
}

// Each summary table as one line: its title, then its rows, cells joined by "|".
inline QStringList summaryRows(const ReportLayout &layout)
{
    QStringList out;
    for (const SummaryTable &table : layout.tables) {
        QStringList rows;
        for (const QStringList &row : table.rows)
            rows << row.join(QLatin1Char('|'));
        out << (table.title.isEmpty() ? QString() : table.title + QStringLiteral(": ")) + rows.join(QStringLiteral(" / "));
    }
    return out;
}

// True when the page heading, a caption, the intro, a page item or a cell
// shows text, however wrapping broke it.
inline bool reportShows(const ReportLayout &layout, const QString &text)
{
    static const QRegularExpression blank(QStringLiteral("\\s"));
    QStringList all{layout.heading};
    all += layout.captionLines;
    for (const auto &item : layout.intro)
        all << item.second;
    for (const ReportPage &page : layout.pages)
        for (const PageItem &item : page.items)
            all << item.lines.join(QString());
    for (const QList<QStringList> &row : layout.rowCells)
        for (const QStringList &cell : row)
            all << cell.join(QString());
    all += summaryRows(layout);
    const QString wanted = QString(text).remove(blank);
    return std::any_of(all.cbegin(), all.cend(), [&](QString line) { return line.remove(blank).contains(wanted); });
}

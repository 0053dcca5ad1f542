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

// Project "Builds" tested under b9, b10, b3 and b4, in that order; against b3,
// under b4 c1 and c6 newly fail, c2 is fixed, c3 and c7 still fail, c4 is newly
// run, c5 not run, c8 passes both times and c9 was never run. c6 flips three
// times (b9's latest result passed), c7 twice. Project "Once" has one build.
inline void fillBuildHistory(const TempDatabase &db)
{
    db.addProject(QStringLiteral("Builds"));
    db.addProject(QStringLiteral("Once"));
    QList<QStringList> cases{{"Once", "Functional", "Login", "Screen", "c1", "d", "e"}};
    for (int i = 1; i <= 9; ++i)
        cases.append({"Builds", "Functional", "Login", "Screen", "c" + QString::number(i), "d", "e"});
    db.addCases(cases);
    const QStringList history{"Builds b9 c6 Fail Minor", "Builds b9 c6 Pass", "Builds b9 c7 Fail Minor",
        "Builds b10 c6 Fail Major", "Builds b10 c7 Pass", "Builds b3 c1 Pass", "Builds b3 c2 Fail Major",
        "Builds b3 c3 Fail Minor", "Builds b3 c5 Pass", "Builds b3 c6 Pass", "Builds b3 c7 Fail Major",
        "Builds b3 c8 Pass", "Builds b4 c1 Pass", "Builds b4 c1 Fail Minor", "Builds b4 c2 Pass",
        "Builds b4 c3 Fail Minor", "Builds b4 c4 Pass", "Builds b4 c6 Fail Critical", "Builds b4 c7 Fail Major",
        "Builds b4 c8 Pass", "Once b9 c1 Pass"};
    for (const QString &line : history) {
        const QStringList h = line.split(QLatin1Char(' '));
        db.exec(QStringLiteral("insert into qv_zr_tst_history (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, "
                               "qv_zr_component_type, qv_zr_tst_case_id, qv_zr_build, qv_zr_pass, qv_zr_def_severity, "
                               "qv_zr_rslt_act) values (?, 'Functional', 'Login', 'Screen', ?, ?, ?, ?, ?)"),
                {h[0], h[2], h[1], h[3], h.value(4), h[1] + QLatin1Char(' ') + h[3]});
    }
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

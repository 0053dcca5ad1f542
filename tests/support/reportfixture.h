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

// Stores a result in the history alone, as saved in that order.
inline void addHistory(const TempDatabase &db, const QStringList &key, const QString &pass, const QString &date)
{
    db.exec(QStringLiteral("insert into qv_zr_tst_history (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, "
                           "qv_zr_component_type, qv_zr_tst_case_id, qv_zr_pass, qv_zr_rslt_act, qv_zr_dt_tst) "
                           "values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {key[0], key[1], key[2], key[3], key[4], pass, pass + QStringLiteral(" on ") + date, date});
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

// Project "Lead": 250 cases over 4 test types and 11 components, 62 of them
// failed (Critical, Major and Minor), 38 never run, the rest passed, with
// descriptions of up to 200 characters and results of up to 120.
inline const QString leadProject = QStringLiteral("Lead");

inline void fillLeadProject(const TempDatabase &db)
{
    static const QStringList words{"the", "user", "opens", "notification", "settings", "and", "saves", "a",
                                   "filter", "with", "an", "empty", "name", "while", "offline", "list", "shows",
                                   "every", "message", "sent", "today", "after", "login", "from", "second",
                                   "device", "report", "totals", "match", "exported", "file", "within", "limits"};
    quint32 seed = 7;
    const auto next = [&seed](int below) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % quint32(below));
    };
    const auto sentence = [&](int least, int most) {
        QString text;
        const int length = least + next(most - least + 1);
        while (text.size() < length)
            text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + words.at(next(int(words.size())));
        return text.left(length).trimmed() + QLatin1Char('.');
    };
    static const QStringList types{"Functional", "Integration", "Performance", "Usability"};
    static const QStringList kinds{"Screen", "Module", "Service"};
    db.addProject(leadProject, "Mail client release 3");
    QList<QStringList> cases;
    for (int i = 0; i < 250; ++i) {
        const QString component = QStringLiteral("Component %1").arg(QChar('A' + i % 11));
        cases.append({leadProject, types.at(i % 4), component, kinds.at(i % 3),
                      QStringLiteral("TC-%1").arg(i + 1, 3, 10, QLatin1Char('0')), sentence(80, 200),
                      sentence(40, 120)});
    }
    db.addCases(cases);
    static const QStringList severities{"Critical", "Major", "Major", "Minor", "Minor"};
    static const QStringList categories{"Functionality", "Calculation", "Interface", "Security"};
    for (int i = 0; i < 212; ++i) {
        const QStringList &c = cases.at(i);
        const bool failed = i % 7 == 3 || i % 7 == 5 || (i < 14 && i % 7 == 1); // 62 of them
        const QString date = QDate(2026, 11, 2).addDays(i / 12).toString(Qt::ISODate);
        if (failed)
            logResult(db, c.mid(0, 5), "Fail", sentence(30, 120), severities.at(i % 5), categories.at(i % 4), date);
        else
            logResult(db, c.mid(0, 5), "Pass", "As expected.", "", "", date);
        addHistory(db, c.mid(0, 5), failed ? "Fail" : "Pass", date);
    }
}

#include "generator.h"

#include "schema.h"

#include <QDate>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <sqlite3.h>

namespace {

const char *const kWords[] = {"verify",  "that",     "the",      "login",    "page",    "accepts", "valid",
                              "user",    "name",     "password", "and",      "shows",   "error",   "message",
                              "when",    "field",    "is",       "empty",    "report",  "export",  "saves",
                              "file",    "in",       "PDF",      "format",   "within",  "two",     "seconds",
                              "order",   "total",    "updates",  "after",    "item",    "removed", "from",
                              "cart",    "session",  "expires",  "timeout",  "screen",  "reader",  "announces"};

QString sentence(QRandomGenerator &rng, int minChars, int maxChars)
{
    const int target = minChars + int(rng.bounded(maxChars - minChars + 1));
    QString s;
    while (s.size() < target) {
        if (!s.isEmpty())
            s += QLatin1Char(' ');
        s += QLatin1String(kWords[rng.bounded(int(std::size(kWords)))]);
    }
    s.truncate(target);
    s[0] = s[0].toUpper();
    return s;
}

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
    }
}

void bindText(sqlite3_stmt *st, int i, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(st, i, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

} // namespace

QString generatedBuild(int index)
{
    return QStringLiteral("3.%1.0").arg(index + 1);
}

GeneratedSizes generateDatabase(const QString &path, int total, int historyRows)
{
    Schema::createDatabase(path);

    QRandomGenerator rng(20261206);
    const int projects = qBound(50, total / 200, 500);
    const int largest = qMin(20000, total / 5);

    sqlite3 *db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
    check(sqlite3_exec(db, "begin", nullptr, nullptr, nullptr), db, "begin");

    sqlite3_stmt *prj = nullptr;
    check(sqlite3_prepare_v2(db, "insert into qv_zr_projects values (?, ?, ?, ?, ?, 'NO')", -1, &prj, nullptr), db,
          "prepare projects");
    const QStringList types = {"Web", "Desktop", "Mobile", "Embedded", "Service"};
    const QStringList units = {"Function Points", "LOC", "Test Points", "Object Points"};
    QStringList ids;
    for (int p = 0; p < projects; ++p) {
        const QString id = p == 0 ? QStringLiteral("PRJ-LARGEST") : QStringLiteral("PRJ-%1").arg(p, 4, 10, QLatin1Char('0'));
        ids << id;
        bindText(prj, 1, id);
        bindText(prj, 2, sentence(rng, 60, 240));
        bindText(prj, 3, types.at(rng.bounded(int(types.size()))));
        bindText(prj, 4, QString::number(10 + rng.bounded(5000)));
        bindText(prj, 5, units.at(rng.bounded(int(units.size()))));
        check(sqlite3_step(prj), db, "insert project");
        sqlite3_reset(prj);
    }
    sqlite3_finalize(prj);

    sqlite3_stmt *tc = nullptr;
    check(sqlite3_prepare_v2(db, "insert into qv_zr_tst_cases values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", -1, &tc,
                             nullptr),
          db, "prepare cases");
    const QStringList testTypes = {"Functional", "Integration", "Regression", "System"};
    const QStringList cmpTypes = {"Form", "Module", "Report", "Service", "Library", "Screen"};
    const QStringList severities = {"Critical", "Major", "Minor"};
    const QStringList categories = {"Functional", "GUI",     "Performance", "Data",
                                    "Security",   "Usability", "Documentation", "Configuration"};
    const QDate today(2026, 12, 6);
    for (int i = 0; i < total; ++i) {
        // The first `largest` cases belong to the largest project; the rest are spread.
        const int p = i < largest ? 0 : 1 + int(rng.bounded(projects - 1));
        const int component = int(rng.bounded(48));
        bindText(tc, 1, ids.at(p));
        bindText(tc, 2, testTypes.at(rng.bounded(int(testTypes.size()))));
        bindText(tc, 3, QStringLiteral("Component %1").arg(component, 2, 10, QLatin1Char('0')));
        bindText(tc, 4, cmpTypes.at(component % cmpTypes.size()));
        bindText(tc, 5, QStringLiteral("T%1").arg(i % 100000, 5, 10, QLatin1Char('0')));
        bindText(tc, 6, sentence(rng, 40, 200));
        bindText(tc, 7, sentence(rng, 30, 150));
        const bool logged = rng.bounded(100) < 80;
        const bool pass = logged && rng.bounded(100) < 70;
        bindText(tc, 8, pass ? QStringLiteral("Pass") : QStringLiteral("Fail"));
        if (logged) {
            bindText(tc, 9, sentence(rng, 30, 150));
            bindText(tc, 10, pass ? QString(QLatin1String("")) : severities.at(rng.bounded(int(severities.size()))));
            bindText(tc, 11, pass ? QString(QLatin1String("")) : categories.at(rng.bounded(int(categories.size()))));
            bindText(tc, 12, today.addDays(-int(rng.bounded(730))).toString(Qt::ISODate));
        } else {
            for (int c = 9; c <= 12; ++c)
                sqlite3_bind_null(tc, c);
        }
        check(sqlite3_step(tc), db, "insert case");
        sqlite3_reset(tc);
    }
    sqlite3_finalize(tc);
    if (historyRows > 0) {
        // Earlier results of the logged cases, about ten a case, over kBuilds
        // builds tested one after the other; each result passes or fails anew,
        // so outcomes change from build to build.
        sqlite3_stmt *h = nullptr;
        check(sqlite3_prepare_v2(db,
                                 "insert into qv_zr_tst_history select qv_zr_prjid, qv_zr_tst_type, qv_zr_component, "
                                 "qv_zr_component_type, qv_zr_tst_case_id, ?3, qv_zr_rslt_act, ?4, ?5, "
                                 "qv_zr_dt_tst, ?1, ?6, null from qv_zr_tst_cases "
                                 "where rowid = ?2 and qv_zr_dt_tst is not null",
                                 -1, &h, nullptr),
              db, "prepare history");
        for (int i = 0; i < historyRows; ++i) {
            const QByteArray at = QStringLiteral("2026-%1-%2T10:00:00+00:00")
                                      .arg(1 + i % 12, 2, 10, QLatin1Char('0'))
                                      .arg(1 + i % 28, 2, 10, QLatin1Char('0'))
                                      .toUtf8();
            sqlite3_bind_text(h, 1, at.constData(), int(at.size()), SQLITE_TRANSIENT);
            sqlite3_bind_int64(h, 2, 1 + rng.bounded(total));
            const bool pass = rng.bounded(100) < 70;
            bindText(h, 3, pass ? QStringLiteral("Pass") : QStringLiteral("Fail"));
            bindText(h, 4, pass ? QString(QLatin1String("")) : severities.at(rng.bounded(int(severities.size()))));
            bindText(h, 5, pass ? QString(QLatin1String("")) : categories.at(rng.bounded(int(categories.size()))));
            bindText(h, 6, generatedBuild(int(qint64(i) * kBuilds / historyRows)));
            check(sqlite3_step(h), db, "insert history");
            sqlite3_reset(h);
        }
        sqlite3_finalize(h);
    }
    check(sqlite3_exec(db, "insert into Tqvjx_companydetails values ('Northwind Testing Ltd', "
                           "'12 Harbour Road\nBristol BS1 5TY\nUnited Kingdom')",
                       nullptr, nullptr, nullptr),
          db, "company");
    check(sqlite3_exec(db, "commit", nullptr, nullptr, nullptr), db, "commit");
    check(sqlite3_exec(db, "analyze", nullptr, nullptr, nullptr), db, "analyze");
    sqlite3_close(db);
    
    return {projects, total, largest};
}

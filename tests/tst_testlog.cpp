// The test log window: what the tester sees after each pick, and what Save stores.
#include "datepicker.h"
#include "frm_tst_log.h"
#include "windowtest.h"

#include <QLabel>
#include <QDateTime>
#include <QRegularExpression>
#include <optional>

namespace {

const QString results = "qv_zr_pass, qv_zr_rslt_act, qv_zr_def_severity, qv_zr_def_cat, qv_zr_dt_tst "
                        "from qv_zr_tst_cases";

// Alpha has cases of two test types; Beta alone uses the component type
// "Backend" and has logged categories; Gamma has no test cases.
void addSampleData(const TempDatabase &db)
{
    db.addProject("Beta", "Beta desc", "Web", "7");
    db.addProject("Gamma", "no cases");
    db.addProject("Alpha", "Alpha desc", "Web", "12");
    db.addCase("Alpha", "System", "Login", "UI", "S2", "login desc", "login exp");
    db.addCase("Alpha", "System", "Cart", "Logic", "S1", "cart desc", "cart exp");
    db.addCase("Alpha", "Unit", "Login", "UI", "U1", "unit desc", "unit exp");
    db.addCase("Beta", "System", "Zeta", "Backend", "B1");
    db.addCase("Beta", "System", "Zeta", "Backend", "B2");
    db.exec("update qv_zr_tst_cases set qv_zr_def_cat='UI glitch' where qv_zr_tst_case_id='B1'");
    db.exec("update qv_zr_tst_cases set qv_zr_def_cat='Crash' where qv_zr_tst_case_id='B2'");
}

struct LoadedWindow
{
    TestingClass con;
    frm_tst_log w{con};
    LoadedWindow() { w.Form_Load(); }
};

// Selectors and boxes, top to bottom.
QStringList shown(const frm_tst_log &w)
{
    return {w.cmb_prjid->text(),    w.cmb_tst_type->text(),      w.cmb_cmp->text(),
            w.cmb_cmp_type->text(), w.cmb_tst_id->text(),        w.txt_tst_case_desc->text(),
            w.txt_rslt_exp->text(), w.txt_rslt_act->text(),      w.cmb_pass->text(),
            w.cmb_severity->text(), w.cmb_cat->text()};
}

// How many of the two defect fields and their labels are hidden: 0 or 4.
int hiddenDefectFields(const frm_tst_log &w)
{
    return w.Label12->isHidden() + w.Label13->isHidden() + w.cmb_severity->isHidden() + w.cmb_cat->isHidden();
}

// Selects the row of the id and double-clicks it.
void doubleClick(frm_tst_log &w, const QString &id)
{
    w.LV_cases->selectRow(rowOf(w.LV_cases, {{3, id}}));
    w.LV_cases_DblClick();
}

} // namespace

class TestTestLog : public QObject
{
    Q_OBJECT
    std::optional<ServiceRecorders> rec;
    std::optional<TempDatabase> db;
    // Boxes a test expects are taken; any other box is an error a handler met.
    QStringList takeMessages()
    {
        const QStringList texts = rec->messages->texts();
        rec->messages->boxes.clear();
        return texts;
    }

private slots:
    void init()
    {
        rec.emplace();
        db.emplace();
    }
    void cleanup()
    {
        const QStringList unexpected = takeMessages();
        db.reset();
        rec.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(" / ")));
    }
    void opensOnItsStartUpCascade();
    void emptyDatabaseAndProjectWithoutCases();
    void doubleClickLoadsTheRow_data();
    void doubleClickLoadsTheRow();
    void failThenPassOnTheSameCase();
    void saveWithNoMatchingRowWritesNothingAndSaysSo();
    void staleDoubleClickNeverLeavesAnotherCaseSelected_data();
    void staleDoubleClickNeverLeavesAnotherCaseSelected();
    void filtersShowTheMatchingRowsAndSaveAndNextWalksThem();
    void listAfterASaveIsWhatARefillShows_data();
    void listAfterASaveIsWhatARefillShows();
    void storedDateIsADateAndReadsBackInAnyLocale();
    void saveOnAnEmptyListDoesNothingAndClosingRunsNoHandler();
    void listNumbersRowsPastSixteenBits();
    void buildIsKeptOfferedPerProjectAndRemembered();
};

void TestTestLog::opensOnItsStartUpCascade()
{
    addSampleData(*db);
    LoadedWindow lw;
    frm_tst_log *w = &lw.w;
    QCOMPARE(w->windowTitle(), QStringLiteral("Test Log"));
    QCOMPARE(shown(*w), (QStringList{"Alpha", "System", "Cart", "Logic", "S1", "cart desc", "cart exp", "", "Fail",
                                     "Critical", "Crash"}));
    QCOMPARE(w->txt_size->text(), QStringLiteral("12"));
    QCOMPARE(w->txt_desc->text(), QStringLiteral("Alpha desc"));
    QCOMPARE(w->cmb_cmp_type->entryCount(), 3); // Beta's "Backend" too
    QCOMPARE(hiddenDefectFields(*w), 0);
    QCOMPARE(w->dt_tst->date(), QDate::currentDate());
    // Alpha's System cases of every component; never logged: "Fail" and four blanks.
    QCOMPARE(w->LV_cases->rowCount(), 2);
    QCOMPARE(QSet<QString>({w->LV_cases->cell(0, 0), w->LV_cases->cell(1, 0)}), QSet<QString>({"1", "2"}));
    QCOMPARE(w->LV_cases->rowCells(rowOf(w->LV_cases, {{3, "S2"}})).mid(1),
             (QStringList{"Login", "UI", "S2", "login desc", "login exp", " ", "Fail", " ", " ", " "}));
    // A component pick chooses its type and leaves the ids as they were.
    pick(w->cmb_cmp, "Login");
    QCOMPARE(shown(*w).mid(2, 5), (QStringList{"Login", "UI", "S1", "cart desc", "cart exp"}));
    // A test type pick lists the ids of the component shown, and the cases.
    pick(w->cmb_tst_type, "Unit");
    QCOMPARE(shown(*w).mid(2, 5), (QStringList{"Login", "UI", "U1", "unit desc", "unit exp"}));
    QCOMPARE(w->LV_cases->rowCount(), 1);
    // A project pick refreshes everything below it.
    pick(w->cmb_prjid, "Beta");
    QCOMPARE(shown(*w).mid(0, 7), (QStringList{"Beta", "Unit", "Zeta", "Backend", "", "", ""}));
    QCOMPARE(w->txt_size->text(), QStringLiteral("7"));
    QCOMPARE(w->LV_cases->rowCount(), 0);
}

void TestTestLog::emptyDatabaseAndProjectWithoutCases()
{
    db->addProject("Gamma", "no cases");
    LoadedWindow empty;
    QCOMPARE(shown(empty.w), (QStringList{"", "", "", "", "", "", "", "", "Fail", "Critical", ""}));
    QCOMPARE(empty.w.LV_cases->rowCount(), 0);
    addSampleData(*db);
    LoadedWindow lw;
    QCOMPARE(lw.w.cmb_prjid->findText("Gamma"), -1);
    QCOMPARE(lw.w.cmb_prjid->entryCount(), 2);
}

void TestTestLog::doubleClickLoadsTheRow_data()
{
    QTest::addColumn<QString>("stored"); // S2's result columns, empty for never logged
    QTest::addColumn<QString>("passBefore");
    QTest::addColumn<QStringList>("actualPassSeverityCategory");
    QTest::addColumn<QDate>("date");
    // Null shows as one blank in the list but loads as empty text.
    QTest::newRow("never logged") << "" << "Pass" << QStringList{"", "Fail", "Minor", ""} << QDate(2020, 2, 2);
    QTest::newRow("passed") << "'Pass', 'works', '', '', '2024-03-09'"
                            << "Fail" << QStringList{"works", "Pass", "Minor", ""} << QDate(2024, 3, 9);
    QTest::newRow("failed major") << "'Fail', 'broke', 'Major', 'Crash', '2023-11-30'"
                                  << "Pass" << QStringList{"broke", "Fail", "Major", "Crash"} << QDate(2023, 11, 30);
    QTest::newRow("blank test type") << "" << "Pass" << QStringList{"", "Pass", "Minor", "Crash"} << QDate(2020, 2, 2);
}

void TestTestLog::doubleClickLoadsTheRow()
{
    QFETCH(QString, stored);
    QFETCH(QString, passBefore);
    QFETCH(QStringList, actualPassSeverityCategory);
    QFETCH(QDate, date);
    addSampleData(*db);
    if (!stored.isEmpty())
        db->exec("update qv_zr_tst_cases set (qv_zr_pass, qv_zr_rslt_act, qv_zr_def_severity, qv_zr_def_cat, "
                 "qv_zr_dt_tst) = (" + stored + ") where qv_zr_tst_case_id='S2'");
    LoadedWindow lw;
    frm_tst_log &w = lw.w;
    QVERIFY(showActive(&w));
    pick(w.cmb_pass, passBefore);
    pick(w.cmb_severity, "Minor");
    w.dt_tst->setDate(QDate(2020, 2, 2));
    const bool blankType = QString(QTest::currentDataTag()) == "blank test type";
    if (blankType)
        w.cmb_tst_type->setText("  ");
    // S2 is not among the ids of the component shown at start (Cart).
    doubleClick(w, "S2");
    const QStringList row = blankType ? QStringList{"Cart", "Logic", "S1", "cart desc", "cart exp"}
                                      : QStringList{"Login", "UI", "S2", "login desc", "login exp"};
    QCOMPARE(shown(w).mid(2), row + actualPassSeverityCategory);
    QCOMPARE(hiddenDefectFields(w), actualPassSeverityCategory.at(1) == "Pass" ? 4 : 0);
    QCOMPARE(w.dt_tst->date(), date);
    QCOMPARE(takeMessages(), blankType ? QStringList{"Test Type is blank"} : QStringList{});
    QCOMPARE(hasFocusIn(w.cmb_tst_type), blankType);
}

void TestTestLog::failThenPassOnTheSameCase()
{
    addSampleData(*db);
    const QString others = "select rowid, " + results + " where qv_zr_tst_case_id<>'S1'";
    const QStringList othersBefore = db->rows(others);
    {
        LoadedWindow lw;
        frm_tst_log &w = lw.w;
        w.txt_rslt_act->setText("  total off by one");
        pick(w.cmb_severity, "Major");
        w.cmb_cat->setText("Arithmetic");
        w.dt_tst->setDate(QDate(2025, 6, 1));
        w.cmd_save->click();
        QCOMPARE(db->rows("select " + results + " where qv_zr_tst_case_id='S1'"),
                 QStringList{"Fail|  total off by one|Major|Arithmetic|2025-06-01"});
        QCOMPARE(w.LV_cases->cell(rowOf(w.LV_cases, {{3, "S1"}}), 8), QStringLiteral("Major"));
        // A pass ignores whatever the hidden defect fields hold and stores empty text.
        pick(w.cmb_pass, "Pass");
        w.cmb_cat->setText(" ");
        w.cmb_severity->setCurrentIndex(-1);
        w.txt_rslt_act->setText("fixed");
        w.cmd_save->click();
        QCOMPARE(db->rows("select " + results + " where qv_zr_tst_case_id='S1'"),
                 QStringList{"Pass|fixed|||2025-06-01"});
        QCOMPARE(w.LV_cases->rowCells(rowOf(w.LV_cases, {{3, "S1"}})).mid(6, 4), (QStringList{"fixed", "Pass", "", ""}));
        QCOMPARE(shown(w).mid(7, 2), (QStringList{"fixed", "Pass"})); // the controls stay as left

        // Each save added one history row; the window lists them newest first.
        QCOMPARE(db->rows("select qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
                          "qv_zr_tst_case_id, qv_zr_pass, qv_zr_rslt_act, qv_zr_def_severity, qv_zr_def_cat, "
                          "qv_zr_dt_tst from qv_zr_tst_history order by rowid"),
                 (QStringList{"Alpha|System|Cart|Logic|S1|Fail|  total off by one|Major|Arithmetic|2025-06-01",
                              "Alpha|System|Cart|Logic|S1|Pass|fixed|||2025-06-01"}));
        const QDateTime savedAt = QDateTime::fromString(db->value("select max(qv_zr_saved_at) from qv_zr_tst_history")
                                                            .toString(), Qt::ISODate);
        QVERIFY(qAbs(savedAt.secsTo(QDateTime::currentDateTime())) < 600);
        QCOMPARE(w.LV_history->rowCount(), 2);
        QCOMPARE(w.LV_history->rowCells(0).mid(1, 5), (QStringList{" ", "Pass", "", "", "fixed"})); // no build
        QCOMPARE(w.LV_history->cell(1, 5), QStringLiteral("  total off by one"));
        QCOMPARE(w.LV_history->cell(0, 7), TempDatabase::loginName()); // saved by
    }
    QCOMPARE(db->count("qv_zr_tst_cases"), 5);
    QCOMPARE(db->rows(others), othersBefore);
    // The empty category of the pass is now offered, first.
    LoadedWindow reopened;
    QCOMPARE(reopened.w.cmb_cat->entry(0), QString());
    QCOMPARE(reopened.w.cmb_cat->text(), QString());
}

void TestTestLog::saveWithNoMatchingRowWritesNothingAndSaysSo()
{
    addSampleData(*db);
    LoadedWindow lw;
    QVERIFY(showActive(&lw.w));
    const QStringList before = db->rows("select * from qv_zr_tst_cases");
    lw.w.cmb_cmp->setText("Nowhere");
    lw.w.txt_rslt_act->setText("ran");
    lw.w.cmd_save->click();
    QCOMPARE(db->rows("select * from qv_zr_tst_cases"), before);
    QCOMPARE(lw.w.LV_cases->rowCount(), 2);
    const QStringList messages = takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains("nothing was saved"), qPrintable(messages.first()));
    QVERIFY(hasFocusIn(lw.w.cmb_cmp));
}

void TestTestLog::staleDoubleClickNeverLeavesAnotherCaseSelected_data()
{
    QTest::addColumn<QString>("deleted");
    QTest::newRow("id of another component") << "S2"; // the id list is read again for Login
    QTest::newRow("id in the list shown") << "S1";     // Cart's list still offers it
}

void TestTestLog::staleDoubleClickNeverLeavesAnotherCaseSelected()
{
    QFETCH(QString, deleted);
    addSampleData(*db);
    db->addCase("Alpha", "System", "Login", "UI", "S3", "other desc", "other exp");
    db->exec("update qv_zr_tst_cases set qv_zr_pass='Pass', qv_zr_rslt_act='kept' where qv_zr_tst_case_id='S3'");
    LoadedWindow lw;
    frm_tst_log &w = lw.w;
    QCOMPARE(w.LV_cases->rowCount(), 3);
    db->exec("delete from qv_zr_tst_cases where qv_zr_tst_case_id=?", {deleted}); // another program
    const QStringList before = db->rows("select * from qv_zr_tst_cases");
    doubleClick(w, deleted);
    const QStringList messages = takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(deleted + " is no longer stored"), qPrintable(messages.first()));
    QCOMPARE(w.cmb_tst_id->listIndex(), -1);
    QCOMPARE(w.cmb_tst_id->text(), QString());
    QCOMPARE(w.txt_tst_case_desc->text(), QString());
    QCOMPARE(w.txt_rslt_exp->text(), QString());
    QCOMPARE(w.LV_cases->rowCount(), 2);
    QCOMPARE(rowOf(w.LV_cases, {{3, deleted}}), -1);
    // Save can only name the case on screen: with no id it refuses, and no other row changes.
    w.txt_rslt_act->setText("ran");
    w.cmd_save->click();
    QCOMPARE(takeMessages(), QStringList{"Test Case Id is blank"});
    QCOMPARE(db->rows("select * from qv_zr_tst_cases"), before);
}

void TestTestLog::listAfterASaveIsWhatARefillShows_data()
{
    QTest::addColumn<QList<int>>("headerClicks");
    QTest::addColumn<QString>("otherWrite"); // made by another connection before the save
    QTest::newRow("unsorted") << QList<int>{} << "";
    QTest::newRow("sorted by pass/fail, the row moves") << QList<int>{7} << "";
    QTest::newRow("sorted by actual result") << QList<int>{6} << "";
    QTest::newRow("sorted by S No") << QList<int>{0} << "";
    // Ties of the second sort stand in the first sort's order until a refill.
    QTest::newRow("sorted by actual result, then by pass/fail") << QList<int>{6, 7} << "";
    QTest::newRow("another window added a case")
        << QList<int>{} << "insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
                 "qv_zr_tst_case_id, qv_zr_pass) values ('Alpha', 'System', 'Aaa', 'UI', 'S0', 'Fail')";
    QTest::newRow("another window logged another case")
        << QList<int>{6} << "update qv_zr_tst_cases set qv_zr_rslt_act='elsewhere', qv_zr_pass='Pass' where qv_zr_tst_case_id='S2'";
}

void TestTestLog::listAfterASaveIsWhatARefillShows()
{
    QFETCH(QList<int>, headerClicks);
    QFETCH(QString, otherWrite);
    addSampleData(*db);
    for (int i = 3; i <= 12; ++i)
        db->addCase("Alpha", "System", "Cart", "Logic", QStringLiteral("S%1").arg(i));
    // Logged before, in the reverse of the stored order.
    db->exec("update qv_zr_tst_cases set qv_zr_rslt_act = 'run ' || (100 - rowid) where qv_zr_prjid = 'Alpha'");
    LoadedWindow lw;
    frm_tst_log &w = lw.w;
    for (int column : headerClicks)
        w.LV_cases_ColumnClick(column);
    if (!otherWrite.isEmpty())
        db->exec(otherWrite);
    doubleClick(w, "S1");
    w.txt_rslt_act->setText("zz passed at last");
    pick(w.cmb_pass, "Pass");
    w.dt_tst->setDate(QDate(2026, 2, 3));
    w.cmd_save->click();
    const auto cells = [&w] {
        QList<QStringList> all;
        for (int r = 0; r < w.LV_cases->rowCount(); ++r)
            all << w.LV_cases->rowCells(r);
        return all;
    };
    const QList<QStringList> afterSave = cells();
    QCOMPARE(w.LV_cases->rowCells(rowOf(w.LV_cases, {{3, "S1"}})).mid(6, 4),
             (QStringList{"zz passed at last", "Pass", "", ""}));
    w.cmb_tst_type_LostFocus(); // a full refill from the file
    QCOMPARE(afterSave, cells());
    if (!otherWrite.isEmpty())
        QCOMPARE(afterSave.size(), otherWrite.startsWith("insert") ? 13 : 12);
}

void TestTestLog::storedDateIsADateAndReadsBackInAnyLocale()
{
    addSampleData(*db);
    {
        LoadedWindow lw;
        lw.w.txt_rslt_act->setText("ran");
        lw.w.cmd_save->click(); // picker untouched: today
        QCOMPARE(db->value("select qv_zr_dt_tst from qv_zr_tst_cases where qv_zr_tst_case_id='S1'").toString(),
                 QDate::currentDate().toString(Qt::ISODate));
        lw.w.dt_tst->setDate(QDate(2031, 1, 5));
        lw.w.cmd_save->click();
    }
    QCOMPARE(db->value("select count(*) from qv_zr_tst_cases where qv_zr_dt_tst > date('2030-12-31')").toInt(), 1);
    // A two-digit year in the short form must not turn 2031 into 1931.
    const QLocale original;
    for (const QLocale &locale : {QLocale(QLocale::German, QLocale::Germany), QLocale(QLocale::English)}) {
        QLocale::setDefault(locale);
        LoadedWindow lw;
        QCOMPARE(lw.w.LV_cases->cell(rowOf(lw.w.LV_cases, {{3, "S1"}}), 10),
                 locale.toString(QDate(2031, 1, 5), QLocale::ShortFormat));
        doubleClick(lw.w, "S1");
        QCOMPARE(lw.w.dt_tst->date(), QDate(2031, 1, 5));
    }
    QLocale::setDefault(original);
}

void TestTestLog::saveOnAnEmptyListDoesNothingAndClosingRunsNoHandler()
{
    addSampleData(*db);
    LoadedWindow lw;
    frm_tst_log &w = lw.w;
    QVERIFY(showActive(&w));
    const QStringList before = db->rows("select * from qv_zr_tst_cases");
    // A typed test type takes effect when the box is left; the ids wait for a pick.
    w.cmb_tst_type->setFocus();
    w.cmb_tst_type->lineEdit()->selectAll();
    QTest::keyClicks(w.cmb_tst_type->lineEdit(), "Nothing");
    w.txt_rslt_act->setFocus();
    QCOMPARE(w.LV_cases->rowCount(), 0);
    QCOMPARE(w.cmb_tst_id->text(), QStringLiteral("S1"));
    w.cmd_save->click(); // the blank actual result would fail a check if any ran
    QCOMPARE(db->rows("select * from qv_zr_tst_cases"), before);
    w.cmb_tst_type->setFocus();
    QVERIFY(hasFocusIn(w.cmb_tst_type)); // the window goes while its test type box has the focus
}

void TestTestLog::listNumbersRowsPastSixteenBits()
{
    db->exec("insert into qv_zr_tst_cases (qv_zr_prjid, qv_zr_tst_type, qv_zr_component, qv_zr_component_type, "
            "qv_zr_tst_case_id, qv_zr_pass) "
            "with recursive n(i) as (select 1 union all select i + 1 from n where i < 33000) "
            "select 'P', 'T', 'C', 'K', printf('%06d', i), 'Fail' from n");
    LoadedWindow lw;
    QSet<QString> numbers;
    for (int r = 0; r < lw.w.LV_cases->rowCount(); ++r)
        numbers.insert(lw.w.LV_cases->cell(r, 0));
    QCOMPARE(numbers.size(), 33000);
    QVERIFY(numbers.contains("1") && numbers.contains("33000"));
}

void TestTestLog::filtersShowTheMatchingRowsAndSaveAndNextWalksThem()
{
    addSampleData(*db);
    for (const char *id : {"S3", "S4", "S5"})
        db->addCase("Alpha", "System", "Cart", "Logic", id, QString("cart %1").arg(id));
    db->exec("update qv_zr_tst_cases set qv_zr_pass='Pass', qv_zr_rslt_act='ok', qv_zr_dt_tst='2025-01-02' "
             "where qv_zr_tst_case_id='S3'");
    LoadedWindow lw;
    frm_tst_log &w = lw.w;
    QVERIFY(showActive(&w));
    const auto shownIds = [&w] {
        QStringList ids;
        for (int r = w.LV_cases->shownRowAfter(-1); r >= 0; r = w.LV_cases->shownRowAfter(r))
            ids << w.LV_cases->cell(r, 0) + ":" + w.LV_cases->cell(r, 3);
        return ids;
    };
    const QStringList all = shownIds();
    QCOMPARE(all.size(), 5);

    // A text in any cell, case ignored; every row keeps its number.
    QTest::keyClick(&w, Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), w.LV_cases->filterBox(&w));
    QTest::keyClicks(QApplication::focusWidget(), "CART S");
    QCOMPARE(shownIds(), all.filter(QRegularExpression(":S[345]$")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(shownIds(), all);
    QTest::keyClicks(QApplication::focusWidget(), QLocale().toString(QDate(2025, 1, 2), QLocale::ShortFormat));
    QCOMPARE(shownIds(), all.filter(":S3")); // a date as the list shows it
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    pick(w.cmb_show, "Passed");
    QCOMPARE(shownIds(), all.filter(":S3"));
    pick(w.cmb_show, "Failed");
    QCOMPARE(shownIds(), QStringList());
    pick(w.cmb_show, "Not run");
    QCOMPARE(shownIds().size(), 4);

    // Save and next with "Not run" and a sort by id: each save goes to its own
    // case, the next case loads, and the saved one leaves the list.
    w.LV_cases_ColumnClick(3);
    w.LV_cases->selectRow(w.LV_cases->shownRowAfter(-1));
    w.LV_cases_DblClick();
    QStringList done;
    for (int i = 0; i < 4; ++i) {
        done << w.cmb_tst_id->text();
        w.txt_rslt_act->setText("ran " + w.cmb_tst_id->text());
        pick(w.cmb_pass, "Pass");
        QTest::keyClick(w.txt_rslt_act, Qt::Key_Return, Qt::ControlModifier);
    }
    QCOMPARE(done, (QStringList{"S1", "S2", "S4", "S5"}));
    QVERIFY(hasFocusIn(w.txt_rslt_act));
    QCOMPARE(shownIds(), QStringList());
    QVERIFY(w.lbl_status->text().contains("last"));
    QCOMPARE(db->rows("select qv_zr_tst_case_id || '=' || qv_zr_rslt_act from qv_zr_tst_cases where "
                      "qv_zr_rslt_act like 'ran%' order by 1"),
             (QStringList{"S1=ran S1", "S2=ran S2", "S4=ran S4", "S5=ran S5"}));
    QCOMPARE(db->count("qv_zr_tst_history"), 4);
}

void TestTestLog::buildIsKeptOfferedPerProjectAndRemembered()
{
    addSampleData(*db);
    db->exec("insert into qv_zr_tst_history (qv_zr_prjid, qv_zr_build) values ('Alpha', '1.0'), ('Alpha', '1.1'), "
             "('Beta', 'B-9'), ('Alpha', '1.0-hotfix')");
    const QString builds =
        "select ifnull(qv_zr_build, '-') from qv_zr_tst_history where qv_zr_tst_case_id is not null order by rowid";
    {
        LoadedWindow lw;
        frm_tst_log &w = lw.w;
        QVERIFY(showActive(&w));
        // Newest first, this project's only; the window opens on the newest.
        QCOMPARE(entries(w.cmb_build), (QStringList{"1.0-hotfix", "1.1", "1.0"}));
        QCOMPARE(w.cmb_build->text(), QStringLiteral("1.0-hotfix"));
        QWidget *afterDate = w.dt_tst->nextInFocusChain(); // Tab steps through the date's parts first
        while (w.dt_tst->isAncestorOf(afterDate))
            afterDate = afterDate->nextInFocusChain();
        QCOMPARE(afterDate, w.cmb_build);

        // Save, then save and next: each result takes the build, the box keeps it and offers it first.
        w.cmb_build->setText("2.0-rc1");
        w.txt_rslt_act->setText("ran");
        w.cmd_save->click();
        QCOMPARE(column(w.LV_history, 1), QStringList{"2.0-rc1"});
        QTest::keyClick(w.txt_rslt_act, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(w.cmb_build->text(), QStringLiteral("2.0-rc1"));
        QCOMPARE(entries(w.cmb_build), (QStringList{"2.0-rc1", "1.0-hotfix", "1.1", "1.0"}));
        w.cmb_build->setText("");
        w.txt_rslt_act->setText("ran");
        pick(w.cmb_pass, "Pass");
        w.cmd_save->click();
        QCOMPARE(db->rows(builds), (QStringList{"2.0-rc1", "2.0-rc1", "-"}));
        w.cmb_build->setText("2.0-rc1");
        pick(w.cmb_prjid, "Beta");
        QCOMPARE(w.cmb_build->text(), QStringLiteral("2.0-rc1"));
        QCOMPARE(entries(w.cmb_build), QStringList{"B-9"});
    }
    LoadedWindow reopened;
    QCOMPARE(reopened.w.cmb_build->text(), QStringLiteral("2.0-rc1"));
}

QTEST_MAIN(TestTestLog)
#include "tst_testlog.moc"

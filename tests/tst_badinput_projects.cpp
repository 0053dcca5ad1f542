// Odd texts in every field of the project window: each is refused with the
// window's message, cut to its limit, or stored and shown exactly as typed, here,
// in the test case window and in the test plan report.
#include "badinput.h"
#include "frm_projects.h"
#include "frm_tst_case.h"
#include "recorders.h"
#include "tempdatabase.h"
#include "windowtest.h"

namespace {

// How a field takes a text: set as a paste would, or typed key by key.
enum class Entry { Pasted, Typed };

struct Field
{
    FieldRule rule;
    Entry entry;
    const char *column;
    int listColumn;
};

const QList<Field> fields{
    {{"txt_prjid", 50, true, "Project Id is blank", {}}, Entry::Pasted, "qv_zr_prjid", 1},
    {{"txt_desc", 255, true, "Project Description is blank", {}}, Entry::Pasted, "qv_zr_prj_desc", 2},
    {{"cmb_prj_type", 50, false, "Project type is blank", "Project type can not have more than 50 characters"},
     Entry::Pasted, "qv_zr_prj_type", 3},
    {{"txt_size", 8, true, "Project size is blank", {}}, Entry::Typed, "qv_zr_prj_size", 4},
    {{"cmb_units", 50, false, "Project size Units is blank",
      "Project size Units can not have more than 50 characters is blank"},
     Entry::Pasted, "qv_zr_size_units", 5},
};

// What the size box keeps of typed keys: digits and the first point.
QString sizeKeys(const QString &typed)
{
    QString out;
    for (QChar c : typed)
        if ((c >= '0' && c <= '9') || (c == '.' && !out.contains('.')))
            out += c;
    return out;
}

} // namespace

class TestBadInputProjects : public QObject
{
    Q_OBJECT

private slots:
    void everyFieldTakesOrRefusesOddTexts_data();
    void everyFieldTakesOrRefusesOddTexts();
};

void TestBadInputProjects::everyFieldTakesOrRefusesOddTexts_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("text");
    for (int f = 0; f < fields.size(); ++f)
        for (const OddText &odd : oddTexts(fields[f].rule.limit, fields[f].entry == Entry::Typed ? "1234567890" : "abcdefghij"))
            QTest::addRow("%s: %s", fields[f].rule.control, odd.name) << f << odd.text;
}

void TestBadInputProjects::everyFieldTakesOrRefusesOddTexts()
{
    QFETCH(int, field);
    QFETCH(QString, text);
    const Field &f = fields[field];

    TempDatabase db;
    copyReportDefinitions(db.folder());
    ServiceRecorders services;
    TestingClass con;
    frm_projects w(con);
    w.Form_Load();
    w.resize(1200, 800);
    QVERIFY(showActive(&w));

    w.txt_prjid->setText("P1");
    w.txt_desc->setText("Desc");
    w.cmb_prj_type->setText("Web");
    w.txt_size->setText("10");
    w.cmb_units->setText("LOC");
    auto *control = w.findChild<QWidget *>(f.rule.control);
    QVERIFY(control);
    if (f.entry == Entry::Typed) {
        setTextOf(control, QString());
        // Key by key, as typed; a line break is the Enter key.
        for (uint c : text.toUcs4()) {
            const QString typed = QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
            if (c == '\n')
                QTest::keyClick(control, Qt::Key_Return);
            else if (c < 128)
                QTest::keyClicks(control, typed);
            else
                QTest::sendKeyEvent(QTest::Click, control, Qt::Key_unknown, typed, Qt::NoModifier);
        }
    } else {
        setTextOf(control, text);
    }
    QString entered = f.entry == Entry::Typed ? sizeKeys(text) : text;
    if (f.rule.boxCuts)
        entered = firstChars(entered, f.rule.limit);
    QCOMPARE(textOf(control), entered);

    std::optional<QString> saved;
    saveByRule(
        f.rule, control, entered, *services.messages, [&] { QTest::mouseClick(w.cmd_save, Qt::LeftButton); },
        [&] { return db.count("qv_zr_projects"); }, saved);
    if (QTest::currentTestFailed() || !saved)
        return;
    const QString stored = *saved;

    // Stored byte for byte, the other columns untouched by it.
    const QString sql = QStringLiteral("select %1 from qv_zr_projects").arg(f.column);
    QCOMPARE(db.rows(sql), QStringList{stored});
    QCOMPARE(db.count("qv_zr_projects"), 1);
    const QString id = db.value("select qv_zr_prjid from qv_zr_projects").toString();
    QCOMPARE(w.LV_prjs->rowCount(), 1);
    QCOMPARE(w.LV_prjs->cell(0, f.listColumn), stored);

    // Saved again under the same id: the row is found again, not doubled.
    w.txt_prjid->setText(id);
    w.txt_desc->setText(db.value("select qv_zr_prj_desc from qv_zr_projects").toString());
    w.txt_size->setText("11");
    QTest::mouseClick(w.cmd_save, Qt::LeftButton);
    QCOMPARE(services.messages->texts(), QStringList{});
    QCOMPARE(db.rows("select qv_zr_prj_size from qv_zr_projects"), QStringList{"11"});

    // The test case window lists the id and shows the project's description.
    db.addCase(id, "Functional", "Login", "UI", "T1");
    frm_tst_case cases(con);
    cases.Form_Load();
    QCOMPARE(cases.cmb_prjid->text(), id);
    QCOMPARE(cases.txt_desc->text(), db.value("select qv_zr_prj_desc from qv_zr_projects").toString());
    QCOMPARE(cases.LV_cases->rowCount(), 1);

    // The test plan names the project and shows the field.
    const auto reports = generateReport(con, id, "Test Plan");
    QVERIFY2(reports, "the report window does not list the project");
    const ReportLayout *layout = reports->RptView->reportLayout();
    QVERIFY(layout);
    QCOMPARE(reports->currentReport()->parameterValue(2), std::optional<QString>(id));
    QVERIFY(reportShows(*layout, QStringLiteral("Project Id: ") + id));
    QCOMPARE(layout->rowCells.size(), 1);
    QStringList intro;
    for (const auto &item : layout->intro)
        intro << item.second;
    const QStringList row = db.rows("select qv_zr_prjid, qv_zr_prj_desc, qv_zr_prj_type, qv_zr_prj_size || ' ' || "
                                    "qv_zr_size_units from qv_zr_projects")
                                .first()
                                .split('|');
    QCOMPARE(intro, row);
}

QTEST_MAIN(TestBadInputProjects)
#include "tst_badinput_projects.moc"

// The project window as a user drives it: its lists, its saves, the size box.
#include "frm_projects.h"
#include "windowtest.h"

namespace {

struct Fixture : WindowOn<frm_projects>
{
    void fill(const QString &id, const QString &desc, const QString &type, const QString &size, const QString &units)
    {
        w->txt_prjid->setText(id);
        w->txt_desc->setText(desc);
        w->cmb_prj_type->setText(type);
        w->txt_size->setText(size);
        w->cmb_units->setText(units);
    }
    void save() { press(w->cmd_save); }
    QStringList stored() const
    {
        return db.rows("select qv_zr_prjid, qv_zr_prj_desc, qv_zr_prj_type, qv_zr_prj_size, qv_zr_size_units, "
                       "qv_zr_closed from qv_zr_projects order by rowid");
    }
};

} // namespace

class TestProjects : public QObject
{
    Q_OBJECT

private slots:
    void listsShowWhatIsStored();
    void rowsAreNumberedPastSixteenBits();
    void newIdAddsAndExistingIdUpdates();
    void sizeBoxTakesOnlyDigitsAndOnePoint_data();
    void sizeBoxTakesOnlyDigitsAndOnePoint();
    void doubleClickAndHeaderClick();
};

void TestProjects::listsShowWhatIsStored()
{
    Fixture f;
    f.load();
    QVERIFY(f.w->cmb_prj_type->entryCount() == 0 && f.w->cmb_prj_type->text().isEmpty());
    QCOMPARE(entries(f.w->cmb_units), (QStringList{"Function Points", "LOC", "Object Points", "Software Size Units",
                                                   "Test Points", "Une Case Points"}));
    QCOMPARE(f.w->cmb_units->text(), QStringLiteral("Function Points"));
    QCOMPARE(f.w->LV_prjs->rowCount(), 0);
    f.db.addProject("P1", "first", "Web", "12.5", "LOC");
    f.db.addProject("P2", "second", "Desktop", "3", "KLOC");
    f.db.exec("insert into qv_zr_projects (qv_zr_prjid) values ('P3')"); // written by another tool
    f.load();
    QCOMPARE(entries(f.w->cmb_prj_type), (QStringList{"Desktop", "Web"}));
    QCOMPARE(f.w->cmb_prj_type->text(), QStringLiteral("Desktop"));
    // A stored unit equal to a fixed one is listed twice.
    QCOMPARE(entries(f.w->cmb_units), (QStringList{"Function Points", "KLOC", "LOC", "LOC", "Object Points",
                                                   "Software Size Units", "Test Points", "Une Case Points"}));
    QCOMPARE(f.w->LV_prjs->rowCells(0), (QStringList{"1", "P1", "first", "Web", "12.5", "LOC"}));
    QCOMPARE(f.w->LV_prjs->rowCells(2), (QStringList{"3", "P3", " ", " ", " ", " "}));
}

void TestProjects::rowsAreNumberedPastSixteenBits()
{
    Fixture f;
    f.db.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < 33000) "
              "insert into qv_zr_projects select 'P' || i, 'd', 'Web', '1', 'LOC', 'NO' from n");
    f.load(false);
    QCOMPARE(f.w->LV_prjs->rowCount(), 33000);
    QCOMPARE(f.w->LV_prjs->rowCells(32999).mid(0, 2), (QStringList{"33000", "P33000"}));
}

void TestProjects::newIdAddsAndExistingIdUpdates()
{
    Fixture f;
    f.db.addProject("Alpha", "old", "Web", "10", "LOC");
    f.db.exec("update qv_zr_projects set qv_zr_closed = 'YES'");
    f.db.addProject("Beta", "other", "Web", "5", "LOC");
    f.load();
    f.fill("Alpha", "new text", "Desktop", "2.5", "KLOC");
    f.save();
    QCOMPARE(f.stored(), (QStringList{"Alpha|new text|Desktop|2.5|KLOC|NO", "Beta|other|Web|5|LOC|NO"}));
    QCOMPARE(f.w->LV_prjs->rowCells(0), (QStringList{"1", "Alpha", "new text", "Desktop", "2.5", "KLOC"}));
    // Refilled, the editors emptied and each box on its first entry.
    QCOMPARE(f.w->cmb_prj_type->text(), QStringLiteral("Desktop"));
    QCOMPARE(f.w->cmb_units->text(), QStringLiteral("Function Points"));
    QVERIFY(f.w->txt_prjid->text().isEmpty() && f.w->txt_size->text().isEmpty() && f.w->txt_desc->text().isEmpty());
    // A changed id is a new project, listed with the next number; a lone point is a size.
    f.fill("Alpha 2", "copy", "Web", ".", "LOC");
    f.save();
    QCOMPARE(f.db.count("qv_zr_projects"), 3);
    QCOMPARE(f.w->LV_prjs->rowCells(2), (QStringList{"3", "Alpha 2", "copy", "Web", ".", "LOC"}));
    QVERIFY(f.services.messages->boxes.isEmpty());
}

void TestProjects::sizeBoxTakesOnlyDigitsAndOnePoint_data()
{
    QTest::addColumn<QString>("keys"); // '<' stands for backspace
    QTest::addColumn<QString>("expected");
    QTest::newRow("second point refused") << "1.2.3" << "1.23";
    QTest::newRow("letters, signs and blanks refused") << "a-1b2+e3 " << "123";
    QTest::newRow("backspace works") << "12<3" << "13";
    QTest::newRow("point again once backspaced") << "1.<.5" << "1.5";
    QTest::newRow("eight characters at most") << "1234567890" << "12345678";
}

void TestProjects::sizeBoxTakesOnlyDigitsAndOnePoint()
{
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    Fixture f;
    f.load();
    f.w->txt_size->setFocus();
    for (const QChar c : keys) {
        if (c == '<')
            QTest::keyClick(f.w->txt_size, Qt::Key_Backspace);
        else
            QTest::keyClick(f.w->txt_size, c.toLatin1());
    }
    QTest::keyClick(f.w->txt_size, Qt::Key_V, Qt::ControlModifier); // no paste past the filter
    QCOMPARE(f.w->txt_size->text(), expected);
}

void TestProjects::doubleClickAndHeaderClick()
{
    Fixture f;
    f.db.addProject("Zeta", "last", "Web", "100", "KLOC");
    f.db.addProject("Alpha", "first", "Desktop", "20", "LOC");
    f.db.exec("insert into qv_zr_projects values ('Mu', NULL, 'Web', '9', 'LOC', 'NO')");
    f.load();
    RecordList *list = f.w->LV_prjs;
    clickHeader(list, 4); // "Size" sorts as text
    QCOMPARE(column(list, 4), (QStringList{"100", "20", "9"}));
    clickHeader(list, 1);
    clickHeader(list, 1); // a second click stays ascending
    QCOMPARE(column(list, 1), (QStringList{"Alpha", "Mu", "Zeta"}));
    doubleClickRow(list, 0);
    QCOMPARE((QStringList{f.w->txt_prjid->text(), f.w->txt_desc->text(), f.w->cmb_prj_type->text(),
                          f.w->txt_size->text(), f.w->cmb_units->text()}),
             (QStringList{"Alpha", "first", "Desktop", "20", "LOC"}));
    // Entering a box selects its text, so that typing replaces it.
    for (TextBox *box : {f.w->txt_prjid, f.w->txt_size}) {
        box->setFocus();
        QCOMPARE(box->selectedText(), box->text());
    }
    f.w->txt_desc->setText("changed");
    f.save();
    QCOMPARE(f.stored().mid(0, 2), (QStringList{"Zeta|last|Web|100|KLOC|NO", "Alpha|changed|Desktop|20|LOC|NO"}));
    QCOMPARE(column(list, 1), (QStringList{"Alpha", "Mu", "Zeta"})); // the sort outlasts the refill
    // A Null description comes in as one blank, which the save then refuses.
    doubleClickRow(list, 1);
    QCOMPARE(f.w->txt_desc->text(), QStringLiteral(" "));
    f.save();
    QCOMPARE(f.messages(), QStringList{"Project Description is blank"});
    // No row selected: the editors stay as they are.
    list->selectRow(-1);
    f.w->LV_prjs_DblClick();
    QCOMPARE(f.w->txt_prjid->text(), QStringLiteral("Mu"));
}

QTEST_MAIN(TestProjects)
#include "tst_projects.moc"

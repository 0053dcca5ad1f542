// The project window as a user drives it: its lists, its checks, its saves.
#include "frm_projects.h"
#include "recorders.h"
#include "tempdatabase.h"
#include "windowtest.h"

#include <QHeaderView>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

// A loaded window on a database of its own, shown and active so focus moves as for a user.
struct Fixture
{
    TempDatabase db;
    ServiceRecorders services;
    TestingClass con;
    std::unique_ptr<frm_projects> w;

    void load()
    {
        w = std::make_unique<frm_projects>(con);
        w->Form_Load();
        w->resize(1200, 800); // as maximized: every column in view
        QVERIFY(showActive(w.get()));
    }
    void fill(const QString &id, const QString &desc, const QString &type, const QString &size, const QString &units)
    {
        w->txt_prjid->setText(id);
        w->txt_desc->setText(desc);
        w->cmb_prj_type->setText(type);
        w->txt_size->setText(size);
        w->cmb_units->setText(units);
    }
    void save() { QTest::mouseClick(w->cmd_save, Qt::LeftButton); }
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
    void saveChecksFieldsInOrder_data();
    void saveChecksFieldsInOrder();
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
    f.load();
    QCOMPARE(f.w->LV_prjs->rowCount(), 33000);
    QCOMPARE(f.w->LV_prjs->rowCells(32999).mid(0, 2), (QStringList{"33000", "P33000"}));
}

void TestProjects::saveChecksFieldsInOrder_data()
{
    QTest::addColumn<QStringList>("fields"); // id, description, type, size, units
    QTest::addColumn<QString>("message");    // empty: saved
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("textAfter"); // of the control at fault

    const QString t50(50, 'T');
    const QString u50(50, 'U');
    QTest::newRow("all empty") << QStringList{"", "", "", "", ""} << "Project Id is blank" << "txt_prjid" << "";
    QTest::newRow("id of blanks") << QStringList{"   ", "d", "Web", "1", "LOC"} << "Project Id is blank"
                                  << "txt_prjid" << "   ";
    QTest::newRow("description of blanks") << QStringList{"P", " \n ", "Web", "1", "LOC"}
                                           << "Project Description is blank" << "txt_desc" << " \n ";
    QTest::newRow("type blank, size too") << QStringList{"P", "d", "  ", "", "LOC"} << "Project type is blank"
                                          << "cmb_prj_type" << "  ";
    QTest::newRow("type of 51, cut") << QStringList{"P", "d", t50 + "x", "1", "LOC"}
                                     << "Project type can not have more than 50 characters" << "cmb_prj_type" << t50;
    QTest::newRow("units blank") << QStringList{"P", "d", "Web", "1", ""} << "Project size Units is blank"
                                 << "cmb_units" << "";
    QTest::newRow("units of 50 and a blank, cut")
        << QStringList{"P", "d", "Web", "1", u50 + " "}
        << "Project size Units can not have more than 50 characters is blank" << "cmb_units" << u50;
    QTest::newRow("size blank") << QStringList{"P", "d", "Web", " ", "LOC"} << "Project size is blank" << "txt_size"
                                << " ";
    QTest::newRow("all at their limits") << QStringList{QString(50, 'I'), QString(255, 'D'), t50, "12345.78", u50}
                                         << "" << "" << "";
    QTest::newRow("a lone point is a size") << QStringList{"P", "d", "Web", ".", "LOC"} << "" << "" << "";
    // Typed texts reach the file as they are, and the id finds its row again.
    for (const QString &text : {QStringLiteral("O'Brien's"), QStringLiteral("x'; delete from qv_zr_projects; --"),
                                QStringLiteral("say \"hi\" \\ 50%_done"), QString::fromUtf8("Проект 試験 😀")})
        QTest::newRow(qPrintable("kept exactly: " + text)) << QStringList{text, text, text, "1", text} << "" << ""
                                                           << "";
}

void TestProjects::saveChecksFieldsInOrder()
{
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    QFETCH(QString, focus);
    QFETCH(QString, textAfter);

    Fixture f;
    f.load();
    f.fill(fields[0], fields[1], fields[2], fields[3], fields[4]);
    f.save();
    if (message.isEmpty()) {
        QVERIFY(f.services.messages->boxes.isEmpty());
        QCOMPARE(f.stored(), QStringList{(QStringList(fields) << "NO").join('|')});
        QVERIFY(entries(f.w->cmb_prj_type).contains(fields[2]) && entries(f.w->cmb_units).contains(fields[4]));
        QCOMPARE(f.w->LV_prjs->cell(0, 1), fields[0]);
        f.fill(fields[0], "again", fields[2], "2", fields[4]);
        f.save();
        QCOMPARE(f.db.rows("select qv_zr_prj_desc from qv_zr_projects"), QStringList{"again"});
        return;
    }
    QCOMPARE(f.services.messages->texts(), QStringList{message});
    QCOMPARE(f.services.messages->boxes.first().caption, QStringLiteral("Verolan"));
    QWidget *field = f.w->findChild<QWidget *>(focus);
    QVERIFY2(hasFocusIn(field), qPrintable(QApplication::focusWidget()->objectName()));
    const char *text = field->inherits("QComboBox") ? "currentText" : field->inherits("QLineEdit") ? "text" : "plainText";
    QCOMPARE(field->property(text).toString(), textAfter);
    QCOMPARE(f.db.count("qv_zr_projects"), 0);

    // A text cut to its limit is saved by the next press.
    if (textAfter.size() == 50) {
        f.save();
        QCOMPARE(f.services.messages->boxes.size(), 1);
        QCOMPARE(f.db.count("qv_zr_projects"), 1);
    }
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

    // A changed id is a new project, listed with the next number.
    f.fill("Alpha 2", "copy", "Web", "1", "LOC");
    f.save();
    QCOMPARE(f.db.count("qv_zr_projects"), 3);
    QCOMPARE(f.w->LV_prjs->rowCells(2), (QStringList{"3", "Alpha 2", "copy", "Web", "1", "LOC"}));
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
    auto clickHeader = [&](int section) {
        QHeaderView *header = list->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, 5));
    };
    auto doubleClickRow = [&](int row) {
        const QPoint at = list->visualRect(list->model()->index(row, 2)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    };

    clickHeader(4); // "Size" sorts as text
    QCOMPARE(column(list, 4), (QStringList{"100", "20", "9"}));
    clickHeader(1);
    clickHeader(1); // a second click stays ascending
    QCOMPARE(column(list, 1), (QStringList{"Alpha", "Mu", "Zeta"}));

    doubleClickRow(0);
    QCOMPARE((QStringList{f.w->txt_prjid->text(), f.w->txt_desc->text(), f.w->cmb_prj_type->text(),
                          f.w->txt_size->text(), f.w->cmb_units->text()}),
             (QStringList{"Alpha", "first", "Desktop", "20", "LOC"}));
    f.w->txt_desc->setText("changed");
    f.save();
    QCOMPARE(f.stored().mid(0, 2), (QStringList{"Zeta|last|Web|100|KLOC|NO", "Alpha|changed|Desktop|20|LOC|NO"}));
    QCOMPARE(column(list, 1), (QStringList{"Alpha", "Mu", "Zeta"})); // the sort outlasts the refill

    // A Null description comes in as one blank, which the save then refuses.
    doubleClickRow(1);
    QCOMPARE(f.w->txt_desc->text(), QStringLiteral(" "));
    f.save();
    QCOMPARE(f.services.messages->texts(), QStringList{"Project Description is blank"});

    // No row selected: the editors stay as they are.
    list->selectRow(-1);
    f.w->LV_prjs_DblClick();
    QCOMPARE(f.w->txt_prjid->text(), QStringLiteral("Mu"));
}

QTEST_MAIN(TestProjects)
#include "tst_projects.moc"

// The project window as a user drives it: its lists, its checks, its saves.
#include "frm_projects.h"
#include "mdi_main.h"
#include "windows.h"
#include "recorders.h"
#include "tempdatabase.h"
#include "windowtest.h"

#include <QAction>
#include <QClipboard>
#include <QHeaderView>
#include <QPushButton>
#include <QtTest>
#include <memory>

namespace {

const QStringList kFixedUnitsSorted{"Function Points", "LOC", "Object Points", "Software Size Units", "Test Points",
                                    "Une Case Points"};

QStringList entries(const DropDown *box)
{
    QStringList out;
    for (int i = 0; i < box->entryCount(); ++i)
        out << box->entry(i);
    return out;
}

QStringList column(const RecordList *list, int c)
{
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r)
        out << list->cell(r, c);
    return out;
}

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
        w->resize(1200, 800); // as on a maximized window: every column in view
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

    QStringList projects() const
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
    void emptyTableOffersTheFixedUnitsOnly();
    void listsShowWhatIsStored();
    void storedUnitEqualToAFixedOneIsListedTwice();
    void rowsAreNumberedPastSixteenBits();

    void saveChecksFieldsInOrder_data();
    void saveChecksFieldsInOrder();
    void overlongTextIsCutAndSavedOnTheNextPress_data();
    void overlongTextIsCutAndSavedOnTheNextPress();

    void newIdAddsAndExistingIdUpdates();
    void onlyTheFirstRowOfADuplicatedIdChanges();
    void savedTextsAreKeptExactly_data();
    void savedTextsAreKeptExactly();

    void sizeBoxTakesOnlyDigitsAndOnePoint_data();
    void sizeBoxTakesOnlyDigitsAndOnePoint();
    void sizeBoxRefusesPaste();

    void doubleClickCopiesTheRowIntoTheEditors();
    void doubleClickOnAnEmptyListDoesNothing();
    void doubleClickedNullDescriptionIsBlank();
    void headerClickSortsByText();

    void menuEntryOpensTheWindowMaximized();
};

void TestProjects::emptyTableOffersTheFixedUnitsOnly()
{
    Fixture f;
    f.load();
    QCOMPARE(f.w->windowTitle(), QStringLiteral("Define Projects"));
    QCOMPARE(f.w->cmb_prj_type->entryCount(), 0);
    QCOMPARE(f.w->cmb_prj_type->text(), QString());
    QCOMPARE(entries(f.w->cmb_units), kFixedUnitsSorted);
    QCOMPARE(f.w->cmb_units->text(), QStringLiteral("Function Points"));
    QCOMPARE(f.w->LV_prjs->rowCount(), 0);
    QVERIFY(f.w->txt_prjid->text().isEmpty());
    QVERIFY(f.w->txt_size->text().isEmpty());
    QVERIFY(f.w->txt_desc->text().isEmpty());
}

void TestProjects::listsShowWhatIsStored()
{
    Fixture f;
    f.db.addProject("P1", "first", "Web", "12.5", "KLOC");
    f.db.addProject("P2", "second", "Desktop", "3", "Test Points");
    f.db.addProject("P3", "third", "Web", "7", "KLOC");
    f.db.exec("insert into qv_zr_projects (qv_zr_prjid) values ('P4')"); // written by another tool
    f.load();

    QCOMPARE(entries(f.w->cmb_prj_type), (QStringList{"Desktop", "Web"}));
    QCOMPARE(f.w->cmb_prj_type->text(), QStringLiteral("Desktop"));
    QStringList units = kFixedUnitsSorted;
    units.insert(1, "KLOC");
    units.insert(6, "Test Points");
    QCOMPARE(entries(f.w->cmb_units), units);

    QCOMPARE(f.w->LV_prjs->rowCount(), 4);
    QCOMPARE(f.w->LV_prjs->rowCells(0), (QStringList{"1", "P1", "first", "Web", "12.5", "KLOC"}));
    QCOMPARE(f.w->LV_prjs->rowCells(1), (QStringList{"2", "P2", "second", "Desktop", "3", "Test Points"}));
    QCOMPARE(f.w->LV_prjs->rowCells(3), (QStringList{"4", "P4", " ", " ", " ", " "}));
}

void TestProjects::storedUnitEqualToAFixedOneIsListedTwice()
{
    Fixture f;
    f.db.addProject("P1", "d", "Web", "1", "LOC");
    f.load();
    QCOMPARE(f.w->cmb_units->entryCount(), 7);
    QCOMPARE(entries(f.w->cmb_units).count("LOC"), 2);
    QCOMPARE(f.w->cmb_units->text(), QStringLiteral("Function Points"));
}

void TestProjects::rowsAreNumberedPastSixteenBits()
{
    Fixture f;
    const int total = 33000;
    f.db.exec("with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
              "insert into qv_zr_projects select 'P' || i, 'd', 'Web', '1', 'LOC', 'NO' from n",
              {total});
    f.load();
    QCOMPARE(f.w->LV_prjs->rowCount(), total);
    QCOMPARE(f.w->LV_prjs->cell(32766, 0), QStringLiteral("32767"));
    QCOMPARE(f.w->LV_prjs->cell(total - 1, 0), QString::number(total));
    QCOMPARE(f.w->LV_prjs->cell(total - 1, 1), QStringLiteral("P%1").arg(total));
}

void TestProjects::saveChecksFieldsInOrder_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("desc");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("focus");

    const QString t50(50, 'T');
    const QString u50(50, 'U');
    QTest::newRow("all empty") << "" << "" << "" << "" << "" << "Project Id is blank" << "txt_prjid";
    QTest::newRow("id of blanks") << "   " << "d" << "Web" << "1" << "LOC" << "Project Id is blank" << "txt_prjid";
    QTest::newRow("description of blanks")
        << "P" << "  \n  " << "Web" << "1" << "LOC" << "Project Description is blank" << "txt_desc";
    QTest::newRow("type empty") << "P" << "d" << "" << "1" << "LOC" << "Project type is blank" << "cmb_prj_type";
    QTest::newRow("type of blanks, size empty too")
        << "P" << "d" << "  " << "" << "" << "Project type is blank" << "cmb_prj_type";
    QTest::newRow("type of 51") << "P" << "d" << t50 + "x" << "1" << "LOC"
                                << "Project type can not have more than 50 characters" << "cmb_prj_type";
    QTest::newRow("type of 50 and blanks, over the limit untrimmed")
        << "P" << "d" << t50 + " " << "1" << "LOC" << "Project type can not have more than 50 characters"
        << "cmb_prj_type";
    QTest::newRow("units empty") << "P" << "d" << "Web" << "1" << "" << "Project size Units is blank" << "cmb_units";
    QTest::newRow("units of 51") << "P" << "d" << "Web" << "1" << u50 + "x"
                                 << "Project size Units can not have more than 50 characters is blank" << "cmb_units";
    QTest::newRow("size empty") << "P" << "d" << "Web" << "" << "LOC" << "Project size is blank" << "txt_size";
    QTest::newRow("size of blanks") << "P" << "d" << "Web" << "  " << "LOC" << "Project size is blank" << "txt_size";
    QTest::newRow("all at their limits") << QString(50, 'I') << QString(255, 'D') << t50 << "12345.78" << u50 << ""
                                         << "";
    QTest::newRow("a lone point is a size") << "P" << "d" << "Web" << "." << "LOC" << "" << "";
}

void TestProjects::saveChecksFieldsInOrder()
{
    QFETCH(QString, id);
    QFETCH(QString, desc);
    QFETCH(QString, type);
    QFETCH(QString, size);
    QFETCH(QString, units);
    QFETCH(QString, message);
    QFETCH(QString, focus);

    Fixture f;
    f.load();
    f.fill(id, desc, type, size, units);
    f.w->cmd_save->setFocus();
    f.save();

    if (message.isEmpty()) {
        QVERIFY(f.services.messages->boxes.isEmpty());
        const QString row = QStringList{id, desc, type, size, units, "NO"}.join('|');
        QCOMPARE(f.projects(), QStringList{row});
        return;
    }
    QCOMPARE(f.services.messages->texts(), QStringList{message});
    QCOMPARE(f.services.messages->boxes.first().caption, QStringLiteral("Verolan"));
    QWidget *field = f.w->findChild<QWidget *>(focus);
    QVERIFY(field);
    QVERIFY2(hasFocusIn(field), qPrintable(QApplication::focusWidget()->objectName()));
    QCOMPARE(f.db.count("qv_zr_projects"), 0);
    // Nothing is cleared: the user corrects the field and presses Save again.
    QCOMPARE(f.w->txt_prjid->text(), id);
    QCOMPARE(f.w->txt_desc->text(), desc);
    QCOMPARE(f.w->txt_size->text(), size);
}

void TestProjects::overlongTextIsCutAndSavedOnTheNextPress_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("control");
    QTest::newRow("type") << QString(50, 'T') + "xyz" << "LOC" << "cmb_prj_type";
    QTest::newRow("units") << "Web" << QString(50, 'U') + "xyz" << "cmb_units";
}

void TestProjects::overlongTextIsCutAndSavedOnTheNextPress()
{
    QFETCH(QString, type);
    QFETCH(QString, units);
    QFETCH(QString, control);

    Fixture f;
    f.load();
    auto *box = f.w->findChild<DropDown *>(control);
    QString textWhileShown;
    f.services.messages->onBox = [&](const RecordingMessages::Box &) { textWhileShown = box->text(); };
    f.fill("P", "d", type, "1", units);
    f.save();
    QCOMPARE(f.services.messages->boxes.size(), 1);
    QCOMPARE(textWhileShown.size(), 53); // cut only once the box is closed
    QCOMPARE(box->text(), QString(50, control == "cmb_units" ? 'U' : 'T'));
    QCOMPARE(f.db.count("qv_zr_projects"), 0);

    f.save();
    QCOMPARE(f.services.messages->boxes.size(), 1);
    QCOMPARE(f.db.value(QStringLiteral("select length(%1) from qv_zr_projects")
                            .arg(control == "cmb_units" ? "qv_zr_size_units" : "qv_zr_prj_type"))
                 .toInt(),
             50);
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
    QVERIFY(f.services.messages->boxes.isEmpty());
    QCOMPARE(f.projects(), (QStringList{"Alpha|new text|Desktop|2.5|KLOC|NO", "Beta|other|Web|5|LOC|NO"}));
    QCOMPARE(f.w->LV_prjs->rowCells(0), (QStringList{"1", "Alpha", "new text", "Desktop", "2.5", "KLOC"}));
    // Refilled, with the editors emptied and each box on its first entry.
    QCOMPARE(entries(f.w->cmb_prj_type), (QStringList{"Desktop", "Web"}));
    QCOMPARE(f.w->cmb_prj_type->text(), QStringLiteral("Desktop"));
    QCOMPARE(f.w->cmb_units->text(), QStringLiteral("Function Points"));
    QVERIFY(entries(f.w->cmb_units).contains("KLOC"));
    QVERIFY(f.w->txt_prjid->text().isEmpty());
    QVERIFY(f.w->txt_size->text().isEmpty());
    QVERIFY(f.w->txt_desc->text().isEmpty());

    // A changed id is a new project; the old one stays as it was.
    f.fill("Alpha 2", "copy", "Web", "1", "LOC");
    f.save();
    QCOMPARE(f.projects(), (QStringList{"Alpha|new text|Desktop|2.5|KLOC|NO", "Beta|other|Web|5|LOC|NO",
                                        "Alpha 2|copy|Web|1|LOC|NO"}));
    QCOMPARE(f.w->LV_prjs->rowCount(), 3);
    QCOMPARE(f.w->LV_prjs->rowCells(2), (QStringList{"3", "Alpha 2", "copy", "Web", "1", "LOC"}));

    // Ids are stored untrimmed: blanks around an id make it another project.
    f.fill(" Beta", "spaced", "Web", "1", "LOC");
    f.save();
    QCOMPARE(f.db.count("qv_zr_projects"), 4);
    QCOMPARE(f.db.value("select qv_zr_prj_desc from qv_zr_projects where qv_zr_prjid = 'Beta'").toString(),
             QStringLiteral("other"));
}

void TestProjects::onlyTheFirstRowOfADuplicatedIdChanges()
{
    Fixture f;
    f.db.addProject("Dup", "first");
    f.db.addProject("Dup", "second");
    f.load();
    f.fill("Dup", "changed", "Web", "1", "LOC");
    f.save();
    QCOMPARE(f.db.rows("select qv_zr_prj_desc from qv_zr_projects order by rowid"),
             (QStringList{"changed", "second"}));
}

void TestProjects::savedTextsAreKeptExactly_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("apostrophe") << "O'Brien's";
    QTest::newRow("sql in a quote") << "x'; delete from qv_zr_projects; --";
    QTest::newRow("double quote and backslash") << "say \"hi\" \\ there";
    QTest::newRow("percent and underscore") << "50%_done";
    QTest::newRow("non-latin and emoji") << QString::fromUtf8("Проект 試験 😀");
}

void TestProjects::savedTextsAreKeptExactly()
{
    QFETCH(QString, text);
    Fixture f;
    f.db.addProject("50x_done", "decoy");
    f.load();

    f.fill(text, text, text, "1", text);
    f.save();
    f.fill(text, text + " again", text, "2", text);
    f.save();

    QVERIFY(f.services.messages->boxes.isEmpty());
    QCOMPARE(f.db.count("qv_zr_projects"), 2);
    const QString row = QStringList{text, text + " again", text, text}.join('|');
    QCOMPARE(f.db.rows("select qv_zr_prjid, qv_zr_prj_desc, qv_zr_prj_type, qv_zr_size_units from qv_zr_projects "
                       "where qv_zr_prjid = ?",
                       {text}),
             QStringList{row});
    QCOMPARE(f.db.value("select qv_zr_prj_desc from qv_zr_projects where qv_zr_prjid = '50x_done'").toString(),
             QStringLiteral("decoy"));
    QVERIFY(entries(f.w->cmb_prj_type).contains(text));
    QVERIFY(entries(f.w->cmb_units).contains(text));
    QVERIFY(column(f.w->LV_prjs, 1).contains(text));
}

void TestProjects::sizeBoxTakesOnlyDigitsAndOnePoint_data()
{
    QTest::addColumn<QString>("keys"); // '<' stands for backspace
    QTest::addColumn<QString>("expected");
    QTest::newRow("second point refused") << "1.2.3" << "1.23";
    QTest::newRow("letters and minus refused") << "a-1b2+e3 " << "123";
    QTest::newRow("backspace works") << "12<3" << "13";
    QTest::newRow("point again after backspacing it") << "1.<.5" << "1.5";
    QTest::newRow("leading point") << ".5." << ".5";
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
    QCOMPARE(f.w->txt_size->text(), expected);

    // A point is refused while the text holds one, even when that one is selected.
    if (expected.contains('.')) {
        f.w->txt_size->selectAll();
        QTest::keyClick(f.w->txt_size, '.');
        QCOMPARE(f.w->txt_size->text(), expected);
    }
}

void TestProjects::sizeBoxRefusesPaste()
{
    Fixture f;
    f.load();
    QGuiApplication::clipboard()->setText("x-9");
    f.w->txt_size->setFocus();
    QTest::keyClicks(f.w->txt_size, "12");
    QTest::keyClick(f.w->txt_size, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(f.w->txt_size, Qt::Key_Return);
    QCOMPARE(f.w->txt_size->text(), QStringLiteral("12"));
}

void TestProjects::doubleClickCopiesTheRowIntoTheEditors()
{
    Fixture f;
    f.db.addProject("Zeta", "last", "Web", "100", "KLOC");
    f.db.addProject("Alpha", "first", "Desktop", "20", "LOC");
    f.load();
    // Sorted by id, so the first row shown is the second one stored.
    f.w->LV_prjs_ColumnClick(1);
    auto *view = f.w->LV_prjs;
    const QRect cell = view->visualRect(view->model()->index(0, 2));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());

    QCOMPARE(f.w->txt_prjid->text(), QStringLiteral("Alpha"));
    QCOMPARE(f.w->txt_desc->text(), QStringLiteral("first"));
    QCOMPARE(f.w->cmb_prj_type->text(), QStringLiteral("Desktop"));
    QCOMPARE(f.w->txt_size->text(), QStringLiteral("20"));
    QCOMPARE(f.w->cmb_units->text(), QStringLiteral("LOC"));

    // Saving what was copied changes that project, not the other one.
    f.w->txt_desc->setText("first, changed");
    f.save();
    QCOMPARE(f.projects(), (QStringList{"Zeta|last|Web|100|KLOC|NO", "Alpha|first, changed|Desktop|20|LOC|NO"}));
}

void TestProjects::doubleClickOnAnEmptyListDoesNothing()
{
    Fixture f;
    f.load();
    f.fill("P", "d", "Web", "1", "LOC");
    QTest::mouseDClick(f.w->LV_prjs->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    f.w->LV_prjs_DblClick();
    QCOMPARE(f.w->txt_prjid->text(), QStringLiteral("P"));
    QCOMPARE(f.w->cmb_units->text(), QStringLiteral("LOC"));
    QVERIFY(f.services.messages->boxes.isEmpty());

    // Rows but none selected: nothing either.
    f.db.addProject("Q");
    f.w->Form_Load();
    f.w->LV_prjs->selectRow(-1);
    f.w->LV_prjs_DblClick();
    QCOMPARE(f.w->txt_prjid->text(), QStringLiteral("P"));
}

void TestProjects::doubleClickedNullDescriptionIsBlank()
{
    Fixture f;
    f.db.exec("insert into qv_zr_projects (qv_zr_prjid, qv_zr_prj_type, qv_zr_prj_size, qv_zr_size_units) "
              "values ('P', 'Web', '1', 'LOC')");
    f.load();
    f.w->LV_prjs->selectRow(0);
    emit f.w->LV_prjs->rowDoubleClicked();
    QCOMPARE(f.w->txt_desc->text(), QStringLiteral(" "));
    f.save();
    QCOMPARE(f.services.messages->texts(), QStringList{"Project Description is blank"});
    QVERIFY(f.db.value("select qv_zr_prj_desc from qv_zr_projects").isNull());
}

void TestProjects::headerClickSortsByText()
{
    Fixture f;
    for (int i = 1; i <= 11; ++i)
        f.db.addProject(QStringLiteral("P%1").arg(i), "d", "Web", QString::number(i * 10 - 1), "LOC");
    f.load();
    auto *header = f.w->LV_prjs->header();
    auto clickHeader = [&](int section) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(section) + header->sectionSize(section) / 2,
                                 header->height() / 2));
    };

    clickHeader(4); // "Size"
    QCOMPARE(column(f.w->LV_prjs, 4),
             (QStringList{"109", "19", "29", "39", "49", "59", "69", "79", "89", "9", "99"}));
    clickHeader(0); // "S No"
    QCOMPARE(column(f.w->LV_prjs, 0).mid(0, 4), (QStringList{"1", "10", "11", "2"}));
    clickHeader(0); // again: still ascending
    QCOMPARE(column(f.w->LV_prjs, 0).mid(0, 4), (QStringList{"1", "10", "11", "2"}));

    // The sort lasts through the refill after a save.
    clickHeader(1);
    f.fill("A0", "d", "Web", "1", "LOC");
    f.save();
    QCOMPARE(column(f.w->LV_prjs, 1).first(), QStringLiteral("A0"));
    QCOMPARE(f.w->LV_prjs->cell(0, 0), QStringLiteral("12"));
}

void TestProjects::menuEntryOpensTheWindowMaximized()
{
    TempDatabase db;
    ServiceRecorders services;
    db.addProject("P1");
    mdi_main main;
    registerWindows(main);
    QVERIFY(main.MDIForm_Load());
    main.show();
    main.findChild<QAction *>("mnu_prjs")->trigger();
    auto *w = qobject_cast<frm_projects *>(main.openWindow("mnu_prjs"));
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Define Projects"));
    QVERIFY(w->parentWidget()->isMaximized());
    QCOMPARE(w->LV_prjs->rowCount(), 1);
    QVERIFY(services.messages->boxes.isEmpty());
}

QTEST_MAIN(TestProjects)
#include "tst_projects.moc"

// The main window: menus, the window each entry opens and how, one window per
// type, Exit, F1, the window list, closing, errors that escape a handler, and
// the About window.
#include "appversion.h"
#include "dberror.h"
#include "frm_about.h"
#include "mdi_main.h"
#include "windows.h"
#include "windowtest.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

// A child window that counts its loads and uses its connection like the real ones.
class Probe : public ChildWindow
{
public:
    Probe(TestingClass &con, const QString &name, int &loads, bool failLoad = false)
        : m_con(con)
        , m_loads(loads)
        , m_fail(failLoad)
    {
        setWindowTitle(name);
        setObjectName(name);
    }
    Placement placement() const override { return Placement::Normal; }
    void Form_Load() override
    {
        if (m_con.cn.state() == 0)
            m_con.Conopen();
        ++m_loads;
        if (m_fail)
            throw DbError(DbError::Kind::General, "Cannot read the projects", "disk I/O error");
    }

private:
    TestingClass &m_con;
    int &m_loads;
    bool m_fail;
};

// A control the user works, not a part inside one (an edit field, a list's header).
bool isControl(const QWidget *widget, const QWidget *window)
{
    for (const QWidget *p = widget->parentWidget(); p && p != window; p = p->parentWidget())
        if (p->inherits("QComboBox") || p->inherits("QAbstractSpinBox") || p->inherits("QAbstractScrollArea"))
            return false;
    return true;
}

QAction *action(const mdi_main &w, const char *name)
{
    return w.findChild<QAction *>(QLatin1String(name));
}

// The main window with the program's own windows, shown.
std::unique_ptr<mdi_main> program()
{
    auto main = std::make_unique<mdi_main>();
    registerWindows(*main);
    if (!main->MDIForm_Load() || !showActive(main.get()))
        qWarning("the main window did not start");
    return main;
}

ChildWindow *open(mdi_main &main, const char *entry)
{
    action(main, entry)->trigger();
    return main.openWindow(entry);
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void menuTreeNamesCaptionsAndKeys();
    void showingAWindowTwiceGivesOneWindow();
    void aClosedWindowLoadsAgainOnItsOwnConnection();
    void exitClosesTheActiveWindowThenEnds();
    void f1ShowsTheUserGuideMessage();
    void windowMenuListsAndActivates();
    void closingTheMainWindowClosesChildrenThenEnds();
    void anErrorInAHandlerIsShownAndTheProgramGoesOn();
    void eachEntryOpensItsWindowPlacedAsItsKind_data();
    void eachEntryOpensItsWindowPlacedAsItsKind();
    void dataWindowsFitASmallWorkingArea();
    void aboutShowsTheStoredCompanyAndVersion_data();
    void aboutShowsTheStoredCompanyAndVersion();
    void eachShowingOfAboutReadsTheCompanyAgain();

private:
    std::unique_ptr<TempDatabase> m_db;
    std::unique_ptr<ServiceRecorders> m_rec;
    std::unique_ptr<mdi_main> m_main;
    QMap<QString, int> m_loads;
};

// Probes in place of the program's windows, so that the frame is tested alone.
void TestMainWindow::init()
{
    m_db = std::make_unique<TempDatabase>();
    m_rec = std::make_unique<ServiceRecorders>();
    m_main = std::make_unique<mdi_main>();
    m_loads.clear();
    for (const char *name : {"mnu_prjs", "setup"})
        m_main->setWindowFactory(name, [this, name](TestingClass &con) { return new Probe(con, name, m_loads[name]); });
    QVERIFY(m_main->MDIForm_Load());
    m_main->resize(900, 700);
    QVERIFY(showActive(m_main.get()));
}

void TestMainWindow::cleanup()
{
    m_main.reset();
    m_rec.reset();
    m_db.reset();
}

void TestMainWindow::menuTreeNamesCaptionsAndKeys()
{
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Verolan"));
    QStringList top;
    for (QAction *a : m_main->menuBar()->actions())
        top << a->text();
    QCOMPARE(top, (QStringList{"&File", "&Tools", "&Reports", "&Window", "Help"}));
    QVERIFY(!action(*m_main, "mnuReports")->menu()); // a top-level entry without a submenu
    const auto captions = [this](const char *menu) {
        QStringList out;
        for (QAction *a : m_main->findChild<QMenu *>(QLatin1String(menu))->actions())
            out << a->objectName() + "=" + a->text();
        return out;
    };
    QCOMPARE(captions("mnuFile"), (QStringList{"mnu_prjs=Define Projects", "mnu_tcase=Test Case Definition",
                                               "mnu_rslt=Test Result Logging",
                                               "mnu_proc_docs=Organizational Process Assets", "=",
                                               "mnu_import_cases=Import Test Cases...",
                                               "mnu_export_cases=Export Test Cases...",
                                               "mnu_import_results=Import Test Results...", "=", "mnuexit=E&xit"}));
    QCOMPARE(captions("tools"), (QStringList{"setup=&Setup", "backup=&Backup && Restore", "database=Database..."}));
    QCOMPARE(captions("mnuhlp"), (QStringList{"mnuUsrGd=User Guide", "mnuAbtUs=About Us"}));
    QCOMPARE(action(*m_main, "mnuUsrGd")->shortcut(), QKeySequence(Qt::Key_F1));
    QAction *assets = action(*m_main, "mnu_proc_docs");
    QVERIFY(!assets->isVisible() && !assets->isEnabled());
    QMenu *file = m_main->findChild<QMenu *>("mnuFile");
    file->popup(QPoint(0, 0));
    QVERIFY(file->actionGeometry(assets).isEmpty()); // never drawn in the menu
    file->hide();
}

void TestMainWindow::showingAWindowTwiceGivesOneWindow()
{
    action(*m_main, "mnu_prjs")->trigger();
    action(*m_main, "setup")->trigger();
    action(*m_main, "mnu_prjs")->trigger();
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 2);
    QCOMPARE(m_loads["mnu_prjs"], 1);
    QCOMPARE(mdi_main::childWindowOf(m_main->mdiArea()->currentSubWindow())->objectName(), QStringLiteral("mnu_prjs"));
}

void TestMainWindow::aClosedWindowLoadsAgainOnItsOwnConnection()
{
    const int before = Connection::all().size();
    const auto open = [] {
        int n = 0;
        for (Connection *c : Connection::all())
            n += c->state();
        return n;
    };
    action(*m_main, "mnu_prjs")->trigger();
    action(*m_main, "setup")->trigger();
    QCOMPARE(Connection::all().size(), before); // one connection object per window type, made up front
    QCOMPARE(open(), 3);                        // the main window's and the two children's
    m_main->mdiArea()->subWindowList().first()->close(); // "mnu_prjs", opened first
    QVERIFY(!m_main->openWindow("mnu_prjs"));
    action(*m_main, "mnu_prjs")->trigger();
    QCOMPARE(m_loads["mnu_prjs"], 2);
    QCOMPARE(open(), 3); // the reload found its connection still open
}

void TestMainWindow::exitClosesTheActiveWindowThenEnds()
{
    action(*m_main, "mnu_prjs")->trigger();
    action(*m_main, "setup")->trigger();
    QAction *exit = action(*m_main, "mnuexit");
    exit->trigger();
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 1);
    exit->trigger();
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 0);
    QVERIFY(m_rec->lifetime->ends.isEmpty());
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, m_main->mnuexit_Click());
    QCOMPARE(m_rec->lifetime->ends, QList<int>{0});
    QVERIFY(m_rec->messages->boxes.isEmpty()); // no question asked
}

void TestMainWindow::f1ShowsTheUserGuideMessage()
{
    QTest::keyClick(m_main.get(), Qt::Key_F1);
    action(*m_main, "mnu_prjs")->trigger();
    QTest::keyClick(m_main->openWindow("mnu_prjs"), Qt::Key_F1); // from inside a child window too
    QCOMPARE(m_rec->messages->boxes.size(), 2);
    for (const auto &box : m_rec->messages->boxes) {
        QCOMPARE(box.text, QStringLiteral("Download user guide from our web site in PDF form"));
        QCOMPARE(box.caption, QStringLiteral("Verolan"));
        QVERIFY(!box.question);
    }
}

void TestMainWindow::windowMenuListsAndActivates()
{
    action(*m_main, "mnu_prjs")->trigger();
    action(*m_main, "setup")->trigger();
    QMenu *menu = m_main->windowMenu();
    emit menu->aboutToShow();
    const QList<QAction *> entries = menu->actions();
    QCOMPARE(entries.size(), 2);
    QVERIFY(entries.at(0)->text().contains("mnu_prjs"));
    QVERIFY(entries.at(1)->isChecked());
    entries.at(0)->trigger();
    QCOMPARE(mdi_main::childWindowOf(m_main->mdiArea()->currentSubWindow())->objectName(), QStringLiteral("mnu_prjs"));
}

void TestMainWindow::closingTheMainWindowClosesChildrenThenEnds()
{
    action(*m_main, "mnu_prjs")->trigger();
    action(*m_main, "setup")->trigger();
    QCloseEvent close;
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, QCoreApplication::sendEvent(m_main.get(), &close));
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 0);
    QCOMPARE(m_main->con.cn.state(), 0);
    QCOMPARE(m_rec->lifetime->ends, QList<int>{0});
}

void TestMainWindow::anErrorInAHandlerIsShownAndTheProgramGoesOn()
{
    m_main->setWindowFactory("mnu_rslt", [this](TestingClass &con) { return new Probe(con, "broken", m_loads["x"], true); });
    action(*m_main, "mnu_rslt")->trigger();
    QCOMPARE(m_rec->messages->boxes.size(), 1);
    const auto &box = m_rec->messages->boxes.first();
    QVERIFY(box.text.contains("Cannot read the projects") && box.text.contains("disk I/O error"));
    QCOMPARE(box.caption, QStringLiteral("Verolan"));
    // The program goes on: other windows still open.
    action(*m_main, "setup")->trigger();
    QVERIFY(m_main->openWindow("setup"));
}

void TestMainWindow::eachEntryOpensItsWindowPlacedAsItsKind_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("placement");
    const int maximized = int(ChildWindow::Placement::Maximized);
    const int fixed = int(ChildWindow::Placement::FixedSize);
    QTest::newRow("projects") << "mnu_prjs" << "frm_projects" << "Define Projects" << maximized;
    QTest::newRow("test cases") << "mnu_tcase" << "frm_tst_case" << "Define Test Cases" << maximized;
    QTest::newRow("test log") << "mnu_rslt" << "frm_tst_log" << "Test Log" << maximized;
    QTest::newRow("reports") << "mnuReports" << "Frm_Reports" << "Reports Form" << maximized;
    QTest::newRow("company") << "setup" << "Frm_CompanyDetails" << "CompanyDetails" << int(ChildWindow::Placement::Normal);
    QTest::newRow("backup") << "backup" << "frm_backup" << "Database Backup" << fixed;
    QTest::newRow("about") << "mnuAbtUs" << "Frm_About" << "About Verolan" << fixed;
}

void TestMainWindow::eachEntryOpensItsWindowPlacedAsItsKind()
{
    QFETCH(QString, entry);
    QFETCH(QString, window);
    QFETCH(QString, title);
    QFETCH(int, placement);
    const auto main = program();
    ChildWindow *w = open(*main, qPrintable(entry));
    QVERIFY(w);
    QCOMPARE(w->metaObject()->className(), window);
    QCOMPARE(w->windowTitle(), title);
    QMdiSubWindow *sub = main->mdiArea()->currentSubWindow();
    QCOMPARE(mdi_main::childWindowOf(sub), w);
    QCOMPARE(sub->isMaximized(), placement == int(ChildWindow::Placement::Maximized));
    const bool fixed = placement == int(ChildWindow::Placement::FixedSize);
    QCOMPARE(sub->minimumSize() == sub->maximumSize(), fixed);
    if (fixed) {
        QVERIFY(!(sub->windowFlags() & (Qt::WindowMaximizeButtonHint | Qt::WindowMinimizeButtonHint)));
        QVERIFY(w->rect().contains(w->childrenRect()));
    }
    QVERIFY(m_rec->messages->boxes.isEmpty());
}

void TestMainWindow::dataWindowsFitASmallWorkingArea()
{
    // Long texts in every list, as a real project has them.
    const QString name = "Payments and transfers service";
    m_db->addProject(name, QString(255, 'w'), name, "12345678", name);
    m_db->addCase(name, name, name, name, "TC0001", QString(255, 'd'), QString(255, 'e'));
    m_db->exec("update qv_zr_tst_cases set qv_zr_def_cat=?", {name});
    const auto main = program();
    main->resize(main->size() - main->mdiArea()->size() + QSize(960, 540));
    for (const char *entry : {"mnu_prjs", "mnu_tcase", "mnu_rslt", "mnuReports"}) {
        ChildWindow *w = open(*main, entry);
        QVERIFY(w);
        const QSize least = w->minimumSizeHint();
        QVERIFY2(least.width() <= 1024 && least.height() <= 640,
                 qPrintable(QStringLiteral("%1 needs %2 x %3").arg(entry).arg(least.width()).arg(least.height())));
        // Smaller, the window scrolls: no control is squeezed below its size or cut off.
        QCoreApplication::processEvents();
        for (const QWidget *control : w->findChildren<QWidget *>()) {
            if (!control->isVisibleTo(w) || !isControl(control, w))
                continue;
            const QRect at(control->mapTo(w, QPoint(0, 0)), control->size());
            QVERIFY2(w->rect().contains(at), qPrintable(control->objectName()));
            QVERIFY2(control->width() >= qMin(control->minimumSizeHint().width(), least.width()),
                     qPrintable(QString(entry) + " " + control->objectName()));
        }
    }
}

void TestMainWindow::aboutShowsTheStoredCompanyAndVersion_data()
{
    QTest::addColumn<QString>("rows"); // values for the company table; empty: none stored
    QTest::addColumn<QString>("company");
    QTest::newRow("no company stored") << "" << "";
    QTest::newRow("multi-line address") << "('Acme', '1 Main St' || char(10) || 'Springfield')"
                                        << "Acme,  1 Main St\nSpringfield";
    QTest::newRow("null address") << "('Acme', NULL)" << "Acme,  ";
    QTest::newRow("first of two rows") << "('First', 'a'), ('Second', 'b')" << "First,  a";
    QTest::newRow("markup shown as typed") << "('<b>Bold</b> & Co', '<i>x</i>')" << "<b>Bold</b> & Co,  <i>x</i>";
}

void TestMainWindow::aboutShowsTheStoredCompanyAndVersion()
{
    QFETCH(QString, rows);
    QFETCH(QString, company);
    if (!rows.isEmpty())
        m_db->exec("insert into Tqvjx_companydetails values " + rows);
    TestingClass con;
    Frm_About w(con);
    w.Form_Load();
    QCOMPARE(w.Label4->text(), company);
    QCOMPARE(w.Label4->textFormat(), Qt::PlainText);
    // The version shows only beside a stored company.
    const QString version = QStringLiteral("Version %1.%2").arg(kVersionMajor).arg(kVersionMinor);
    QCOMPARE(w.lbl_about->text(), rows.isEmpty() ? QString() : version);
    QVERIFY(m_rec->messages->boxes.isEmpty());
}

void TestMainWindow::eachShowingOfAboutReadsTheCompanyAgain()
{
    const auto main = program();
    auto *w = qobject_cast<Frm_About *>(open(*main, "mnuAbtUs"));
    QVERIFY(w);
    QCOMPARE(w->Label4->text(), QString());
    QTest::mouseClick(w->Command1, Qt::LeftButton);
    QTRY_VERIFY(!main->openWindow("mnuAbtUs"));
    m_db->setCompany("Acme", "Street");
    w = qobject_cast<Frm_About *>(open(*main, "mnuAbtUs"));
    QVERIFY(w);
    QCOMPARE(w->Label4->text(), QStringLiteral("Acme,  Street"));
    QTest::keyClick(w, Qt::Key_Escape);
    QTRY_VERIFY(!main->openWindow("mnuAbtUs"));
    QVERIFY(m_rec->messages->boxes.isEmpty());
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

// The main window: menus, one window per type, Exit, F1, the window list,
// closing, and errors that escape a handler.
#include "dberror.h"
#include "mdi_main.h"
#include "recorders.h"
#include "tempdatabase.h"
#include "windows.h"
#include "windowtest.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

namespace {

// A child window that counts its loads and uses its connection like the real ones.
class Probe : public ChildWindow
{
public:
    Probe(TestingClass &con, const QString &title, Placement placement, int &loads)
        : m_con(con)
        , m_placement(placement)
        , m_loads(loads)
    {
        setWindowTitle(title);
        setObjectName(title);
    }
    Placement placement() const override { return m_placement; }
    void Form_Load() override
    {
        if (m_con.cn.state() == 0)
            m_con.Conopen();
        ++m_loads;
        if (failLoad)
            throw DbError(DbError::Kind::General, "Cannot read the projects", "disk I/O error");
    }
    bool failLoad = false;

private:
    TestingClass &m_con;
    Placement m_placement;
    int &m_loads;
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
    void dataWindowsOpenMaximized();
    void dataWindowsFitASmallWorkingArea();
    void exitClosesTheActiveWindowThenEnds();
    void f1ShowsTheUserGuideMessage();
    void windowMenuListsAndActivates();
    void closingTheMainWindowClosesChildrenThenEnds();
    void anErrorInAHandlerIsShownAndTheProgramGoesOn();

private:
    void openAll();

    TempDatabase *m_db = nullptr;
    ServiceRecorders *m_rec = nullptr;
    mdi_main *m_main = nullptr;
    QMap<QString, int> m_loads;
    Probe *m_last = nullptr;
};

void TestMainWindow::init()
{
    m_db = new TempDatabase;
    m_rec = new ServiceRecorders;
    m_main = new mdi_main;
    m_loads.clear();
    const QList<QPair<QString, ChildWindow::Placement>> entries = {
        {"mnu_prjs", ChildWindow::Placement::Maximized},  {"mnu_tcase", ChildWindow::Placement::Maximized},
        {"setup", ChildWindow::Placement::Normal},        {"backup", ChildWindow::Placement::FixedSize},
        {"mnuAbtUs", ChildWindow::Placement::FixedSize},
    };
    for (const auto &[name, placement] : entries) {
        m_main->setWindowFactory(name, [this, name = name, placement = placement](TestingClass &con) {
            m_last = new Probe(con, name, placement, m_loads[name]);
            return m_last;
        });
    }
    QVERIFY(m_main->MDIForm_Load());
    m_main->resize(900, 700);
    QVERIFY(showActive(m_main));
}

void TestMainWindow::cleanup()
{
    delete m_main;
    delete m_rec;
    delete m_db;
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
    QCOMPARE(captions("tools"), (QStringList{"setup=&Setup", "backup=&Backup && Restore"}));
    QCOMPARE(captions("mnuhlp"), (QStringList{"mnuUsrGd=User Guide", "mnuAbtUs=About Us"}));
    QCOMPARE(action(*m_main, "mnuUsrGd")->shortcut(), QKeySequence(Qt::Key_F1));

    QAction *assets = action(*m_main, "mnu_proc_docs");
    QVERIFY(!assets->isVisible());
    QVERIFY(!assets->isEnabled());
    QMenu *file = m_main->findChild<QMenu *>("mnuFile");
    file->popup(QPoint(0, 0));
    QVERIFY(file->actionGeometry(assets).isEmpty()); // never drawn in the menu
    file->hide();
}

void TestMainWindow::showingAWindowTwiceGivesOneWindow()
{
    action(*m_main, "mnu_prjs")->trigger();
    action(*m_main, "mnu_tcase")->trigger();
    action(*m_main, "mnu_prjs")->trigger();
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 2);
    QCOMPARE(m_loads["mnu_prjs"], 1);
    QCOMPARE(mdi_main::childWindowOf(m_main->mdiArea()->currentSubWindow())->objectName(), QStringLiteral("mnu_prjs"));
}

void TestMainWindow::aClosedWindowLoadsAgainOnItsOwnConnection()
{
    const int before = Connection::all().size();
    action(*m_main, "mnu_prjs")->trigger();
    action(*m_main, "setup")->trigger();
    QCOMPARE(Connection::all().size(), before); // one connection object per window type, made up front
    int open = 0;
    for (Connection *c : Connection::all())
        open += c->state();
    QCOMPARE(open, 3); // the main window's and the two children's

    m_main->mdiArea()->subWindowList().first()->close(); // "Define Projects", opened first
    QVERIFY(!m_main->openWindow("mnu_prjs"));
    action(*m_main, "mnu_prjs")->trigger();
    QCOMPARE(m_loads["mnu_prjs"], 2);
    int openAfter = 0;
    for (Connection *c : Connection::all())
        openAfter += c->state();
    QCOMPARE(openAfter, 3); // the reload found its connection still open
}

void TestMainWindow::dataWindowsOpenMaximized()
{
    action(*m_main, "mnu_prjs")->trigger();
    QVERIFY(m_main->mdiArea()->currentSubWindow()->isMaximized());
    action(*m_main, "backup")->trigger();
    QMdiSubWindow *fixed = qobject_cast<QMdiSubWindow *>(m_main->openWindow("backup")->parentWidget());
    QVERIFY(!fixed->isMaximized());
    QCOMPARE(fixed->minimumSize(), fixed->maximumSize());
    QVERIFY(!(fixed->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(fixed->windowFlags() & Qt::WindowMinimizeButtonHint));
}

void TestMainWindow::dataWindowsFitASmallWorkingArea()
{
    // Long texts in every list, as a real project has them.
    const QString name = "Payments and transfers service";
    m_db->addProject(name, QString(255, 'w'), name, "12345678", name);
    m_db->addCase(name, name, name, name, "TC0001", QString(255, 'd'), QString(255, 'e'));
    m_db->exec("update qv_zr_tst_cases set qv_zr_def_cat=?", {name});
    mdi_main main;
    registerWindows(main);
    QVERIFY(main.MDIForm_Load());
    QVERIFY(showActive(&main));
    main.resize(main.size() - main.mdiArea()->size() + QSize(960, 540));
    for (const char *entry : {"mnu_prjs", "mnu_tcase", "mnu_rslt", "mnuReports"}) {
        action(main, entry)->trigger();
        ChildWindow *w = main.openWindow(entry);
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

void TestMainWindow::exitClosesTheActiveWindowThenEnds()
{
    action(*m_main, "mnu_prjs")->trigger();
    action(*m_main, "setup")->trigger();
    QAction *exit = action(*m_main, "mnuexit");
    exit->trigger();
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 1);
    QVERIFY(m_rec->lifetime->ends.isEmpty());
    exit->trigger();
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 0);
    QVERIFY(m_rec->lifetime->ends.isEmpty());
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, m_main->mnuexit_Click());
    QCOMPARE(m_rec->lifetime->ends, QList<int>{0});
    QVERIFY(m_rec->messages->boxes.isEmpty()); // no question asked
}

void TestMainWindow::f1ShowsTheUserGuideMessage()
{
    QTest::keyClick(m_main, Qt::Key_F1);
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
    QVERIFY_THROWS_EXCEPTION(ProgramEnded, QCoreApplication::sendEvent(m_main, &close));
    QCOMPARE(m_main->mdiArea()->subWindowList().size(), 0);
    QCOMPARE(m_main->con.cn.state(), 0);
    QCOMPARE(m_rec->lifetime->ends, QList<int>{0});
}

void TestMainWindow::anErrorInAHandlerIsShownAndTheProgramGoesOn()
{
    m_main->setWindowFactory("mnu_rslt", [this](TestingClass &con) {
        auto *p = new Probe(con, "broken", ChildWindow::Placement::Maximized, m_loads["broken"]);
        p->failLoad = true;
        return p;
    });
    action(*m_main, "mnu_rslt")->trigger();
    QCOMPARE(m_rec->messages->boxes.size(), 1);
    const auto &box = m_rec->messages->boxes.first();
    QVERIFY(box.text.contains("Cannot read the projects"));
    QVERIFY(box.text.contains("disk I/O error"));
    QCOMPARE(box.caption, QStringLiteral("Verolan"));
    // The program goes on: other windows still open.
    action(*m_main, "setup")->trigger();
    QVERIFY(m_main->openWindow("setup"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

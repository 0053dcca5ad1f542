#include "mdi_main.h"

#include "appicon.h"
#include "databaselocation.h"
#include "guard.h"
#include "objectstate.h"
#include "services.h"

#include <QAction>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScrollArea>

mdi_main::mdi_main()
    : m_mdiArea(new QMdiArea(this))
{
    setObjectName(QStringLiteral("mdi_main"));
    setWindowTitle(QStringLiteral("Verolan"));
    setWindowIcon(AppIcon::icon());
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // Each window keeps its own state: a fixed-size window stays its size next to maximized ones.
    m_mdiArea->setOption(QMdiArea::DontMaximizeSubWindowOnActivation);
    setCentralWidget(m_mdiArea);
    createMenus();
    resize(760, 554); // 570 by 415.5 points when restored
}

mdi_main::~mdi_main()
{
    // Child windows go before the connections they use.
    m_mdiArea->closeAllSubWindows();
    const auto subs = m_mdiArea->subWindowList();
    qDeleteAll(subs);
}

QAction *mdi_main::addEntry(QMenu *menu, const char *name, const QString &caption, void (mdi_main::*handler)())
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (handler)
        onEvent(action, &QAction::triggered, this, [handler](mdi_main *self) { (self->*handler)(); });
    return action;
}

void mdi_main::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addEntry(file, "mnu_prjs", QStringLiteral("Define Projects"), &mdi_main::mnu_prjs_Click);
    addEntry(file, "mnu_tcase", QStringLiteral("Test Case Definition"), &mdi_main::mnu_tcase_Click);
    addEntry(file, "mnu_rslt", QStringLiteral("Test Result Logging"), &mdi_main::mnu_rslt_Click);
    QAction *assets = addEntry(file, "mnu_proc_docs", QStringLiteral("Organizational Process Assets"), nullptr);
    assets->setVisible(false);
    assets->setEnabled(false);
    file->addSeparator();
    addEntry(file, "mnu_import_cases", QStringLiteral("Import Test Cases..."), &mdi_main::mnu_import_cases_Click);
    addEntry(file, "mnu_export_cases", QStringLiteral("Export Test Cases..."), &mdi_main::mnu_export_cases_Click);
    addEntry(file, "mnu_import_results", QStringLiteral("Import Test Results..."), &mdi_main::mnu_import_results_Click);
    file->addSeparator();
    addEntry(file, "mnuexit", QStringLiteral("E&xit"), &mdi_main::mnuexit_Click);

    QMenu *tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("tools"));
    addEntry(tools, "setup", QStringLiteral("&Setup"), &mdi_main::setup_Click);
    addEntry(tools, "backup", QStringLiteral("&Backup && Restore"), &mdi_main::backup_Click);
    addEntry(tools, "database", QStringLiteral("Database..."), &mdi_main::database_Click);

    QAction *reports = menuBar()->addAction(QStringLiteral("&Reports"));
    reports->setObjectName(QStringLiteral("mnuReports"));
    onEvent(reports, &QAction::triggered, this, [](mdi_main *self) { self->mnuReports_Click(); });

    m_windowMenu = menuBar()->addMenu(QStringLiteral("&Window"));
    m_windowMenu->setObjectName(QStringLiteral("mnuwindow"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, &mdi_main::updateWindowMenu);

    QMenu *help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuhlp"));
    QAction *guide = addEntry(help, "mnuUsrGd", QStringLiteral("User Guide"), &mdi_main::mnuUsrGd_Click);
    guide->setShortcut(QKeySequence(Qt::Key_F1));
    guide->setShortcutContext(Qt::ApplicationShortcut);
    addEntry(help, "mnuAbtUs", QStringLiteral("About Us"), &mdi_main::mnuAbtUs_Click);
}

void mdi_main::updateWindowMenu()
{
    m_windowMenu->clear();
    const QList<QMdiSubWindow *> windows = m_mdiArea->subWindowList();
    for (int i = 0; i < windows.size(); ++i) {
        QMdiSubWindow *sub = windows.at(i);
        const ChildWindow *child = childWindowOf(sub);
        const QString title = child ? child->windowTitle() : sub->windowTitle();
        const QString caption = i < 9 ? QStringLiteral("&%1 %2").arg(i + 1).arg(title)
                                      : QStringLiteral("%1 %2").arg(i + 1).arg(title);
        QAction *action = m_windowMenu->addAction(caption);
        action->setCheckable(true);
        action->setChecked(sub == m_mdiArea->currentSubWindow());
        connect(action, &QAction::triggered, sub, [this, sub] { m_mdiArea->setActiveSubWindow(sub); });
    }
}

void mdi_main::setWindowFactory(const QString &menuEntryName, Factory factory)
{
    m_children[menuEntryName].factory = std::move(factory);
}

bool mdi_main::isOpen(const Child &child)
{
    // A closed window is hidden at once and deleted a moment later.
    return child.sub && !child.sub->isHidden();
}

ChildWindow *mdi_main::openWindow(const QString &menuEntryName) const
{
    const auto it = m_children.find(menuEntryName);
    if (it == m_children.end() || !isOpen(it->second))
        return nullptr;
    return childWindowOf(it->second.sub);
}

ChildWindow *mdi_main::childWindowOf(const QMdiSubWindow *sub)
{
    if (!sub)
        return nullptr;
    if (auto *scroll = qobject_cast<QScrollArea *>(sub->widget()))
        return qobject_cast<ChildWindow *>(scroll->widget());
    return qobject_cast<ChildWindow *>(sub->widget());
}

void mdi_main::showChild(const QString &menuEntryName)
{
    auto it = m_children.find(menuEntryName);
    if (it == m_children.end() || !it->second.factory)
        return;
    Child &child = it->second;
    if (isOpen(child)) {
        if (child.sub->isMinimized())
            child.sub->showNormal();
        m_mdiArea->setActiveSubWindow(child.sub);
        return;
    }

    ChildWindow *window = child.factory(*child.con);
    window->setWindowIcon(windowIcon());
    QWidget *content = window;
    if (window->placement() == ChildWindow::Placement::Maximized) {
        // A working area smaller than the window (a small screen, a large
        // scale factor) scrolls it, so every control can still be reached.
        auto *scroll = new QScrollArea;
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(true);
        scroll->setWidget(window);
        scroll->setWindowTitle(window->windowTitle());
        scroll->setWindowIcon(windowIcon());
        content = scroll;
    }
    QMdiSubWindow *sub = m_mdiArea->addSubWindow(content);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(windowIcon());
    child.sub = sub;
    runGuarded(window, [window] { window->Form_Load(); });

    switch (window->placement()) {
    case ChildWindow::Placement::Maximized:
        sub->showMaximized();
        break;
    case ChildWindow::Placement::FixedSize:
        sub->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                            | Qt::WindowCloseButtonHint);
        sub->adjustSize();
        sub->setFixedSize(sub->sizeHint());
        sub->show();
        break;
    case ChildWindow::Placement::Normal:
        sub->adjustSize();
        sub->show();
        break;
    }
    m_mdiArea->setActiveSubWindow(sub);
}

bool mdi_main::MDIForm_Load()
{
    con.Conopen();
    showDatabaseInTitle();
    return con.cn.state() == StateOpen;
}

void mdi_main::showDatabaseInTitle()
{
    // A server is named in the title: several team databases may be at hand.
    if (con.cn.state() == StateOpen && con.cn.isServer())
        setWindowTitle(Ui::appTitle() + QStringLiteral(" - ") + DatabaseLocation::parse(con.cn.path()).displayName());
    else
        setWindowTitle(Ui::appTitle());
}

void mdi_main::databaseSwitched()
{
    // What the windows show is the old database's.
    m_mdiArea->closeAllSubWindows();
    showDatabaseInTitle();
}

void mdi_main::MDIForm_Unload()
{
    con.cn.close();
    Services::lifetime().quit(0);
}

void mdi_main::closeEvent(QCloseEvent *event)
{
    m_mdiArea->closeAllSubWindows();
    event->accept();
    MDIForm_Unload();
}

void mdi_main::mnu_prjs_Click() { showChild(QStringLiteral("mnu_prjs")); }
void mdi_main::mnu_tcase_Click() { showChild(QStringLiteral("mnu_tcase")); }
void mdi_main::mnu_rslt_Click() { showChild(QStringLiteral("mnu_rslt")); }
void mdi_main::setup_Click() { showChild(QStringLiteral("setup")); }
void mdi_main::backup_Click() { showChild(QStringLiteral("backup")); }
void mdi_main::database_Click() { showChild(QStringLiteral("database")); }
void mdi_main::mnuReports_Click() { showChild(QStringLiteral("mnuReports")); }
void mdi_main::mnuAbtUs_Click() { showChild(QStringLiteral("mnuAbtUs")); }
void mdi_main::mnu_import_cases_Click() { showChild(QStringLiteral("mnu_import_cases")); }
void mdi_main::mnu_export_cases_Click() { showChild(QStringLiteral("mnu_export_cases")); }
void mdi_main::mnu_import_results_Click() { showChild(QStringLiteral("mnu_import_results")); }

void mdi_main::mnuexit_Click()
{
    if (QMdiSubWindow *active = m_mdiArea->currentSubWindow()) {
        active->close();
        return;
    }
    Services::lifetime().quit(0);
}

void mdi_main::mnuUsrGd_Click()
{
    Ui::information(this, QStringLiteral("Download user guide from our web site in PDF form"));
}

#pragma once

#include "childwindow.h"
#include "testingclass.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

// The main window: a frame whose working area holds every other window.
class mdi_main : public QMainWindow
{
    Q_OBJECT

public:
    using Factory = std::function<ChildWindow *(TestingClass &con)>;

    mdi_main();
    ~mdi_main() override;

    TestingClass con;

    // The window a menu entry shows, made anew at each showing; the entry's
    // TestingClass, and with it the open connection, outlives the window.
    void setWindowFactory(const QString &menuEntryName, Factory factory);

    // Opens the main window's connection; false when the program is to end.
    bool MDIForm_Load();
    void MDIForm_Unload();
    // Every connection is on another database now: the child windows close
    // and the title names the database.
    void databaseSwitched();

    void mnu_prjs_Click();
    void mnu_tcase_Click();
    void mnu_rslt_Click();
    void setup_Click();
    void backup_Click();
    void database_Click();
    void mnuReports_Click();
    void mnuAbtUs_Click();
    void mnu_import_cases_Click();
    void mnu_export_cases_Click();
    void mnu_import_results_Click();
    void mnuexit_Click();
    void mnuUsrGd_Click();

    QMdiArea *mdiArea() const { return m_mdiArea; }
    // The open child window shown by a menu entry, or nullptr.
    ChildWindow *openWindow(const QString &menuEntryName) const;
    // The child window a frame window holds, or nullptr.
    static ChildWindow *childWindowOf(const QMdiSubWindow *sub);
    QMenu *windowMenu() const { return m_windowMenu; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    struct Child
    {
        Factory factory;
        std::unique_ptr<TestingClass> con = std::make_unique<TestingClass>();
        QPointer<QMdiSubWindow> sub;
    };

    static bool isOpen(const Child &child);
    void createMenus();
    void showDatabaseInTitle();
    QAction *addEntry(QMenu *menu, const char *name, const QString &caption, void (mdi_main::*handler)());
    void showChild(const QString &menuEntryName);
    void updateWindowMenu();

    QMdiArea *m_mdiArea;
    QMenu *m_windowMenu = nullptr;
    std::map<QString, Child> m_children;
};

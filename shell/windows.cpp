#include "windows.h"

#include "frm_about.h"
#include "frm_backup.h"
#include "frm_companydetails.h"
#include "frm_database.h"
#include "frm_export_cases.h"
#include "frm_import_cases.h"
#include "frm_import_results.h"
#include "frm_projects.h"
#include "frm_tst_case.h"
#include "frm_tst_log.h"
#include "frm_reports.h"
#include "mdi_main.h"

void registerWindows(mdi_main &main)
{
    main.setWindowFactory(QStringLiteral("mnu_prjs"), [](TestingClass &con) { return new frm_projects(con); });
    main.setWindowFactory(QStringLiteral("mnu_tcase"), [](TestingClass &con) { return new frm_tst_case(con); });
    main.setWindowFactory(QStringLiteral("setup"), [](TestingClass &con) { return new Frm_CompanyDetails(con); });
    main.setWindowFactory(QStringLiteral("backup"), [](TestingClass &con) { return new frm_backup(con); });
    main.setWindowFactory(QStringLiteral("database"), [&main](TestingClass &con) {
        return new frm_database(con, [&main] { main.databaseSwitched(); });
    });
    main.setWindowFactory(QStringLiteral("mnuAbtUs"), [](TestingClass &con) { return new Frm_About(con); });
    main.setWindowFactory(QStringLiteral("mnu_rslt"), [](TestingClass &con) { return new frm_tst_log(con); });
    main.setWindowFactory(QStringLiteral("mnuReports"), [](TestingClass &con) { return new Frm_Reports(con); });
    main.setWindowFactory(QStringLiteral("mnu_import_cases"),
                          [](TestingClass &con) { return new frm_import_cases(con); });
    main.setWindowFactory(QStringLiteral("mnu_export_cases"),
                          [](TestingClass &con) { return new frm_export_cases(con); });
    main.setWindowFactory(QStringLiteral("mnu_import_results"),
                          [](TestingClass &con) { return new frm_import_results(con); });
}

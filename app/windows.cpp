#include "windows.h"

#include "frm_reports.h"
#include "mdi_main.h"

void registerWindows(mdi_main &main)
{
    main.setWindowFactory(QStringLiteral("mnuReports"), [](TestingClass &con) { return new Frm_Reports(con); });
}

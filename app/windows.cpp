#include "windows.h"

#include "frm_tst_log.h"
#include "mdi_main.h"

void registerWindows(mdi_main &main)
{
    main.setWindowFactory(QStringLiteral("mnu_rslt"), [](TestingClass &con) { return new frm_tst_log(con); });
}

#include "windows.h"

#include "frm_backup.h"
#include "mdi_main.h"

void registerWindows(mdi_main &main)
{
    main.setWindowFactory(QStringLiteral("backup"), [](TestingClass &con) { return new frm_backup(con); });
}

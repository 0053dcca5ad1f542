#include "startup.h"

#include "apppaths.h"
#include "appicon.h"
#include "appversion.h"
#include "mdi_main.h"
#include "sidefile.h"
#include "windows.h"

#include <QApplication>
#include <QFileInfo>

int runProgram(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Verolan"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QApplication::setWindowIcon(AppIcon::icon());

    // Half-written copies a killed backup or restore left beside the database.
    SideFile::removeStale(QFileInfo(AppPaths::databaseFile()).absolutePath());

    mdi_main main;
    registerWindows(main);
    if (!main.MDIForm_Load())
        return 1;
    main.showMaximized();
    return app.exec();
}

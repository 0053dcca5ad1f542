#include "startup.h"

#include "appicon.h"
#include "mdi_main.h"
#include "windows.h"

#include <QApplication>

int runProgram(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Verolan"));
    QApplication::setApplicationVersion(QStringLiteral(VEROLAN_VERSION));
    QApplication::setWindowIcon(AppIcon::icon());

    mdi_main main;
    registerWindows(main);
    if (!main.MDIForm_Load())
        return 1;
    main.showMaximized();
    return app.exec();
}

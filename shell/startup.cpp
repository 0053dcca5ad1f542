#include "startup.h"

#include "apppaths.h"
#include "appicon.h"
#include "appversion.h"
#include "datafolder.h"
#include "mdi_main.h"
#include "sidefile.h"
#include "windows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

int runProgram(QApplication &app)
{
    QApplication::setApplicationName(QStringLiteral("Verolan"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QApplication::setDesktopFileName(QStringLiteral("org.verolan.Verolan"));
    QApplication::setWindowIcon(AppIcon::icon());

    // Installed on a first start: the user's database from the empty one. What
    // went wrong shows again in the message when the database cannot be opened.
    const AppPaths::Paths paths = AppPaths::current();
    const QString unprepared = AppPaths::prepareDataFolder(paths);
    if (!unprepared.isEmpty())
        std::fprintf(stderr, "verolan: %s\n", qPrintable(unprepared));
    // Half-written copies a killed backup or restore left beside the database.
    SideFile::removeStale(QFileInfo(paths.database).absolutePath());

    mdi_main main;
    registerWindows(main);
    if (!main.MDIForm_Load())
        return 1;
    main.showMaximized();
    return app.exec();
}

int runFromCommandLine(int argc, char **argv)
{
    bool asks = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        asks = asks || arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version" || arg == "-v";
    }
    if (asks) {
        // Answered without a display: no window is made.
        QCoreApplication core(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("verolan"));
        QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
        QCommandLineParser parser;
        parser.setApplicationDescription(QStringLiteral("Verolan manages software testing work: projects, test "
                                                        "cases, their results and reports."));
        parser.addHelpOption();
        parser.addVersionOption();
        parser.process(core); // --help and --version print and end here
        return 0;
    }
    // The toolkit takes its own options (-platform, -style); the program takes none.
    QApplication app(argc, argv);
    return runProgram(app);
}

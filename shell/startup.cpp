#include "startup.h"

#include "apppaths.h"
#include "appicon.h"
#include "appversion.h"
#include "databaselocation.h"
#include "databasesetting.h"
#include "datafolder.h"
#include "mdi_main.h"
#include "services.h"
#include "sidefile.h"
#include "windows.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <cstdio>

int runProgram(QApplication &app, const QString &database)
{
    QApplication::setApplicationName(QStringLiteral("Verolan"));
    QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QApplication::setDesktopFileName(QStringLiteral("org.verolan.Verolan"));
    QApplication::setWindowIcon(AppIcon::icon());

    // The command line names the database over the settings; neither: testing.mdb.
    const AppPaths::Paths paths = AppPaths::current();
    const QString chosen = !database.isEmpty() ? database : DatabaseSetting::read(paths.settings).value_or(QString());
    AppPaths::chooseDatabase(chosen.trimmed());
    const DatabaseLocation location = DatabaseLocation::parse(AppPaths::databaseFile());
    if (!location.isValid()) {
        Ui::information(nullptr, QStringLiteral("Not able to acess database\n%1: %2").arg(chosen, location.problem()),
                        QStringLiteral("Information"));
        Services::lifetime().end(1);
        return 1;
    }
    if (chosen.trimmed().isEmpty()) {
        // Installed on a first start: the user's database from the empty one. What
        // went wrong shows again in the message when the database cannot be opened.
        const QString unprepared = AppPaths::prepareDataFolder(paths);
        if (!unprepared.isEmpty())
            std::fprintf(stderr, "verolan: %s\n", qPrintable(unprepared));
    }
    // Half-written copies a killed backup or restore left beside the database.
    if (!location.isServer())
        SideFile::removeStale(QFileInfo(location.filePath()).absolutePath());

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
    QString database;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        asks = asks || arg == "--help" || arg == "-h" || arg == "--help-all" || arg == "--version" || arg == "-v";
        if (arg == "--database" && i + 1 < argc)
            database = QString::fromLocal8Bit(argv[++i]);
        else if (arg.startsWith("--database="))
            database = QString::fromLocal8Bit(arg.mid(11));
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
        parser.addOption({QStringLiteral("database"),
                          QStringLiteral("The database to open: a file, or a PostgreSQL server as "
                                         "postgresql://[user@]host[:port]/dbname. Overrides verolan.conf."),
                          QStringLiteral("file or URI")});
        parser.process(core); // --help and --version print and end here
        return 0;
    }
    // The toolkit takes its own options (-platform, -style); the program only --database.
    QApplication app(argc, argv);
    return runProgram(app, database);
}

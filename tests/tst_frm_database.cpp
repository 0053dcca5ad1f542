// The Database window: a test on a connection of its own, a save that moves
// the running program and its next start to the choice, and every choice that
// cannot be had leaving the program where it was, with the reason.
#include "apppaths.h"
#include "databaselocation.h"
#include "databasesetting.h"
#include "frm_database.h"
#include "mdi_main.h"
#include "pgserver.h"
#include "startup.h"
#include "windows.h"
#include "windowtest.h"

#include <QLabel>
#include <QMdiArea>
#include <QSettings>
#include <QTimer>
#include <arpa/inet.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

// Not PostgreSQL on a port: answers each connection with answer and hangs up
// ("hangup": at once), says nothing ("silent"), or refuses ("refuse"). Its own
// thread serves it: the connection being tried blocks the test's.
struct Listener
{
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    std::atomic_bool stop = false;
    QList<int> open;
    std::thread thread;
    explicit Listener(const QByteArray &answer)
    {
        sockaddr_in at{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof at;
        ::bind(fd, reinterpret_cast<sockaddr *>(&at), size);
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&at), &size);
        port = ntohs(at.sin_port);
        if (answer == "refuse" || ::listen(fd, 8) != 0)
            return;
        thread = std::thread([this, answer] {
            for (pollfd p{fd, POLLIN, 0}; !stop; p.revents = 0) {
                if (::poll(&p, 1, 50) <= 0 || (open << ::accept(fd, nullptr, nullptr), answer == "silent"))
                    continue;
                char request[512];
                [[maybe_unused]] auto n = ::read(open.last(), request, sizeof request);
                n = ::write(open.last(), answer.constData(), answer == "hangup" ? 0 : answer.size());
                ::close(open.takeLast());
            }
        });
    }
    ~Listener()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
        for (int f : open << fd)
            ::close(f);
    }
};

struct Program
{
    TempDatabase other; // made first: the last one made is the program's folder
    TempDatabase db;
    ServiceRecorders services;
    mdi_main main;
    frm_database *w = nullptr;
    QString conf = QDir(db.folder()).filePath("verolan.conf");
    Program()
    {
        AppPaths::chooseDatabase(QString()); // a row that failed after its switch left it set
        Connection::setServerPassword(QString());
        QSettings(conf, QSettings::IniFormat).setValue("view/theme", "dark");
        registerWindows(main);
        if (!main.MDIForm_Load() || !showActive(&main))
            qWarning("the program did not start");
        main.setup_Click();
        main.database_Click();
        w = qobject_cast<frm_database *>(main.openWindow("database"));
    }
    void test(const QString &location)
    {
        w->txt_location->setText(location);
        press(w->cmd_test);
    }
    // Where the program is: its connection, its next connections, title, settings, windows.
    QStringList where() const
    {
        return {main.con.cn.state() == StateOpen ? main.con.cn.path() : "closed", AppPaths::databaseFile(), main.windowTitle(),
                DatabaseSetting::read(conf).value_or("none"), QSettings(conf, QSettings::IniFormat).value("view/theme").toString(),
                QString::number(main.mdiArea()->subWindowList().size())};
    }
    QStringList unmoved() const { return {db.path(), db.path(), "Verolan", "none", "dark", "2"}; }
};

} // namespace

class TestFrmDatabase : public QObject
{
    Q_OBJECT

private slots:
    void saveMovesTheProgramAndItsNextStart_data();
    void saveMovesTheProgramAndItsNextStart();
    void badChoicesAreNamedAndNothingMoves_data();
    void badChoicesAreNamedAndNothingMoves();
};

void TestFrmDatabase::saveMovesTheProgramAndItsNextStart_data()
{
    QTest::addColumn<QString>("target"); // "file", "server" or "password"
    QTest::addColumn<QString>("report");
    QTest::newRow("a file") << "file" << "%1 is a Verolan database with 1 project and 2 test cases.";
    QTest::newRow("a server") << "server" << "Connected to %1 as %2, PostgreSQL 1";
    QTest::newRow("a server asking a password") << "password" << "Connected to %1 as owner, PostgreSQL 1";
}

void TestFrmDatabase::saveMovesTheProgramAndItsNextStart()
{
    QFETCH(QString, target);
    QFETCH(QString, report);
    if (target != "file" && !TempDatabase::serverProblem().isEmpty())
        QSKIP(qPrintable(TempDatabase::serverProblem()));
    Program p;
    QCOMPARE(p.w->lbl_current->text(), p.db.path());
    p.other.addProject("P1");
    p.other.addCase("P1", "T", "C", "CT", "1");
    p.other.addCase("P1", "T", "C", "CT", "2");
    const QString to = target == "file"     ? p.other.path()
                       : target == "server" ? PgServer::shared().createDatabase()
                                            : PgServer::shared().createPasswordDatabase("owner", "s3cret");
    p.services.messages->passwords = QStringList{"s3cret"};
    p.test(to);
    const QString name = DatabaseLocation::parse(to).displayName();
    report.replace("%1", name).replace("%2", PgServer::shared().user());
    QVERIFY2(p.w->txt_result->text().startsWith(report), qPrintable(p.w->txt_result->text()));
    QCOMPARE(p.services.messages->boxes.size(), target == "password" ? 1 : 0);
    press(p.w->cmd_save);
    QTRY_COMPARE(p.main.mdiArea()->subWindowList().size(), 0); // the windows showed the old database
    QCOMPARE(p.main.windowTitle(), target == "file" ? "Verolan" : "Verolan - " + name);
    for (Connection *cn : Connection::all())
        QVERIFY(cn->state() == StateClosed || cn->path() == to);
    // The next start opens it, and the settings keep what else they held but never a password.
    QCOMPARE(DatabaseSetting::read(p.conf).value_or(QString()), to);
    QCOMPARE(QSettings(p.conf, QSettings::IniFormat).value("view/theme").toString(), QStringLiteral("dark"));
    QFile conf(p.conf);
    QVERIFY(conf.open(QIODevice::ReadOnly) && !conf.readAll().contains("s3cret"));
    QString opened;
    QTimer::singleShot(0, &p.main, [&] {
        for (QWidget *w : QApplication::topLevelWidgets())
            opened = w != &p.main && w->objectName() == "mdi_main" ? static_cast<mdi_main *>(w)->con.cn.path() : opened;
        QApplication::exit(0);
    });
    runProgram(*qApp);
    QCOMPARE(opened, to);
}

void TestFrmDatabase::badChoicesAreNamedAndNothingMoves_data()
{
    QTest::addColumn<QString>("location"); // %1 the listener's port; "gone": a file tested, then gone before the save
    QTest::addColumn<QByteArray>("listener"); // what it answers; empty: none
    QTest::addColumn<QString>("message");
    QTest::newRow("wrong password") << "password" << QByteArray() << "The password for tester@";
    QTest::newRow("unknown host") << "postgresql://u@nosuchhost.invalid/t" << QByteArray() << "The host \"nosuchhost.invalid\" is not known";
    QTest::newRow("a port that refuses") << "postgresql://u@127.0.0.1:%1/t" << QByteArray("refuse")
                                         << "The server at 127.0.0.1:%1 refused the connection";
    QTest::newRow("odd characters") << "postgresql://u@h/te'st" << QByteArray() << "The dbname \"te'st\" holds a character Verolan does not accept";
    QTest::newRow("no rights to create the tables") << "rights" << QByteArray()
                                                    << "The user weak lacks the rights to create Verolan's tables in the database test";
    QTest::newRow("a listener answering garbage") << "postgresql://u@127.0.0.1:%1/t" << QByteArray("HTTP/1.1 400 Bad Request\r\n\r\n")
                                                  << "No PostgreSQL server answered at 127.0.0.1:%1";
    QTest::newRow("a listener hanging up") << "postgresql://u@127.0.0.1:%1/t" << QByteArray("hangup") << "No PostgreSQL server answered at 127.0.0.1:%1";
    QTest::newRow("a listener saying nothing") << "postgresql://u@127.0.0.1:%1/t" << QByteArray("silent") << "No PostgreSQL server answered at 127.0.0.1:%1";
    QTest::newRow("a file gone before the save") << "gone" << QByteArray()
                                                 << "Verolan stays on %1.\nCannot open the database %2\n\nThe file does not exist.";
}

void TestFrmDatabase::badChoicesAreNamedAndNothingMoves()
{
    QFETCH(QString, location);
    QFETCH(QByteArray, listener);
    QFETCH(QString, message);
    if (location == "password" || location == "rights") {
        if (!TempDatabase::serverProblem().isEmpty())
            QSKIP(qPrintable(TempDatabase::serverProblem()));
        location = location == "rights" ? PgServer::shared().createDatabaseWithoutCreateRights("weak")
                                        : PgServer::shared().createPasswordDatabase("tester", "s3cret");
    }
    std::unique_ptr<Listener> other = listener.isEmpty() ? nullptr : std::make_unique<Listener>(listener);
    if (other) {
        location = location.arg(other->port);
        message = message.arg(other->port);
    }
    Program p;
    p.services.messages->passwords = QStringList{"guess"};
    p.test(location == "gone" ? p.other.path() : location);
    QString text = p.w->txt_result->text();
    if (location == "gone") { // every connection stays on the old one
        QVERIFY(p.w->cmd_save->isEnabled() && QFile::remove(p.other.path()));
        press(p.w->cmd_save);
        text = p.services.messages->texts().join('|');
        message = message.arg(p.db.path(), p.other.path());
    } else {
        QVERIFY2(text.startsWith("Verolan cannot use this database.\n"), qPrintable(text));
        QVERIFY(!p.w->cmd_save->isEnabled());
    }
    QVERIFY2(text.contains(message), qPrintable(text));
    QCOMPARE(p.where(), p.unmoved());
}

QTEST_MAIN(TestFrmDatabase)
#include "tst_frm_database.moc"

#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

// A folder of its own holding a fresh testing.mdb; the program is pointed at it
// for the life of the object. On the Server engine the database is a new one
// on the test program's throwaway PostgreSQL server, holding the program's
// tables, and path() is its location.
class TempDatabase
{
public:
    enum class Engine { File, Server };

    explicit TempDatabase(Engine engine = Engine::File);
    ~TempDatabase();
    Engine engine() const { return m_server.isEmpty() ? Engine::File : Engine::Server; }
    // Empty when the Server engine can be had, else why not (for a QSKIP).
    static QString serverProblem();
    // The user's login name, which a file's history records as who saved.
    static QString loginName();
    QString folder() const { return m_dir.path(); }
    QString path() const;
    // Runs a statement on the file through a connection of the test's own.
    void exec(const QString &sql, const QVariantList &params = {}) const;
    // Every row of a query, each row's values joined by "|" (Null as "<null>").
    QStringList rows(const QString &sql, const QVariantList &params = {}) const;
    QVariant value(const QString &sql, const QVariantList &params = {}) const;
    int count(const QString &table) const;
    // Fixture rows, in the stored column order.
    void addProject(const QString &id, const QString &desc = QStringLiteral("desc"),
                    const QString &type = QStringLiteral("Web"), const QString &size = QStringLiteral("10"),
                    const QString &units = QStringLiteral("LOC")) const;
    // Key texts: project, test type, component, component type, id.
    void addCase(const QString &prj, const QString &type, const QString &cmp, const QString &cmpType,
                 const QString &id, const QString &desc = QStringLiteral("d"),
                 const QString &expected = QStringLiteral("e")) const;
    // Many cases in one transaction, each as addCase takes them.
    void addCases(const QList<QStringList> &cases) const;
    void setCompany(const QString &name, const QString &address) const;

private:
    QTemporaryDir m_dir;
    QString m_server;
};

// Writes bytes to a file named name in dir; its path.
QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes);

// Runs statements on any database file, making it if need be.
void execOn(const QString &path, const QStringList &statements);

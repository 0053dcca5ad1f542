// Any file offered for a restore: the check answers, and changes neither the
// offered file nor the database.
#include "databasefile.h"
#include "schema.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Setup
{
    QTemporaryDir dir;
    QString database;
    QString source;
    QByteArray databaseBytes;

    Setup()
    {
        database = dir.filePath(QStringLiteral("testing.mdb"));
        source = dir.filePath(QStringLiteral("source.mdb"));
        Schema::createDatabase(database);
        databaseBytes = contents(database);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Setup setup;
    {
        QFile file(setup.source);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    const QByteArray offered(reinterpret_cast<const char *>(data), qsizetype(size));

    const QString problem = DatabaseFile(setup.database).restoreProblem(setup.source);
    (void)problem;

    if (contents(setup.source) != offered) {
        std::fprintf(stderr, "the check changed the offered file\n");
        std::abort();
    }
    if (contents(setup.database) != setup.databaseBytes) {
        std::fprintf(stderr, "the check changed the database\n");
        std::abort();
    }
    // Nothing may be left beside them (a journal, a temporary file).
    if (QDir(setup.dir.path()).entryList(QDir::Files | QDir::Hidden).size() != 2) {
        std::fprintf(stderr, "the check left a file behind\n");
        std::abort();
    }
    return 0;
}

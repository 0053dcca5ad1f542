#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>

// The physical limit beside each figure: the same rows read (or written) with
// the engine's C API and nothing else.
namespace Floor {

struct Query
{
    QString sql;
    QStringList params;
};

// Opens the file, runs each query stepping every row and reading every column
// as text, closes the file. Returns the rows read.
qint64 readRows(const QString &path, const QList<Query> &queries);
// One statement in its own transaction on a fresh connection, synchronous=FULL.
void write(const QString &path, const Query &statement);
// Opens the file and runs the integrity check a start-up makes.
void openAndCheck(const QString &path);

} // namespace Floor

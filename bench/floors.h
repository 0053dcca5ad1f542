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
// Opens the file and reads its schema, as a start-up does.
void openAndReadSchema(const QString &path);

} // namespace Floor

#pragma once

#include <QList>
#include <QStringList>
#include <QVariantList>

class Connection;

// The rows of a query in query order, each the values of its columns as read:
// Null stays Null, empty text stays empty text. A window's record list is
// filled from them.
using Rows = QList<QVariantList>;

Rows readRows(Connection &cn, const QString &sql, const QVariantList &params = {});

// The first column of every row as text, Null skipped: the entries of a
// selector, in query order (the selector sorts them itself).
QStringList readEntries(Connection &cn, const QString &sql, const QVariantList &params = {});

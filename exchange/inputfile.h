#pragma once

#include <QByteArray>
#include <QString>

// The largest file taken in: larger ones are refused before any byte is read,
// so a huge file never lands in memory.
constexpr qint64 kDefaultMaxFileBytes = 200LL * 1024 * 1024;

// The whole file, or ExchangeError when it is missing, unreadable, empty or
// larger than maxBytes.
QByteArray readInputFile(const QString &path, qint64 maxBytes = kDefaultMaxFileBytes);

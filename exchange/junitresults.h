#pragma once

#include "inputfile.h"

#include <QDate>
#include <QList>
#include <QString>

enum class TestOutcome { Passed, Failed, Skipped };

// The longest failure message kept, in characters, "…" included.
constexpr int kFailureMessageLimit = 2000;
// Elements nest at most this deep; a deeper file is refused.
constexpr int kJUnitMaxDepth = 256;

// One <testcase> of a JUnit XML file.
struct JUnitCase
{
    QString name;
    QString classname;
    TestOutcome outcome = TestOutcome::Passed;
    // For a failure or error: the first line of its message, else of its text,
    // cut to kFailureMessageLimit characters with "…".
    QString message;
    // From the timestamp of the nearest enclosing suite that has one; null when
    // none has, or when that timestamp lies after today.
    QDate date;
    qint64 line = 0;
    bool messageCut = false;
    bool timestampInFuture = false;
    // The value of the property named "build" (else "version") of the nearest
    // enclosing suite that has one, trimmed; empty when none has.
    QString build{};
};

// The test cases of a file with a <testsuite> or <testsuites> root, suites
// nested at any depth up to kJUnitMaxDepth elements (pytest, Maven Surefire,
// CTest and the like). The file is never let name a DTD or an entity: one
// with a DOCTYPE is refused. An ExchangeError names the file and line of any
// fault.
QList<JUnitCase> readJUnitFile(const QString &path, qint64 maxBytes = kDefaultMaxFileBytes);
// name only labels the messages.
QList<JUnitCase> parseJUnit(const QByteArray &xml, const QString &name = QString());

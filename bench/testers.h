#pragma once

#include "results.h"

#include <QList>
#include <QString>
#include <QStringList>

// Testers logging results at once, each on a connection of its own in a
// thread of its own, one result a second through logResult.
struct TestersRun
{
    int testers = 0;
    int saves = 0;       // logResult calls made
    int errors = 0;      // of them, a throw or a result that found no case
    QStringList failures; // the first few errors' texts
    double medianMs = 0;
    double p95Ms = 0;
    double maxMs = 0;
};

// Each tester mostly logs its own cases (ownCases of them, disjoint from the
// others'), every fourth result one of the shared cases, which all testers
// log. The actual result of each names the run, so that its history rows
// can be counted after: "Tester run <run>: ...".
// cases: the shared ones first, then ownCases for each tester in turn.
TestersRun runTesters(const QString &location, const QList<ResultEntry> &cases, int sharedCases, int ownCases,
                      int testers, int seconds, int run);

QString testersRunPrefix(int run);

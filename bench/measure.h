#pragma once

#include "testingclass.h"

#include <QList>
#include <QString>
#include <functional>

class ChildWindow;
class DropDown;

// What every part of the benchmark measures with: the median of repeated runs,
// each figure printed as it comes and kept for the closing table, the windows
// shown offscreen.
namespace Bench {

extern int g_runs;
extern QString g_only; // a word: only the figures whose name holds it are measured

bool wanted(const QString &name);

double medianMs(int runs, const std::function<void()> &body, const std::function<void()> &before = {});

struct Figure
{
    QString name;
    double ms;
    double floorMs;
    QString floorKind;
};

extern QList<Figure> g_figures;

void record(const QString &name, double ms, double floorMs, const QString &floorKind = QStringLiteral("C API"));

void settle();
void showLoaded(ChildWindow &w);

// A window of type W made on its own connection, loaded and shown.
template <class W>
double loadWindow(int runs)
{
    return medianMs(runs, [] {
        TestingClass con;
        W w(con);
        showLoaded(w);
    });
}

int indexOf(const DropDown *box, const QString &text);

inline const QString kLargest = QStringLiteral("PRJ-LARGEST");

// Picks the largest project (from another one each run) and leaves it picked.
double pickLargest(DropDown *projects, const QString &other, int runs);

} // namespace Bench

#include "measure.h"

#include "childwindow.h"
#include "dropdown.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace Bench {

int g_runs = 5;
QString g_only;
QList<Figure> g_figures;

bool wanted(const QString &name)
{
    return g_only.isEmpty() || name.contains(g_only);
}

double medianMs(int runs, const std::function<void()> &body, const std::function<void()> &before)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        if (before)
            before();
        QElapsedTimer t;
        t.start();
        body();
        times.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void record(const QString &name, double ms, double floorMs, const QString &floorKind)
{
    if (!wanted(name))
        return;
    g_figures.append({name, ms, floorMs, floorKind});
    std::printf("  %-58s %10.2f ms   floor %9.2f ms (%s)\n", qPrintable(name), ms, floorMs, qPrintable(floorKind));
    std::fflush(stdout);
}

void settle()
{
    QCoreApplication::processEvents();
}

void showLoaded(ChildWindow &w)
{
    w.Form_Load();
    w.resize(1280, 800);
    w.show();
    settle();
}

int indexOf(const DropDown *box, const QString &text)
{
    for (int i = 0; i < box->entryCount(); ++i) {
        if (box->entry(i) == text)
            return i;
    }
    return -1;
}

double pickLargest(DropDown *projects, const QString &other, int runs)
{
    const int largest = indexOf(projects, kLargest);
    const int away = indexOf(projects, other);
    const double ms = medianMs(runs, [&] { projects->setListIndex(largest); settle(); },
                               [&] { projects->setListIndex(away); });
    projects->setListIndex(largest);
    return ms;
}

} // namespace Bench

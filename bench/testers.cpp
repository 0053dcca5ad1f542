#include "testers.h"

#include "connection.h"
#include "dberror.h"

#include <QElapsedTimer>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace {

struct Tester
{
    std::vector<double> times;
    QStringList failures;
    int errors = 0;
};

double percentile(const std::vector<double> &sorted, double p)
{
    if (sorted.empty())
        return 0;
    return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size())))];
}

} // namespace

QString testersRunPrefix(int run)
{
    return QStringLiteral("Tester run %1:").arg(run);
}

TestersRun runTesters(const QString &location, const QList<ResultEntry> &cases, int sharedCases, int ownCases,
                      int testers, int seconds, int run)
{
    // Made here, used and closed in their threads: a driver connection
    // belongs to the thread that opened it.
    std::vector<std::unique_ptr<Connection>> connections;
    for (int t = 0; t < testers; ++t)
        connections.push_back(std::make_unique<Connection>());
    std::vector<Tester> results(testers);
    // Qt's threads: a server connection listens for announcements with a socket notifier.
    std::vector<std::unique_ptr<QThread>> threads;
    const auto start = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
    for (int t = 0; t < testers; ++t) {
        threads.emplace_back(QThread::create([&, t] {
            Connection &cn = *connections[t];
            Tester &me = results[t];
            try {
                cn.open(location);
            } catch (const DbError &e) {
                me.errors = seconds;
                me.failures << e.describe();
                return;
            }
            // Spread over the second, as people are.
            const auto mine = start + std::chrono::milliseconds(1000 * t / testers);
            for (int i = 0; i < seconds; ++i) {
                std::this_thread::sleep_until(mine + std::chrono::seconds(i));
                const int pick = i % 4 == 3 ? (t + i) % sharedCases : sharedCases + t * ownCases + i % ownCases;
                ResultEntry entry = cases.at(pick);
                entry.result.actual = QStringLiteral("%1 tester %2, result %3").arg(testersRunPrefix(run)).arg(t).arg(i);
                QElapsedTimer timer;
                timer.start();
                try {
                    if (!logResult(cn, entry).written()) {
                        ++me.errors;
                        me.failures << QStringLiteral("no case took the result");
                    }
                } catch (const DbError &e) {
                    ++me.errors;
                    me.failures << e.describe();
                } catch (const std::exception &e) {
                    ++me.errors;
                    me.failures << QString::fromLocal8Bit(e.what());
                }
                me.times.push_back(double(timer.nsecsElapsed()) / 1e6);
            }
            cn.close();
        }));
        threads.back()->start();
    }
    for (const std::unique_ptr<QThread> &thread : threads)
        thread->wait();

    TestersRun out;
    out.testers = testers;
    std::vector<double> all;
    for (const Tester &tester : results) {
        all.insert(all.end(), tester.times.begin(), tester.times.end());
        out.errors += tester.errors;
        out.failures += tester.failures.mid(0, 3);
    }
    out.saves = int(all.size());
    std::sort(all.begin(), all.end());
    out.medianMs = percentile(all, 0.5);
    out.p95Ms = percentile(all, 0.95);
    out.maxMs = all.empty() ? 0 : all.back();
    return out;
}

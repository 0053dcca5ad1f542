#pragma once

#include "statement.h"

#include <QString>
#include <QVariantList>
#include <atomic>
#include <functional>
#include <memory>

class Connection;

// What a query of text from outside the program may take before it is
// stopped. Its rows are held in memory, so a query that never ends, or gives
// rows without end, must be stopped before it takes the machine's memory or
// the user's patience. The rows of a 200,000-case Test Log take about 120 MB
// and are read in a second or two.
struct ReadLimits
{
    qint64 memoryBytes = qint64(512) << 20; // the rows read; the query's own sorting and recursion get half as much
    qint64 milliseconds = 60000;
};

// A query whose text the program does not write (a report definition's),
// on a connection opened read-only. It may only read: whatever else it asks
// for is refused while it is compiled, before anything runs. While it runs it
// is held to its limits and can be cancelled.
class ReadOnlyQuery
{
public:
    enum class Fault {
        None,
        Refused,           // it would do more than read; detail() says what, in words
        Invalid,           // the engine cannot compile it; detail() is its message
        SeveralStatements,
        NoStatement,
        Writes, // passed compilation, yet would change the database or write a file
    };
    enum class Stop {
        None,
        TooBig,    // past the memory bound
        Cancelled, // cancel was set
        TooLong,   // past the time bound
        Failed,    // the engine failed; detail() is its message
    };

    // Compiles sql on cn under the guard; fault() says whether it may run.
    ReadOnlyQuery(Connection &cn, const QString &sql, const ReadLimits &limits);
    ~ReadOnlyQuery();
    ReadOnlyQuery(const ReadOnlyQuery &) = delete;
    ReadOnlyQuery &operator=(const ReadOnlyQuery &) = delete;

    Fault fault() const { return m_fault; }
    const QString &detail() const { return m_detail; }

    // The compiled statement, for binding and for reading each row. Only
    // when fault() is None.
    Statement &statement() { return *m_statement; }

    // Runs the statement to its end, calling row() on each row; row() returns
    // false when the rows took more memory than allowed. progress is called
    // every few tens of milliseconds; cancel may be set meanwhile.
    Stop readAll(const std::function<bool()> &row, const std::function<void()> &progress,
                 const std::atomic_bool &cancel);
    // The rows read so far.
    qint64 rowsRead() const { return m_rows; }

private:
    Stop readServer(const std::function<bool()> &row, const std::function<void()> &progress,
                    const std::atomic_bool &cancel);
    void endServerTransaction();

    Connection &m_cn;
    ReadLimits m_limits;
    Fault m_fault = Fault::None;
    QString m_detail;
    std::unique_ptr<Statement> m_statement;
    qint64 m_rows = 0;
    bool m_serverTransaction = false;
};

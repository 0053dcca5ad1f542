#include "report.h"

#include "reporterror.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlError>
#include <QUuid>
#include <QVariant>
#include <algorithm>
#include <numeric>
#include <sqlite3.h>

QStringList ReportRows::at(qsizetype row) const
{
    QStringList out;
    out.reserve(width());
    for (int c = 0; c < width(); ++c)
        out << at(row, c);
    return out;
}

int fieldPosition(const QStringList &fields, const QString &name)
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

namespace {

sqlite3 *engineHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

QString refusedAction(int action, const char *name)
{
    const QString object = QString::fromUtf8(name ? name : "");
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        if (!object.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive))
            return QStringLiteral("change the table %1").arg(object);
        return QStringLiteral("change the database's structure");
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        return QStringLiteral("attach or detach a database");
    case SQLITE_PRAGMA:
        return QStringLiteral("run PRAGMA %1").arg(object);
    case SQLITE_TRANSACTION:
    case SQLITE_SAVEPOINT:
        return QStringLiteral("begin or end a transaction");
    default:
        return QStringLiteral("change the database's structure");
    }
}

// A report's query may only read. Whatever else it asks for is refused while
// it is compiled, before anything runs; the first refusal is noted for the message.
int readOnlyAuthorizer(void *refusal, int action, const char *first, const char *, const char *, const char *)
{
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        if (refusal && static_cast<QString *>(refusal)->isEmpty())
            *static_cast<QString *>(refusal) = refusedAction(action, first);
        return SQLITE_DENY;
    }
}

struct Statement
{
    sqlite3_stmt *st = nullptr;
    ~Statement() { sqlite3_finalize(st); }
};

// Why a read was stopped before its end.
enum class Stop { None, Cancelled, TooLong };

// Looks in on a running query now and then: stops it when cancelled or past
// its time, and lets the caller keep the window answering meanwhile.
class ReadWatch
{
public:
    ReadWatch(qint64 limitMs, const std::function<void()> &progress, const std::atomic_bool &cancel)
        : m_limitMs(limitMs)
        , m_progress(progress)
        , m_cancel(cancel)
    {
        m_clock.start();
    }

    // True when the read is to stop.
    bool stop()
    {
        if (m_stop != Stop::None)
            return true;
        const qint64 now = m_clock.elapsed();
        if (m_progress && now - m_lastProgress >= 40) {
            m_lastProgress = now;
            m_progress();
        }
        if (m_cancel)
            m_stop = Stop::Cancelled;
        else if (now > m_limitMs)
            m_stop = Stop::TooLong;
        return m_stop != Stop::None;
    }
    Stop reason() const { return m_stop; }

    static int onProgress(void *watch) { return static_cast<ReadWatch *>(watch)->stop() ? 1 : 0; }

private:
    QElapsedTimer m_clock;
    qint64 m_limitMs;
    qint64 m_lastProgress = 0;
    const std::function<void()> &m_progress;
    const std::atomic_bool &m_cancel;
    Stop m_stop = Stop::None;
};

// While a query runs, the engine's heap may grow by at most the given bytes:
// a sort or a recursion without end then fails for want of memory instead of
// taking the machine's. The engine keeps one limit for the whole program, so
// it is set for the read only and put back after, with the soft limit that
// setting it may lower.
class EngineHeapBound
{
public:
    explicit EngineHeapBound(qint64 bytes)
        : m_hardBefore(sqlite3_hard_heap_limit64(-1))
        , m_softBefore(sqlite3_soft_heap_limit64(-1))
    {
        sqlite3_int64 limit = sqlite3_memory_used() + bytes;
        if (m_hardBefore > 0)
            limit = std::min(limit, m_hardBefore);
        sqlite3_hard_heap_limit64(limit);
    }
    ~EngineHeapBound()
    {
        sqlite3_hard_heap_limit64(m_hardBefore);
        sqlite3_soft_heap_limit64(m_softBefore);
    }

private:
    sqlite3_int64 m_hardBefore;
    sqlite3_int64 m_softBefore;
};

// Collects the rows of a query. A column's texts are shared while they repeat;
// a column found to hold mostly distinct texts stops being looked up.
class RowCollector
{
public:
    explicit RowCollector(int width)
        : m_data(std::make_shared<ReportRows::Data>())
        , m_seen(width)
    {
        m_data->width = width;
        m_data->repeats.assign(width, true);
    }

    void add(int column, const QChar *text, qsizetype size)
    {
        if (size == 0) {
            m_data->cells.push_back(0);
            return;
        }
        const bool shared = m_data->repeats[column];
        if (shared) {
            const auto it = m_seen[column].constFind(QString::fromRawData(text, size));
            if (it != m_seen[column].cend()) {
                m_data->cells.push_back(*it);
                return;
            }
        }
        const auto number = quint32(m_data->texts.size());
        m_data->texts.append(QString(text, size));
        m_textBytes += textCost(size);
        if (shared) {
            m_seen[column].insert(m_data->texts.last(), number);
            m_lookupBytes += lookupCost;
        }
        m_data->cells.push_back(number);
    }
    void add(int column, const QString &text) { add(column, text.constData(), text.size()); }

    void endRow()
    {
        // A column whose distinct texts outnumber half the rows gains little by sharing.
        if (++m_rows % 4096 != 0)
            return;
        for (size_t c = 0; c < m_seen.size(); ++c) {
            if (m_data->repeats[c] && m_seen[c].size() > m_rows / 2) {
                m_data->repeats[c] = false;
                m_lookupBytes -= m_seen[c].size() * lookupCost;
                m_seen[c] = {};
            }
        }
    }

    // What the rows take so far, near enough.
    qint64 bytes() const
    {
        return qint64(m_data->cells.capacity()) * qint64(sizeof(quint32))
               + qint64(m_data->texts.capacity()) * qint64(sizeof(QString)) + m_textBytes + m_lookupBytes;
    }

    std::shared_ptr<ReportRows::Data> finish()
    {
        m_seen.clear();
        return std::move(m_data);
    }

private:
    static constexpr qint64 lookupCost = 48;
    static qint64 textCost(qsizetype size) { return (qint64(size + 1) * 2 + 16 + 8 + 15) & ~qint64(15); }

    std::shared_ptr<ReportRows::Data> m_data;
    std::vector<QHash<QString, quint32>> m_seen;
    qint64 m_rows = 0;
    qint64 m_textBytes = 0;
    qint64 m_lookupBytes = 0;
};

// Each row's place among one column's texts: in the collator's order, equal
// texts by the collator in exact text order, identical texts alike.
// Values listed in first come before all others, in that order, and a
// blank after them all.
std::vector<quint32> columnRanks(const ReportRows::Data &d, int column, const QCollator &collator, const QStringList &first)
{
    const size_t rows = d.cells.size() / d.width;
    std::vector<quint32> numbers; // the column's distinct text numbers
    std::vector<char> used(d.texts.size(), 0);
    for (size_t r = 0; r < rows; ++r) {
        const quint32 n = d.cells[r * d.width + column];
        if (!used[n]) {
            used[n] = 1;
            numbers.push_back(n);
        }
    }
    used = {};
    std::vector<QCollatorSortKey> keys;
    keys.reserve(numbers.size());
    for (quint32 n : numbers)
        keys.push_back(collator.sortKey(d.texts.at(n)));
    std::vector<quint32> order(numbers.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        const int cmp = keys[a].compare(keys[b]);
        if (cmp != 0)
            return cmp < 0;
        return d.texts.at(numbers[a]).compare(d.texts.at(numbers[b])) < 0;
    });
    std::vector<quint32> rankOf(d.texts.size(), 0);
    const quint32 listed = quint32(first.size());
    quint32 rank = listed;
    for (size_t i = 0; i < order.size(); ++i) {
        const QString &text = d.texts.at(numbers[order[i]]);
        if (i > 0 && text != d.texts.at(numbers[order[i - 1]]))
            ++rank;
        const qsizetype at = first.indexOf(text);
        rankOf[numbers[order[i]]] = at >= 0 ? quint32(at) : (listed > 0 && text.isEmpty() ? quint32(-1) : rank);
    }
    std::vector<quint32> ranks(rows);
    for (size_t r = 0; r < rows; ++r)
        ranks[r] = rankOf[d.cells[r * d.width + column]];
    return ranks;
}

struct SortKey
{
    int column;
    bool descending;
    QStringList first; // values that come first, in this order
};

// Sorts the rows by the keys; rows that tie keep their order.
void sortRows(ReportRows::Data &d, const QList<SortKey> &keys)
{
    const size_t rows = d.width ? d.cells.size() / d.width : 0;
    if (keys.isEmpty() || rows < 2)
        return;
    // Numbers inside texts in numeric order ("2" before "10"); the C locale
    // would compare code points only.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::vector<std::vector<quint32>> ranks;
    for (const auto &k : keys)
        ranks.push_back(columnRanks(d, k.column, collator, k.first));
    std::vector<quint32> order(rows);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
        for (size_t k = 0; k < ranks.size(); ++k) {
            if (ranks[k][a] != ranks[k][b])
                return keys.at(qsizetype(k)).descending ? ranks[k][a] > ranks[k][b] : ranks[k][a] < ranks[k][b];
        }
        return false;
    });
    ranks.clear();
    std::vector<quint32> cells(d.cells.size());
    for (size_t r = 0; r < rows; ++r)
        std::copy_n(d.cells.begin() + size_t(order[r]) * d.width, d.width, cells.begin() + r * d.width);
    d.cells = std::move(cells);
}

} // namespace

Report::Report(ReportDefinition definition)
    : m_definition(std::move(definition))
    , m_values(m_definition.parameters.size())
{
}

Report::~Report()
{
    setDataSource(QString());
}

void Report::fail(const QString &problem) const
{
    throw ReportError(m_definition.file, problem);
}

void Report::checkPosition(int position) const
{
    if (position < 1 || position > parameterCount())
        fail(QStringLiteral("the report has %1 parameter(s), so there is no parameter %2")
                 .arg(parameterCount())
                 .arg(position));
}

void Report::clearParameter(int position)
{
    checkPosition(position);
    m_values[position - 1].reset();
    m_content.reset();
}

void Report::setParameterValue(int position, const QString &value)
{
    checkPosition(position);
    m_values[position - 1] = value;
    m_content.reset();
}

std::optional<QString> Report::parameterValue(int position) const
{
    checkPosition(position);
    return m_values.at(position - 1);
}

QStringList Report::parameterValues() const
{
    QStringList values;
    for (int i = 0; i < m_values.size(); ++i) {
        if (!m_values.at(i) && m_prompt)
            fail(QStringLiteral("parameter %1 (\"%2\") has no value").arg(i + 1).arg(m_definition.parameters.at(i).name));
        values << m_values.at(i).value_or(QString());
    }
    return values;
}

void Report::setDataSource(const QString &databaseFile)
{
    if (!m_connectionName.isEmpty()) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
        m_connectionName.clear();
    }
    m_dataSource = databaseFile;
    m_content.reset();
}

bool Report::isConnected() const
{
    return !m_connectionName.isEmpty() && QSqlDatabase::database(m_connectionName, false).isOpen();
}

void Report::discardReadRows()
{
    m_content.reset();
}

QSqlDatabase Report::connection()
{
    if (isConnected())
        return QSqlDatabase::database(m_connectionName, false);
    if (m_dataSource.isEmpty())
        fail(QStringLiteral("the report has no data source"));
    const QFileInfo info(m_dataSource);
    if (!info.isFile())
        fail(QStringLiteral("the database %1 does not exist").arg(m_dataSource));

    const QString name = QStringLiteral("report-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(info.absoluteFilePath());
        // A report only reads; it must never lock out or change the program's data.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (!db.open()) {
            error = db.lastError().text();
        } else if (sqlite3 *h = engineHandle(db)) {
            // Sorts and recursions work in memory, where the read's bound holds,
            // not in temporary files that could fill the disk.
            sqlite3_exec(h, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
            sqlite3_set_authorizer(h, readOnlyAuthorizer, nullptr);
        } else {
            error = QStringLiteral("the database driver gives no engine handle");
            db.close();
        }
    }
    if (!error.isEmpty()) {
        QSqlDatabase::removeDatabase(name);
        fail(QStringLiteral("the database %1 cannot be opened: %2").arg(m_dataSource, error));
    }
    m_connectionName = name;
    return QSqlDatabase::database(name, false);
}

std::shared_ptr<ReportRows::Data> Report::runQuery(const ReportQuery &query, QStringList *fields)
{
    sqlite3 *h = engineHandle(connection());
    const QStringList values = parameterValues();
    // No one value may take more than a part of the memory bound.
    sqlite3_limit(h, SQLITE_LIMIT_LENGTH, int(std::clamp<qint64>(m_limits.memoryBytes / 8, 1 << 16, 1 << 30)));
    const QString which = QStringLiteral("the query at line %1").arg(query.line);

    // Compiled under the authorizer, and checked to be read-only before its first step.
    Statement st;
    QString refused;
    sqlite3_set_authorizer(h, readOnlyAuthorizer, &refused);
    const QString sql = query.sql;
    const void *tail = nullptr;
    int rc = sqlite3_prepare16_v2(h, sql.utf16(), int(sql.size() * sizeof(QChar)), &st.st, &tail);
    bool more = false;
    while (rc == SQLITE_OK && tail && *static_cast<const char16_t *>(tail)) {
        Statement next;
        const auto *rest = static_cast<const char16_t *>(tail);
        const auto restBytes = int((reinterpret_cast<const char16_t *>(sql.utf16()) + sql.size() - rest) * sizeof(QChar));
        rc = sqlite3_prepare16_v2(h, rest, restBytes, &next.st, &tail);
        more = more || next.st;
    }
    const QString error = QString::fromUtf8(sqlite3_errmsg(h));
    sqlite3_set_authorizer(h, readOnlyAuthorizer, nullptr);
    if (!refused.isEmpty())
        fail(QStringLiteral("%1 was refused: a report may only read, and it would %2").arg(which, refused));
    if (rc != SQLITE_OK)
        fail(QStringLiteral("%1 cannot run on %2: %3").arg(which, m_dataSource, error));
    if (more)
        fail(QStringLiteral("%1 holds more than one statement").arg(which));
    if (!st.st)
        fail(QStringLiteral("%1 holds no statement").arg(which));
    if (!sqlite3_stmt_readonly(st.st))
        fail(QStringLiteral("%1 was refused: a report may only read, and it would change the database or write a file")
                 .arg(which));

    int bound = 0;
    for (const QString &name : query.parameters) {
        for (int i = 0; i < m_definition.parameters.size(); ++i) {
            if (m_definition.parameters.at(i).name != name)
                continue;
            const QString &value = values.at(i);
            ++bound;
            if (value.isNull())
                sqlite3_bind_null(st.st, bound);
            else
                sqlite3_bind_text16(st.st, bound, value.utf16(), int(value.size() * sizeof(QChar)), SQLITE_TRANSIENT);
        }
    }

    const int width = sqlite3_column_count(st.st);
    if (fields) {
        fields->clear();
        for (int i = 0; i < width; ++i) {
            // Named as the database driver names them, without double quotes.
            *fields << QString::fromUtf16(static_cast<const char16_t *>(sqlite3_column_name16(st.st, i)))
                           .remove(QLatin1Char('"'));
        }
    }

    RowCollector rows(width);
    bool tooBig = false;
    qint64 read = 0;
    {
        ReadWatch watch(m_limits.milliseconds, m_progress, m_cancel);
        // Half the bound: the blocks a growing sort frees are not all given back to the system.
        const EngineHeapBound heapBound(m_limits.memoryBytes / 2);
        sqlite3_progress_handler(h, 1000, ReadWatch::onProgress, &watch);
        while ((rc = sqlite3_step(st.st)) == SQLITE_ROW) {
            for (int c = 0; c < width; ++c) {
                // Each value as the database driver gives it, as text.
                switch (sqlite3_column_type(st.st, c)) {
                case SQLITE_NULL:
                    rows.add(c, nullptr, 0);
                    break;
                case SQLITE_INTEGER:
                    rows.add(c, QString::number(sqlite3_column_int64(st.st, c)));
                    break;
                case SQLITE_FLOAT:
                    rows.add(c, QVariant(sqlite3_column_double(st.st, c)).toString());
                    break;
                case SQLITE_BLOB:
                    rows.add(c, QString::fromUtf8(static_cast<const char *>(sqlite3_column_blob(st.st, c)),
                                                  sqlite3_column_bytes(st.st, c)));
                    break;
                default: {
                    const auto *text = static_cast<const QChar *>(sqlite3_column_text16(st.st, c));
                    rows.add(c, text, sqlite3_column_bytes16(st.st, c) / qsizetype(sizeof(QChar)));
                }
                }
            }
            rows.endRow();
            ++read;
            if (rows.bytes() > m_limits.memoryBytes) {
                tooBig = true;
                break;
            }
            if (read % 256 == 0 && watch.stop())
                break;
        }
        sqlite3_progress_handler(h, 0, nullptr, nullptr);
        const QString stopped = QStringLiteral("%1 was stopped: ").arg(which);
        if (tooBig || rc == SQLITE_NOMEM || rc == SQLITE_TOOBIG)
            fail(stopped + QStringLiteral("it took more memory than the %1 MB a report may use").arg(m_limits.memoryBytes >> 20));
        if (watch.reason() == Stop::Cancelled)
            fail(stopped + QStringLiteral("it was cancelled"));
        if (watch.reason() == Stop::TooLong)
            fail(stopped + QStringLiteral("it ran longer than the %1 s a report may take").arg(m_limits.milliseconds / 1000.0));
    }
    if (rc != SQLITE_DONE) {
        const QString problem = QString::fromUtf8(sqlite3_errmsg(h));
        if (read == 0)
            fail(QStringLiteral("%1 failed on %2: %3").arg(which, m_dataSource, problem));
        fail(QStringLiteral("the rows of %1 cannot be read: %2").arg(which, problem));
    }
    return rows.finish();
}

const ReportContent &Report::content()
{
    if (m_content)
        return *m_content;

    // The progress callback runs other events; none of them may start a second read.
    if (m_reading)
        fail(QStringLiteral("the report is being read already"));
    m_reading = true;
    struct Reading
    {
        bool &flag;
        ~Reading() { flag = false; }
    } reading{m_reading};
    m_cancel = false;
    ReportContent c;
    c.readAt = QDateTime::currentDateTime();
    if (!m_definition.introQuery.sql.isEmpty()) {
        QStringList introFields;
        const ReportRows intro(runQuery(m_definition.introQuery, &introFields));
        auto introValue = [&](const QString &field, const QString &user) {
            const int at = fieldPosition(introFields, field);
            if (at < 0)
                fail(QStringLiteral("%1 names the field \"%2\", which the <intro> query does not give").arg(user, field));
            return intro.isEmpty() ? QString() : intro.at(0, at);
        };
        for (const ReportIntroItem &item : m_definition.introItems)
            c.introValues << introValue(item.field, QStringLiteral("the intro item \"%1\"").arg(item.label));
        for (const ReportParameter &p : m_definition.parameters)
            c.parameterDetails << (p.detail.isEmpty() ? QString() : introValue(p.detail, QStringLiteral("parameter \"%1\"").arg(p.name)));
    }
    const std::shared_ptr<ReportRows::Data> rows = runQuery(m_definition.query, &c.fields);

    // Every field the layout names must come from the query.
    auto column = [&](const QString &field, const QString &user) {
        const int at = fieldPosition(c.fields, field);
        if (at < 0)
            fail(QStringLiteral("%1 names the field \"%2\", which the query does not give").arg(user, field));
        return at;
    };
    for (const ReportColumn &col : m_definition.columns)
        column(col.field, QStringLiteral("a <column>"));
    for (const ReportSummaryItem &item : m_definition.summary) {
        if (item.where.isSet())
            column(item.where.field, QStringLiteral("a summary line"));
        if (item.base.isSet())
            column(item.base.field, QStringLiteral("a summary line"));
        if (!item.by.isEmpty())
            column(item.by, QStringLiteral("a summary line"));
        if (!item.across.isEmpty())
            column(item.across, QStringLiteral("a summary line"));
    }

    // Groups first, then the sort keys; rows that tie keep the query's order.
    QList<SortKey> keys;
    for (const ReportGroup &g : m_definition.groups)
        keys.append({column(g.field, QStringLiteral("a <group>")), false, g.order});
    for (const ReportSortKey &k : m_definition.sortKeys)
        keys.append({column(k.field, QStringLiteral("a sort <key>")), k.descending, {}});
    sortRows(*rows, keys);
    c.everyRow = ReportRows(rows);
    c.rows = c.everyRow;
    if (m_definition.shown.isSet()) {
        // The rows shown share the texts of every row read.
        const int at = column(m_definition.shown.field, QStringLiteral("<rows>"));
        auto shown = std::make_shared<ReportRows::Data>();
        shown->width = rows->width;
        shown->texts = rows->texts;
        shown->repeats = rows->repeats;
        for (qsizetype r = 0; r < c.everyRow.size(); ++r) {
            if (m_definition.shown.matches(c.everyRow.at(r, at))) {
                const auto from = rows->cells.cbegin() + r * rows->width;
                shown->cells.insert(shown->cells.end(), from, from + rows->width);
            }
        }
        c.rows = ReportRows(shown);
    }
    m_content = std::move(c);
    return *m_content;
}

std::unique_ptr<Report> ReportEngine::openReport(const QString &definitionFile)
{
    auto report = std::make_unique<Report>(ReportDefinition::load(definitionFile));
    ++m_opened;
    return report;
}

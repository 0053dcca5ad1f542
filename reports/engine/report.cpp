#include "report.h"

#include "connection.h"
#include "databaselocation.h"
#include "dberror.h"
#include "reporterror.h"
#include "reportsources.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QVariant>
#include <algorithm>
#include <numeric>

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
    void add(int column, QStringView text) { add(column, text.constData(), text.size()); }

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
    m_connection.reset();
    m_dataSource = databaseFile;
    m_content.reset();
}

bool Report::isConnected() const
{
    return m_connection && m_connection->state() == StateOpen;
}

void Report::discardReadRows()
{
    m_content.reset();
}

Connection &Report::connection()
{
    if (isConnected())
        return *m_connection;
    if (m_dataSource.isEmpty())
        fail(QStringLiteral("the report has no data source"));
    if (!DatabaseLocation::parse(m_dataSource).isServer() && !QFileInfo(m_dataSource).isFile())
        fail(QStringLiteral("the database %1 does not exist").arg(m_dataSource));
    auto cn = std::make_unique<Connection>();
    try {
        cn->open(m_dataSource, Connection::Access::ReadOnly);
    } catch (const DbError &e) {
        fail(QStringLiteral("the database %1 cannot be opened: %2").arg(m_dataSource, e.engineMessage()));
    }
    m_connection = std::move(cn);
    return *m_connection;
}

std::shared_ptr<ReportRows::Data> Report::runQuery(const ReportQuery &query, QStringList *fields)
{
    Connection &cn = connection();
    const QStringList values = parameterValues();
    const QString which = QStringLiteral("the query at line %1").arg(query.line);
    // A parameter without a value is Null, one with an empty value empty text.
    QVariantList bound;
    for (const QString &name : query.parameters) {
        for (int i = 0; i < m_definition.parameters.size(); ++i) {
            if (m_definition.parameters.at(i).name == name)
                bound << (values.at(i).isNull() ? QVariant() : QVariant(values.at(i)));
        }
    }
    if (!query.source.isEmpty())
        return sourceRows(query, bound, fields);

    ReadOnlyQuery guarded(cn, query.sql, m_limits);
    const QString refused = QStringLiteral("%1 was refused: a report may only read, and it would ").arg(which);
    switch (guarded.fault()) {
    case ReadOnlyQuery::Fault::None:
        break;
    case ReadOnlyQuery::Fault::Refused:
        fail(refused + guarded.detail());
    case ReadOnlyQuery::Fault::Invalid:
        fail(QStringLiteral("%1 cannot run on %2: %3").arg(which, m_dataSource, guarded.detail()));
    case ReadOnlyQuery::Fault::SeveralStatements:
        fail(QStringLiteral("%1 holds more than one statement").arg(which));
    case ReadOnlyQuery::Fault::NoStatement:
        fail(QStringLiteral("%1 holds no statement").arg(which));
    case ReadOnlyQuery::Fault::Writes:
        fail(refused + QStringLiteral("change the database or write a file"));
    }

    Statement &st = guarded.statement();
    try {
        st.bind(bound);
    } catch (const DbError &e) {
        fail(QStringLiteral("%1 cannot run on %2: %3").arg(which, m_dataSource, e.engineMessage()));
    }

    const int width = st.columnCount();
    if (fields) {
        fields->clear();
        // Named as the database driver names them, without double quotes.
        for (int i = 0; i < width; ++i)
            *fields << st.columnName(i);
    }

    RowCollector rows(width);
    const ReadOnlyQuery::Stop stop = guarded.readAll(
        [&] {
            for (int c = 0; c < width; ++c)
                rows.add(c, st.text(c));
            rows.endRow();
            return rows.bytes() <= m_limits.memoryBytes;
        },
        m_progress, m_cancel);
    const QString stopped = QStringLiteral("%1 was stopped: ").arg(which);
    switch (stop) {
    case ReadOnlyQuery::Stop::None:
        break;
    case ReadOnlyQuery::Stop::TooBig:
        fail(stopped + QStringLiteral("it took more memory than the %1 MB a report may use").arg(m_limits.memoryBytes >> 20));
    case ReadOnlyQuery::Stop::Cancelled:
        fail(stopped + QStringLiteral("it was cancelled"));
    case ReadOnlyQuery::Stop::TooLong:
        fail(stopped + QStringLiteral("it ran longer than the %1 s a report may take").arg(m_limits.milliseconds / 1000.0));
    case ReadOnlyQuery::Stop::Failed:
        if (guarded.rowsRead() == 0)
            fail(QStringLiteral("%1 failed on %2: %3").arg(which, m_dataSource, guarded.detail()));
        fail(QStringLiteral("the rows of %1 cannot be read: %2").arg(which, guarded.detail()));
    }
    return rows.finish();
}

std::shared_ptr<ReportRows::Data> Report::sourceRows(const ReportQuery &query, const QVariantList &values,
                                                    QStringList *fields)
{
    const QString which = QStringLiteral("the query at line %1").arg(query.line);
    const ReportSource *source = ReportSources::find(query.source);
    if (!source)
        fail(QStringLiteral("%1 names the source \"%2\", which this program does not have").arg(which, query.source));
    SourceRows made;
    try {
        made = (*source)(connection(), values);
    } catch (const DbError &e) {
        fail(QStringLiteral("%1 failed on %2: %3").arg(which, m_dataSource, e.engineMessage()));
    }
    if (fields)
        *fields = made.fields;
    const int width = int(made.fields.size());
    RowCollector rows(width);
    for (const QStringList &row : std::as_const(made.rows)) {
        for (int c = 0; c < width; ++c)
            rows.add(c, row.at(c));
        rows.endRow();
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
        c.itemFields.append(QStringList());
        c.itemRows.append(ReportRows());
        if (item.kind != ReportSummaryItem::Kind::Series)
            continue;
        c.itemRows.last() = ReportRows(runQuery(item.query, &c.itemFields.last()));
        for (const ReportColumn &col : item.columns) {
            if (fieldPosition(c.itemFields.last(), col.field) < 0)
                fail(QStringLiteral("a <series> column names the field \"%1\", which its query does not give").arg(col.field));
        }
        for (const ReportBar &bar : item.bars) {
            if (fieldPosition(c.itemFields.last(), bar.value) < 0)
                fail(QStringLiteral("a <series> bar names the field \"%1\", which its query does not give").arg(bar.value));
        }
    }
    for (const ReportSummaryItem &item : m_definition.summary) {
        if (item.kind == ReportSummaryItem::Kind::Series)
            continue;
        if (item.where.isSet())
            column(item.where.field, QStringLiteral("a summary line"));
        if (item.base.isSet())
            column(item.base.field, QStringLiteral("a summary line"));
        if (!item.by.isEmpty())
            column(item.by, QStringLiteral("a summary line"));
        if (!item.across.isEmpty())
            column(item.across, QStringLiteral("a summary line"));
        for (const ReportColumn &col : item.columns)
            column(col.field, QStringLiteral("a summary line"));
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

#include "recordset.h"

#include "connection.h"
#include "datevalue.h"
#include "dberror.h"

#include <QRegularExpression>
#include <sqlite3.h>

namespace {

[[noreturn]] void fail(const QString &context, const QString &engine)
{
    throw DbError(DbError::Kind::General, context, engine);
}

// Typed text reaches the file as text, even when empty; an invalid value is Null.
QVariant forBinding(const QVariant &value)
{
    if (!value.isValid())
        return QVariant();
    if (value.typeId() == QMetaType::QDate)
        return DateValue::toStored(value.toDate());
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QVariant(QString(QLatin1String("")));
    return value;
}

// One prepared statement with its values bound; finalized on every way out.
class Statement
{
public:
    Statement(sqlite3 *db, const QString &sql, const QVariantList &params, const QString &context)
        : m_db(db)
        , m_context(context)
    {
        if (!db)
            fail(context, QStringLiteral("the database connection is not open"));
        const QByteArray utf8 = sql.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_st, nullptr) != SQLITE_OK)
            failHere();
        if (sqlite3_bind_parameter_count(m_st) != params.size())
            fail(context, QStringLiteral("it takes %1 values, %2 were given")
                              .arg(sqlite3_bind_parameter_count(m_st))
                              .arg(params.size()));
        for (int i = 0; i < params.size(); ++i) {
            const QVariant value = forBinding(params.at(i));
            int rc;
            if (value.isNull()) {
                rc = sqlite3_bind_null(m_st, i + 1);
            } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
                rc = sqlite3_bind_int64(m_st, i + 1, value.toLongLong());
            } else if (value.typeId() == QMetaType::Double) {
                rc = sqlite3_bind_double(m_st, i + 1, value.toDouble());
            } else {
                const QString t = value.toString();
                rc = sqlite3_bind_text16(m_st, i + 1, t.utf16(), int(t.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
            }
            if (rc != SQLITE_OK)
                failHere();
        }
    }
    ~Statement() { sqlite3_finalize(m_st); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    sqlite3_stmt *get() const { return m_st; }
    // True on a row, false when done.
    bool step()
    {
        const int rc = sqlite3_step(m_st);
        if (rc != SQLITE_ROW && rc != SQLITE_DONE)
            failHere();
        return rc == SQLITE_ROW;
    }
    [[noreturn]] void failHere() const { fail(m_context, QString::fromUtf8(sqlite3_errmsg(m_db))); }

private:
    sqlite3 *m_db;
    sqlite3_stmt *m_st = nullptr;
    QString m_context;
};

QVariant columnValue(sqlite3_stmt *st, int i)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(st, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, i);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i));
    default: {
        const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        const int bytes = sqlite3_column_bytes(st, i);
        // Empty text stays text, distinct from Null.
        return bytes > 0 ? QString::fromUtf8(chars, bytes) : QString(QLatin1String(""));
    }
    }
}

} // namespace

void RecordSet::run(const QString &sql, const QVariantList &params, const QString &context)
{
    Statement st(m_cn->engine(), sql, params, context);
    st.step();
    if (m_adding)
        m_rowIds.append(sqlite3_last_insert_rowid(m_cn->engine()));
}

void RecordSet::open(const QString &sql, const QVariantList &params, Connection &cn, LockType lock, const QString &table)
{
    const QString context = QStringLiteral("Cannot run the query \"%1\"").arg(sql);
    if (m_open)
        fail(context, QStringLiteral("the record set is already open"));
    if (cn.state() != 1)
        fail(context, QStringLiteral("the database connection is not open"));
    cn.followFile();

    m_cn = &cn;
    m_updatable = lock == LockType::Optimistic;
    m_table = m_updatable ? table : QString();
    QString text = sql;
    if (m_updatable) {
        static const QRegularExpression select(QStringLiteral("^\\s*select\\s+"), QRegularExpression::CaseInsensitiveOption);
        if (m_table.isEmpty() || !select.match(sql).hasMatch())
            fail(QStringLiteral("Cannot open \"%1\" for changes").arg(sql), QStringLiteral("it is not a select from one named table"));
        // The row id lets update and delete name exactly the current row.
        text.replace(select, QStringLiteral("select rowid, "));
    }

    // Rows are read straight from the engine on the connection's own handle:
    // the driver's generic row buffer costs three times the engine's own read.
    Statement st(cn.engine(), text, params, context);
    const int width = sqlite3_column_count(st.get());
    const int first = m_updatable ? 1 : 0;
    m_columns.clear();
    m_columnByName.clear();
    for (int i = first; i < width; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(st.get(), i));
        m_columnByName.insert(name, int(m_columns.size()));
        m_columnByName.insert(name.toLower(), int(m_columns.size()));
        m_columns << name;
    }
    m_rows.clear();
    m_rowIds.clear();
    while (st.step()) {
        QVariantList row;
        row.reserve(width - first);
        for (int i = first; i < width; ++i)
            row.append(columnValue(st.get(), i));
        m_rows.append(std::move(row));
        if (m_updatable)
            m_rowIds.append(sqlite3_column_int64(st.get(), 0));
    }
    m_pos = 0;
    m_adding = false;
    m_pending.clear();
    m_open = true;
}

void RecordSet::close()
{
    m_open = false;
    m_rows.clear();
    m_rowIds.clear();
    m_pending.clear();
    m_adding = false;
    m_pos = 0;
}

void RecordSet::requireOpen(const char *operation) const
{
    if (!m_open)
        fail(QStringLiteral("Cannot %1").arg(QLatin1String(operation)), QStringLiteral("the record set is closed"));
}

void RecordSet::requireCurrent(const char *operation) const
{
    requireOpen(operation);
    if (m_pos < 0 || m_pos >= m_rows.size())
        fail(QStringLiteral("Cannot %1").arg(QLatin1String(operation)), QStringLiteral("there is no current row"));
}

void RecordSet::requireUpdatable(const char *operation) const
{
    requireOpen(operation);
    if (!m_updatable)
        fail(QStringLiteral("Cannot %1").arg(QLatin1String(operation)), QStringLiteral("the record set is read-only"));
}

bool RecordSet::eof() const
{
    return !m_open || m_pos >= m_rows.size();
}

bool RecordSet::bof() const
{
    return !m_open || m_rows.isEmpty();
}

void RecordSet::moveFirst()
{
    requireOpen("move to the first row");
    m_pos = 0;
}

void RecordSet::moveNext()
{
    requireCurrent("move to the next row");
    ++m_pos;
}

int RecordSet::recordCount() const
{
    return m_open ? m_rows.size() : 0;
}

QString RecordSet::fieldName(int position) const
{
    return m_columns.value(position);
}

QVariant RecordSet::fields(int position) const
{
    requireCurrent("read a field");
    if (position < 0 || position >= m_columns.size())
        fail(QStringLiteral("Cannot read field %1").arg(position), QStringLiteral("no such field position"));
    return m_rows.at(m_pos).at(position);
}

int RecordSet::fieldIndex(const QString &name) const
{
    return columnIndex(name, "find the field");
}

int RecordSet::columnIndex(const QString &name, const char *operation) const
{
    auto it = m_columnByName.constFind(name);
    if (it == m_columnByName.constEnd())
        it = m_columnByName.constFind(name.toLower());
    if (it == m_columnByName.constEnd())
        fail(QStringLiteral("Cannot %1 %2").arg(QLatin1String(operation), name), QStringLiteral("no such field"));
    return it.value();
}

QVariant RecordSet::fields(const QString &name) const
{
    requireCurrent("read the field");
    return m_rows.at(m_pos).at(columnIndex(name, "read the field"));
}

void RecordSet::addNew()
{
    requireUpdatable("add a row");
    m_adding = true;
    m_pending.clear();
}

void RecordSet::setField(const QString &name, const QVariant &value)
{
    requireUpdatable("set the field");
    if (!m_adding)
        requireCurrent("set the field");
    const int column = columnIndex(name, "set the field");
    m_pending.removeIf([column](const auto &p) { return p.first == column; });
    m_pending.append({column, value});
}

void RecordSet::update()
{
    requireUpdatable("write the row");
    if (!m_adding)
        requireCurrent("write the row");
    if (m_pending.isEmpty() && !m_adding)
        return;

    QStringList names;
    QVariantList values;
    for (const auto &[column, value] : m_pending) {
        names << m_columns.at(column);
        values << value;
    }
    if (m_adding) {
        QString sql;
        if (names.isEmpty()) {
            sql = QStringLiteral("insert into %1 default values").arg(m_table);
        } else {
            QStringList marks;
            for (int i = 0; i < names.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("insert into %1 (%2) values (%3)")
                      .arg(m_table, names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
        run(sql, values, QStringLiteral("Cannot add the row to %1").arg(m_table));
        QVariantList row(m_columns.size());
        for (const auto &[column, value] : m_pending)
            row[column] = value.isValid() ? forBinding(value) : QVariant();
        m_rows.append(row);
        m_pos = m_rows.size() - 1;
        m_adding = false;
    } else {
        QStringList sets;
        for (const QString &n : names)
            sets << n + QStringLiteral(" = ?");
        values << m_rowIds.at(m_pos);
        run(QStringLiteral("update %1 set %2 where rowid = ?").arg(m_table, sets.join(QStringLiteral(", "))), values,
            QStringLiteral("Cannot change the row of %1").arg(m_table));
        for (const auto &[column, value] : m_pending)
            m_rows[m_pos][column] = value.isValid() ? forBinding(value) : QVariant();
    }
    m_pending.clear();
}

void RecordSet::deleteCurrent()
{
    requireUpdatable("delete the row");
    requireCurrent("delete the row");
    run(QStringLiteral("delete from %1 where rowid = ?").arg(m_table), {m_rowIds.at(m_pos)},
        QStringLiteral("Cannot delete the row of %1").arg(m_table));
    m_rows.removeAt(m_pos);
    m_rowIds.removeAt(m_pos);
}

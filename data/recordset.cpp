#include "recordset.h"

#include "connection.h"
#include "datevalue.h"
#include "dberror.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlDriver>
#include <QSqlRecord>
#include <sqlite3.h>

namespace {

[[noreturn]] void fail(const QString &context, const QString &engine)
{
    throw DbError(DbError::Kind::General, context, engine);
}

// The engine binds a null QString as Null; typed text must reach the file as text.
QVariant forBinding(const QVariant &value)
{
    if (!value.isValid())
        return QVariant(QMetaType::fromType<QString>());
    if (value.typeId() == QMetaType::QDate)
        return DateValue::toStored(value.toDate());
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QVariant(QString(QLatin1String("")));
    return value;
}

QString singleTable(const QString &sql)
{
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+([A-Za-z_][A-Za-z0-9_]*)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto match = from.match(sql);
    return match.hasMatch() ? match.captured(1) : QString();
}

} // namespace

void RecordSet::run(const QString &sql, const QVariantList &params, const QString &context)
{
    QSqlQuery q(m_cn->database());
    if (!q.prepare(sql))
        fail(context, q.lastError().text());
    for (const QVariant &p : params)
        q.addBindValue(forBinding(p));
    if (!q.exec())
        fail(context, q.lastError().text());
    if (m_adding)
        m_rowIds.append(q.lastInsertId().toLongLong());
}

void RecordSet::open(const QString &sql, const QVariantList &params, Connection &cn, CursorType, LockType lock)
{
    if (m_open)
        fail(QStringLiteral("Cannot run the query \"%1\"").arg(sql), QStringLiteral("the record set is already open"));
    if (cn.state() != 1)
        fail(QStringLiteral("Cannot run the query \"%1\"").arg(sql), QStringLiteral("the database connection is not open"));
    cn.followFile();

    m_cn = &cn;
    m_sql = sql;
    m_updatable = lock == LockType::Optimistic;
    m_table.clear();
    QString text = sql;
    if (m_updatable) {
        m_table = singleTable(sql);
        static const QRegularExpression select(QStringLiteral("^\\s*select\\s+"), QRegularExpression::CaseInsensitiveOption);
        if (m_table.isEmpty() || !select.match(sql).hasMatch())
            fail(QStringLiteral("Cannot open \"%1\" for changes").arg(sql), QStringLiteral("it is not a select from one table"));
        // The row id lets update and delete name exactly the current row.
        text.replace(select, QStringLiteral("select rowid, "));
    }

    readRows(text, params, sql);
    m_pos = 0;
    m_adding = false;
    m_pending.clear();
    m_open = true;
}

void RecordSet::readRows(const QString &text, const QVariantList &params, const QString &sql)
{
    // Rows are read straight from the engine on the connection's own handle:
    // the driver's generic row buffer costs three times the engine's own read.
    const QVariant handle = m_cn->database().driver()->handle();
    sqlite3 *db = handle.isValid() ? *static_cast<sqlite3 *const *>(handle.data()) : nullptr;
    if (!db)
        fail(QStringLiteral("Cannot run the query \"%1\"").arg(sql), QStringLiteral("the connection has no engine handle"));

    sqlite3_stmt *st = nullptr;
    const QByteArray utf8 = text.toUtf8();
    if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &st, nullptr) != SQLITE_OK)
        fail(QStringLiteral("Cannot run the query \"%1\"").arg(sql), QString::fromUtf8(sqlite3_errmsg(db)));
    struct Finalizer
    {
        sqlite3_stmt *st;
        ~Finalizer() { sqlite3_finalize(st); }
    } finalizer{st};

    if (sqlite3_bind_parameter_count(st) != params.size())
        fail(QStringLiteral("Cannot run the query \"%1\"").arg(sql),
             QStringLiteral("it takes %1 values, %2 were given").arg(sqlite3_bind_parameter_count(st)).arg(params.size()));
    for (int i = 0; i < params.size(); ++i) {
        const QVariant value = forBinding(params.at(i));
        int rc;
        if (value.isNull()) {
            rc = sqlite3_bind_null(st, i + 1);
        } else if (value.typeId() == QMetaType::Int || value.typeId() == QMetaType::LongLong) {
            rc = sqlite3_bind_int64(st, i + 1, value.toLongLong());
        } else if (value.typeId() == QMetaType::Double) {
            rc = sqlite3_bind_double(st, i + 1, value.toDouble());
        } else {
            const QString t = value.toString();
            rc = sqlite3_bind_text16(st, i + 1, t.utf16(), int(t.size() * sizeof(char16_t)), SQLITE_TRANSIENT);
        }
        if (rc != SQLITE_OK)
            fail(QStringLiteral("Cannot run the query \"%1\"").arg(sql), QString::fromUtf8(sqlite3_errmsg(db)));
    }

    const int width = sqlite3_column_count(st);
    const int first = m_updatable ? 1 : 0;
    m_columns.clear();
    m_columnByName.clear();
    for (int i = first; i < width; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(st, i));
        m_columnByName.insert(name, int(m_columns.size()));
        m_columnByName.insert(name.toLower(), int(m_columns.size()));
        m_columns << name;
    }
    m_rows.clear();
    m_rowIds.clear();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QVariantList row;
        row.reserve(width - first);
        for (int i = first; i < width; ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL:
                row.append(QVariant());
                break;
            case SQLITE_INTEGER:
                row.append(qint64(sqlite3_column_int64(st, i)));
                break;
            case SQLITE_FLOAT:
                row.append(sqlite3_column_double(st, i));
                break;
            case SQLITE_BLOB:
                row.append(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i)));
                break;
            default: {
                const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
                const int bytes = sqlite3_column_bytes(st, i);
                // Empty text stays text, distinct from Null.
                row.append(bytes > 0 ? QString::fromUtf8(chars, bytes) : QString(QLatin1String("")));
                break;
            }
            }
        }
        m_rows.append(std::move(row));
        if (m_updatable)
            m_rowIds.append(sqlite3_column_int64(st, 0));
    }
    if (rc != SQLITE_DONE)
        fail(QStringLiteral("Cannot read the rows of \"%1\"").arg(sql), QString::fromUtf8(sqlite3_errmsg(db)));
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

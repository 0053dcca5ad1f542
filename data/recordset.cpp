#include "recordset.h"

#include "connection.h"
#include "dberror.h"
#include "statement.h"

#include <QRegularExpression>

namespace {

[[noreturn]] void fail(const QString &context, const QString &engine)
{
    throw DbError(DbError::Kind::General, context, engine);
}

} // namespace

void RecordSet::run(const QString &sql, const QVariantList &params, const QString &context)
{
    Statement st(*m_cn, sql, context);
    st.run(params);
    if (m_adding)
        m_rowIds.append(st.lastInsertId());
}

void RecordSet::open(const QString &sql, const QVariantList &params, Connection &cn, LockType lock, const QString &table)
{
    const QString context = QStringLiteral("Cannot run the query \"%1\"").arg(sql);
    if (m_open)
        fail(context, QStringLiteral("the record set is already open"));
    if (cn.state() != StateOpen)
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
    Statement st(cn, text, context);
    st.bind(params);
    const int width = st.columnCount();
    const int first = m_updatable ? 1 : 0;
    m_columns.clear();
    m_columnByName.clear();
    for (int i = first; i < width; ++i) {
        const QString name = st.columnName(i);
        m_columnByName.insert(name, int(m_columns.size()));
        m_columnByName.insert(name.toLower(), int(m_columns.size()));
        m_columns << name;
    }
    m_rows.clear();
    m_rowIds.clear();
    while (st.next()) {
        QVariantList row;
        row.reserve(width - first);
        for (int i = first; i < width; ++i)
            row.append(st.value(i));
        m_rows.append(std::move(row));
        if (m_updatable)
            m_rowIds.append(st.value(0).toLongLong());
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
            row[column] = value.isValid() ? Statement::asBound(value) : QVariant();
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
            m_rows[m_pos][column] = value.isValid() ? Statement::asBound(value) : QVariant();
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

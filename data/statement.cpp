#include "statement.h"

#include "connection.h"
#include "datevalue.h"
#include "dberror.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <sqlite3.h>

QVariant Statement::asBound(const QVariant &value)
{
    if (!value.isValid())
        return QVariant();
    if (value.typeId() == QMetaType::QDate)
        return DateValue::toStored(value.toDate());
    if (value.typeId() == QMetaType::QString && value.toString().isNull())
        return QVariant(QString(QLatin1String("")));
    return value;
}

Statement::Statement(Connection &cn, const QString &sql, const QString &context)
    : m_db(cn.engine())
    , m_context(context)
{
    if (cn.isServer() && cn.state() == StateOpen) {
        m_connection = cn.database().connectionName();
        m_query = std::make_unique<QSqlQuery>(cn.database());
        m_query->setForwardOnly(true);
        if (!m_query->prepare(sql))
            fail();
        return;
    }
    if (!m_db)
        throw DbError(DbError::Kind::General, context, QStringLiteral("the database connection is not open"));
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &m_st, nullptr) != SQLITE_OK)
        fail();
}

Statement::Statement(sqlite3 *db, sqlite3_stmt *prepared, const QString &context)
    : m_db(db)
    , m_st(prepared)
    , m_context(context)
{
}

Statement::~Statement()
{
    sqlite3_finalize(m_st);
}

void Statement::fail() const
{
    if (m_query)
        throw DbError(DbError::Kind::General, m_context, m_query->lastError().text());
    throw DbError(DbError::Kind::General, m_context, QString::fromUtf8(sqlite3_errmsg(m_db)));
}

void Statement::execute() const
{
    // A failure shows at the first row: the columns of a failed run are none.
    if (!m_executed)
        m_query->exec();
    m_executed = true;
}

void Statement::bind(const QVariantList &params)
{
    if (m_query) {
        m_query->finish();
        m_executed = false;
        m_record.reset();
        for (int i = 0; i < params.size(); ++i)
            m_query->bindValue(i, asBound(params.at(i)));
        return;
    }
    sqlite3_reset(m_st);
    if (sqlite3_bind_parameter_count(m_st) != params.size())
        throw DbError(DbError::Kind::General, m_context,
                      QStringLiteral("it takes %1 values, %2 were given").arg(sqlite3_bind_parameter_count(m_st)).arg(params.size()));
    for (int i = 0; i < params.size(); ++i) {
        const QVariant value = asBound(params.at(i));
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
            fail();
    }
}

bool Statement::next()
{
    if (m_query) {
        execute();
        m_utf8.clear();
        if (m_query->next())
            return true;
        if (m_query->lastError().isValid())
            fail();
        return false;
    }
    const int rc = sqlite3_step(m_st);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail();
    return rc == SQLITE_ROW;
}

void Statement::run(const QVariantList &params)
{
    bind(params);
    next();
}

int Statement::changes() const
{
    return m_query ? m_query->numRowsAffected() : sqlite3_changes(m_db);
}

const QSqlRecord &Statement::record() const
{
    execute();
    if (!m_record)
        m_record = std::make_unique<QSqlRecord>(m_query->record());
    return *m_record;
}

int Statement::columnCount() const
{
    if (m_query)
        return record().count();
    return sqlite3_column_count(m_st);
}

QString Statement::columnName(int column) const
{
    if (m_query)
        return record().fieldName(column);
    return QString::fromUtf16(static_cast<const char16_t *>(sqlite3_column_name16(m_st, column))).remove(QLatin1Char('"'));
}

QVariant Statement::value(int column) const
{
    if (m_query) {
        // As the file gives them: Null without a type, whole numbers as 64 bits.
        if (m_query->isNull(column))
            return QVariant();
        QVariant v = m_query->value(column);
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::LongLong:
            return v.toLongLong();
        case QMetaType::Float:
            return v.toDouble();
        default:
            return v;
        }
    }
    switch (sqlite3_column_type(m_st, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return qint64(sqlite3_column_int64(m_st, column));
    case SQLITE_FLOAT:
        return sqlite3_column_double(m_st, column);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(m_st, column)), sqlite3_column_bytes(m_st, column));
    default: {
        const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(m_st, column));
        const int bytes = sqlite3_column_bytes(m_st, column);
        // Empty text stays text, distinct from Null.
        return bytes > 0 ? QString::fromUtf8(chars, bytes) : QString(QLatin1String(""));
    }
    }
}

QStringView Statement::text(int column)
{
    if (m_query) {
        if (m_query->isNull(column))
            return {};
        m_scratch = m_query->value(column).toString();
        return m_scratch;
    }
    switch (sqlite3_column_type(m_st, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        m_scratch = QString::number(sqlite3_column_int64(m_st, column));
        return m_scratch;
    case SQLITE_FLOAT:
        m_scratch = QVariant(sqlite3_column_double(m_st, column)).toString();
        return m_scratch;
    case SQLITE_BLOB:
        m_scratch = QString::fromUtf8(static_cast<const char *>(sqlite3_column_blob(m_st, column)),
                                      sqlite3_column_bytes(m_st, column));
        return m_scratch;
    default: {
        const auto *chars = static_cast<const QChar *>(sqlite3_column_text16(m_st, column));
        return QStringView(chars, sqlite3_column_bytes16(m_st, column) / qsizetype(sizeof(QChar)));
    }
    }
}

QByteArrayView Statement::utf8(int column) const
{
    if (m_query) {
        if (m_utf8.size() <= column)
            m_utf8.resize(columnCount());
        if (m_utf8[column].isNull() && !m_query->isNull(column))
            m_utf8[column] = m_query->value(column).toString().toUtf8();
        return m_utf8[column];
    }
    const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(m_st, column));
    return QByteArrayView(chars, chars ? sqlite3_column_bytes(m_st, column) : 0);
}

qint64 Statement::lastInsertId() const
{
    if (m_query) {
        // The row number the identity column gave last on this session.
        QSqlQuery q(QSqlDatabase::database(m_connection, false));
        return q.exec(QStringLiteral("select lastval()")) && q.next() ? q.value(0).toLongLong() : -1;
    }
    return sqlite3_last_insert_rowid(m_db);
}

#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <QVariant>
#include <QVariantList>
#include <memory>

class QSqlRecord;

class Connection;
class QSqlQuery;
struct sqlite3;
struct sqlite3_stmt;

// One statement on an open connection, its values bound in order, its rows
// read one by one straight from the engine: no value object per cell unless
// asked for one. A failure is a DbError saying what was being done; the
// statement is finalized on every way out. Callers see no engine: its
// handles below are private to the data library. On a server connection the
// same calls go through the driver, forward only, the values bound.
class Statement
{
public:
    // Prepares sql on cn, which must be open.
    Statement(Connection &cn, const QString &sql, const QString &context);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Binds one value per "?", in order, and starts the statement over. Typed
    // text is text even when empty; an invalid QVariant is Null; a QDate is
    // stored as a date.
    void bind(const QVariantList &params);
    // Runs to the next row: true on a row, false when there are no more.
    bool next();
    // Runs a statement that gives no rows with the values bound.
    void run(const QVariantList &params = {});
    // The rows the last run added, changed or deleted.
    int changes() const;

    int columnCount() const;
    // Named as the query names it, without double quotes.
    QString columnName(int column) const;

    // The value of the current row: Null stays Null, empty text stays text.
    QVariant value(int column) const;
    // The value as text, Null as empty text; valid until the next call.
    QStringView text(int column);
    // A text value's UTF-8 bytes, empty for Null; valid until the next row.
    QByteArrayView utf8(int column) const;

    // A value as bind() writes it, and so as a read gives it back.
    static QVariant asBound(const QVariant &value);

    // The row id the last insert on the connection gave.
    qint64 lastInsertId() const;

    const QString &context() const { return m_context; }
    [[noreturn]] void fail() const;

private:
    friend class ReadOnlyQuery;
    Statement(sqlite3 *db, sqlite3_stmt *prepared, const QString &context);
    // On a server: runs the statement once its values are bound, before its
    // first row or its columns are read.
    void execute() const;
    const QSqlRecord &record() const; // a server's; executes first

    std::unique_ptr<QSqlQuery> m_query; // a server's statement; null on a file
    QString m_connection;
    mutable bool m_executed = false;
    // A server's columns, read once a run: the driver builds its record anew at every ask.
    mutable std::unique_ptr<QSqlRecord> m_record;
    mutable QList<QByteArray> m_utf8; // utf8(): a server's texts of the current row
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_st = nullptr;
    QString m_context;
    QString m_scratch; // text(): a number spelt out
};

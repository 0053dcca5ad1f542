#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "objectstate.h"

class Connection;

enum class LockType { ReadOnly, Optimistic };

// The rows of one select over one table, walked row by row, through which rows
// are added, changed and deleted. Values the user typed arrive as bound
// parameters ("?" in the SQL text), never spliced into it. The rows are read
// when the set opens, so no statement stays open on the connection.
class RecordSet
{
public:
    RecordSet() = default;
    RecordSet(const RecordSet &) = delete;
    RecordSet &operator=(const RecordSet &) = delete;

    ObjectState state() const { return m_open ? StateOpen : StateClosed; }

    // Runs sql with params bound in order and stands on the first row, or at EOF.
    // An Optimistic set, a select from table, can then add, change and delete
    // rows of that table.
    void open(const QString &sql, const QVariantList &params, Connection &cn, LockType lock = LockType::ReadOnly,
              const QString &table = QString());
    void close();

    bool eof() const;
    bool bof() const;
    void moveFirst();
    void moveNext();
    int recordCount() const;

    // Null stays Null: an empty text column gives an empty, non-null string.
    QVariant fields(int position) const;
    QVariant fields(const QString &name) const;
    int fieldCount() const { return m_columns.size(); }
    QString fieldName(int position) const;
    // A field's position by name, for loops that read many rows.
    int fieldIndex(const QString &name) const;

    // Starts a new row; field assignments then go to it until update().
    void addNew();
    // A text value is written as text, never as Null, even when empty;
    // an invalid QVariant writes Null; a QDate is written as a date.
    void setField(const QString &name, const QVariant &value);
    // Writes the new or changed row in one statement.
    void update();
    // Deletes the current row, and only it.
    void deleteCurrent();

private:
    void requireOpen(const char *operation) const;
    void requireCurrent(const char *operation) const;
    void requireUpdatable(const char *operation) const;
    int columnIndex(const QString &name, const char *operation) const;
    void run(const QString &sql, const QVariantList &params, const QString &context);

    Connection *m_cn = nullptr;
    bool m_open = false;
    bool m_updatable = false;
    QString m_table;
    QStringList m_columns;
    QHash<QString, int> m_columnByName; // name as given and lower-case -> position
    QList<QVariantList> m_rows;
    QList<qint64> m_rowIds;
    int m_pos = 0;
    bool m_adding = false;
    QList<QPair<int, QVariant>> m_pending; // assignments waiting for update()
};

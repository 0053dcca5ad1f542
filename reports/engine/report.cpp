#include "report.h"

#include "reporterror.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <algorithm>
#include <numeric>

int fieldPosition(const QStringList &fields, const QString &name)
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

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
        if (!db.open())
            error = db.lastError().text();
    }
    if (!error.isEmpty()) {
        QSqlDatabase::removeDatabase(name);
        fail(QStringLiteral("the database %1 cannot be opened: %2").arg(m_dataSource, error));
    }
    m_connectionName = name;
    return QSqlDatabase::database(name, false);
}

QList<QStringList> Report::runQuery(const ReportQuery &query, QStringList *fields)
{
    QSqlDatabase db = connection();
    const QStringList values = parameterValues();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(query.sql))
        fail(QStringLiteral("the query at line %1 cannot run on %2: %3")
                 .arg(query.line)
                 .arg(m_dataSource, q.lastError().text()));
    for (const QString &name : query.parameters) {
        for (int i = 0; i < m_definition.parameters.size(); ++i) {
            if (m_definition.parameters.at(i).name == name)
                q.addBindValue(values.at(i));
        }
    }
    if (!q.exec())
        fail(QStringLiteral("the query at line %1 failed on %2: %3")
                 .arg(query.line)
                 .arg(m_dataSource, q.lastError().text()));
    const QSqlRecord record = q.record();
    const int width = record.count();
    if (fields) {
        fields->clear();
        for (int i = 0; i < width; ++i)
            *fields << record.fieldName(i);
    }
    QList<QStringList> rows;
    while (q.next()) {
        QStringList row;
        row.reserve(width);
        for (int i = 0; i < width; ++i)
            row << q.value(i).toString();
        rows.append(std::move(row));
    }
    if (q.lastError().isValid())
        fail(QStringLiteral("the rows of the query at line %1 cannot be read: %2").arg(query.line).arg(q.lastError().text()));
    return rows;
}

const ReportContent &Report::content()
{
    if (m_content)
        return *m_content;

    ReportContent c;
    c.readAt = QDateTime::currentDateTime();
    if (!m_definition.introItems.isEmpty()) {
        QStringList introFields;
        const QList<QStringList> intro = runQuery(m_definition.introQuery, &introFields);
        for (const ReportIntroItem &item : m_definition.introItems) {
            const qsizetype at = fieldPosition(introFields, item.field);
            if (at < 0)
                fail(QStringLiteral("the intro item \"%1\" names the field \"%2\", which its query does not give")
                         .arg(item.label, item.field));
            c.introValues << (intro.isEmpty() ? QString() : intro.first().at(at));
        }
    }
    c.rows = runQuery(m_definition.query, &c.fields);

    // Every field the layout names must come from the query.
    auto column = [&](const QString &field, const QString &user) {
        const qsizetype at = fieldPosition(c.fields, field);
        if (at < 0)
            fail(QStringLiteral("%1 names the field \"%2\", which the query does not give").arg(user, field));
        return int(at);
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
    }

    // Groups first, then the sort keys; rows that tie keep the query's order.
    QList<QPair<int, bool>> keys;
    for (const ReportGroup &g : m_definition.groups)
        keys.append({column(g.field, QStringLiteral("a <group>")), false});
    for (const ReportSortKey &k : m_definition.sortKeys)
        keys.append({column(k.field, QStringLiteral("a sort <key>")), k.descending});
    if (!keys.isEmpty() && c.rows.size() > 1) {
        // Numbers inside texts in numeric order ("2" before "10"); the C locale
        // would compare code points only.
        QLocale locale;
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator collator(locale);
        collator.setNumericMode(true);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        QList<QList<QCollatorSortKey>> sortKeys;
        sortKeys.reserve(c.rows.size());
        for (const QStringList &row : std::as_const(c.rows)) {
            QList<QCollatorSortKey> rowKeys;
            for (const auto &k : std::as_const(keys))
                rowKeys.append(collator.sortKey(row.at(k.first)));
            sortKeys.append(std::move(rowKeys));
        }
        QList<int> order(c.rows.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            for (int k = 0; k < keys.size(); ++k) {
                int cmp = sortKeys.at(a).at(k).compare(sortKeys.at(b).at(k));
                if (cmp == 0) // equal under the collator: fall back to the exact text
                    cmp = c.rows.at(a).at(keys.at(k).first).compare(c.rows.at(b).at(keys.at(k).first));
                if (cmp != 0)
                    return keys.at(k).second ? cmp > 0 : cmp < 0;
            }
            return false;
        });
        QList<QStringList> sorted;
        sorted.reserve(c.rows.size());
        for (int i : order)
            sorted.append(std::move(c.rows[i]));
        c.rows = std::move(sorted);
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

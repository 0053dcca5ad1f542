#pragma once

#include "reportdefinition.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

// The rows a report shows, read from its data source when it runs. Every value
// is text; Null reads as empty text.
struct ReportContent
{
    QStringList introValues; // one per intro item of the definition
    QStringList fields;      // the query's column names
    QList<QStringList> rows; // sorted by the groups, then the sort keys
    QDateTime readAt;
};

// The position of a field among the query's columns, case ignored; -1 when absent.
int fieldPosition(const QStringList &fields, const QString &name);

// One opened report definition with the values it is given. It reads its rows
// through a read-only connection of its own to the data source; the connection
// opens on the first read and closes when the report is released.
class Report
{
public:
    explicit Report(ReportDefinition definition);
    ~Report();
    Report(const Report &) = delete;
    Report &operator=(const Report &) = delete;

    const ReportDefinition &definition() const { return m_definition; }

    // Parameters are numbered from 1, in the order the definition declares them.
    int parameterCount() const { return int(m_values.size()); }
    void clearParameter(int position);
    void setParameterValue(int position, const QString &value);
    std::optional<QString> parameterValue(int position) const;
    // With prompting on, a parameter left without a value stops the report;
    // with it off, such a parameter is empty text.
    void setPromptForParameters(bool prompt) { m_prompt = prompt; }
    bool promptsForParameters() const { return m_prompt; }
    // The values the report runs with, one per parameter.
    QStringList parameterValues() const;

    // The database file the report reads; changing it closes an open connection.
    void setDataSource(const QString &databaseFile);
    const QString &dataSource() const { return m_dataSource; }

    // Forgets rows read before, so the next read shows the database as it is then.
    void discardReadRows();
    // Reads the rows on first use after opening or discarding.
    const ReportContent &content();
    bool isConnected() const;

private:
    void checkPosition(int position) const;
    QSqlDatabase connection();
    QList<QStringList> runQuery(const ReportQuery &query, QStringList *fields);
    [[noreturn]] void fail(const QString &problem) const;

    ReportDefinition m_definition;
    QList<std::optional<QString>> m_values;
    bool m_prompt = true;
    QString m_dataSource;
    QString m_connectionName;
    std::optional<ReportContent> m_content;
};

// Opens report definitions. One object may serve any number of reports.
class ReportEngine
{
public:
    // Reads the definition file; throws ReportError when it is missing or malformed.
    std::unique_ptr<Report> openReport(const QString &definitionFile);
    int reportsOpened() const { return m_opened; }

private:
    int m_opened = 0;
};

#pragma once

#include "readonlyquery.h"
#include "reportdefinition.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Walks over the items of a container that makes each when asked, by position.
template <class Container>
class MadeItemIterator
{
public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = decltype(std::declval<const Container &>().at(qsizetype()));
    using difference_type = qsizetype;
    using pointer = void;
    using reference = value_type;

    MadeItemIterator(const Container *container, qsizetype at) : m_container(container), m_at(at) {}
    value_type operator*() const { return m_container->at(m_at); }
    MadeItemIterator &operator++()
    {
        ++m_at;
        return *this;
    }
    bool operator==(const MadeItemIterator &o) const { return m_at == o.m_at; }
    bool operator!=(const MadeItemIterator &o) const { return m_at != o.m_at; }

private:
    const Container *m_container;
    qsizetype m_at;
};

// The texts of a report's rows; Null reads as empty text. In a column whose
// values repeat, each distinct text is held once and rows refer to it by its
// number, so a long report holds little more than its distinct texts. Copies
// share the texts.
class ReportRows
{
public:
    qsizetype size() const { return d ? qsizetype(d->cells.size() / std::max(1, d->width)) : 0; }
    bool isEmpty() const { return size() == 0; }
    int width() const { return d ? d->width : 0; }
    const QString &at(qsizetype row, int column) const { return d->texts.at(textNumber(row, column)); }
    // A copy of one row's values.
    QStringList at(qsizetype row) const;
    QStringList operator[](qsizetype row) const { return at(row); }

    // Equal numbers are equal texts; in a column that repeats(), equal texts
    // also have one number, so work per text can be done once per number.
    quint32 textNumber(qsizetype row, int column) const { return d->cells[size_t(row) * d->width + column]; }
    const QString &text(quint32 number) const { return d->texts.at(number); }
    bool repeats(int column) const { return d->repeats.at(column); }

    // Walks over copies of the rows.
    using const_iterator = MadeItemIterator<ReportRows>;
    const_iterator begin() const { return {this, 0}; }
    const_iterator end() const { return {this, size()}; }

    struct Data
    {
        int width = 0;
        QList<QString> texts{QString()}; // number 0 is the empty text
        std::vector<quint32> cells;     // row after row
        std::vector<bool> repeats;      // per column
    };
    explicit ReportRows(std::shared_ptr<const Data> data = {}) : d(std::move(data)) {}

private:
    std::shared_ptr<const Data> d;
};

// The rows a report shows, read from its data source when it runs.
struct ReportContent
{
    QStringList introValues;      // one per intro item of the definition
    QStringList parameterDetails; // one per parameter: the intro field it names, empty when none
    QStringList fields;           // the query's column names
    ReportRows rows;              // the rows shown, sorted by the groups, then the sort keys
    ReportRows everyRow;          // every row read, sorted alike; the summary counts these
    // Per summary item, the rows its own query gave (a <series>), in their order; empty for the others.
    QList<QStringList> itemFields;
    QList<ReportRows> itemRows;
    QDateTime readAt;
};

// The position of a field among the query's columns, case ignored; -1 when absent.
int fieldPosition(const QStringList &fields, const QString &name);

class Connection;

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
    // Reads the rows on first use after opening or discarding. A query that
    // would write is refused before it runs; one that goes past the limits or
    // is cancelled is stopped. Either throws ReportError saying so.
    const ReportContent &content();
    bool isConnected() const;

    void setReadLimits(const ReadLimits &limits) { m_limits = limits; }
    const ReadLimits &readLimits() const { return m_limits; }
    // Called every few tens of milliseconds while rows are read, e.g. to keep a
    // window answering; it may call cancelRead() but must not release the report.
    void setReadProgress(std::function<void()> progress) { m_progress = std::move(progress); }
    // Stops the read under way; the read then throws ReportError.
    void cancelRead() { m_cancel = true; }

private:
    void checkPosition(int position) const;
    Connection &connection();
    std::shared_ptr<ReportRows::Data> runQuery(const ReportQuery &query, QStringList *fields);
    std::shared_ptr<ReportRows::Data> sourceRows(const ReportQuery &query, const QVariantList &values,
                                                 QStringList *fields);
    [[noreturn]] void fail(const QString &problem) const;

    ReportDefinition m_definition;
    QList<std::optional<QString>> m_values;
    bool m_prompt = true;
    QString m_dataSource;
    std::unique_ptr<Connection> m_connection;
    std::optional<ReportContent> m_content;
    ReadLimits m_limits;
    std::function<void()> m_progress;
    std::atomic_bool m_cancel = false;
    bool m_reading = false;
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

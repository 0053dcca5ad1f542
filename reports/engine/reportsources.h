#pragma once

#include <QStringList>
#include <QVariantList>
#include <functional>

class Connection;

// Rows a report reads that the program works out itself rather than through
// one query: what no single statement gives at speed. A definition names one
// by <query source="name" params="..."/>.
struct SourceRows
{
    QStringList fields;
    QList<QStringList> rows;
};
using ReportSource = std::function<SourceRows(Connection &cn, const QVariantList &values)>;

namespace ReportSources {
// Adds or replaces the source of the name.
void add(const QString &name, ReportSource source);
// The source of the name, or none.
const ReportSource *find(const QString &name);
} // namespace ReportSources

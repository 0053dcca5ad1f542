#include "reportexportcolumns.h"

#include <algorithm>

QList<ReportExportColumn> reportExportColumns(const ReportDefinition &definition)
{
    QList<ReportExportColumn> out;
    for (const ReportGroup &group : definition.groups) {
        const bool shown = std::any_of(definition.columns.cbegin(), definition.columns.cend(), [&](const ReportColumn &c) {
            return c.field.compare(group.field, Qt::CaseInsensitive) == 0;
        });
        if (shown)
            continue;
        const qsizetype colon = group.header.indexOf(QLatin1Char(':'));
        QString heading = colon > 0 ? group.header.left(colon).trimmed() : QString();
        if (heading.isEmpty() || heading.contains(QLatin1Char('{')))
            heading = group.field;
        out.append({heading, group.field});
    }
    for (const ReportColumn &column : definition.columns)
        out.append({column.header.isEmpty() ? column.field : column.header, column.field, column.format});
    return out;
}

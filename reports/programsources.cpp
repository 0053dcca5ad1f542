#include "programsources.h"

#include "buildcomparison.h"
#include "reportsources.h"

void addProgramReportSources()
{
    // Parameters: project, older build, newer build.
    ReportSources::add(QStringLiteral("build comparison"), [](Connection &cn, const QVariantList &values) {
        const BuildComparison made =
            compareBuilds(cn, values.value(0).toString(), values.value(1).toString(), values.value(2).toString());
        return SourceRows{made.fields, made.rows};
    });
}

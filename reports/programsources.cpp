#include "programsources.h"

#include "buildcomparison.h"
#include "reportsources.h"
#include "testprogress.h"

void addProgramReportSources()
{
    // Parameters: project, older build, newer build.
    ReportSources::add(QStringLiteral("build comparison"), [](Connection &cn, const QVariantList &values) {
        const BuildComparison made =
            compareBuilds(cn, values.value(0).toString(), values.value(1).toString(), values.value(2).toString());
        return SourceRows{made.fields, made.rows};
    });
    // Parameters: project, build, test type, component, as of (each empty when not narrowed).
    ReportSources::add(QStringLiteral("test progress"), [](Connection &cn, const QVariantList &values) {
        const TestProgress made = testProgress(cn, {values.value(0).toString(), values.value(1).toString(),
                                                    values.value(2).toString(), values.value(3).toString(),
                                                    values.value(4).toString()});
        return SourceRows{made.fields, made.rows};
    });
}

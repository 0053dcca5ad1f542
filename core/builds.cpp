#include "builds.h"

#include "rows.h"
#include "schema.h"

QStringList projectBuilds(Connection &cn, const QString &project)
{
    // Steps from one build to the next through the index on project and
    // build, so a project of a million results costs one look-up per build.
    const QString sql = QStringLiteral(
        "with recursive b(build) as ("
        " select min(qv_zr_build) from qv_zr_tst_history where qv_zr_prjid=? and qv_zr_build > ''"
        " union all"
        " select (select min(qv_zr_build) from qv_zr_tst_history where qv_zr_prjid=? and qv_zr_build > b.build)"
        " from b where b.build is not null) "
        "select build from b where build is not null order by "
        "(select max(%1) from qv_zr_tst_history where qv_zr_prjid=? and qv_zr_build=b.build) desc")
                            .arg(Schema::kStoredOrder);
    return readEntries(cn, sql, {project, project, project});
}

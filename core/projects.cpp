#include "projects.h"

#include "asread.h"
#include "recordset.h"
#include "statement.h"

namespace {

const QList<Check> kChecks{
    {Field::ProjectId, Check::Blank},          {Field::ProjectId, Check::TooLong},
    {Field::ProjectDescription, Check::Blank}, {Field::ProjectDescription, Check::TooLong},
    {Field::ProjectType, Check::Blank},        {Field::ProjectType, Check::TooLong},
    {Field::SizeUnits, Check::Blank},          {Field::SizeUnits, Check::TooLong},
    {Field::ProjectSize, Check::Blank},        {Field::ProjectSize, Check::TooLong},
};

QString textOf(const ProjectFields &p, Field field)
{
    switch (field) {
    case Field::ProjectId:
        return p.id;
    case Field::ProjectDescription:
        return p.description;
    case Field::ProjectType:
        return p.type;
    case Field::SizeUnits:
        return p.units;
    case Field::ProjectSize:
        return p.size;
    default:
        return QString();
    }
}

const QString kColumns = QStringLiteral("qv_zr_prjid, qv_zr_prj_desc, qv_zr_prj_type, qv_zr_prj_size, qv_zr_size_units");

} // namespace

std::optional<Problem> projectProblem(const ProjectFields &project)
{
    return firstProblem(kChecks, [&](Field f) { return textOf(project, f); });
}

SaveResult saveProject(Connection &cn, const ProjectFields &project)
{
    if (auto problem = projectProblem(project))
        return {SaveResult::Refused, problem};
    if (project.asRead) {
        Statement change(cn,
                         QStringLiteral("update qv_zr_projects set qv_zr_prj_type=?, qv_zr_prj_size=?, qv_zr_size_units=?, "
                                        "qv_zr_prj_desc=?, qv_zr_closed='NO' where rowid=(select rowid from "
                                        "qv_zr_projects where qv_zr_prjid=? limit 1) and ")
                             + stillAsRead(kColumns.split(QStringLiteral(", ")).mid(ProjectColumn::Description)),
                         QStringLiteral("Cannot save project %1").arg(project.id));
        change.run(QVariantList{project.type, project.size, project.units, project.description, project.id}
                   + *project.asRead);
        return {change.changes() > 0 ? SaveResult::Changed : SaveResult::Stale, std::nullopt};
    }
    RecordSet rs;
    rs.open(QStringLiteral("select * from qv_zr_projects where qv_zr_prjid=?"), {project.id}, cn, LockType::Optimistic,
            QStringLiteral("qv_zr_projects"));
    const bool adding = rs.eof();
    if (adding) {
        rs.addNew();
        rs.setField(QStringLiteral("qv_zr_prjid"), project.id);
    }
    rs.setField(QStringLiteral("qv_zr_prj_type"), project.type);
    rs.setField(QStringLiteral("qv_zr_prj_size"), project.size);
    rs.setField(QStringLiteral("qv_zr_size_units"), project.units);
    rs.setField(QStringLiteral("qv_zr_prj_desc"), project.description);
    rs.setField(QStringLiteral("qv_zr_closed"), QStringLiteral("NO"));
    rs.update();
    return {adding ? SaveResult::Added : SaveResult::Changed, std::nullopt};
}

const QStringList &fixedSizeUnits()
{
    static const QStringList units{"Function Points", "Object Points",       "Une Case Points",
                                   "Test Points",     "Software Size Units", "LOC"};
    return units;
}

QStringList projectTypes(Connection &cn)
{
    return readEntries(cn, QStringLiteral("select distinct(qv_zr_prj_type) from qv_zr_projects"));
}

QStringList sizeUnits(Connection &cn)
{
    return readEntries(cn, QStringLiteral("select distinct(qv_zr_size_units) from qv_zr_projects"));
}

QStringList projectIds(Connection &cn)
{
    return readEntries(cn, QStringLiteral("select qv_zr_prjid from qv_zr_projects"));
}

Rows projectRows(Connection &cn)
{
    return readRows(cn, QStringLiteral("select %1 from qv_zr_projects").arg(kColumns));
}

std::optional<ProjectFields> findProject(Connection &cn, const QString &id)
{
    const Rows rows = readRows(cn, QStringLiteral("select %1 from qv_zr_projects where qv_zr_prjid=?").arg(kColumns), {id});
    if (rows.isEmpty())
        return std::nullopt;
    const QVariantList &r = rows.first();
    return ProjectFields{r[ProjectColumn::Id].toString(),    r[ProjectColumn::Description].toString(),
                         r[ProjectColumn::Type].toString(),  r[ProjectColumn::Size].toString(),
                         r[ProjectColumn::Units].toString(), r.mid(ProjectColumn::Description)};
}

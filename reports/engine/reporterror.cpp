#include "reporterror.h"

static std::string joined(const QString &file, const QString &problem)
{
    return (file.isEmpty() ? problem : file + QStringLiteral(": ") + problem).toStdString();
}

ReportError::ReportError(const QString &file, const QString &problem)
    : std::runtime_error(joined(file, problem))
    , m_file(file)
    , m_problem(problem)
{
}

QString ReportError::describe() const
{
    return QString::fromStdString(what());
}

#include "reportsources.h"

#include <QHash>

namespace {

QHash<QString, ReportSource> &registry()
{
    static QHash<QString, ReportSource> sources;
    return sources;
}

} // namespace

namespace ReportSources {

void add(const QString &name, ReportSource source)
{
    registry().insert(name, std::move(source));
}

const ReportSource *find(const QString &name)
{
    const auto it = registry().constFind(name);
    return it == registry().cend() ? nullptr : &*it;
}

} // namespace ReportSources

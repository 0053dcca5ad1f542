#pragma once

#include <QStringList>

class Connection;

// Every test case of a project with its latest outcome under an older and a
// newer build, what changed between them, and how often its outcome flipped
// between Pass and Fail across all the project's builds in the order they
// were tested. Texts by field, the fields named as listed in `fields`.
struct BuildComparison
{
    QStringList fields;
    QList<QStringList> rows;
};
BuildComparison compareBuilds(Connection &cn, const QString &project, const QString &older, const QString &newer);

#pragma once

#include <QStringList>

class Connection;

// The builds a project's results were logged under, newest first (by the
// latest result of each); results logged without a build give none.
QStringList projectBuilds(Connection &cn, const QString &project);

#pragma once

#include <QStringList>

class Connection;

// How testing went, day of testing by day, from the result history: the
// results logged that day, passed and failed, and the cases of the project
// (narrowed as asked) run and passed by the end of it. A case counts by its
// latest stored result dated on or before that day. Narrowing: an empty text
// leaves it out; asOf (yyyy-MM-dd) stops the days there. Texts by field, the
// fields named as listed in `fields`.
struct TestProgressFilter
{
    QString project;
    QString build;
    QString testType;
    QString component;
    QString asOf;
};
struct TestProgress
{
    QStringList fields;
    QList<QStringList> rows;
};
TestProgress testProgress(Connection &cn, const TestProgressFilter &filter);

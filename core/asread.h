#pragma once

#include <QString>
#include <QStringList>

// A window keeps the values it read of a stored row (a fields struct's
// asRead, Null kept) and a save or delete of that row goes ahead only while
// the row still holds them: another tester's change made since is never
// overwritten unseen.

// "c1 is not distinct from ? and c2 is not distinct from ? ..." over the
// columns in order, for the values as read bound in that order.
QString stillAsRead(const QStringList &columns);

#include "guard.h"

#include "connection.h"
#include "dberror.h"
#include "objectstate.h"
#include "services.h"

#include <QWidget>
#include <exception>

namespace {

int depth = 0;           // handlers running, one inside another (a selection made from code)
bool lostInside = false; // a handler inside the outermost one met a lost connection

struct Nested
{
    Nested() { ++depth; }
    ~Nested() { --depth; }
};

QList<Connection *> lostConnections()
{
    QList<Connection *> lost;
    for (Connection *cn : Connection::all()) {
        if (cn->isLost())
            lost << cn;
    }
    return lost;
}

// Runs the handler and shows an error that escapes it, unless a server
// connection went: then the lost connections, for the caller to offer a retry.
QList<Connection *> runOnce(QWidget *parent, const std::function<void()> &handler)
{
    Nested nested;
    try {
        handler();
    } catch (const DbError &e) {
        if (QList<Connection *> lost = lostConnections(); !lost.isEmpty())
            return lost;
        Ui::information(parent, QStringLiteral("Verolan could not finish this action; nothing was half-written.\n\n")
                                    + e.describe());
    } catch (const std::exception &e) {
        Ui::information(parent, QStringLiteral("Verolan could not finish this action.\n\n")
                                    + QString::fromLocal8Bit(e.what()));
    }
    return {};
}

// Asks to retry until every lost connection is open again (true) or the user cancels.
bool reconnect(QWidget *parent, const QList<Connection *> &lost)
{
    QString why;
    for (;;) {
        if (!Ui::askRetry(parent, QStringLiteral("The connection to the database server was lost. A save it cut short "
                                                 "was not written.\n\nRetry connects again and repeats the action; "
                                                 "Cancel stops it.")
                                      + why))
            return false;
        try {
            for (Connection *cn : lost) {
                // A window's connection lives as long as the window object; skip one gone all the same.
                if (Connection::all().contains(cn) && cn->state() != StateOpen)
                    cn->reopen();
            }
            return true;
        } catch (const DbError &e) {
            why = QStringLiteral("\n\n") + e.describe();
        }
    }
}

} // namespace

void runGuarded(QWidget *parent, const std::function<void()> &handler)
{
    // Inside another handler: the whole action is the outer one's to retry.
    if (depth > 0) {
        if (!runOnce(parent, handler).isEmpty())
            lostInside = true;
        return;
    }
    // One save is one transaction, so running the action again never writes half of it twice.
    for (;;) {
        lostInside = false;
        QList<Connection *> lost = runOnce(parent, handler);
        if (lost.isEmpty() && lostInside)
            lost = lostConnections();
        if (lost.isEmpty() || !reconnect(parent, lost))
            return;
    }
}

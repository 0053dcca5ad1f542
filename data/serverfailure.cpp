#include "serverfailure.h"

#include "databaselocation.h"

#include <QStringList>

namespace {

// host:port as libpq would reach it; its defaults when left out.
QString place(const DatabaseLocation &location)
{
    const QString host = location.host().isEmpty() ? QStringLiteral("the local socket") : location.host();
    return location.port() > 0 ? QStringLiteral("%1:%2").arg(host).arg(location.port()) : host;
}

bool containsAny(const QString &text, const QStringList &parts)
{
    for (const QString &part : parts) {
        if (text.contains(part, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

} // namespace

QString explainServerFailure(const QString &engineMessage, const DatabaseLocation &location)
{
    QString why;
    // Something that is not PostgreSQL took the connection: it answered in
    // another protocol, hung up, or said nothing until the time ran out.
    if (containsAny(engineMessage, {QStringLiteral("invalid response to SSL negotiation"),
                                    QStringLiteral("expected authentication request from server"),
                                    QStringLiteral("server closed the connection unexpectedly"),
                                    QStringLiteral("timeout expired"), QStringLiteral("invalid message format"),
                                    QStringLiteral("unexpected message from server")}))
        why = QStringLiteral("No PostgreSQL server answered at %1: another program listens there, or nothing "
                             "answers in time. Check the host and the port.")
                  .arg(place(location));
    else if (engineMessage.contains(QLatin1String("could not translate host name")))
        why = QStringLiteral("The host \"%1\" is not known: check its name and the network.").arg(location.host());
    else if (engineMessage.contains(QLatin1String("Connection refused")))
        why = QStringLiteral("The server at %1 refused the connection: no PostgreSQL server runs there, or not on "
                             "that port.")
                  .arg(place(location));
    else if (engineMessage.contains(QLatin1String("pg_hba.conf")))
        why = QStringLiteral("The server at %1 refuses this user or this database (its pg_hba.conf lets them not in).")
                  .arg(place(location));
    return why.isEmpty() ? engineMessage : why + QStringLiteral("\n") + engineMessage.trimmed();
}

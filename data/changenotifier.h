#pragma once

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSqlDriver>
#include <QTimer>

class Connection;

// Tells which tables other connections changed, from the server's
// announcements to one connection. Announcements arriving close together give
// one signal, so that a burst of saves reads the lists once. On a file it
// stays silent: a file announces nothing.
class ChangeNotifier : public QObject
{
    Q_OBJECT

public:
    // How long announcements are gathered before the signal.
    static constexpr int gatherMs = 150;

    explicit ChangeNotifier(Connection &cn, QObject *parent = nullptr);

    // Hears the connection as it is open now: a connection opened (again)
    // after this object was made is heard from the next call on.
    void follow();

signals:
    // The tables' names in lower case, as the server names them.
    void tablesChanged(const QSet<QString> &tables);

private:
    void heard(const QString &channel, QSqlDriver::NotificationSource source, const QVariant &payload);
    void flush();

    Connection &m_cn;
    QPointer<QSqlDriver> m_driver;
    QSet<QString> m_tables;
    QTimer m_gather;
};

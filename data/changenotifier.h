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

    // Hears the connection as it is open now, and from then on as it is
    // opened again (a retry after the server dropped it, a restore): the
    // first announcements after such a reopen name every table, since those
    // made while it was away were missed.
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
    QTimer m_reopened; // looks for a new driver: the connection tells nobody it reopened
    bool m_followed = false;
};

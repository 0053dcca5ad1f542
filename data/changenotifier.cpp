#include "changenotifier.h"

#include "connection.h"

#include <QVariant>
#include <utility>

ChangeNotifier::ChangeNotifier(Connection &cn, QObject *parent)
    : QObject(parent)
    , m_cn(cn)
{
    m_gather.setSingleShot(true);
    m_gather.setInterval(gatherMs);
    connect(&m_gather, &QTimer::timeout, this, &ChangeNotifier::flush);
    follow();
}

void ChangeNotifier::follow()
{
    if (!m_cn.isServer() || m_cn.state() != StateOpen)
        return;
    QSqlDriver *driver = m_cn.database().driver();
    if (driver == m_driver)
        return;
    // The connection listens from its open on; this only hears what it hears.
    m_driver = driver;
    connect(driver, &QSqlDriver::notification, this, &ChangeNotifier::heard);
}

void ChangeNotifier::heard(const QString &channel, QSqlDriver::NotificationSource source, const QVariant &payload)
{
    // Its own connection's saves: the window that saved has read its lists already.
    if (channel != Connection::changeChannel() || source == QSqlDriver::SelfSource)
        return;
    m_tables.insert(payload.toString().toLower());
    if (!m_gather.isActive())
        m_gather.start();
}

void ChangeNotifier::flush()
{
    const QSet<QString> tables = std::exchange(m_tables, {});
    emit tablesChanged(tables);
}

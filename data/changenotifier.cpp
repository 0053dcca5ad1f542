#include "changenotifier.h"

#include "connection.h"
#include "schema.h"

#include <QVariant>
#include <utility>

ChangeNotifier::ChangeNotifier(Connection &cn, QObject *parent)
    : QObject(parent)
    , m_cn(cn)
{
    m_gather.setSingleShot(true);
    m_gather.setInterval(gatherMs);
    connect(&m_gather, &QTimer::timeout, this, &ChangeNotifier::flush);
    m_reopened.setInterval(250);
    connect(&m_reopened, &QTimer::timeout, this, &ChangeNotifier::follow);
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
    if (std::exchange(m_followed, true)) {
        for (const Schema::Table &table : Schema::tables())
            m_tables.insert(table.name.toLower());
        m_gather.start();
    }
    m_reopened.start();
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

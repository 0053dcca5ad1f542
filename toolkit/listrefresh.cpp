#include "listrefresh.h"

#include "guard.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <utility>

ListRefresh::ListRefresh(Connection &cn, QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_notifier(cn)
{
    // A window opens its connection in its load handler, before it is shown.
    window->installEventFilter(this);
    connect(&m_notifier, &ChangeNotifier::tablesChanged, this, &ListRefresh::tablesChanged);
    m_retry.setSingleShot(true);
    m_retry.setInterval(200);
    connect(&m_retry, &QTimer::timeout, this, [this] { tablesChanged({}); });
}

void ListRefresh::watch(const QStringList &tables, std::function<void()> reread)
{
    QSet<QString> names;
    for (const QString &t : tables)
        names.insert(t.toLower());
    m_watches.append({names, std::move(reread)});
}

bool ListRefresh::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window && event->type() == QEvent::Show)
        m_notifier.follow();
    return QObject::eventFilter(watched, event);
}

void ListRefresh::tablesChanged(const QSet<QString> &tables)
{
    m_pending.unite(tables);
    // A message box runs its own event loop inside a handler that may go on
    // using the lists as they were: they are read once it is closed.
    if (QApplication::activeModalWidget()) {
        m_retry.start();
        return;
    }
    const QSet<QString> changed = std::exchange(m_pending, {});
    for (const Watch &w : std::as_const(m_watches)) {
        if (w.tables.intersects(changed))
            runGuarded(m_window, w.reread);
    }
}

#include "listrefresh.h"

#include "guard.h"

#include <QEvent>
#include <QWidget>

ListRefresh::ListRefresh(Connection &cn, QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_notifier(cn)
{
    // A window opens its connection in its load handler, before it is shown.
    window->installEventFilter(this);
    connect(&m_notifier, &ChangeNotifier::tablesChanged, this, &ListRefresh::tablesChanged);
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
    for (const Watch &w : std::as_const(m_watches)) {
        if (w.tables.intersects(tables))
            runGuarded(m_window, w.reread);
    }
}

#pragma once

#include "changenotifier.h"

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

class Connection;
class QWidget;

// Reads a window's lists again when another program changed a table they
// show. The window names, for each group of its lists, the tables they are
// read from and how to read them again (keeping what the user selected and
// typed, listfiller.h). A change to a table no list shows reads nothing.
class ListRefresh : public QObject
{
    Q_OBJECT

public:
    // The window's own connection; it need not be open yet.
    ListRefresh(Connection &cn, QWidget *window);

    // Tables as the database names them; the rereads run in the order given.
    void watch(const QStringList &tables, std::function<void()> reread);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void tablesChanged(const QSet<QString> &tables);

    struct Watch
    {
        QSet<QString> tables;
        std::function<void()> reread;
    };
    QWidget *m_window;
    ChangeNotifier m_notifier;
    QList<Watch> m_watches;
    QSet<QString> m_pending; // changed while a message box was open
    QTimer m_retry;
};

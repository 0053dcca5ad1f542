#pragma once

#include <QObject>
#include <functional>
#include <type_traits>

class QWidget;

// Runs an event handler; an error that escapes it is shown in one message box
// (what failed, with the engine's message) and the program goes on. When a
// server connection was lost, the box offers Retry, which connects again and
// runs the whole handler again (a handler run inside another leaves that to
// the outer one), and Cancel.
void runGuarded(QWidget *parent, const std::function<void()> &handler);

// Connects a signal to a handler that runs guarded; the handler gets the signal's arguments.
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection onEvent(Sender *sender, Signal signal, Receiver *receiver, Handler handler)
{
    return QObject::connect(sender, signal, receiver, [receiver, handler](auto &&...args) {
        runGuarded(receiver, [&] {
            if constexpr (std::is_invocable_v<Handler, Receiver *, decltype(args)...>)
                std::invoke(handler, receiver, args...);
            else
                std::invoke(handler, receiver); // the handler takes none of the signal's arguments
        });
    });
}

#pragma once

#include "exchangeerror.h"

#include <QString>

// The message of the ExchangeError f throws, or "no error".
template <class F> QString errorOf(F &&f)
{
    try {
        f();
    } catch (const ExchangeError &e) {
        return e.message();
    }
    return QStringLiteral("no error");
}

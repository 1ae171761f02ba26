#pragma once

#include "platform/rtl/Exceptions.h"

#include <QString>

#include <functional>

// The message of the EDatabaseError that `action` raises, or "no error".
inline QString DatabaseErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return QStringLiteral("no error");
}

#pragma once

#include "platform/rtl/Variant.h"

#include <QObject>

#include <functional>

// The change events of the lookup controls and the data-aware radio group. Both values are the
// caller's and live only for the call; a before-handler clears Wykonaj to veto the change.
using TKBeforeChangeEvent = std::function<void(
    QObject* Sender, const Variant& StaraWartosc, const Variant& NowaWartosc, bool& Wykonaj)>;
using TKAfterChangeEvent =
    std::function<void(QObject* Sender, const Variant& StaraWartosc, const Variant& NowaWartosc)>;

#include "platform/gui/WindowTimer.h"

#include <algorithm>
#include <utility>

TWindowTimer::TWindowTimer(QObject* window, std::function<void()> onTick) : QObject(window) {
    connect(&timer_, &QTimer::timeout, this, std::move(onTick));
}

void TWindowTimer::Start(int intervalMs) {
    timer_.start(std::max(intervalMs, USER_TIMER_MINIMUM));
}

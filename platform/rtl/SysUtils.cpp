#include "platform/rtl/SysUtils.h"

#include <chrono>

namespace {

TFixedTickCount* FixedTickCount = nullptr;

} // namespace

std::uint32_t GetTickCount() {
    if (FixedTickCount != nullptr)
        return FixedTickCount->ticks_;
    // The monotonic clock, which does not jump when the wall clock is set.
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return std::uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

TFixedTickCount::TFixedTickCount(std::uint32_t Ticks) : ticks_(Ticks), previous_(FixedTickCount) {
    FixedTickCount = this;
}

TFixedTickCount::~TFixedTickCount() {
    FixedTickCount = previous_;
}

#pragma once

#include "platform/rtl/SysLocale.h"

#include <cstdint>

// Milliseconds since the system started, wrapping around after 2^32 (about 49.7 days): compare
// two readings by their difference, not by their order.
std::uint32_t GetTickCount();

// While one exists, GetTickCount reads the value it holds instead of the clock, so that rules
// that depend on elapsed time are tested exactly, without waiting.
class TFixedTickCount {
public:
    explicit TFixedTickCount(std::uint32_t Ticks);
    ~TFixedTickCount();
    TFixedTickCount(const TFixedTickCount&) = delete;
    TFixedTickCount& operator=(const TFixedTickCount&) = delete;

    void Set(std::uint32_t Ticks) { ticks_ = Ticks; }
    void Advance(std::uint32_t Milliseconds) { ticks_ += Milliseconds; }

private:
    friend std::uint32_t GetTickCount();
    std::uint32_t ticks_;
    TFixedTickCount* previous_;
};

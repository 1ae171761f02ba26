#include "platform/rtl/SysUtils.h"

#include <QThread>

#include <gtest/gtest.h>

namespace {

TEST(GetTickCount, CountsMilliseconds) {
    const std::uint32_t before = GetTickCount();
    QThread::msleep(30);
    const std::uint32_t elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 30u);
    EXPECT_LT(elapsed, 10000u);
}

TEST(GetTickCount, ReadsTheFixedCountWhileOneExistsAndTheClockAgainAfterwards) {
    {
        TFixedTickCount fixed(0xFFFFFF00u);
        EXPECT_EQ(GetTickCount(), 0xFFFFFF00u);
        fixed.Advance(0x200);
        EXPECT_EQ(GetTickCount(), 0x100u); // wraps around as the system's count does
        {
            TFixedTickCount inner(7);
            EXPECT_EQ(GetTickCount(), 7u);
        }
        EXPECT_EQ(GetTickCount(), 0x100u);
        fixed.Set(2000);
        EXPECT_EQ(GetTickCount(), 2000u);
    }
    const std::uint32_t a = GetTickCount();
    QThread::msleep(5);
    EXPECT_NE(GetTickCount(), a);
}

TEST(SysLocale, IsWesternByDefault) {
    EXPECT_FALSE(SysLocale.FarEast);
    EXPECT_FALSE(SysLocale.MiddleEast);
}

} // namespace

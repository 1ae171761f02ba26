#include "platform/gui/Menus.h"

#include <gtest/gtest.h>

namespace {

TEST(ShortCut, IsTheKeyCodeWithTheShiftBits) {
    struct Case {
        Word key;
        TShiftState shift;
        TShortCut shortCut;
    } const cases[] = {
        {VK_DELETE, {ssCtrl}, 0x402E},
        {'A', {ssShift}, 0x2041},
        {VK_F1 + 3, {ssAlt}, 0x8073},
        {VK_RETURN, {ssShift, ssCtrl, ssAlt}, 0xE00D},
        {VK_ESCAPE, {}, 0x001B},
        {VK_DELETE, {ssCtrl, ssLeft, ssDouble}, 0x402E}, // mouse buttons do not count
        {256, {ssCtrl}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShortCut(c.key, c.shift), c.shortCut) << c.key;
}

TEST(ShortCut, AKeyPressMatchesOnlyItsOwnShortCutAndNeverNone) {
    const TShortCut ctrlDelete = ShortCut(VK_DELETE, {ssCtrl});
    EXPECT_TRUE(IsShortCutKey(ctrlDelete, VK_DELETE, {ssCtrl}));
    EXPECT_FALSE(IsShortCutKey(ctrlDelete, VK_DELETE, {}));
    EXPECT_FALSE(IsShortCutKey(ctrlDelete, VK_DELETE, {ssCtrl, ssShift}));
    EXPECT_FALSE(IsShortCutKey(ctrlDelete, VK_INSERT, {ssCtrl}));
    // A key code of 256 or more makes shortcut 0, which is no shortcut.
    EXPECT_FALSE(IsShortCutKey(0, 256, {}));
    EXPECT_FALSE(IsShortCutKey(0, 0, {}));
}

} // namespace

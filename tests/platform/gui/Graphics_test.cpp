#include "platform/gui/Graphics.h"

#include <QPalette>

#include <gtest/gtest.h>

namespace {

TEST(ColorToQColorTest, PlainColoursAreTheirRedGreenAndBlue) {
    const QPalette palette;
    EXPECT_EQ(ColorToQColor(0x00BBBBFF, palette), QColor(0xFF, 0xBB, 0xBB));
    EXPECT_EQ(ColorToQColor(clBlue, palette), QColor(0, 0, 0xFF));
}

TEST(ColorToQColorTest, EachSystemColourPaintsInItsOwnRole) {
    // A palette where every role has a colour of its own, so a wrong role shows.
    QPalette palette;
    const struct {
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    } roles[] = {
        {QPalette::Active, QPalette::Base},       {QPalette::Active, QPalette::Text},
        {QPalette::Active, QPalette::Highlight},  {QPalette::Active, QPalette::HighlightedText},
        {QPalette::Active, QPalette::Window},     {QPalette::Active, QPalette::Dark},
        {QPalette::Disabled, QPalette::Text},     {QPalette::Active, QPalette::Button},
        {QPalette::Active, QPalette::WindowText}, {QPalette::Active, QPalette::Shadow},
        {QPalette::Active, QPalette::Mid},        {QPalette::Active, QPalette::ButtonText},
    };
    int shade = 10;
    for (const auto& r : roles) {
        palette.setColor(r.group, r.role, QColor(shade, 255 - shade, shade / 2));
        shade += 20;
    }
    palette.setCurrentColorGroup(QPalette::Active);

    const struct {
        const char* name;
        TColor color;
        QPalette::ColorGroup group;
        QPalette::ColorRole role;
    } cases[] = {
        {"clWindow", clWindow, QPalette::Active, QPalette::Base},
        {"clWindowText", clWindowText, QPalette::Active, QPalette::Text},
        {"clHighlight", clHighlight, QPalette::Active, QPalette::Highlight},
        {"clHighlightText", clHighlightText, QPalette::Active, QPalette::HighlightedText},
        {"clBtnFace", clBtnFace, QPalette::Active, QPalette::Window},
        {"clBtnShadow", clBtnShadow, QPalette::Active, QPalette::Dark},
        {"clGrayText", clGrayText, QPalette::Disabled, QPalette::Text},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ColorToQColor(c.color, palette), palette.color(c.group, c.role)) << c.name;
}

TEST(ColorToQColorTest, TheLookupListsColoursStandApartUnderTheDesktopPalette) {
    // A list on the button face draws its separators in the shadow colour, else in the face;
    // disabled text and the chosen row must show too.
    const QPalette palette;
    EXPECT_NE(ColorToQColor(clBtnShadow, palette), ColorToQColor(clBtnFace, palette));
    EXPECT_NE(ColorToQColor(clGrayText, palette), ColorToQColor(clWindowText, palette));
    EXPECT_NE(ColorToQColor(clHighlight, palette), ColorToQColor(clWindow, palette));
}

} // namespace

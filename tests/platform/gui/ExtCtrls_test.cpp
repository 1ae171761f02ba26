#include "platform/gui/ExtCtrls.h"

#include <QFontMetrics>
#include <QImage>

#include <gtest/gtest.h>

namespace {

QImage Paint(TPanel& panel) {
    return panel.grab().toImage();
}

TEST(Panel, PaintsItsColourInsideItsBevel) {
    struct Case {
        const char* name;
        TPanelBevel bevel;
        QPalette::ColorRole topLeft; // a role, or NoRole for the panel's colour
        QPalette::ColorRole bottomRight;
    } const cases[] = {
        {"raised", bvRaised, QPalette::Light, QPalette::Dark},
        {"lowered", bvLowered, QPalette::Dark, QPalette::Light},
        {"none", bvNone, QPalette::NoRole, QPalette::NoRole},
    };
    const QColor lightRed(0xFF, 0xBB, 0xBB); // $00BBBBFF
    for (const Case& c : cases) {
        TPanel panel;
        panel.resize(60, 20);
        panel.SetColor(0x00BBBBFF);
        panel.SetBevelOuter(c.bevel);
        const QImage image = Paint(panel);
        const QPalette& palette = panel.palette();
        auto expected = [&](QPalette::ColorRole role) {
            return (role == QPalette::NoRole ? lightRed : palette.color(role)).rgb();
        };
        EXPECT_EQ(image.pixel(30, 10), lightRed.rgb()) << c.name;
        EXPECT_EQ(image.pixel(0, 0), expected(c.topLeft)) << c.name;
        EXPECT_EQ(image.pixel(59, 19), expected(c.bottomRight)) << c.name;
    }
}

TEST(Panel, DrawsItsCaptionCentredOrFromTheLeftOfItsClientArea) {
    const QString caption = QStringLiteral("Szczegóły");
    for (TAlignment alignment : {taCenter, taLeftJustify}) {
        TPanel panel;
        panel.resize(300, 20);
        panel.SetBevelOuter(bvNone);
        panel.SetBorderWidth(5);
        panel.SetCaption(caption);
        panel.SetAlignment(alignment);
        const QImage image = Paint(panel);
        const QColor background = image.pixelColor(0, 0);
        int firstInk = -1;
        for (int x = 0; x < image.width() && firstInk < 0; ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixelColor(x, y) != background) {
                    firstInk = x;
                    break;
                }
        const int textWidth = QFontMetrics(panel.font()).horizontalAdvance(caption);
        if (alignment == taCenter)
            EXPECT_NEAR(firstInk, (300 - textWidth) / 2, 3);
        else
            EXPECT_NEAR(firstInk, 5, 2);
    }
}

TEST(Panel, AlignsChildrenInsideBevelAndBorder) {
    struct Case {
        const char* name;
        TPanelBevel bevel;
        int border;
        QRect top;
    } const cases[] = {
        // The main window's status panel inside its raised client panel.
        {"raised", bvRaised, 0, {1, 1, 582, 20}},
        // The details heading inside the details pane.
        {"border 5", bvNone, 5, {5, 5, 574, 20}},
    };
    for (const Case& c : cases) {
        TPanel panel;
        panel.SetBevelOuter(c.bevel);
        panel.SetBorderWidth(c.border);
        ResizeNow(&panel, QSize(584, 607));
        auto* top = new TPanel(&panel);
        SetBounds(top, 1, 1, 582, 20);
        SetAlign(top, alTop);
        EXPECT_EQ(top->geometry(), c.top) << c.name;
    }
}

} // namespace

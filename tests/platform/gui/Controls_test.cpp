#include "platform/gui/Controls.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Expected {
    const char* name;
    QWidget* control;
    QRect bounds;
};

void ExpectBounds(const std::vector<Expected>& cases) {
    for (const Expected& c : cases)
        EXPECT_EQ(c.control->geometry(), c.bounds) << c.name;
}

QWidget* Child(QWidget* parent, TAlign align, int width, int height) {
    auto* child = new QWidget(parent);
    SetBounds(child, 0, 0, width, height);
    SetAlign(child, align);
    return child;
}

TEST(Align, PlacesTopBottomLeftRightClientInThatOrderInsideBevelAndBorder) {
    TPanel panel; // hidden: laid out at once all the same
    panel.SetBorderWidth(2);
    ResizeNow(&panel, QSize(200, 100));
    // Created in the reverse order: the precedence is the alignment's, not the creation's.
    QWidget* client = Child(&panel, alClient, 5, 5);
    QWidget* right = Child(&panel, alRight, 40, 5);
    QWidget* left = Child(&panel, alLeft, 30, 5);
    QWidget* bottom = Child(&panel, alBottom, 5, 20);
    QWidget* top = Child(&panel, alTop, 5, 10);

    // Raised bevel (1) and border (2): the client area starts at 3, 3.
    ExpectBounds({{"top", top, {3, 3, 194, 10}},
                  {"bottom", bottom, {3, 77, 194, 20}},
                  {"left", left, {3, 13, 30, 64}},
                  {"right", right, {157, 13, 40, 64}},
                  {"client", client, {33, 13, 124, 64}}});

    ResizeNow(&panel, QSize(300, 150));
    ExpectBounds({{"top", top, {3, 3, 294, 10}},
                  {"bottom", bottom, {3, 127, 294, 20}},
                  {"left", left, {3, 13, 30, 114}},
                  {"right", right, {257, 13, 40, 114}},
                  {"client", client, {33, 13, 224, 114}}});
}

TEST(Align, HiddenControlsGiveBackTheirStripAndCustomOnesStayPut) {
    QWidget parent;
    ResizeNow(&parent, QSize(100, 100));
    QWidget* first = Child(&parent, alTop, 5, 10);
    QWidget* second = Child(&parent, alTop, 5, 20); // placed at the top, so it comes first
    QWidget* client = Child(&parent, alClient, 5, 5);
    QWidget* custom = Child(&parent, alCustom, 5, 5);
    SetBounds(custom, 7, 8, 9, 10);
    ExpectBounds({{"second", second, {0, 0, 100, 20}},
                  {"first", first, {0, 20, 100, 10}},
                  {"client", client, {0, 30, 100, 70}}});

    SetBounds(first, 0, 0, 5, 10); // moved to the top again
    ExpectBounds({{"first", first, {0, 0, 100, 10}}, {"second", second, {0, 10, 100, 20}}});

    first->setVisible(false);
    ExpectBounds({{"second", second, {0, 0, 100, 20}}, {"client", client, {0, 20, 100, 80}}});
    first->setVisible(true);
    ResizeNow(&parent, QSize(120, 90));
    ExpectBounds({{"first", first, {0, 0, 120, 10}},
                  {"second", second, {0, 10, 120, 20}},
                  {"client", client, {0, 30, 120, 60}},
                  {"custom", custom, {7, 8, 9, 10}}});
}

TEST(Align, FollowsAShownWindowThatQtResizes) {
    TForm form;
    form.SetClientWidth(200);
    form.SetClientHeight(100);
    auto* bottom = new TPanel(&form);
    SetBounds(bottom, 0, 0, 200, 35);
    SetAlign(bottom, alBottom);
    auto* button = new QWidget(bottom);
    SetBounds(button, 120, 5, 75, 25);
    SetAnchors(button, akTop | akRight);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.resize(260, 140); // as the user drags the frame
    EXPECT_EQ(bottom->geometry(), QRect(0, 105, 260, 35));
    EXPECT_EQ(button->geometry(), QRect(180, 5, 75, 25));
}

TEST(Anchors, KeepTheDistancesToTheAnchoredEdges) {
    struct Case {
        const char* name;
        TAnchors anchors;
        QRect after;
    } const cases[] = {
        {"left top", akLeft | akTop, {20, 10, 50, 30}},
        {"right top", akRight | akTop, {80, 10, 50, 30}},
        {"left right top", akLeft | akRight | akTop, {20, 10, 110, 30}},
        {"left top bottom", akLeft | akTop | akBottom, {20, 10, 50, 70}},
        {"right bottom", akRight | akBottom, {80, 50, 50, 30}},
        {"top only: centre in proportion", akTop, {33, 10, 50, 30}},
    };
    for (const Case& c : cases) {
        QWidget parent;
        ResizeNow(&parent, QSize(200, 100));
        auto* control = new QWidget(&parent);
        SetBounds(control, 20, 10, 50, 30);
        SetAnchors(control, c.anchors);
        ResizeNow(&parent, QSize(260, 140));
        EXPECT_EQ(control->geometry(), c.after) << c.name;
        EXPECT_EQ(Anchors(control), c.anchors) << c.name;
    }
}

TEST(Anchors, DistancesFollowBoundsSetLater) {
    QWidget parent;
    ResizeNow(&parent, QSize(200, 100));
    auto* control = new QWidget(&parent);
    SetAnchors(control, akRight | akBottom);
    SetBounds(control, 100, 50, 20, 10);
    ResizeNow(&parent, QSize(150, 80));
    EXPECT_EQ(control->geometry(), QRect(50, 30, 20, 10));
}

} // namespace

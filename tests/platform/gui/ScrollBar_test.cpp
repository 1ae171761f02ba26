#include "platform/gui/ScrollBar.h"

#include "tests/support/ScrollBarPart.h"

#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyle>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A window with the bar at its right edge and an edit that holds the focus; the window answers
// every action by putting the thumb on `answer`, and writes the bar only when that differs from
// where it stands.
class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(120, 200);
        edit = new QLineEdit(&window);
        bar = new TVerticalScrollBar(&window, [this](int code, int position) {
            actions.emplace_back(code, position);
            if (bar->Position() != answer)
                bar->SetScrollInfo(0, 4, answer);
        });
        bar->setGeometry(100, 0, 20, 200);
        bar->SetScrollInfo(0, 4, 2);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        edit->setFocus();
    }

    QPoint Centre(QStyle::SubControl part) const { return ScrollBarPartCentre(bar, part); }

    QWidget window;
    QLineEdit* edit = nullptr;
    TVerticalScrollBar* bar = nullptr;
    std::vector<std::pair<int, int>> actions;
    int answer = 2;
};

TEST_F(ScrollBarTest, ClicksReportLineAndPageCodesAndTheThumbStaysWhereTheWindowPutsIt) {
    struct Case {
        QStyle::SubControl part;
        int code;
    };
    for (const Case& c : {Case{QStyle::SC_ScrollBarAddLine, SB_LINEDOWN},
                          Case{QStyle::SC_ScrollBarSubLine, SB_LINEUP},
                          Case{QStyle::SC_ScrollBarAddPage, SB_PAGEDOWN},
                          Case{QStyle::SC_ScrollBarSubPage, SB_PAGEUP}}) {
        actions.clear();
        QTest::mouseClick(bar, Qt::LeftButton, {}, Centre(c.part));
        ASSERT_EQ(actions.size(), 1u) << c.code;
        EXPECT_EQ(actions[0].first, c.code);
        EXPECT_EQ(bar->sliderPosition(), 2) << c.code;
        EXPECT_EQ(bar->value(), 2) << c.code;
    }
    // The bar never takes the focus.
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksAndItsReleaseReportsThePosition) {
    answer = 4;
    const QPoint from = Centre(QStyle::SC_ScrollBarSlider);
    const QPoint to(from.x(), Centre(QStyle::SC_ScrollBarAddLine).y() - 20);
    QTest::mousePress(bar, Qt::LeftButton, {}, from);
    ASSERT_TRUE(bar->isSliderDown());
    QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(bar, &move);
    ASSERT_FALSE(actions.empty());
    EXPECT_EQ(actions.back(), std::make_pair(int(SB_THUMBTRACK), 4));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
    EXPECT_EQ(actions.back(), std::make_pair(int(SB_THUMBPOSITION), 4));
    EXPECT_EQ(bar->value(), 4);
}

TEST_F(ScrollBarTest, ARangeOfNothingHidesTheBar) {
    bar->SetScrollInfo(0, 0, 0);
    EXPECT_FALSE(bar->isVisible());
    bar->SetScrollInfo(0, 4, 0);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->Position(), 0);
}

} // namespace

#include "controls/KDBLookupListBoxRows.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ListBoxRows, HeightSnapsToWholeRowsAndTheRowCountStaysWithinOneToAHundred) {
    EXPECT_EQ(RowsForHeight(1000, 4, 13), 76);
    EXPECT_EQ(RowsForHeight(16, 4, 13), 1); // less than a row and its border
    EXPECT_EQ(RowsForHeight(0, 4, 13), 1);
    EXPECT_EQ(RowsForHeight(4000, 4, 13), 307); // no upper limit through the height
    for (const auto& [set, rows] : std::vector<std::pair<int, int>>{
             {0, 1}, {-1, 1}, {1, 1}, {100, 100}, {101, 100}, {150, 100}})
        EXPECT_EQ(ClampRowCount(set), rows) << set;
}

TEST(ListBoxRows, KeysMoveByPagesLinesAndToTheEnds) {
    struct Case {
        Word key;
        TListMove move;
    };
    for (const Case& c : {Case{VK_PRIOR, TListMove::MoveBy(-6)},
                          Case{VK_NEXT, TListMove::MoveBy(6)}, Case{VK_END, {TListMove::Last}},
                          Case{VK_HOME, {TListMove::First}}, Case{VK_LEFT, TListMove::MoveBy(-1)},
                          Case{VK_UP, TListMove::MoveBy(-1)}, Case{VK_RIGHT, TListMove::MoveBy(1)},
                          Case{VK_DOWN, TListMove::MoveBy(1)}, Case{VK_RETURN, {}}, Case{'A', {}}})
        EXPECT_EQ(KeyMove(c.key, 7), c.move) << c.key;
    // One row: the page keys move nothing.
    EXPECT_TRUE(KeyMove(VK_NEXT, 1).Empty());
    EXPECT_TRUE(KeyMove(VK_PRIOR, 1).Empty());
}

TEST(ListBoxRows, ScrollCodesMoveBeyondTheRowsShown) {
    // Seven rows shown, the current record on row 2.
    struct Case {
        int code;
        int position;
        TListMove move;
    };
    for (const Case& c : {
             Case{SB_LINEUP, 0, TListMove::MoveBy(-3)},
             Case{SB_LINEDOWN, 0, TListMove::MoveBy(5)},
             Case{SB_PAGEUP, 0, TListMove::MoveBy(-8)},
             Case{SB_PAGEDOWN, 0, TListMove::MoveBy(10)},
             Case{SB_THUMBPOSITION, 0, {TListMove::First}},
             Case{SB_THUMBPOSITION, 1, TListMove::MoveBy(-8)},
             Case{SB_THUMBPOSITION, 2, {}},
             Case{SB_THUMBPOSITION, 3, TListMove::MoveBy(10)},
             Case{SB_THUMBPOSITION, 4, {TListMove::Last}},
             Case{SB_THUMBPOSITION, -1, {}},
             Case{SB_THUMBTRACK, 4, {}},
             Case{SB_TOP, 0, {TListMove::First}},
             Case{SB_BOTTOM, 0, {TListMove::Last}},
             Case{8, 0, {}},
         })
        EXPECT_EQ(ScrollBarMove(c.code, c.position, 2, 7), c.move) << c.code << " " << c.position;
}

TEST(ListBoxRows, TheBarShowsTopMiddleAndBottomOnlyWhileTheRowsAreFull) {
    EXPECT_EQ(ScrollBarState(false, false, false), (TScrollBarState{0, 0}));
    EXPECT_EQ(ScrollBarState(true, true, false), (TScrollBarState{4, 0}));
    EXPECT_EQ(ScrollBarState(true, false, false), (TScrollBarState{4, 2}));
    EXPECT_EQ(ScrollBarState(true, false, true), (TScrollBarState{4, 4}));
}

TEST(ListBoxRows, AutoScrollIsFasterTheFartherTheMouseIsOutside) {
    const int client = 91;
    EXPECT_EQ(AutoScrollAt(-10, client), (TAutoScroll{-1, 10, 50}));
    EXPECT_EQ(AutoScrollAt(-14, client), (TAutoScroll{-1, 14, 0}));
    EXPECT_EQ(AutoScrollAt(-1, client), (TAutoScroll{-1, 1, 185}));
    EXPECT_EQ(AutoScrollAt(client, client), (TAutoScroll{1, 1, 185}));
    EXPECT_EQ(AutoScrollAt(client + 9, client), (TAutoScroll{1, 10, 50}));
    EXPECT_EQ(AutoScrollAt(0, client), TAutoScroll{});
    EXPECT_EQ(AutoScrollAt(client - 1, client), TAutoScroll{});
}

TEST(ListBoxRows, ColumnsTakeTheirDisplayWidthAndTheLastOneTheRest) {
    // "0" 6 pixels wide; columns of 5 and 3 characters and a last one.
    const std::vector<TColumn> columns{
        {5, taLeftJustify, 20}, {3, taRightJustify, 10}, {9, taCenter, 11}};
    EXPECT_EQ(RowCells(columns, 6, 100, false),
              (std::vector<TCell>{{0, 34, 2}, {35, 22, 22 - 10 - 3}, {58, 42, (42 - 11) / 2}}));
    // Right to left: left and right exchange, centre stays.
    EXPECT_EQ(RowCells(columns, 6, 100, true),
              (std::vector<TCell>{{0, 34, 34 - 20 - 3}, {35, 22, 2}, {58, 42, 15}}));
    // A column that would start at the right edge is not laid out.
    EXPECT_EQ(RowCells(columns, 6, 57, false), (std::vector<TCell>{{0, 34, 2}, {35, 22, 9}}));
    // Centred text wider than its cell truncates towards zero.
    EXPECT_EQ(RowCells({{1, taCenter, 13}}, 6, 10, false), (std::vector<TCell>{{0, 10, -1}}));
}

} // namespace

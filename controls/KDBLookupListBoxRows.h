#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/KeyModel.h"
#include "platform/gui/ScrollBar.h"

#include <vector>

// The arithmetic of the lookup list box's rows, kept apart from the window: how many rows a
// height holds, where a key, a scroll-bar action or the held mouse moves the list, and where the
// columns of a row stand.

// The most rows the row count takes.
constexpr int MaxRowCount = 100;

// Rows that a height holds: whole rows inside the border, at least one.
int RowsForHeight(int height, int border, int rowHeight);
// The row count as set: below 1 counts as 1, above MaxRowCount as MaxRowCount.
int ClampRowCount(int rows);

// Where the list's current record goes.
struct TListMove {
    enum TKind { None, First, Last, By };
    TKind Kind = None;
    int Count = 0; // records, for By

    static TListMove MoveBy(int count) { return {By, count}; }
    // Nothing to do: no move, or a move by no records.
    bool Empty() const { return Kind == None || (Kind == By && Count == 0); }
    bool operator==(const TListMove&) const = default;
};

// The move of a navigation key: Page Up and Down by a page less one row, Home and End to the
// ends, the arrows by one record; none for any other key.
TListMove KeyMove(Word key, int rowCount);

// The move of a scroll-bar action while the current record stands on row `activeRow` of
// `visibleRecords` rows shown: a line or a page beyond the rows shown, the ends, or the thumb
// dropped on one of its five places.
TListMove ScrollBarMove(int code, int position, int activeRow, int visibleRecords);

// The scroll bar shows only top, middle and bottom: range 0 to 4 while the rows are full, no bar
// (0 to 0) otherwise.
struct TScrollBarState {
    int Max = 0;
    int Position = 0;
    bool operator==(const TScrollBarState&) const = default;
};
TScrollBarState ScrollBarState(bool rowsFull, bool bof, bool eof);

// One step of scrolling while the held mouse is above or below the rows: the direction (-1 up,
// +1 down, 0 inside: the scrolling stops), the distance in pixels from the rows, and the
// interval to the next step, the shorter the farther away the mouse is.
struct TAutoScroll {
    int Direction = 0;
    int Distance = 0;
    int IntervalMs = 0;
    bool operator==(const TAutoScroll&) const = default;
};
TAutoScroll AutoScrollAt(int y, int clientHeight);

// A cell of a row: its left edge and width and where its text starts within it.
struct TCell {
    int Left = 0;
    int Width = 0;
    int TextOffset = 0;
    bool operator==(const TCell&) const = default;
};
// A column to lay out: its display width in characters, its alignment and the width in pixels of
// the text it shows.
struct TColumn {
    int DisplayWidth = 0;
    TAlignment Alignment = taLeftJustify;
    int TextWidth = 0;
};
// The cells of one row: every column but the last is its display width × the width of "0" + 4
// and is followed by a one-pixel separator; the last takes what is left. Columns that would
// start at or beyond the client width get no cell. Right to left, left and right alignment
// change places.
std::vector<TCell> RowCells(const std::vector<TColumn>& columns, int zeroWidth, int clientWidth,
                            bool rightToLeft);

#include "controls/KDBLookupListBoxRows.h"

#include <algorithm>

int RowsForHeight(int height, int border, int rowHeight) {
    if (rowHeight <= 0)
        return 1;
    return std::max(1, (height - border) / rowHeight);
}

int ClampRowCount(int rows) {
    return std::clamp(rows, 1, MaxRowCount);
}

TListMove KeyMove(Word key, int rowCount) {
    switch (key) {
    case VK_PRIOR:
        return TListMove::MoveBy(1 - rowCount);
    case VK_NEXT:
        return TListMove::MoveBy(rowCount - 1);
    case VK_END:
        return {TListMove::Last};
    case VK_HOME:
        return {TListMove::First};
    case VK_LEFT:
    case VK_UP:
        return TListMove::MoveBy(-1);
    case VK_RIGHT:
    case VK_DOWN:
        return TListMove::MoveBy(1);
    default:
        return {};
    }
}

TListMove ScrollBarMove(int code, int position, int activeRow, int visibleRecords) {
    const int a = activeRow;
    const int n = visibleRecords;
    const TListMove pageUp = TListMove::MoveBy(1 - a - n);
    const TListMove pageDown = TListMove::MoveBy(2 * n - a - 2);
    switch (code) {
    case SB_LINEUP:
        return TListMove::MoveBy(-a - 1);
    case SB_LINEDOWN:
        return TListMove::MoveBy(n - a);
    case SB_PAGEUP:
        return pageUp;
    case SB_PAGEDOWN:
        return pageDown;
    case SB_THUMBPOSITION:
        switch (position) {
        case 0:
            return {TListMove::First};
        case 1:
            return pageUp;
        case 3:
            return pageDown;
        case 4:
            return {TListMove::Last};
        default:
            return {};
        }
    case SB_TOP:
        return {TListMove::First};
    case SB_BOTTOM:
        return {TListMove::Last};
    default:
        return {};
    }
}

TScrollBarState ScrollBarState(bool rowsFull, bool bof, bool eof) {
    if (!rowsFull)
        return {};
    return {4, bof ? 0 : eof ? 4 : 2};
}

TAutoScroll AutoScrollAt(int y, int clientHeight) {
    TAutoScroll step;
    if (y < 0) {
        step.Direction = -1;
        step.Distance = -y;
    } else if (y >= clientHeight) {
        step.Direction = 1;
        step.Distance = y - clientHeight + 1;
    } else {
        return step;
    }
    step.IntervalMs = std::max(0, 200 - 15 * step.Distance);
    return step;
}

std::vector<TCell> RowCells(const std::vector<TColumn>& columns, int zeroWidth, int clientWidth,
                            bool rightToLeft) {
    std::vector<TCell> cells;
    int left = 0;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const TColumn& column = columns[i];
        const bool last = i + 1 == columns.size();
        TCell cell;
        cell.Left = left;
        cell.Width = last ? clientWidth - left : column.DisplayWidth * zeroWidth + 4;
        TAlignment alignment = column.Alignment;
        if (rightToLeft && alignment != taCenter)
            alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
        switch (alignment) {
        case taLeftJustify:
            cell.TextOffset = 2;
            break;
        case taRightJustify:
            cell.TextOffset = cell.Width - column.TextWidth - 3;
            break;
        case taCenter:
            cell.TextOffset = (cell.Width - column.TextWidth) / 2;
            break;
        }
        cells.push_back(cell);
        if (last)
            break;
        left += cell.Width + 1;
        if (left >= clientWidth)
            break;
    }
    return cells;
}

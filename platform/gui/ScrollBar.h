#pragma once

#include <QScrollBar>

#include <functional>

// The action codes of a vertical scroll bar.
enum : int {
    SB_LINEUP = 0,
    SB_LINEDOWN = 1,
    SB_PAGEUP = 2,
    SB_PAGEDOWN = 3,
    SB_THUMBPOSITION = 4,
    SB_THUMBTRACK = 5,
    SB_TOP = 6,
    SB_BOTTOM = 7,
};

// A window's vertical scroll bar as the system keeps one: a child bar that never takes the focus,
// shown only while its range is more than 0 to 0. The window writes its range and position
// (SetScrollInfo) and places it; the user's actions reach the window as scroll codes (the SB_
// codes) with the thumb's position, and afterwards the thumb stands where the window has put
// it, not where the user left it. While the thumb is dragged it follows the mouse and reports
// SB_THUMBTRACK; its release reports SB_THUMBPOSITION.
class TVerticalScrollBar : public QScrollBar {
    Q_OBJECT

public:
    using TScrollEvent = std::function<void(int code, int position)>;

    TVerticalScrollBar(QWidget* window, TScrollEvent onScroll);

    // GetScrollInfo's range and position.
    int Min() const { return minimum(); }
    int Max() const { return maximum(); }
    int Position() const { return position_; }
    // SetScrollInfo: a range of 0 to 0 hides the bar.
    void SetScrollInfo(int min, int max, int position);

private:
    void Action(int action);
    void Report(int code, int position);

    TScrollEvent onScroll_;
    int position_ = 0;
};

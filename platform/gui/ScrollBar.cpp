#include "platform/gui/ScrollBar.h"

#include <utility>

TVerticalScrollBar::TVerticalScrollBar(QWidget* window, TScrollEvent onScroll)
    : QScrollBar(Qt::Vertical, window), onScroll_(std::move(onScroll)) {
    setFocusPolicy(Qt::NoFocus);
    // The value follows the window, never the thumb by itself.
    setTracking(false);
    setSingleStep(1);
    setPageStep(1);
    setRange(0, 0);
    hide();
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int action) { Action(action); });
    // The held thumb follows the mouse.
    connect(this, &QAbstractSlider::sliderMoved, this,
            [this](int position) { onScroll_(SB_THUMBTRACK, position); });
    connect(this, &QAbstractSlider::sliderReleased, this,
            [this] { Report(SB_THUMBPOSITION, sliderPosition()); });
}

void TVerticalScrollBar::SetScrollInfo(int min, int max, int position) {
    position_ = position;
    setRange(min, max);
    setValue(position);
    setSliderPosition(position);
    setVisible(max > min);
}

void TVerticalScrollBar::Action(int action) {
    switch (action) {
    case SliderSingleStepSub:
        Report(SB_LINEUP, sliderPosition());
        break;
    case SliderSingleStepAdd:
        Report(SB_LINEDOWN, sliderPosition());
        break;
    case SliderPageStepSub:
        Report(SB_PAGEUP, sliderPosition());
        break;
    case SliderPageStepAdd:
        Report(SB_PAGEDOWN, sliderPosition());
        break;
    case SliderToMinimum:
        Report(SB_TOP, sliderPosition());
        break;
    case SliderToMaximum:
        Report(SB_BOTTOM, sliderPosition());
        break;
    case SliderMove:
        // A move without the thumb held (the wheel) moves nothing.
        setSliderPosition(position_);
        break;
    default:
        break;
    }
}

void TVerticalScrollBar::Report(int code, int position) {
    onScroll_(code, position);
    // Qt moves the thumb by the action once this returns; it goes where the window put it.
    setSliderPosition(position_);
}

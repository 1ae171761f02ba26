#pragma once

#include <QPoint>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

// The middle of a part of a vertical scroll bar as its style lays it out (an arrow, the trough
// on either side of the thumb, the thumb), where a click on that part lands.
inline QPoint ScrollBarPartCentre(const QScrollBar* bar, QStyle::SubControl part) {
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = Qt::Vertical;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.subControls = QStyle::SC_All;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar).center();
}

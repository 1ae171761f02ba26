#include "controls/KDBLookupComboBoxPlacement.h"

#include <algorithm>

int DropDownRowCount(int recordCount, int dropDownRows) {
    return recordCount > 0 && recordCount < dropDownRows ? recordCount : dropDownRows;
}

TDropDownAlign MirroredAlign(TDropDownAlign align, bool rightToLeft) {
    if (!rightToLeft)
        return align;
    switch (align) {
    case daLeft:
        return daRight;
    case daRight:
        return daLeft;
    default:
        return align;
    }
}

QPoint DropDownPosition(const QRect& combo, const QSize& list, TDropDownAlign align,
                        const QRect& available) {
    int y = combo.top() + combo.height();
    if (available.top() + available.height() < y + list.height())
        y = combo.top() - list.height();
    const int wider = list.width() - combo.width();
    int x = combo.left();
    if (align == daRight)
        x -= wider;
    else if (align == daCenter)
        x -= wider / 2; // truncates toward zero, as the list's offset is meant to
    // Every column within reach: inside the available area, its left edge first. Only sideways:
    // moved up or down it would lie over the box.
    x = std::max(std::min(x, available.left() + available.width() - list.width()),
                 available.left());
    return {x, y};
}

#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// The arithmetic of the lookup combo box's drop-down, kept apart from the windows: how many rows
// the list is given and where it stands on the screen.

// Which edges of the list and of the combo box line up: left edges, right edges, or centres.
enum TDropDownAlign { daLeft, daRight, daCenter };

// The rows the list is given: the record count when the list dataset has fewer records than
// DropDownRows, else DropDownRows (also for no records or a count the dataset does not know).
// The list itself keeps the count within 1 to 100.
int DropDownRowCount(int recordCount, int dropDownRows);

// Right to left, the left and right alignments change places; the centre stays.
TDropDownAlign MirroredAlign(TDropDownAlign align, bool rightToLeft);

// Where the list's top left corner goes, in screen coordinates, for a combo box standing at
// `combo` on a screen whose `available` part windows may use (without panels and task bars).
// The list opens below the combo box, or above it when its bottom would pass the available
// area's bottom edge, also when it then reaches above the area's top; it lines up by `align`.
// Then, where it would stand out on the left or the right, it is moved sideways inside the
// area, as far as it fits there. It never covers the combo box.
QPoint DropDownPosition(const QRect& combo, const QSize& list, TDropDownAlign align,
                        const QRect& available);

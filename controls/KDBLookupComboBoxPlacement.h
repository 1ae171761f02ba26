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
// `combo` on a screen of `screen`, with `available` the part of that screen that windows may use
// (without panels and task bars). The list opens below the combo box, or above it when its
// bottom would pass the screen's bottom edge; it lines up by `align`. Then, where it would stand
// partly outside the available area, it is moved inside it, as far as it fits there.
QPoint DropDownPosition(const QRect& combo, const QSize& list, TDropDownAlign align,
                        const QRect& screen, const QRect& available);

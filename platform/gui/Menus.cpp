#include "platform/gui/Menus.h"

TShortCut ShortCut(Word Key, TShiftState Shift) {
    if (Key >= 256)
        return 0;
    TShortCut result = Key;
    if (Shift.Contains(ssShift))
        result |= scShift;
    if (Shift.Contains(ssCtrl))
        result |= scCtrl;
    if (Shift.Contains(ssAlt))
        result |= scAlt;
    return result;
}

bool IsShortCutKey(TShortCut ShortCutValue, Word Key, TShiftState Shift) {
    return ShortCutValue != 0 && ShortCut(Key, Shift) == ShortCutValue;
}

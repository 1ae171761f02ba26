#pragma once

#include "platform/gui/KeyModel.h"

#include <cstdint>

// A keyboard shortcut: a virtual-key code below 256 plus $2000 for Shift, $4000 for Ctrl and
// $8000 for Alt; 0 is no shortcut.
using TShortCut = std::uint16_t;

enum : TShortCut { scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000 };

// The shortcut of a key with the modifiers held (mouse buttons do not count); 0 for a key code
// of 256 or more.
TShortCut ShortCut(Word Key, TShiftState Shift);

// Whether a key press is the shortcut; no key press is shortcut 0.
bool IsShortCutKey(TShortCut ShortCutValue, Word Key, TShiftState Shift);

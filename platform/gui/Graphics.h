#pragma once

#include <QColor>

#include <cstdint>

class QPalette;

// A colour as the class library holds it: $00BBGGRR, or a system colour $FF0000nn, where nn is
// the system's colour index.
using TColor = std::uint32_t;

constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clWindow = 0xFF000005;
constexpr TColor clBtnFace = 0xFF00000F;

// The colour to paint with; a system colour is the palette's colour for that role.
QColor ColorToQColor(TColor color, const QPalette& palette);

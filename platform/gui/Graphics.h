#pragma once

#include <QColor>

#include <cstdint>

class QPalette;

// A colour as the class library holds it: $00BBGGRR, or a system colour $FF0000nn, where nn is
// the system's colour index.
using TColor = std::uint32_t;

constexpr TColor clBlue = 0x00FF0000;
constexpr TColor clWindow = 0xFF000005;
constexpr TColor clWindowText = 0xFF000008;
constexpr TColor clHighlight = 0xFF00000D;
constexpr TColor clHighlightText = 0xFF00000E;
constexpr TColor clBtnFace = 0xFF00000F;
constexpr TColor clBtnShadow = 0xFF000010;
constexpr TColor clGrayText = 0xFF000011;

// The colour to paint with; a system colour is the palette's colour for the role that paints
// the same thing (clGrayText: the text of a disabled control). Other system colours take the
// window role.
QColor ColorToQColor(TColor color, const QPalette& palette);

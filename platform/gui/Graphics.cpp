#include "platform/gui/Graphics.h"

#include <QPalette>

QColor ColorToQColor(TColor color, const QPalette& palette) {
    if ((color & 0xFF000000) == 0)
        return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
    switch (color) {
    case clWindow:
        return palette.color(QPalette::Base);
    case clWindowText:
        return palette.color(QPalette::Text);
    case clHighlight:
        return palette.color(QPalette::Highlight);
    case clHighlightText:
        return palette.color(QPalette::HighlightedText);
    case clBtnShadow:
        return palette.color(QPalette::Dark);
    case clGrayText:
        return palette.color(QPalette::Disabled, QPalette::Text);
    default:
        // Windows paints dialogs in the button face; Qt paints them in the window role.
        return palette.color(QPalette::Window);
    }
}

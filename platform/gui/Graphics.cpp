#include "platform/gui/Graphics.h"

#include <QPalette>

QColor ColorToQColor(TColor color, const QPalette& palette) {
    if ((color & 0xFF000000) == 0)
        return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
    // Windows paints dialogs in the button face; Qt paints them in the window role.
    return palette.color(color == clWindow ? QPalette::Base : QPalette::Window);
}

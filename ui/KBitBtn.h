#pragma once

#include <QPushButton>

// The control library's glyph button: a push button with a glyph (its icon) beside the caption.
// It adds nothing to the button.
class TKBitBtn : public QPushButton {
    Q_OBJECT

public:
    explicit TKBitBtn(QWidget* Owner = nullptr);
};

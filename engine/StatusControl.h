#pragma once

#include <QString>

// A colour as $00BBGGRR.
using TColor = quint32;

// The control that shows the script runner's progress: the runner sets its caption and colour
// and has it repainted at once, as no window messages are handled while a script runs.
class TStatusControl {
public:
    virtual ~TStatusControl() = default;
    virtual void SetCaption(const QString& Caption) = 0;
    virtual void SetColor(TColor Color) = 0;
    virtual bool Visible() const = 0;
    virtual void Repaint() = 0;
};

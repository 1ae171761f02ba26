#pragma once

#include "engine/StatusControl.h"

#include <QPointer>

class TPanel;

// The main window's status panel as the script runner sees it.
class TPanelStatusu : public TStatusControl {
public:
    explicit TPanelStatusu(TPanel* Panel);

    void SetCaption(const QString& Caption) override;
    void SetColor(TColor Color) override;
    // The panel's own visibility, whether or not its window is on screen.
    bool Visible() const override;
    void Repaint() override;

private:
    QPointer<TPanel> panel_;
};

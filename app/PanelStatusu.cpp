#include "app/PanelStatusu.h"

#include "platform/gui/ExtCtrls.h"

TPanelStatusu::TPanelStatusu(TPanel* Panel) : panel_(Panel) {}

void TPanelStatusu::SetCaption(const QString& Caption) {
    if (panel_)
        panel_->SetCaption(Caption);
}

void TPanelStatusu::SetColor(TColor Color) {
    if (panel_)
        panel_->SetColor(Color);
}

bool TPanelStatusu::Visible() const {
    return panel_ && panel_->isVisibleTo(panel_->window());
}

void TPanelStatusu::Repaint() {
    if (panel_)
        panel_->repaint();
}

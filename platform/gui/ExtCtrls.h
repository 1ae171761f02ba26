#pragma once

#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"

#include <QString>
#include <QWidget>

enum TPanelBevel { bvNone, bvLowered, bvRaised };

// A panel: a surface in its colour, framed by an outer bevel one pixel wide, with a caption
// drawn on one line, centred vertically. Its client area for aligned children lies inside the
// bevel and the border. Defaults: raised bevel, no border, caption centred, clBtnFace.
class TPanel : public QWidget {
    Q_OBJECT

public:
    explicit TPanel(QWidget* parent = nullptr);

    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TPanelBevel BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TPanelBevel bevel);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int width);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateClientArea();

    QString caption_;
    TAlignment alignment_ = taCenter;
    TColor color_ = clBtnFace;
    TPanelBevel bevelOuter_ = bvRaised;
    int borderWidth_ = 0;
};

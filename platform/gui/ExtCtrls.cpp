#include "platform/gui/ExtCtrls.h"

#include <QPainter>

TPanel::TPanel(QWidget* parent) : QWidget(parent) {
    UpdateClientArea();
}

void TPanel::SetCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TPanel::SetAlignment(TAlignment alignment) {
    alignment_ = alignment;
    update();
}

void TPanel::SetColor(TColor color) {
    color_ = color;
    update();
}

void TPanel::SetBevelOuter(TPanelBevel bevel) {
    bevelOuter_ = bevel;
    UpdateClientArea();
    update();
}

void TPanel::SetBorderWidth(int width) {
    borderWidth_ = width;
    UpdateClientArea();
    update();
}

void TPanel::UpdateClientArea() {
    const int inset = borderWidth_ + (bevelOuter_ != bvNone ? 1 : 0);
    setContentsMargins(inset, inset, inset, inset);
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ColorToQColor(color_, palette()));
    if (bevelOuter_ != bvNone) {
        const QColor light = palette().color(QPalette::Light);
        const QColor dark = palette().color(QPalette::Dark);
        const QColor& topLeft = bevelOuter_ == bvRaised ? light : dark;
        const QColor& bottomRight = bevelOuter_ == bvRaised ? dark : light;
        const int r = width() - 1;
        const int b = height() - 1;
        painter.setPen(topLeft);
        painter.drawLine(0, 0, r, 0);
        painter.drawLine(0, 0, 0, b);
        painter.setPen(bottomRight);
        painter.drawLine(r, 0, r, b);
        painter.drawLine(0, b, r, b);
    }
    if (caption_.isEmpty())
        return;
    const Qt::Alignment horizontal = alignment_ == taCenter         ? Qt::AlignHCenter
                                     : alignment_ == taRightJustify ? Qt::AlignRight
                                                                    : Qt::AlignLeft;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), int(horizontal | Qt::AlignVCenter | Qt::TextSingleLine),
                     caption_);
}

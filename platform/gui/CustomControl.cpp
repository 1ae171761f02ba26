#include "platform/gui/CustomControl.h"

#include "platform/gui/Application.h"
#include "platform/gui/CancelMode.h"
#include "platform/gui/Forms.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// The focus changes with the active window or a pop-up menu, not from one control to another.
bool WindowChange(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

bool MouseButton(Qt::MouseButton qtButton, TMouseButton& button) {
    switch (qtButton) {
    case Qt::LeftButton:
        button = mbLeft;
        return true;
    case Qt::RightButton:
        button = mbRight;
        return true;
    case Qt::MiddleButton:
        button = mbMiddle;
        return true;
    default:
        return false;
    }
}

} // namespace

QMargins WindowBorder(const TCreateParams& Params) {
    int width = 0;
    if (Params.Style & WS_BORDER)
        width += 1;
    if (Params.ExStyle & WS_EX_CLIENTEDGE)
        width += 2;
    return {width, width, width, width};
}

TCustomControl::TCustomControl(TComponent* AOwner, QWidget* parent)
    : QWidget(parent), TComponent(AOwner) {
    setFocusPolicy(Qt::TabFocus);
    // The mouse moving over the control is reported with no button held, too.
    setMouseTracking(true);
}

void TCustomControl::SetControlStyle(TControlStyle Value) {
    FControlStyle = Value;
    setAttribute(Qt::WA_OpaquePaintEvent, Value.Contains(csOpaque));
}

TColor TCustomControl::Color() const {
    if (FParentColor) {
        if (const auto* parent = dynamic_cast<const TCustomControl*>(parentWidget()))
            return parent->Color();
        return clBtnFace; // the colour of forms
    }
    return FColor;
}

void TCustomControl::SetColor(TColor Value) {
    FColor = Value;
    FParentColor = false;
    update();
}

void TCustomControl::SetParentColor(bool Value) {
    FParentColor = Value;
    update();
}

void TCustomControl::SetCtl3D(bool Value) {
    if (Value == FCtl3D)
        return;
    FCtl3D = Value;
    CMCtl3DChanged();
}

void TCustomControl::SetBiDiMode(TBiDiMode Value) {
    if (Value == FBiDiMode)
        return;
    FBiDiMode = Value;
    CMBiDiModeChanged();
}

bool TCustomControl::TabStop() const {
    return (focusPolicy() & Qt::TabFocus) != 0;
}

void TCustomControl::SetTabStop(bool Value) {
    // Never ClickFocus: a click takes the focus only when the control asks for it.
    setFocusPolicy(Value ? Qt::TabFocus : Qt::NoFocus);
}

bool TCustomControl::CanFocus() const {
    return ::CanFocus(this);
}

void TCustomControl::SetFocus() {
    setFocus(Qt::OtherFocusReason);
}

bool TCustomControl::MouseCapture() const {
    return QWidget::mouseGrabber() == this;
}

void TCustomControl::SetMouseCapture(bool Value) {
    if (Value)
        grabMouse();
    else if (MouseCapture())
        releaseMouse();
}

QRect TCustomControl::ClientRect() const {
    const_cast<TCustomControl*>(this)->HandleNeeded();
    return QRect(QPoint(0, 0), contentsRect().size());
}

void TCustomControl::HandleNeeded() {
    if (!FHandleAllocated) {
        FHandleAllocated = true;
        CreateWnd();
    }
}

void TCustomControl::RecreateWnd() {
    if (FHandleAllocated) {
        CreateWnd();
        update();
    }
}

void TCustomControl::CreateParams(TCreateParams&) {}

void TCustomControl::CreateWnd() {
    FParams = {};
    CreateParams(FParams);
    setContentsMargins(WindowBorder(FParams));
}

void TCustomControl::Paint(QPainter&) {}

void TCustomControl::Click() {
    if (OnClick)
        OnClick(this);
}

void TCustomControl::DblClick() {
    if (OnDblClick)
        OnDblClick(this);
}

void TCustomControl::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TCustomControl::KeyUp(Word& Key, TShiftState Shift) {
    if (OnKeyUp)
        OnKeyUp(this, Key, Shift);
}

void TCustomControl::KeyPress(QChar& Key) {
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TCustomControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
}

void TCustomControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

void TCustomControl::DoEnter() {
    if (OnEnter)
        OnEnter(this);
}

void TCustomControl::DoExit() {
    if (OnExit)
        OnExit(this);
}

void TCustomControl::WMKeyDown(Word& Key, TShiftState Shift) {
    KeyDown(Key, Shift);
}

void TCustomControl::WMSetFocus() {
    if (FEntered || !FFocusMoved)
        return;
    FEntered = true;
    DoEnter();
}

void TCustomControl::WMKillFocus() {
    if (!FEntered || !FFocusMoved)
        return;
    FEntered = false;
    DoExit();
}

void TCustomControl::WMCancelMode() {
    FClicking = false;
    SetMouseCapture(false);
}

void TCustomControl::CMEnabledChanged() {}

void TCustomControl::CMFontChanged() {}

void TCustomControl::CMCtl3DChanged() {}

void TCustomControl::CMBiDiModeChanged() {}

bool TCustomControl::event(QEvent* event) {
    if (event->type() == CancelModeEvent()) {
        Application->Guard([this] { WMCancelMode(); });
        return true;
    }
    if (event->type() == QEvent::Polish)
        HandleNeeded();
    return QWidget::event(event);
}

void TCustomControl::paintEvent(QPaintEvent*) {
    HandleNeeded();
    QPainter painter(this);
    if (!FControlStyle.Contains(csOpaque))
        painter.fillRect(rect(), ColorToQColor(Color(), palette()));
    PaintBorder(painter);
    const QRect client = contentsRect();
    painter.setClipRect(client);
    painter.translate(client.topLeft());
    painter.setFont(font());
    Application->Guard([&] { Paint(painter); });
}

void TCustomControl::PaintBorder(QPainter& painter) const {
    const QPalette& colours = palette();
    QRect edge = rect();
    const auto frame = [&](const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(edge.topLeft(), edge.topRight());
        painter.drawLine(edge.topLeft(), edge.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(edge.bottomLeft(), edge.bottomRight());
        painter.drawLine(edge.topRight(), edge.bottomRight());
        edge.adjust(1, 1, -1, -1);
    };
    if (FParams.Style & WS_BORDER)
        frame(Qt::black, Qt::black);
    if (FParams.ExStyle & WS_EX_CLIENTEDGE) {
        // Sunken: the shadow above and left, the light below and right, two lines deep.
        frame(colours.color(QPalette::Dark), colours.color(QPalette::Light));
        frame(colours.color(QPalette::Shadow), colours.color(QPalette::Midlight));
    }
}

void TCustomControl::keyPressEvent(QKeyEvent* event) {
    if (auto* form = qobject_cast<TForm*>(window()); form != nullptr && form->DialogKey(event))
        return;
    SplitKeyPress(
        this, event, [this](Word& Key, TShiftState Shift) { WMKeyDown(Key, Shift); },
        [this](QChar& Key) { KeyPress(Key); }, [](QKeyEvent*) {});
}

void TCustomControl::keyReleaseEvent(QKeyEvent* event) {
    Word key = VirtualKey(Qt::Key(event->key()), event->modifiers());
    const TShiftState shift = ShiftState(event->modifiers());
    Application->Guard([&] { KeyUp(key, shift); });
}

void TCustomControl::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    FFocusMoved = !WindowChange(event->reason());
    Application->Guard([this] { WMSetFocus(); });
}

void TCustomControl::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    FFocusMoved = !WindowChange(event->reason());
    Application->Guard([this] { WMKillFocus(); });
}

QPoint TCustomControl::ClientPoint(const QMouseEvent* event) const {
    return event->position().toPoint() - contentsRect().topLeft();
}

void TCustomControl::RaiseMouseDown(QMouseEvent* event, bool doubleClick) {
    TMouseButton button;
    if (!MouseButton(event->button(), button))
        return;
    TShiftState shift = ShiftState(event->modifiers(), event->buttons());
    if (doubleClick)
        shift.Include(ssDouble);
    if (button == mbLeft)
        FClicking = FControlStyle.Contains(csClickEvents);
    const QPoint at = ClientPoint(event);
    Application->Guard([&] { MouseDown(button, shift, at.x(), at.y()); });
}

void TCustomControl::mousePressEvent(QMouseEvent* event) {
    HandleNeeded();
    RaiseMouseDown(event, false);
}

void TCustomControl::mouseDoubleClickEvent(QMouseEvent* event) {
    HandleNeeded();
    // Without double clicks the second press is a press like the first.
    RaiseMouseDown(event, FControlStyle.Contains(csDoubleClicks));
}

void TCustomControl::mouseMoveEvent(QMouseEvent* event) {
    const TShiftState shift = ShiftState(event->modifiers(), event->buttons());
    const QPoint at = ClientPoint(event);
    Application->Guard([&] { MouseMove(shift, at.x(), at.y()); });
}

void TCustomControl::mouseReleaseEvent(QMouseEvent* event) {
    TMouseButton button;
    if (!MouseButton(event->button(), button))
        return;
    const TShiftState shift = ShiftState(event->modifiers(), event->buttons());
    const QPoint at = ClientPoint(event);
    const bool click = button == mbLeft && FClicking && ClientRect().contains(at);
    if (button == mbLeft)
        FClicking = false;
    Application->Guard([&] {
        if (click)
            Click();
        MouseUp(button, shift, at.x(), at.y());
    });
}

void TCustomControl::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
        Application->Guard([this] { CMEnabledChanged(); });
        break;
    case QEvent::FontChange:
        Application->Guard([this] { CMFontChanged(); });
        break;
    default:
        break;
    }
}

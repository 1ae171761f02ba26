#pragma once

#include "platform/gui/Classes.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/KeyModel.h"

#include <QMargins>
#include <QWidget>

#include <initializer_list>

class QPainter;

// How a control behaves towards the mouse and how it is painted.
enum TControlStyleItem : unsigned {
    csClickEvents = 1,  // a left press and release inside it is a Click
    csDoubleClicks = 2, // the second press of a double click comes with ssDouble
    csOpaque = 4,       // paints its whole client area: no background is painted first
};

class TControlStyle {
public:
    TControlStyle() = default;
    TControlStyle(std::initializer_list<TControlStyleItem> items) {
        for (TControlStyleItem item : items)
            bits_ |= item;
    }
    bool Contains(TControlStyleItem item) const { return (bits_ & item) != 0; }
    void Include(TControlStyleItem item) { bits_ |= item; }
    void Exclude(TControlStyleItem item) { bits_ &= ~unsigned(item); }
    bool operator==(const TControlStyle&) const = default;

private:
    unsigned bits_ = 0;
};

using TMouseMoveEvent = std::function<void(QObject* Sender, TShiftState Shift, int X, int Y)>;

// Window styles that shape a control's border: a single line (WS_BORDER) or a sunken client
// edge of two lines (WS_EX_CLIENTEDGE).
enum : unsigned { WS_BORDER = 0x00800000 };
enum : unsigned { WS_EX_CLIENTEDGE = 0x00000200 };

struct TCreateParams {
    unsigned Style = 0;
    unsigned ExStyle = 0;
};

// The border that the window styles put around a control's client area.
QMargins WindowBorder(const TCreateParams& Params);

// A focusable control that paints itself, the base of the library's painted controls. Its
// window is its widget: the border that its creation parameters ask for is drawn around the
// client area, and the client area (ClientWidth, ClientHeight) is what Paint and the mouse see,
// with (0, 0) at its top left. Width and Height are the outer size.
//
// Keys arrive in the class library's two steps (KeyModel.h): WMKeyDown, which raises KeyDown,
// then KeyPress per character; Enter and Esc go to the form's default and cancel buttons first.
// The focus arrives in WMSetFocus and leaves in WMKillFocus, also when the window is
// deactivated and activated again; DoEnter and DoExit run from there only when the focus moves
// between controls. A click does not take the focus: a descendant that wants it calls SetFocus.
// A modal window takes the mouse from the control holding it with the cancel-mode notice
// (WMCancelMode). Every handler runs under the application's guard: a failure that leaves one is
// shown by the error display.
class TCustomControl : public QWidget, public TComponent {
    Q_OBJECT

public:
    explicit TCustomControl(TComponent* AOwner, QWidget* parent = nullptr);

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle Value);

    // The background; with ParentColor the parent's.
    TColor Color() const;
    // Also turns ParentColor off.
    void SetColor(TColor Value);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool Value);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool Value);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode Value);
    bool TabStop() const;
    void SetTabStop(bool Value);

    bool Focused() const { return hasFocus(); }
    // Shown and enabled up to its window.
    bool CanFocus() const;
    void SetFocus();

    bool MouseCapture() const;
    void SetMouseCapture(bool Value);

    QRect ClientRect() const;
    int ClientWidth() const { return ClientRect().width(); }
    int ClientHeight() const { return ClientRect().height(); }

    // Paints later, or at once.
    void Invalidate() { update(); }
    void Repaint() { repaint(); }

    // The window is created when first needed (shown, painted, measured): CreateParams are read
    // then, and again by RecreateWnd.
    bool HandleAllocated() const { return FHandleAllocated; }
    void HandleNeeded();
    void RecreateWnd();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;

protected:
    virtual void CreateParams(TCreateParams& Params);
    // Takes the border of CreateParams.
    virtual void CreateWnd();
    // Paints the client area; the canvas holds the control's font. Draws nothing here.
    virtual void Paint(QPainter& Canvas);

    // OnClick, OnDblClick.
    virtual void Click();
    virtual void DblClick();
    // Raise their events.
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyUp(Word& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DoEnter();
    virtual void DoExit();

    // The key-down message: KeyDown.
    virtual void WMKeyDown(Word& Key, TShiftState Shift);
    // The focus came: DoEnter when it came from another control.
    virtual void WMSetFocus();
    // The focus went: DoExit when it went to another control.
    virtual void WMKillFocus();
    // The cancel-mode notice (CancelMode.h): a press in it is no click any more, and it lets go
    // of the mouse.
    virtual void WMCancelMode();
    // Enabled, Font, Ctl3D or BiDiMode changed; nothing here.
    virtual void CMEnabledChanged();
    virtual void CMFontChanged();
    virtual void CMCtl3DChanged();
    virtual void CMBiDiModeChanged();

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void PaintBorder(QPainter& painter) const;
    void RaiseMouseDown(QMouseEvent* event, bool doubleClick);
    // A Qt mouse position in client coordinates.
    QPoint ClientPoint(const QMouseEvent* event) const;

    TControlStyle FControlStyle{csClickEvents, csDoubleClicks};
    TColor FColor = clWindow;
    bool FParentColor = true;
    bool FCtl3D = true;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FHandleAllocated = false;
    TCreateParams FParams;
    // Between DoEnter and DoExit.
    bool FEntered = false;
    // The focus change being handled moves between controls, not windows.
    bool FFocusMoved = false;
    // A left press inside that a release inside makes a Click.
    bool FClicking = false;
};

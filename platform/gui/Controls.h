#pragma once

#include "platform/gui/KeyModel.h"

#include <functional>

class QObject;
class QRect;
class QSize;
class QWidget;

// How a control is laid out in its parent's client area. Aligned controls are placed in the
// order top, bottom, left, right, client, each taking its strip of what the ones before left;
// alCustom controls and alNone controls without anchors are left where they are.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

// The edges of its parent that an alNone control keeps its distances to when the parent is
// resized. Anchored left and right it stretches; anchored to neither edge its centre moves in
// proportion to the parent's size.
enum TAnchorKind : unsigned { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = unsigned;
constexpr TAnchors DefaultAnchors = akLeft | akTop;

// Horizontal alignment of a text.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// The reading order of a control: left to right, or right to left with its alignment mirrored,
// without it, or for the reading only.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// The border of a control: none or a single line.
enum class TBorderStyle { bsNone, bsSingle };

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Event handlers of the controls; Sender is the control that raises the event. Key and Char are
// the key-down step's virtual key and the character step's character, which the handler may
// change or clear (KeyModel.h).
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TKeyEvent = std::function<void(QObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
using TMouseEvent =
    std::function<void(QObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

// Controls are Qt widgets placed by these routines, which lay their parent out at once, also
// while the window is hidden (Qt would wait for it to be shown).
//
// Sizes and positions are in pixels within the parent, at 96 dpi. Place a parent before its
// children: anchors keep the distances that a control has to its parent's edges when its
// bounds or anchors are set.

// Sets Left, Top, Width and Height. An aligned control keeps only the extent its alignment
// leaves it (the height of an alTop control, say) and its parent is laid out again.
void SetBounds(QWidget* control, int left, int top, int width, int height);

void SetAlign(QWidget* control, TAlign align);
TAlign Align(const QWidget* control);

void SetAnchors(QWidget* control, TAnchors anchors);
TAnchors Anchors(const QWidget* control);

// Resizes a widget and delivers the resize events at once, to it and to its hidden children.
void ResizeNow(QWidget* widget, const QSize& size);

// Whether the control can take the keyboard focus now: it and every parent up to its window are
// shown and enabled.
bool CanFocus(const QWidget* control);

// The keys a control takes before its form does. A form takes some keys for itself before its
// focused control sees them (plain Enter for the default button, plain Esc for the cancel
// button); a control that needs one of them (Enter as Tab, say) answers true for it here, and
// the form leaves the key to it. A control that holds the focused one (a group of buttons) may
// answer for it. This is the platform's dialog-code query (WM_GETDLGCODE), as an interface.
class TDialogCodeQuery {
public:
    virtual bool WantsKey(Word Key, TShiftState Shift) const = 0;

protected:
    ~TDialogCodeQuery() = default;
};

// Whether the focused control of `form`, or a control between it and the form, wants the key
// before the form.
bool FocusedControlWantsKey(const QWidget* form, Word key, TShiftState shift);

class TDataLink;

// A data-aware control answers with the data link that binds it, so that whoever holds the
// control (a container of data controls, an action) can reach its data source. The platform's
// data-link query (CM_GETDATALINK), as an interface.
class TDataLinkQuery {
public:
    virtual TDataLink* GetDataLink() const = 0;

protected:
    ~TDataLinkQuery() = default;
};

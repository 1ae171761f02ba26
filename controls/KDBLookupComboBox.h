#pragma once

#include "controls/KDBLookupComboBoxPlacement.h"
#include "controls/KDBLookupControl.h"
#include "platform/gui/Controls.h"

#include <QPoint>
#include <QString>

class TKPopupDataList;

// The lookup combo box: one line of fixed height that shows the display text of the list record
// whose key is the key value, with a drop-down button at its right edge drawn by the desktop
// style. Alt+Down, Alt+Up or a left press drops the pop-up list below the box (above it when
// there is no room below on its screen), DropDownRows rows high and DropDownWidth wide, placed
// by DropDownAlign; a click, a release after a drag or Enter in the list chooses that row, Esc,
// a click elsewhere, the loss of the focus or of the window's activation closes the list without
// choosing, and so does the box moving on the screen (with its form, a parent, a scroll or a
// layout) and the form changing its size or its state. With the list closed Up
// and Down choose the record before or after the key's, and typed letters search. The box keeps
// the focus throughout; the list never takes it.
//
// Every choice goes through ChooseKeyValue with its change events and OnClick; OnDropDown fires
// before a drop-down sets up the list, OnCloseUp after every close-up, accepted or not. A
// failure of a handler, of the list dataset or of writing the bound field passes on (from a key
// or mouse handler to the error display); the list is closed before a choice can fail.
class TKDBLookupComboBox : public TKDBLookupControl, public TDataLinkQuery {
    Q_OBJECT

public:
    explicit TKDBLookupComboBox(TComponent* AOwner, QWidget* parent = nullptr);

    // Opens the list, unless it is shown or the list is not active. OnDropDown fires first.
    virtual void DropDown();
    // Closes a shown list; with Accept, and when the value may be changed, chooses the list's
    // row. OnCloseUp fires last. Nothing at all while the list is hidden.
    virtual void CloseUp(bool Accept);

    bool ListVisible() const { return FListShown; }
    // The text shown: the display field's text of the key's record, or empty.
    const QString& Text() const { return FDisplayText; }

    // These take effect at the next drop-down or key.
    TDropDownAlign DropDownAlign() const { return FDropDownAlign; }
    void SetDropDownAlign(TDropDownAlign Value) { FDropDownAlign = Value; }
    // The most rows the list shows.
    int DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(int Value) { FDropDownRows = Value; }
    // The list's width in pixels; 0 or less is the box's own width.
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int Value) { FDropDownWidth = Value; }
    // Enter with the list closed moves the focus to the next control of the form, Shift+Enter to
    // the previous one.
    bool KEnterJakoTab() const { return FKEnterJakoTab; }
    void SetKEnterJakoTab(bool Value) { FKEnterJakoTab = Value; }

    // The link to its data source.
    TDataLink* GetDataLink() const override;

    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;

protected:
    void ShowKeyValue() override;
    void ResolveListFields() override;

    void CreateParams(TCreateParams& Params) override;
    void Paint(QPainter& Canvas) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMKillFocus() override;
    // The tracking of a press on the box ends.
    void WMCancelMode() override;
    void CMCtl3DChanged() override;
    void CMFontChanged() override;
    void CMBiDiModeChanged() override;
    // The text's alignment is mirrored (the data-aware controls' right-to-left rule for the
    // bound field).
    bool UseRightToLeftAlignment() const;

    // Enter and Esc go to a shown list before the form's default and cancel buttons.
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // While the list is shown: a press on anything but the box and the list closes it, and so
    // does the box moving on the screen and the form changing its size or its state, which
    // would leave the list behind.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Height of one line of text, the border and 4 pixels.
    int FixedHeight();
    void ApplyFixedHeight();
    // Up and Down with the list closed: the record before or after the key's.
    void StepThroughList(int Direction);
    // The button is drawn pressed while the tracked pointer is over it.
    void TrackButton(int X, int Y);
    void StopTracking();
    // The list's mouse release: a left release over the list chooses, elsewhere cancels.
    void ListMouseUp(TMouseButton Button, int X, int Y);

    TKPopupDataList* FPopupList;
    int FDropButtonWidth;
    QString FDisplayText;
    int FDropDownRows = 7;
    int FDropDownWidth = 0;
    TDropDownAlign FDropDownAlign = daLeft;
    bool FListShown = false;
    bool FButtonPressed = false;
    bool FButtonTracking = false;
    TAlignment FDisplayAlignment = taLeftJustify;
    bool FKEnterJakoTab = false;
    bool FMouseOver = false;
    // The box's place on the screen when its list was dropped.
    QPoint FDroppedFrom;
    // The focus is leaving: closing the list must not take it back.
    bool FLosingFocus = false;
};

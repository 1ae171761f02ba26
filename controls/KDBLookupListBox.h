#pragma once

#include "controls/KDBLookupControl.h"

#include <QString>

class TVerticalScrollBar;
class TWindowTimer;

// The lookup list box: RowCount rows of the list dataset, one record per row and one column per
// display field, with the row of the key value highlighted. The user chooses a record with the
// arrow, page, Home and End keys, by clicking or dragging over the rows (the list scrolls while
// the held mouse is above or below the box), or by typing the start of an entry; every choice
// goes through ChooseKeyValue with its change events. The scroll bar pages through the list
// without choosing.
//
// The rows are the list link's record window: the link buffers as many records as there are
// rows and the box scrolls by moving the list dataset's cursor; it keeps no records itself.
//
// The height always holds whole rows (at least one) and the border; RowCount follows the height.
// A drag holds the mouse; it ends without a choice on the cancel-mode notice (a modal window
// takes the mouse), when the window is deactivated, the box loses the focus, or a step of it
// fails. A failure of a key, mouse or timer step passes to the error display.
class TKDBLookupListBox : public TKDBLookupControl {
    Q_OBJECT

public:
    explicit TKDBLookupListBox(TComponent* AOwner, QWidget* parent = nullptr);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    // Refits the height to the new border.
    void SetBorderStyle(TBorderStyle Value);
    int RowCount() const { return FRowCount; }
    // 1 to MaxRowCount rows; the height follows.
    void SetRowCount(int Value);
    // Enter moves the focus to the next control of the form, Shift+Enter to the previous one.
    bool KEnterJakoTab() const { return FKEnterJakoTab; }
    void SetKEnterJakoTab(bool Value) { FKEnterJakoTab = Value; }
    // The display text of the key value's record; empty without a display field.
    const QString& SelectedText() const { return FSelectedText; }

    // The row of the key value among the rows shown; -1 when it is Null or on none of them.
    int KeyRow();

protected:
    void ShowKeyValue() override;
    void RefreshFromList() override;
    void ResolveListFields() override;

    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Paint(QPainter& Canvas) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void WMKillFocus() override;
    // The drag ends; nothing is chosen.
    void WMCancelMode() override;
    void CMCtl3DChanged() override;
    void CMFontChanged() override;
    // The columns' alignment is mirrored (the data-aware controls' right-to-left rule for the
    // bound field).
    bool UseRightToLeftAlignment() const;

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

    // Set by the pop-up list at its creation.
    bool FPopupMode = false;

private:
    // Setting the bounds: the rows that the height holds, the record window to match, and the
    // height snapped to them.
    void ApplyHeight(int Height);
    // The row of the list dataset's cursor and the records in the rows, as the list link has
    // them now: while the list's controls are disabled its cursor moves without a notice, and
    // the rows follow it all the same. 0 while the list is not active.
    int ActiveRow() const;
    int VisibleRecords() const;
    // The first row holding the key; -1 when none does.
    int RowOfKey(const Variant& Key);
    // The list key field's value on a row; the fields go back to the record they showed.
    Variant RowKey(int Row);
    // Whether the row shows a record, not a record being inserted.
    bool ShowsRecord(int Row) const;
    // Posts or cancels a record the list dataset is editing, as a move would. Row, a row as the
    // user saw the rows, follows its record: it becomes the row that record stands on
    // afterwards, and stays when it showed none or the record has gone. True when a record was
    // pending; the handlers that posting runs may then have taken the list away.
    bool LeaveListEditMode(int& Row);
    bool LeaveListEditMode();
    // Moves the cursor to Target, a row as the user saw the rows: above them when negative,
    // below them from VisibleRecords on. Counted from the row at the edge it lies beyond, found
    // again by its record once a pending record has left. True when the cursor went to another
    // record.
    bool MoveBeyondRows(int Target);
    void ChooseCurrentRecord();
    // The record under the point, as the user saw the rows; leaving the list's edit mode may
    // shift them, and a drag then ends.
    void ChooseRowAt(int X, int Y);
    void AutoScrollStep();
    void StopScrollTimer();
    void EndDragSelect();
    void RefreshScrollBar();
    // The bar stands in the client area's right margin.
    void PlaceScrollBar();
    // The scroll bar's action (WM_VSCROLL).
    void WMVScroll(int Code, int Pos);
    // Runs a step of a drag; a failure ends the drag before it passes on.
    template <class Step> void DragStep(Step&& step);

    int FRowCount = 0;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    bool FKeyOrScrolled = false;
    bool FDragSelecting = false;
    bool FScrollTimerOn = false;
    bool FHoldListPosition = false;
    int FTrackY = 0;
    QString FSelectedText;
    bool FKEnterJakoTab = false;
    TVerticalScrollBar* FScrollBar;
    TWindowTimer* FScrollTimer;
};

// The drop-down list of the lookup combo box: the list box in a frameless window of its own that
// floats over the form, never becomes active and never takes the focus, so the combo box keeps
// it while the user clicks in the list. It draws a single-line border; every press is a single
// one; the chosen row carries the focus frame although the list has no focus.
class TKPopupDataList : public TKDBLookupListBox {
    Q_OBJECT

    // Its combo box hands it the keys it does not use itself.
    friend class TKDBLookupComboBox;

public:
    explicit TKPopupDataList(TComponent* AOwner, QWidget* parent = nullptr);

protected:
    void CreateParams(TCreateParams& Params) override;
};

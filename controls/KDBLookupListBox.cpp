#include "controls/KDBLookupListBox.h"

#include "controls/KDBLookupListBoxRows.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "platform/gui/ScrollBar.h"
#include "platform/gui/WindowTimer.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/SysUtils.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace {

// DrawFocusRect: a dotted frame that inverts what is under it.
void DrawFocusRect(QPainter& canvas, const QRect& rect) {
    canvas.save();
    canvas.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QPen dots(Qt::white);
    dots.setDashPattern({1, 1});
    canvas.setPen(dots);
    canvas.setBrush(Qt::NoBrush);
    canvas.drawRect(rect.adjusted(0, 0, -1, -1));
    canvas.restore();
}

} // namespace

// --- TKDBLookupListBox -----------------------------------------------------------------------

TKDBLookupListBox::TKDBLookupListBox(TComponent* AOwner, QWidget* parent)
    : TKDBLookupControl(AOwner, parent),
      FScrollBar(new TVerticalScrollBar(
          this, [this](int Code, int Pos) { Application->Guard([&] { WMVScroll(Code, Pos); }); })),
      FScrollTimer(new TWindowTimer(this, [this] {
          Application->Guard([this] { DragStep([this] { AutoScrollStep(); }); });
      })) {
    TControlStyle style = ControlStyle();
    style.Include(csDoubleClicks);
    SetControlStyle(style);
    resize(121, height());
    SetRowCount(7);
}

void TKDBLookupListBox::SetBorderStyle(TBorderStyle Value) {
    if (Value == FBorderStyle)
        return;
    FBorderStyle = Value;
    RecreateWnd();
    SetRowCount(FRowCount);
}

void TKDBLookupListBox::SetRowCount(int Value) {
    const int rows = ClampRowCount(Value);
    SetBounds(this, x(), y(), width(), rows * LineHeight() + BorderHeight());
    // The height may not have changed, and then no resize tells the rows.
    ApplyHeight(height());
}

void TKDBLookupListBox::ApplyHeight(int Height) {
    const int rowHeight = LineHeight();
    const int border = BorderHeight();
    const int rows = RowsForHeight(Height, border, rowHeight);
    FRowCount = rows;
    if (rows != FListSourceLink->BufferCount()) {
        FListSourceLink->SetBufferCount(rows);
        RefreshFromList();
    }
    const int snapped = rows * rowHeight + border;
    if (height() != snapped)
        ResizeNow(this, QSize(width(), snapped));
}

void TKDBLookupListBox::resizeEvent(QResizeEvent* event) {
    TKDBLookupControl::resizeEvent(event);
    Application->Guard([this] { ApplyHeight(height()); });
    PlaceScrollBar();
}

void TKDBLookupListBox::CreateParams(TCreateParams& Params) {
    TKDBLookupControl::CreateParams(Params);
    if (FBorderStyle == TBorderStyle::bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TKDBLookupListBox::CreateWnd() {
    TKDBLookupControl::CreateWnd();
    RefreshScrollBar();
}

void TKDBLookupListBox::CMCtl3DChanged() {
    if (FBorderStyle == TBorderStyle::bsSingle) {
        RecreateWnd();
        SetRowCount(FRowCount);
    }
    TKDBLookupControl::CMCtl3DChanged();
}

void TKDBLookupListBox::CMFontChanged() {
    TKDBLookupControl::CMFontChanged();
    ApplyHeight(height());
}

// The list

void TKDBLookupListBox::RefreshFromList() {
    if (FListActive) {
        FKeyOrScrolled = !VarIsNull(FKeyValue) || !FListSourceLink->DataSet()->Bof();
    } else {
        FKeyOrScrolled = false;
        // No rows are left to drag over.
        EndDragSelect();
    }
    if (HandleAllocated()) {
        RefreshScrollBar();
        Invalidate();
    }
}

void TKDBLookupListBox::ShowKeyValue() {
    if (FListActive && !FHoldListPosition && !MoveListToKey())
        FListSourceLink->DataSet()->First();
    FSelectedText = FDisplayField != nullptr ? FDisplayField->DisplayText() : QString();
}

void TKDBLookupListBox::ResolveListFields() {
    const auto follow = [this] {
        if (FListActive)
            ShowKeyValue();
        else
            RefreshFromList();
    };
    try {
        TKDBLookupControl::ResolveListFields();
    } catch (...) {
        follow();
        throw;
    }
    follow();
}

int TKDBLookupListBox::KeyRow() {
    return VarIsNull(FKeyValue) ? -1 : RowOfKey(FKeyValue);
}

int TKDBLookupListBox::ActiveRow() const {
    return FListActive ? FListSourceLink->ActiveRecord() : 0;
}

int TKDBLookupListBox::VisibleRecords() const {
    return FListActive ? FListSourceLink->RecordCount() : 0;
}

int TKDBLookupListBox::RowOfKey(const Variant& Key) {
    const int visible = VisibleRecords();
    for (int row = 0; row < visible; ++row)
        if (VariantsEqual(RowKey(row), Key))
            return row;
    return -1;
}

Variant TKDBLookupListBox::RowKey(int Row) {
    const int active = FListSourceLink->ActiveRecord();
    FListSourceLink->SetActiveRecord(Row);
    const Variant value = FListKeyField->Value();
    FListSourceLink->SetActiveRecord(active);
    return value;
}

bool TKDBLookupListBox::ShowsRecord(int Row) const {
    if (Row < 0 || Row >= VisibleRecords())
        return false;
    return !(FListSourceLink->DataSet()->State() == dsInsert && Row == ActiveRow());
}

bool TKDBLookupListBox::LeaveListEditMode(int& Row) {
    TDataSet* list = FListSourceLink->DataSet();
    if (!list->Active() || list->State() == dsBrowse)
        return false;
    // Leaving may drop the record being inserted from the rows and shift the others: the
    // record on Row is found again by its key.
    const bool onRecord = ShowsRecord(Row);
    const Variant key = onRecord ? RowKey(Row) : Null();
    list->CheckBrowseMode();
    if (const int found = onRecord ? RowOfKey(key) : -1; found >= 0)
        Row = found;
    return true;
}

bool TKDBLookupListBox::LeaveListEditMode() {
    int none = -1;
    return LeaveListEditMode(none);
}

bool TKDBLookupListBox::MoveBeyondRows(int Target) {
    const bool up = Target < 0;
    const int edge = up ? 0 : VisibleRecords() - 1;
    // A record being inserted on the edge row goes when it is left unmodified: the row next to
    // it takes its place.
    const int inner = up ? edge + 1 : edge - 1;
    int anchor = !ShowsRecord(edge) && ShowsRecord(inner) ? inner : edge;
    const bool inserting = FListSourceLink->DataSet()->State() == dsInsert;
    if (LeaveListEditMode(anchor) && !FListActive)
        return false;
    const int moved = FListSourceLink->DataSet()->MoveBy(anchor + Target - edge - ActiveRow());
    // The record being inserted has left the cursor in any case.
    return moved != 0 || inserting;
}

// Choosing

void TKDBLookupListBox::ChooseCurrentRecord() {
    // An empty list has no record to choose: its key field reads Null, which would wipe the
    // bound field.
    if (FListSourceLink->RecordCount() == 0)
        return;
    FHoldListPosition = true;
    try {
        ChooseKeyValue(FListKeyField->Value());
    } catch (...) {
        FHoldListPosition = false;
        throw;
    }
    FHoldListPosition = false;
}

void TKDBLookupListBox::ChooseRowAt(int, int Y) {
    Y = std::clamp(Y, 0, std::max(0, ClientHeight() - 1));
    const int pointed = Y / LineHeight();
    int row = pointed;
    if (LeaveListEditMode(row)) {
        // Posting runs the other controls' handlers, which may take the list away.
        if (!IsValueEditable()) {
            EndDragSelect();
            return;
        }
        // The pointer now stands on another record: the rest of the drag would choose it.
        if (row != pointed)
            EndDragSelect();
    }
    FListSourceLink->DataSet()->MoveBy(row - ActiveRow());
    ChooseCurrentRecord();
}

// Keys

void TKDBLookupListBox::KeyDown(Word& Key, TShiftState Shift) {
    TKDBLookupControl::KeyDown(Key, Shift);
    if (Key == VK_RETURN && FKEnterJakoTab)
        Key = 0;
    if (!IsValueEditable())
        return;
    const TListMove move = KeyMove(Key, FRowCount);
    if (move.Empty())
        return;
    FSearchText.clear();
    // The key's row is counted as the rows stand once a record being inserted has left them.
    if (LeaveListEditMode() && !IsValueEditable())
        return;
    TDataSet* list = FListSourceLink->DataSet();
    switch (move.Kind) {
    case TListMove::First:
        list->First();
        break;
    case TListMove::Last:
        list->Last();
        break;
    default:
        // Away from the key's row the first key only brings the key's record into view.
        if (const int row = KeyRow(); row >= 0) {
            list->MoveBy(row - ActiveRow());
            list->MoveBy(move.Count);
        } else {
            ShowKeyValue();
        }
        break;
    }
    ChooseCurrentRecord();
}

void TKDBLookupListBox::KeyPress(QChar& Key) {
    TKDBLookupControl::KeyPress(Key);
    if ((Key == QChar('\r') || Key == QChar('\n')) && FKEnterJakoTab) {
        Key = QChar(0);
        if (QWidget* form = GetParentForm(this))
            SelectNext(form, !KeyboardState().Contains(ssShift));
    }
    SearchByTypedChar(Key);
}

// Mouse

template <class Step> void TKDBLookupListBox::DragStep(Step&& step) {
    try {
        step();
    } catch (...) {
        // Ends the drag before the error display opens: the timer would fail on every tick.
        EndDragSelect();
        throw;
    }
}

void TKDBLookupListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        FSearchText.clear();
        if (!FPopupMode) {
            SetFocus();
            if (!FFocused)
                return;
        }
        if (IsValueEditable()) {
            if (Shift.Contains(ssDouble)) {
                if (Y / LineHeight() == ActiveRow())
                    DblClick();
            } else {
                SetMouseCapture(true);
                FDragSelecting = true;
                DragStep([&] { ChooseRowAt(X, Y); });
            }
        }
    }
    TKDBLookupControl::MouseDown(Button, Shift, X, Y);
}

void TKDBLookupListBox::MouseMove(TShiftState Shift, int X, int Y) {
    if (FDragSelecting)
        DragStep([&] {
            ChooseRowAt(X, Y);
            // A handler's modal box may have ended the drag with that choice.
            if (!FDragSelecting)
                return;
            FTrackY = Y;
            AutoScrollStep();
        });
    TKDBLookupControl::MouseMove(Shift, X, Y);
}

void TKDBLookupListBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (FDragSelecting) {
        EndDragSelect();
        ChooseRowAt(X, Y);
    }
    TKDBLookupControl::MouseUp(Button, Shift, X, Y);
}

void TKDBLookupListBox::AutoScrollStep() {
    const TAutoScroll step = AutoScrollAt(FTrackY, ClientHeight());
    if (step.Direction == 0) {
        StopScrollTimer();
        return;
    }
    // The rows move by one toward the mouse, as the scroll bar's arrows move them. A handler's
    // modal box, or one that took the list away, ends the drag; the scrolling must not outlive
    // it.
    if (MoveBeyondRows(step.Direction < 0 ? -1 : VisibleRecords()) && FDragSelecting)
        ChooseCurrentRecord();
    if (!FDragSelecting)
        return;
    FScrollTimer->Start(step.IntervalMs);
    FScrollTimerOn = true;
}

void TKDBLookupListBox::StopScrollTimer() {
    if (FScrollTimerOn) {
        FScrollTimer->Stop();
        FScrollTimerOn = false;
    }
}

void TKDBLookupListBox::EndDragSelect() {
    if (FDragSelecting) {
        StopScrollTimer();
        FDragSelecting = false;
        SetMouseCapture(false);
    }
}

// Cancel mode: the mouse, the focus or the activation goes elsewhere.

void TKDBLookupListBox::WMCancelMode() {
    EndDragSelect();
    TKDBLookupControl::WMCancelMode();
}

void TKDBLookupListBox::WMKillFocus() {
    TKDBLookupControl::WMKillFocus();
    EndDragSelect();
}

void TKDBLookupListBox::changeEvent(QEvent* event) {
    TKDBLookupControl::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !FPopupMode && !isActiveWindow())
        EndDragSelect();
}

// Scroll bar

void TKDBLookupListBox::RefreshScrollBar() {
    const TDataSet* list = FListSourceLink->DataSet();
    const int visible = VisibleRecords();
    const bool full = visible != 0 && visible == FRowCount;
    const TScrollBarState state = ScrollBarState(full, full && list->Bof(), full && list->Eof());
    if (FScrollBar->Max() != state.Max || FScrollBar->Position() != state.Position)
        FScrollBar->SetScrollInfo(0, state.Max, state.Position);
    // The bar takes its width from the client area, also after the border was made anew.
    TCreateParams params;
    CreateParams(params);
    QMargins margins = WindowBorder(params);
    if (state.Max != 0)
        margins.setRight(margins.right() + FScrollBar->sizeHint().width());
    setContentsMargins(margins);
    PlaceScrollBar();
}

void TKDBLookupListBox::PlaceScrollBar() {
    const QMargins margins = contentsMargins();
    FScrollBar->setGeometry(width() - margins.right(), margins.top(),
                            FScrollBar->sizeHint().width(),
                            height() - margins.top() - margins.bottom());
}

void TKDBLookupListBox::WMVScroll(int Code, int Pos) {
    FSearchText.clear();
    TDataSet* list = FListSourceLink->DataSet();
    if (list == nullptr)
        return;
    const TListMove move = ScrollBarMove(Code, Pos, ActiveRow(), VisibleRecords());
    switch (move.Kind) {
    case TListMove::First:
        list->First();
        break;
    case TListMove::Last:
        list->Last();
        break;
    case TListMove::By:
        MoveBeyondRows(ActiveRow() + move.Count);
        break;
    case TListMove::None:
        break;
    }
}

// Painting

bool TKDBLookupListBox::UseRightToLeftAlignment() const {
    return DBUseRightToLeftAlignment(BiDiMode(), FBoundField);
}

void TKDBLookupListBox::Paint(QPainter& Canvas) {
    // The system's colours, which do not change with the box's state.
    QPalette colours = palette();
    colours.setCurrentColorGroup(QPalette::Active);
    const QFontMetrics metrics(font());
    // One measure steps the rows and places them: the font's line height.
    const int rowHeight = LineHeight();
    const int zeroWidth = metrics.horizontalAdvance(QLatin1Char('0'));
    const int clientWidth = ClientWidth();
    // The text flags follow the reading order where the system reads right to left.
    if (SysLocale.MiddleEast && BiDiMode() != bdLeftToRight)
        Canvas.setLayoutDirection(Qt::RightToLeft);
    const QColor separator =
        ColorToQColor(Color(), colours).rgb() == ColorToQColor(clBtnFace, colours).rgb()
            ? ColorToQColor(clBtnShadow, colours)
            : ColorToQColor(clBtnFace, colours);
    // The rows are read by moving the record the fields show; they go back to the one they
    // showed.
    const int active = FListSourceLink->ActiveRecord();
    const int visible = VisibleRecords();
    for (int i = 0; i < FRowCount; ++i) {
        QColor text = ColorToQColor(isEnabled() ? clWindowText : clGrayText, colours);
        QColor background = ColorToQColor(Color(), colours);
        bool framed = i == 0 && !FKeyOrScrolled;
        const QRect row(0, i * rowHeight, clientWidth, rowHeight);
        if (i < visible) {
            FListSourceLink->SetActiveRecord(i);
            if (!VarIsNull(FKeyValue) && VariantsEqual(FListKeyField->Value(), FKeyValue)) {
                text = ColorToQColor(clHighlightText, colours);
                background = ColorToQColor(clHighlight, colours);
                framed = true;
            }
            std::vector<TColumn> columns;
            std::vector<QString> texts;
            for (const TField* field : FListFields) {
                texts.push_back(field->DisplayText());
                columns.push_back({field->DisplayWidth(), field->Alignment(),
                                   metrics.horizontalAdvance(texts.back())});
            }
            const std::vector<TCell> cells =
                RowCells(columns, zeroWidth, clientWidth, UseRightToLeftAlignment());
            for (std::size_t j = 0; j < cells.size(); ++j) {
                const TCell& cell = cells[j];
                const QRect box(cell.Left, row.top(), cell.Width, rowHeight);
                Canvas.save();
                Canvas.setClipRect(box, Qt::IntersectClip);
                Canvas.fillRect(box, background);
                Canvas.setPen(text);
                Canvas.drawText(QRect(cell.Left + cell.TextOffset, row.top(), 0x7FFF, rowHeight),
                                Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignTop |
                                    Qt::TextSingleLine,
                                texts[j]);
                Canvas.restore();
                if (j + 1 < columns.size()) {
                    const int x = cell.Left + cell.Width;
                    Canvas.setPen(separator);
                    Canvas.drawLine(x, row.top(), x, row.bottom());
                }
            }
        } else {
            Canvas.fillRect(row, background);
        }
        if (framed && (FFocused || FPopupMode))
            DrawFocusRect(Canvas, row);
    }
    if (visible != 0)
        FListSourceLink->SetActiveRecord(active);
}

// --- TKPopupDataList -------------------------------------------------------------------------

TKPopupDataList::TKPopupDataList(TComponent* AOwner, QWidget* parent)
    : TKDBLookupListBox(AOwner, parent) {
    // Its font and colours stay those of the control it drops from.
    setAttribute(Qt::WA_WindowPropagation);
    // A tool-tip window neither takes the activation nor shows on the taskbar.
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    SetTabStop(false);
    // Every press is a single one.
    TControlStyle style = ControlStyle();
    style.Exclude(csDoubleClicks);
    SetControlStyle(style);
    FPopupMode = true;
    // Fitted again to the window's own border.
    RecreateWnd();
    SetRowCount(RowCount());
}

void TKPopupDataList::CreateParams(TCreateParams& Params) {
    TKDBLookupListBox::CreateParams(Params);
    Params.Style = WS_BORDER;
    Params.ExStyle = 0;
}

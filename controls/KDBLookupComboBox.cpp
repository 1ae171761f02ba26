#include "controls/KDBLookupComboBox.h"

#include "controls/KDBLookupListBox.h"
#include "platform/data/DBCtrls.h"
#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/gui/Application.h"
#include "platform/gui/CancelMode.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

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

bool IsEnterOrEscape(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
           event->key() == Qt::Key_Escape;
}

} // namespace

TKDBLookupComboBox::TKDBLookupComboBox(TComponent* AOwner, QWidget* parent)
    : TKDBLookupControl(AOwner, parent), FPopupList(new TKPopupDataList(this, this)),
      FDropButtonWidth(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)) {
    resize(145, FixedHeight());
    FPopupList->setVisible(false);
    FPopupList->OnMouseUp = [this](QObject*, TMouseButton Button, TShiftState, int X, int Y) {
        ListMouseUp(Button, X, Y);
    };
}

// Drop-down and close-up

void TKDBLookupComboBox::DropDown() {
    if (FListShown || !FListActive)
        return;
    if (OnDropDown) {
        OnDropDown(this);
        // The handler may have taken the list away (its source or dataset freed or closed), or
        // dropped it itself.
        if (FListShown || !FListActive)
            return;
    }
    FPopupList->SetColor(Color());
    FPopupList->setFont(font());
    ResizeNow(FPopupList,
              QSize(FDropDownWidth > 0 ? FDropDownWidth : width(), FPopupList->height()));
    FPopupList->SetReadOnly(!IsValueEditable());
    FPopupList->SetRowCount(
        DropDownRowCount(FListSourceLink->DataSet()->RecordCount(), FDropDownRows));
    FPopupList->SetKeyFieldName(FKeyFieldName);
    QString names;
    for (const TField* field : FListFields)
        names += field->FieldName() + QLatin1Char(';');
    FPopupList->SetListFieldName(names);
    const auto display = std::find(FListFields.begin(), FListFields.end(), FDisplayField);
    FPopupList->SetListFieldIndex(int(display - FListFields.begin()));
    FPopupList->SetListSource(FListSourceLink->DataSource());
    FPopupList->SetKeyValue(FKeyValue);

    const QRect combo(mapToGlobal(QPoint(0, 0)), size());
    // The screen the box stands on: its window may stand mostly on another one.
    const QScreen* screen = QGuiApplication::screenAt(combo.center());
    if (screen == nullptr)
        screen = this->screen();
    const TDropDownAlign align =
        MirroredAlign(FDropDownAlign, DBUseRightToLeftAlignment(BiDiMode(), FDisplayField));
    FPopupList->move(
        DropDownPosition(combo, FPopupList->size(), align, screen->availableGeometry()));
    FPopupList->raise();
    FPopupList->show();
    FDroppedFrom = combo.topLeft();
    FListShown = true;
    // A press anywhere else closes the list.
    qApp->installEventFilter(this);
    Repaint();
}

void TKDBLookupComboBox::CloseUp(bool Accept) {
    if (!FListShown)
        return;
    // Ends the box's tracking or the list's drag.
    if (QWidget* holder = QWidget::mouseGrabber())
        SendCancelMode(holder);
    if (!FLosingFocus)
        SetFocus();
    const Variant ListValue = FPopupList->KeyValue();
    FPopupList->hide();
    FListShown = false;
    qApp->removeEventFilter(this);
    FPopupList->SetListSource(nullptr);
    Invalidate();
    FSearchText.clear();
    if (Accept && IsValueEditable())
        ChooseKeyValue(ListValue);
    if (OnCloseUp)
        OnCloseUp(this);
}

void TKDBLookupComboBox::ListMouseUp(TMouseButton Button, int X, int Y) {
    if (Button == mbLeft)
        CloseUp(FPopupList->ClientRect().contains(X, Y));
}

bool TKDBLookupComboBox::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (watched->isWidgetType()) {
            auto* target = static_cast<QWidget*>(watched);
            if (target != this && target != FPopupList && !FPopupList->isAncestorOf(target))
                Application->Guard([this] { CloseUp(false); });
        }
        break;
    case QEvent::Move:
        // Whatever moved the box on the screen (its form, a parent, a scroll, a layout), the
        // list would stand away from it.
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isAncestorOf(this) &&
            mapToGlobal(QPoint(0, 0)) != FDroppedFrom)
            Application->Guard([this] { CloseUp(false); });
        break;
    case QEvent::Resize:
    case QEvent::WindowStateChange:
        if (watched == window())
            Application->Guard([this] { CloseUp(false); });
        break;
    default:
        break;
    }
    return TKDBLookupControl::eventFilter(watched, event);
}

TDataLink* TKDBLookupComboBox::GetDataLink() const {
    return FDataSourceLink.get();
}

// The key value

void TKDBLookupComboBox::ShowKeyValue() {
    if (FListActive && MoveListToKey()) {
        FDisplayText = FDisplayField->DisplayText();
        FDisplayAlignment = FDisplayField->Alignment();
    } else {
        FDisplayText.clear();
        FDisplayAlignment = taLeftJustify;
    }
    Invalidate();
}

void TKDBLookupComboBox::ResolveListFields() {
    try {
        TKDBLookupControl::ResolveListFields();
    } catch (...) {
        // The list is not active now: the text of the list before goes too.
        ShowKeyValue();
        throw;
    }
    ShowKeyValue();
}

// Size and window style

int TKDBLookupComboBox::FixedHeight() {
    return LineHeight() + BorderHeight() + 4;
}

void TKDBLookupComboBox::ApplyFixedHeight() {
    const int fixed = FixedHeight();
    if (height() != fixed)
        ResizeNow(this, QSize(width(), fixed));
}

void TKDBLookupComboBox::resizeEvent(QResizeEvent* event) {
    TKDBLookupControl::resizeEvent(event);
    Application->Guard([this] { ApplyFixedHeight(); });
}

void TKDBLookupComboBox::CreateParams(TCreateParams& Params) {
    TKDBLookupControl::CreateParams(Params);
    if (Ctl3D())
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
        Params.Style |= WS_BORDER;
}

void TKDBLookupComboBox::CMCtl3DChanged() {
    RecreateWnd();
    ApplyFixedHeight();
    TKDBLookupControl::CMCtl3DChanged();
}

void TKDBLookupComboBox::CMFontChanged() {
    TKDBLookupControl::CMFontChanged();
    ApplyFixedHeight();
}

void TKDBLookupComboBox::CMBiDiModeChanged() {
    TKDBLookupControl::CMBiDiModeChanged();
    FPopupList->SetBiDiMode(BiDiMode());
}

// Keys

void TKDBLookupComboBox::keyPressEvent(QKeyEvent* event) {
    if (FListShown && IsEnterOrEscape(event)) {
        const bool accept = event->key() != Qt::Key_Escape;
        Application->Guard([&] { CloseUp(accept); });
        event->accept();
        return;
    }
    TKDBLookupControl::keyPressEvent(event);
}

void TKDBLookupComboBox::KeyDown(Word& Key, TShiftState Shift) {
    TKDBLookupControl::KeyDown(Key, Shift);
    if (Key == VK_RETURN && FKEnterJakoTab)
        Key = 0;
    if (FListActive && (Key == VK_UP || Key == VK_DOWN)) {
        if (Shift.Contains(ssAlt)) {
            if (FListShown)
                CloseUp(true);
            else
                DropDown();
            Key = 0;
        } else if (!FListShown) {
            StepThroughList(Key == VK_UP ? -1 : 1);
            Key = 0;
        }
    }
    if (Key != 0 && FListShown)
        FPopupList->KeyDown(Key, Shift);
}

void TKDBLookupComboBox::StepThroughList(int Direction) {
    // An empty list has no record to choose: its key field reads Null, which would wipe the
    // bound field.
    if (FListSourceLink->RecordCount() == 0)
        return;
    TDataSet* list = FListSourceLink->DataSet();
    if (MoveListToKey())
        list->MoveBy(Direction);
    else
        list->First();
    ChooseKeyValue(FListKeyField->Value());
}

void TKDBLookupComboBox::KeyPress(QChar& Key) {
    TKDBLookupControl::KeyPress(Key);
    if ((Key == QChar('\n') || Key == QChar('\r')) && FKEnterJakoTab) {
        Key = QChar(0);
        if (QWidget* form = GetParentForm(this))
            SelectNext(form, !KeyboardState().Contains(ssShift));
    }
    if (FListShown) {
        if (Key == QChar('\r') || Key == QChar(27))
            CloseUp(Key == QChar('\r'));
        else
            FPopupList->KeyPress(Key);
    } else {
        SearchByTypedChar(Key);
    }
}

// Mouse

void TKDBLookupComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        SetFocus();
        if (!FFocused)
            return;
        if (FListShown) {
            CloseUp(false);
        } else if (FListActive) {
            SetMouseCapture(true);
            FButtonTracking = true;
            TrackButton(X, Y);
            DropDown();
        }
    }
    TKDBLookupControl::MouseDown(Button, Shift, X, Y);
}

void TKDBLookupComboBox::TrackButton(int X, int Y) {
    const QRect button(ClientWidth() - FDropButtonWidth, 0, FDropButtonWidth, ClientHeight());
    const bool pressed = button.contains(X, Y);
    if (pressed != FButtonPressed) {
        FButtonPressed = pressed;
        Repaint();
    }
}

void TKDBLookupComboBox::StopTracking() {
    if (!FButtonTracking)
        return;
    TrackButton(-1, -1);
    FButtonTracking = false;
    SetMouseCapture(false);
}

void TKDBLookupComboBox::MouseMove(TShiftState Shift, int X, int Y) {
    if (FButtonTracking) {
        TrackButton(X, Y);
        if (FListShown) {
            const QPoint global = mapToGlobal(QPoint(X, Y) + contentsRect().topLeft());
            const QPoint inList =
                FPopupList->mapFromGlobal(global) - FPopupList->contentsRect().topLeft();
            if (FPopupList->ClientRect().contains(inList)) {
                StopTracking();
                // The list takes the drag over, as if the press had been its own.
                const QPoint at = inList + FPopupList->contentsRect().topLeft();
                QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton,
                                  Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(FPopupList, &press);
                FPopupList->SetMouseCapture(true);
                return;
            }
        }
    }
    TKDBLookupControl::MouseMove(Shift, X, Y);
}

void TKDBLookupComboBox::WMCancelMode() {
    StopTracking();
    TKDBLookupControl::WMCancelMode();
}

void TKDBLookupComboBox::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    StopTracking();
    TKDBLookupControl::MouseUp(Button, Shift, X, Y);
}

void TKDBLookupComboBox::enterEvent(QEnterEvent* event) {
    TKDBLookupControl::enterEvent(event);
    if (!FMouseOver && !ComponentState().Contains(csDesigning)) {
        FMouseOver = true;
        Invalidate();
    }
}

void TKDBLookupComboBox::leaveEvent(QEvent* event) {
    TKDBLookupControl::leaveEvent(event);
    if (FMouseOver) {
        FMouseOver = false;
        Invalidate();
    }
}

// Focus

void TKDBLookupComboBox::WMKillFocus() {
    TKDBLookupControl::WMKillFocus();
    FLosingFocus = true;
    try {
        CloseUp(false);
    } catch (...) {
        FLosingFocus = false;
        throw;
    }
    FLosingFocus = false;
}

// Painting

bool TKDBLookupComboBox::UseRightToLeftAlignment() const {
    return DBUseRightToLeftAlignment(BiDiMode(), FBoundField);
}

void TKDBLookupComboBox::Paint(QPainter& Canvas) {
    QPalette colours = palette();
    colours.setCurrentColorGroup(QPalette::Active);
    QColor brush = ColorToQColor(Color(), colours);
    const bool selected = FFocused && !FListShown;
    QColor text = ColorToQColor(isEnabled() ? clWindowText : clGrayText, colours);
    if (selected) {
        text = ColorToQColor(clHighlightText, colours);
        brush = ColorToQColor(clHighlight, colours);
    }
    const bool designing = ComponentState().Contains(csDesigning) && FBoundField == nullptr;
    const QString shown = designing ? Name() : FDisplayText;
    TAlignment alignment = FDisplayAlignment;
    if (UseRightToLeftAlignment() && alignment != taCenter)
        alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;

    const int clientWidth = ClientWidth();
    const int clientHeight = ClientHeight();
    const int W = clientWidth - FDropButtonWidth;
    const int textWidth = Canvas.fontMetrics().horizontalAdvance(shown);
    int X = 2;
    if (alignment == taRightJustify)
        X = W - textWidth - 3;
    else if (alignment == taCenter)
        X = (W - textWidth) / 2;
    QRect R(QPoint(1, 1), QPoint(W - 2, clientHeight - 2));
    QRect B(W, 0, FDropButtonWidth, clientHeight);
    const bool buttonLeft = SysLocale.MiddleEast && BiDiMode() == bdRightToLeft;
    if (buttonLeft) {
        X += FDropButtonWidth;
        R.setLeft(R.left() + FDropButtonWidth);
        R.setRight(clientWidth - 1);
        B = QRect(0, 0, FDropButtonWidth, clientHeight);
    }
    if (SysLocale.MiddleEast && BiDiMode() != bdLeftToRight)
        Canvas.setLayoutDirection(Qt::RightToLeft);

    // The client area around the text is the control's own colour.
    Canvas.fillRect(QRect(0, 0, clientWidth, clientHeight), ColorToQColor(Color(), colours));
    Canvas.save();
    Canvas.setClipRect(R, Qt::IntersectClip);
    Canvas.fillRect(R, brush);
    Canvas.setPen(text);
    Canvas.drawText(QRect(X, 2, 0x7FFF, clientHeight),
                    Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignTop | Qt::TextSingleLine, shown);
    Canvas.restore();
    if (selected)
        DrawFocusRect(Canvas, R);

    // The desktop style's drop-down button: inactive, pressed, hot or normal.
    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = B;
    button.state = QStyle::State_None;
    if (FListActive) {
        button.state |= QStyle::State_Enabled;
        if (FButtonPressed)
            button.state |= QStyle::State_Sunken;
        else if (FMouseOver && !FListShown)
            button.state |= QStyle::State_MouseOver | QStyle::State_Raised;
        else
            button.state |= QStyle::State_Raised;
    } else {
        // The style draws the arrow in the palette's colours whatever the state.
        button.palette.setCurrentColorGroup(QPalette::Disabled);
    }
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &button, &Canvas, this);
    QStyleOption arrow = button;
    const int shift = FButtonPressed ? 1 : 0;
    arrow.rect = B.adjusted(3 + shift, 3 + shift, -3 + shift, -3 + shift);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &Canvas, this);
}

#include "controls/KDBLookupControl.h"

#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/SysUtils.h"

#include <QFontMetrics>

#include <algorithm>
#include <cstdint>

namespace {

// The tick count at the last search character typed into any lookup control: a pause longer
// than SearchPause anywhere starts every control's next search afresh.
std::uint32_t LastSearchTick = 0;
constexpr std::int32_t SearchPause = 2000;
constexpr int MaxSearchLength = 32;

} // namespace

bool VariantsEqual(const Variant& A, const Variant& B) {
    try {
        return VarEquals(A, B);
    } catch (...) {
        return false;
    }
}

// --- TKDataSourceLink ----------------------------------------------------------------------

TKDataSourceLink::TKDataSourceLink() {
    SetVisualControl(true);
}

void TKDataSourceLink::ActiveChanged() {
    if (LookupControl)
        LookupControl->ResolveBoundField();
}

void TKDataSourceLink::LayoutChanged() {
    if (LookupControl)
        LookupControl->ResolveBoundField();
}

void TKDataSourceLink::RecordChanged(TField* Field) {
    if (LookupControl)
        LookupControl->TakeKeyFromRecord(Field);
}

void TKDataSourceLink::FocusControl(TField*& Field) {
    if (LookupControl && Field && Field == LookupControl->FBoundField &&
        LookupControl->CanFocus()) {
        Field = nullptr;
        LookupControl->SetFocus();
    }
}

// --- TKListSourceLink ----------------------------------------------------------------------

TKListSourceLink::TKListSourceLink() {
    SetVisualControl(true);
}

void TKListSourceLink::ActiveChanged() {
    if (LookupControl)
        LookupControl->ResolveListFields();
}

void TKListSourceLink::LayoutChanged() {
    if (LookupControl)
        LookupControl->ResolveListFields();
}

void TKListSourceLink::DataSetChanged() {
    if (LookupControl)
        LookupControl->RefreshFromList();
}

// --- TKDBLookupControl ---------------------------------------------------------------------

TKDBLookupControl::TKDBLookupControl(TComponent* AOwner, QWidget* parent)
    : TCustomControl(AOwner, parent) {
    // The border is always painted by the control itself, and it takes no clicks of its own.
    SetControlStyle({csOpaque});
    SetParentColor(false);
    SetTabStop(true);
    FLookupSource = new TDataSource(this);
    FDataSourceLink = std::make_unique<TKDataSourceLink>();
    FDataSourceLink->LookupControl = this;
    FListSourceLink = std::make_unique<TKListSourceLink>();
    FListSourceLink->LookupControl = this;
}

TKDBLookupControl::~TKDBLookupControl() {
    // The links go first, without telling the control: freeing the lookup source, or a data
    // source freed meanwhile, must not re-resolve a control that is half destroyed.
    FListSourceLink->LookupControl = nullptr;
    FDataSourceLink->LookupControl = nullptr;
    FListSourceLink.reset();
    FDataSourceLink.reset();
    delete FLookupSource;
}

TDataSource* TKDBLookupControl::DataSource() const {
    return FDataSourceLink->DataSource();
}

void TKDBLookupControl::SetDataSource(TDataSource* Value) {
    // A container of data controls that fixes the data source also sets it while its design is
    // read; the control's own saved value is not taken then.
    if (!(FDataSourceLink->DataSourceFixed() && ComponentState().Contains(csLoading)))
        FDataSourceLink->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

void TKDBLookupControl::SetDataFieldName(const QString& Value) {
    if (Value == FDataFieldName)
        return;
    FDataFieldName = Value;
    ResolveBoundField();
}

TDataSource* TKDBLookupControl::GetListSource() const {
    return FLookupMode ? nullptr : FListSourceLink->DataSource();
}

void TKDBLookupControl::SetListSource(TDataSource* Value) {
    RejectInLookupMode();
    FListSourceLink->SetDataSource(Value);
    if (Value)
        Value->FreeNotification(this);
}

QString TKDBLookupControl::GetKeyFieldName() const {
    return FLookupMode ? QString() : FKeyFieldName;
}

void TKDBLookupControl::SetKeyFieldName(const QString& Value) {
    RejectInLookupMode();
    if (Value == FKeyFieldName)
        return;
    FKeyFieldName = Value;
    ResolveListFields();
}

void TKDBLookupControl::SetListFieldName(const QString& Value) {
    if (Value == FListFieldNames)
        return;
    FListFieldNames = Value;
    ResolveListFields();
}

bool TKDBLookupControl::GetReadOnly() const {
    return FDataSourceLink->ReadOnly();
}

void TKDBLookupControl::SetReadOnly(bool Value) {
    FDataSourceLink->SetReadOnly(Value);
}

void TKDBLookupControl::SetKeyValue(const Variant& Value) {
    if (VariantsEqual(FKeyValue, Value))
        return;
    FKeyValue = Value;
    ShowKeyValue();
}

bool TKDBLookupControl::ExecuteAction(TBasicAction* Action) {
    return TCustomControl::ExecuteAction(Action) ||
           (FDataSourceLink && FDataSourceLink->ExecuteAction(Action));
}

bool TKDBLookupControl::UpdateAction(TBasicAction* Action) {
    return TCustomControl::UpdateAction(Action) ||
           (FDataSourceLink && FDataSourceLink->UpdateAction(Action));
}

bool TKDBLookupControl::IsValueEditable() {
    return FListActive && !GetReadOnly() &&
           (FDataSourceLink->DataSource() == nullptr ||
            (FMasterField != nullptr && FMasterField->CanModify()));
}

int TKDBLookupControl::BorderHeight() {
    TCreateParams Params;
    CreateParams(Params);
    const QMargins border = WindowBorder(Params);
    return border.top() + border.bottom();
}

int TKDBLookupControl::LineHeight() {
    return QFontMetrics(font()).height();
}

void TKDBLookupControl::ShowKeyValue() {}

void TKDBLookupControl::RefreshFromList() {}

bool TKDBLookupControl::MoveListToKey() {
    const Variant saved = FKeyValue;
    try {
        TDataSet* listSet = FListSourceLink->DataSet();
        if (!VarIsNull(FKeyValue) && listSet != nullptr && listSet->Active() &&
            listSet->Locate(FKeyFieldName, FKeyValue)) {
            // The move reaches the descendants, which may have set the key meanwhile.
            FKeyValue = saved;
            return true;
        }
    } catch (...) {
    }
    return false;
}

void TKDBLookupControl::SearchByTypedChar(QChar Key) {
    if (FDisplayField == nullptr)
        return;
    const TFieldKind kind = FDisplayField->FieldKind();
    const TFieldType type = FDisplayField->DataType();
    if ((kind != fkData && kind != fkInternalCalc) || (type != ftString && type != ftWideString))
        return;
    const char16_t code = Key.unicode();
    if (code == 8 || code == 27) {
        FSearchText.clear();
        return;
    }
    // Every character from the blank up, Polish letters and the rest of Unicode alike.
    if (code < 32 || !IsValueEditable())
        return;

    const std::uint32_t now = GetTickCount();
    if (std::int32_t(now - LastSearchTick) > SearchPause)
        FSearchText.clear();
    LastSearchTick = now;
    // DEL (Ctrl+Backspace) keeps the search going but is no part of any entry.
    if (code == 127 || FSearchText.size() >= MaxSearchLength)
        return;

    const QString text = FSearchText + Key;
    bool found = false;
    try {
        found = FListSourceLink->DataSet()->Locate(FDisplayField->FieldName(), text,
                                                   loCaseInsensitive | loPartialKey);
    } catch (...) {
        // A text the field cannot hold, say: the search goes on with it all the same.
        FSearchText = text;
        return;
    }
    if (found) {
        ChooseKeyValue(FListKeyField->Value());
        FSearchText = text;
    }
}

void TKDBLookupControl::ChooseKeyValue(const Variant& Value) {
    bool Wykonaj = true;
    if (FMasterField == nullptr) {
        const Variant Old = FKeyValue;
        const Variant New = Value;
        if (!VarEquals(Old, New) && OnKBeforeChange)
            OnKBeforeChange(this, Old, New, Wykonaj);
        if (Wykonaj) {
            SetKeyValue(Value);
            if (!VarEquals(Old, FKeyValue) && OnKAfterChange)
                OnKAfterChange(this, Old, FKeyValue);
        }
    } else {
        // A handler may close the dataset, refresh it (its fields are then new objects) or
        // rebind the control. The choice goes on while the control is bound as it was, into the
        // field as it is then; one the control let go of is dropped, and clicks nothing.
        const TDataSource* const source = DataSource();
        const TDataSet* const dataSet = FDataSourceLink->DataSet();
        const QString fieldName = FDataFieldName;
        const auto stillBound = [&] {
            return FMasterField != nullptr && FDataSourceLink->Active() && DataSource() == source &&
                   FDataSourceLink->DataSet() == dataSet && FDataFieldName == fieldName;
        };
        const bool editing = FDataSourceLink->Edit();
        if (!stillBound()) {
            Repaint();
            return;
        }
        if (editing) {
            const Variant Old = FMasterField->Value();
            const Variant New = Value;
            if (!VarEquals(Old, New) && OnKBeforeChange)
                OnKBeforeChange(this, Old, New, Wykonaj);
            // A refresh leaves the dataset browsing: it is asked to edit again.
            const bool write = Wykonaj && FDataSourceLink->Edit();
            if (!stillBound()) {
                Repaint();
                return;
            }
            if (write) {
                // The dataset tells the data link, which brings the key value to the field's.
                FMasterField->SetValue(Value);
                if (stillBound()) {
                    const Variant Current = FMasterField->Value();
                    if (!VarEquals(Old, Current) && OnKAfterChange)
                        OnKAfterChange(this, Old, FMasterField->Value());
                }
            }
        }
    }
    Repaint();
    Click();
}

void TKDBLookupControl::ResolveBoundField() {
    TField* const previous = FBoundField;
    FBoundField = nullptr;
    FMasterField = nullptr;
    try {
        if (FDataSourceLink->Active() && !FDataFieldName.isEmpty()) {
            RejectCircularLink();
            const TDataSet* dataSet = FDataSourceLink->DataSet();
            TField* const field = GetFieldProperty(dataSet, this, FDataFieldName);
            // A lookup field whose list is linked to the data source is refused before lookup
            // mode takes that list: taken, it would be refused above whatever DataField came
            // next.
            const TDataSet* lookupList =
                field->FieldKind() == fkLookup ? field->LookupDataSet() : nullptr;
            if (lookupList != nullptr && lookupList->IsLinkedTo(DataSource()))
                DatabaseError(SCircularDataLink);
            FBoundField = field;
            FMasterField = field->FieldKind() == fkLookup
                               ? GetFieldProperty(dataSet, this, field->KeyFields())
                               : field;
        }
    } catch (...) {
        // Lookup mode stands on its bound field: without one it is left, so that nothing reads
        // the field that is missing. The fields resolved so far stay.
        if (FLookupMode) {
            TField* const master = FMasterField;
            SwitchLookupMode(false);
            FMasterField = master;
        }
        throw;
    }
    const bool lookup = FBoundField != nullptr && FBoundField->FieldKind() == fkLookup;
    // Another lookup field brings its own list, key and result field: the mode is entered
    // afresh, or the list of the field before would be shown and its keys written here.
    if (lookup && FLookupMode && FBoundField != previous)
        SwitchLookupMode(false);
    SwitchLookupMode(lookup);
    TakeKeyFromRecord(nullptr);
}

void TKDBLookupControl::ResolveListFields() {
    FListActive = false;
    FListKeyField = nullptr;
    FDisplayField = nullptr;
    FListFields.clear();
    if (!FListSourceLink->Active() || FKeyFieldName.isEmpty())
        return;
    RejectCircularLink();
    const TDataSet* listSet = FListSourceLink->DataSet();
    FListKeyField = GetFieldProperty(listSet, this, FKeyFieldName);
    try {
        listSet->GetFieldList(FListFields, FListFieldNames);
    } catch (...) {
        FListFields.clear();
        DatabaseError(Format(SFieldNotFound, {FListFieldNames}), this);
    }
    if (FLookupMode) {
        TField* result = GetFieldProperty(listSet, this, FBoundField->LookupResultField());
        if (std::find(FListFields.begin(), FListFields.end(), result) == FListFields.end())
            FListFields.insert(FListFields.begin(), result);
        FDisplayField = result;
    } else {
        if (FListFields.empty())
            FListFields.push_back(FListKeyField);
        const bool inRange = FListFieldIndex >= 0 && FListFieldIndex < int(FListFields.size());
        FDisplayField = FListFields[inRange ? std::size_t(FListFieldIndex) : 0];
    }
    FListActive = true;
}

void TKDBLookupControl::TakeKeyFromRecord(TField* Field) {
    if (Field == nullptr || Field == FMasterField)
        SetKeyValue(FMasterField != nullptr ? FMasterField->Value() : Null());
}

void TKDBLookupControl::SwitchLookupMode(bool Value) {
    if (Value == FLookupMode)
        return;
    if (Value) {
        FMasterField = GetFieldProperty(FBoundField->DataSet(), this, FBoundField->KeyFields());
        FLookupSource->SetDataSet(FBoundField->LookupDataSet());
        FKeyFieldName = FBoundField->LookupKeyFields();
        FLookupMode = true;
        FListSourceLink->SetDataSource(FLookupSource);
    } else {
        FListSourceLink->SetDataSource(nullptr);
        FLookupMode = false;
        FKeyFieldName.clear();
        FLookupSource->SetDataSet(nullptr);
        FMasterField = FBoundField;
    }
}

void TKDBLookupControl::RejectCircularLink() {
    if (FListSourceLink->Active() && FListSourceLink->DataSet()->IsLinkedTo(DataSource()))
        DatabaseError(SCircularDataLink);
}

void TKDBLookupControl::RejectInLookupMode() {
    if (FLookupMode)
        DatabaseError(SPropDefByLookup);
    if (FDataSourceLink->DataSourceFixed())
        DatabaseError(SNotReplicatable);
}

void TKDBLookupControl::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    // Letting go of a component that is being freed cannot be refused, fixed data source or not.
    if (FDataSourceLink && AComponent == DataSource())
        FDataSourceLink->Detach();
    if (FListSourceLink && AComponent == GetListSource())
        FListSourceLink->Detach();
}

void TKDBLookupControl::WMKeyDown(Word& Key, TShiftState Shift) {
    if (FNullValueKey != 0 && IsValueEditable() && FBoundField != nullptr &&
        IsShortCutKey(FNullValueKey, Key, Shift)) {
        FDataSourceLink->Edit();
        FBoundField->Clear();
        Key = 0;
    }
    TCustomControl::WMKeyDown(Key, Shift);
}

void TKDBLookupControl::WMSetFocus() {
    FSearchText.clear();
    FFocused = true;
    TCustomControl::WMSetFocus();
    Invalidate();
}

void TKDBLookupControl::WMKillFocus() {
    FFocused = false;
    TCustomControl::WMKillFocus();
    Invalidate();
}

void TKDBLookupControl::CMEnabledChanged() {
    TCustomControl::CMEnabledChanged();
    Invalidate();
}

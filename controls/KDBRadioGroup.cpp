#include "controls/KDBRadioGroup.h"

#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/data/FieldDataLink.h"
#include "platform/gui/Forms.h"

#include <QRadioButton>

TKDBRadioGroup::TKDBRadioGroup(TComponent* AOwner, QWidget* parent)
    : TCustomRadioGroup(AOwner, parent), FDataLink(std::make_unique<TFieldDataLink>()) {
    FDataLink->SetControl(this);
    FDataLink->OnDataChange = [this](TDataLink* Sender) { DataChange(Sender); };
    FDataLink->OnUpdateData = [this](TDataLink* Sender) { UpdateData(Sender); };
}

TKDBRadioGroup::~TKDBRadioGroup() {
    Destroying();
    // The group shows and writes nothing more while the link lets go of its data source.
    FDataLink->OnDataChange = nullptr;
    FDataLink->OnUpdateData = nullptr;
    FDataLink.reset();
}

const QString& TKDBRadioGroup::DataField() const {
    return FDataLink->FieldName();
}

void TKDBRadioGroup::SetDataField(const QString& Value) {
    FDataLink->SetFieldName(Value);
}

TDataSource* TKDBRadioGroup::DataSource() const {
    return FDataLink->DataSource();
}

void TKDBRadioGroup::SetDataSource(TDataSource* Value) {
    FDataLink->SetDataSource(Value);
    if (Value != nullptr)
        Value->FreeNotification(this);
}

bool TKDBRadioGroup::ReadOnly() const {
    return FDataLink->ReadOnly();
}

void TKDBRadioGroup::SetReadOnly(bool Value) {
    FDataLink->SetReadOnly(Value);
}

void TKDBRadioGroup::SetItems(const QStringList& Value) {
    TCustomRadioGroup::SetItems(Value);
    DataChange(FDataLink.get());
}

void TKDBRadioGroup::SetValues(const QStringList& Value) {
    FValues = Value;
    DataChange(FDataLink.get());
}

QString TKDBRadioGroup::GetButtonValue(int Index) const {
    if (Index < 0)
        return {};
    if (Index < FValues.size() && !FValues[Index].isEmpty())
        return FValues[Index];
    if (Index < Items().size())
        return Items()[Index];
    return {};
}

void TKDBRadioGroup::SetValue(const QString& Value) {
    const bool changed = Value != FValue;
    // Clears the flag also when the selection fails.
    struct InSetValue {
        bool& flag;
        explicit InSetValue(bool& f) : flag(f) { flag = true; }
        ~InSetValue() { flag = false; }
    };
    {
        const InSetValue guard(FInSetValue);
        int index = -1;
        for (int i = 0; i < Items().size() && index < 0; ++i)
            if (GetButtonValue(i) == Value)
                index = i;
        SetItemIndex(index);
    }
    FValue = Value;
    if (changed)
        Change();
}

void TKDBRadioGroup::Change() {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        FocusSelectedButton();
        throw;
    }
    if (OnChange)
        OnChange(this);
}

void TKDBRadioGroup::DataChange(TDataLink*) {
    const TField* field = FDataLink->Field();
    SetValue(field != nullptr ? field->Text() : QString());
}

void TKDBRadioGroup::UpdateData(TDataLink*) {
    if (TField* field = FDataLink->Field())
        field->SetText(FValue);
}

void TKDBRadioGroup::Click() {
    if (FInSetValue)
        return;
    const QString nowa = GetButtonValue(ItemIndex());
    bool Wykonaj = true;
    if (OnKBeforeChange)
        OnKBeforeChange(this, Variant(FValue), Variant(nowa), Wykonaj);
    if (!Wykonaj) {
        FDataLink->Reset();
        SetValue(FValue);
        return;
    }
    TCustomRadioGroup::Click();
    if (ItemIndex() < 0)
        return; // an OnClick handler has cleared the selection
    if (FDataLink->Editing())
        FDataLink->Modified();
    SetValue(nowa);
}

bool TKDBRadioGroup::CanModify() {
    return FDataLink->Edit();
}

void TKDBRadioGroup::KeyDown(Word& Key, TShiftState Shift) {
    TCustomRadioGroup::KeyDown(Key, Shift);
    if (Key == VK_RETURN && FKEnterJakoTab)
        Key = 0;
}

void TKDBRadioGroup::KeyPress(QChar& Key) {
    TCustomRadioGroup::KeyPress(Key);
    if ((Key == u'\n' || Key == u'\r') && FKEnterJakoTab) {
        Key = QChar(0);
        if (QWidget* form = GetParentForm(this))
            SelectNext(form, !KeyboardState().Contains(ssShift));
    }
    if (Key == u'\b' || Key == u' ')
        FDataLink->Edit();
    else if (Key == u'\x1b')
        FDataLink->Reset();
}

bool TKDBRadioGroup::WantsKey(Word Key, TShiftState) const {
    return FKEnterJakoTab && Key == VK_RETURN;
}

void TKDBRadioGroup::CMExit() {
    try {
        FDataLink->UpdateRecord();
    } catch (...) {
        FocusSelectedButton();
        throw;
    }
    TCustomRadioGroup::CMExit();
}

void TKDBRadioGroup::FocusSelectedButton() {
    if (ButtonCount() > 0)
        Buttons(std::max(ItemIndex(), 0))->setFocus();
}

void TKDBRadioGroup::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomRadioGroup::Notification(AComponent, Operation);
    // A data source that goes away is let go of, fixed or not.
    if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource())
        FDataLink->Detach();
}

bool TKDBRadioGroup::ExecuteAction(TBasicAction* Action) {
    return TCustomRadioGroup::ExecuteAction(Action) ||
           (FDataLink && FDataLink->ExecuteAction(Action));
}

bool TKDBRadioGroup::UpdateAction(TBasicAction* Action) {
    return TCustomRadioGroup::UpdateAction(Action) ||
           (FDataLink && FDataLink->UpdateAction(Action));
}

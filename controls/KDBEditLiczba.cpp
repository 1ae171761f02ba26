#include "controls/KDBEditLiczba.h"

#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"
#include "platform/data/Field.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"

#include <utility>

namespace {

// The callbacks reach the link through their sender: while the link is being freed the
// control's own pointer to it is already cleared.
TKFieldDataLink& Link(TDataLink* Sender) {
    return *static_cast<TKFieldDataLink*>(Sender);
}

} // namespace

TKDBEditLiczba::TKDBEditLiczba(TComponent* AOwner, QWidget* parent) : TKEditLiczba(AOwner, parent) {
    TCustomKEdit::SetReadOnly(true);
    FDataLink = std::make_unique<TKFieldDataLink>();
    FDataLink->SetControl(this);
    FDataLink->OnDataChange = [this](TDataLink* Sender) { DataChange(Link(Sender)); };
    FDataLink->OnEditingChange = [this](TDataLink* Sender) { EditingChange(Link(Sender)); };
    FDataLink->OnUpdateData = [this](TDataLink* Sender) { UpdateData(Link(Sender)); };
    FDataLink->OnActiveChange = [this](TDataLink*) { ActiveChange(); };
}

TKDBEditLiczba::~TKDBEditLiczba() {
    FDataLink.reset();
}

QString TKDBEditLiczba::DataField() const {
    return FDataLink ? FDataLink->FieldName() : QString();
}

void TKDBEditLiczba::SetDataField(const QString& Value) {
    if (!ComponentState().Contains(csDesigning))
        ResetMaxLength();
    FDataLink->SetFieldName(Value);
}

TDataSource* TKDBEditLiczba::DataSource() const {
    return FDataLink ? FDataLink->DataSource() : nullptr;
}

void TKDBEditLiczba::SetDataSource(TDataSource* Value) {
    if (!(FDataLink->DataSourceFixed() && ComponentState().Contains(csLoading)))
        FDataLink->SetDataSource(Value);
    if (Value != nullptr)
        Value->FreeNotification(this);
}

bool TKDBEditLiczba::ReadOnly() const {
    return FDataLink->ReadOnly();
}

void TKDBEditLiczba::SetReadOnly(bool Value) {
    FDataLink->SetReadOnly(Value);
}

void TKDBEditLiczba::ResetMaxLength() {
    if (MaxLength() <= 0 || DataSource() == nullptr || DataSource()->DataSet() == nullptr)
        return;
    const TField* field = DataSource()->DataSet()->FindField(DataField());
    if (field != nullptr && (field->DataType() == ftString || field->DataType() == ftWideString) &&
        field->Size() == MaxLength())
        SetMaxLength(0);
}

void TKDBEditLiczba::DataChange(TKFieldDataLink& Link) {
    // Without a field the control keeps what it shows.
    const TField* field = Link.Field();
    if (field == nullptr)
        return;
    SetKWartosc(field->AsFloat());
    if (Link.Editing() && Link.IsModified())
        SetModified(true);
}

void TKDBEditLiczba::EditingChange(TKFieldDataLink& Link) {
    TCustomKEdit::SetReadOnly(!Link.Editing());
}

void TKDBEditLiczba::UpdateData(TKFieldDataLink& Link) {
    const QString tekst = KTekst();
    try {
        Link.Field()->SetText(tekst);
    } catch (const EDatabaseError&) {
        throw Exception(QStringLiteral("Nieprawidłowa wartość w polu edycyjnym!"));
    }
}

void TKDBEditLiczba::ActiveChange() {
    ResetMaxLength();
}

void TKDBEditLiczba::SetFocused(bool Value) {
    if (Value == FFocused)
        return;
    FFocused = Value;
    FDataLink->Reset();
}

void TKDBEditLiczba::LiczbaZmieniona() {
    if (FDataLink)
        FDataLink->Modified();
}

bool TKDBEditLiczba::ZakresObowiazuje() const {
    return FDataLink && FDataLink->Editing();
}

void TKDBEditLiczba::KeyDown(Word& Key, TShiftState Shift) {
    if (!FDataLink->ReadOnly()) {
        const bool cyfra =
            (Key >= '0' && Key <= '9') || (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD0 + 9);
        // The pad's decimal key is the separator's key, as the pad's digit keys are the digits'.
        // A separator that no key of the main keyboard types matches none of those, not even a
        // key without a code.
        const Word separator = VkKeyScan(DecimalSeparator);
        if (Shift.Contains(ssCtrl) && (Key == 'H' || Key == 'V' || Key == 'X')) {
            FDataLink->Edit();
        } else if (Key == VK_BACK || Key == VK_UP || Key == VK_DOWN || cyfra || Key == VK_DECIMAL ||
                   (separator != 0 && Key == separator)) {
            FDataLink->Edit();
        } else if (Key == VK_ESCAPE) {
            FDataLink->Reset();
            SelectAll();
            Key = 0;
            FPoEscape = true;
        }
    }
    TKEditLiczba::KeyDown(Key, Shift);
}

void TKDBEditLiczba::KeyPress(QChar& Key) {
    const bool escape = std::exchange(FPoEscape, false) && Key == u'\x1b';
    const QPointer<TKDBEditLiczba> zywa = this; // it may be freed while its pop-up editor is open
    TKEditLiczba::KeyPress(Key);
    if (escape && !zywa.isNull())
        SelectAll();
}

void TKDBEditLiczba::EditCommand(TEditCommand Command) {
    FDataLink->Edit();
    TKEditLiczba::EditCommand(Command);
}

void TKDBEditLiczba::CMEnter() {
    SetFocused(true);
    TKEditLiczba::CMEnter();
    // Double-byte input methods need a writable window before the first character.
    if (SysLocale.FarEast && FDataLink->CanModify())
        TCustomKEdit::SetReadOnly(false);
}

void TKDBEditLiczba::CMExit() {
    // The control may be freed while the range warning is open; then nothing is written.
    const QPointer<TKDBEditLiczba> zywa = this;
    TKEditLiczba::CMExit();
    if (zywa.isNull())
        return;
    try {
        if (FDataLink->Editing())
            FDataLink->UpdateRecord();
    } catch (...) {
        SelectAll();
        SetFocus();
        throw;
    }
    SetFocused(false);
}

void TKDBEditLiczba::Loaded() {
    TKEditLiczba::Loaded();
    ResetMaxLength();
    if (ComponentState().Contains(csDesigning))
        DataChange(*FDataLink);
}

bool TKDBEditLiczba::ExecuteAction(TBasicAction* Action) {
    return TKEditLiczba::ExecuteAction(Action) || (FDataLink && FDataLink->ExecuteAction(Action));
}

bool TKDBEditLiczba::UpdateAction(TBasicAction* Action) {
    return TKEditLiczba::UpdateAction(Action) || (FDataLink && FDataLink->UpdateAction(Action));
}

TDataLink* TKDBEditLiczba::GetDataLink() const {
    return FDataLink.get();
}

void TKDBEditLiczba::Notification(TComponent* AComponent, TOperation Operation) {
    TKEditLiczba::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == DataSource()) {
        // The data source goes, fixed or not: a refusal here could not pass out of its
        // destructor. The link stays as fixed as its container made it.
        FDataLink->Detach();
    }
}

#include "controls/KFieldDataLink.h"

#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/gui/Controls.h"

#include <QWidget>

TKFieldDataLink::TKFieldDataLink() {
    SetVisualControl(true);
}

TKFieldDataLink::~TKFieldDataLink() {
    Detach();
}

bool TKFieldDataLink::Edit() {
    if (CanModify())
        TDataLink::Edit();
    return editing_;
}

bool TKFieldDataLink::CanModify() const {
    const TField* field = Field();
    return !ReadOnly() && field && field->CanModify();
}

void TKFieldDataLink::Reset() {
    RecordChanged(nullptr);
}

void TKFieldDataLink::SetFieldName(const QString& fieldName) {
    if (fieldName == fieldName_)
        return;
    fieldName_ = fieldName;
    UpdateField();
}

void TKFieldDataLink::Notify(const TDataLinkEvent& event) {
    if (event)
        event(this);
}

void TKFieldDataLink::SetEditing(bool editing) {
    if (editing == editing_)
        return;
    editing_ = editing;
    modified_ = false;
    Notify(OnEditingChange);
}

void TKFieldDataLink::SetField(TField* field) {
    if (field == Field())
        return;
    field_ = field ? field->weak_from_this() : std::weak_ptr<TField>();
    EditingChanged();
    RecordChanged(nullptr);
}

void TKFieldDataLink::UpdateField() {
    if (Active() && !fieldName_.isEmpty())
        SetField(control_ ? GetFieldProperty(DataSet(), control_, fieldName_)
                          : DataSet()->FieldByName(fieldName_));
    else
        SetField(nullptr);
}

void TKFieldDataLink::ActiveChanged() {
    UpdateField();
    Notify(OnActiveChange);
}

void TKFieldDataLink::EditingChanged() {
    SetEditing(TDataLink::Editing() && CanModify());
}

void TKFieldDataLink::FocusControl(TField*& field) {
    auto* widget = dynamic_cast<QWidget*>(control_);
    if (field && field == Field() && widget && CanFocus(widget)) {
        field = nullptr;
        widget->setFocus();
    }
}

void TKFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TKFieldDataLink::RecordChanged(TField* field) {
    if (field && field != Field())
        return;
    Notify(OnDataChange);
    modified_ = false;
}

void TKFieldDataLink::UpdateData() {
    if (!modified_)
        return;
    if (Field())
        Notify(OnUpdateData);
    modified_ = false;
}

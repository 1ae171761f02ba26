#include "platform/data/FieldDataLink.h"

#include "platform/data/DataSet.h"
#include "platform/data/Field.h"
#include "platform/gui/Controls.h"

#include <QWidget>

TFieldDataLink::TFieldDataLink() {
    SetVisualControl(true);
}

TFieldDataLink::~TFieldDataLink() {
    Detach();
}

void TFieldDataLink::SetFieldName(const QString& fieldName) {
    if (fieldName == fieldName_)
        return;
    fieldName_ = fieldName;
    UpdateField();
}

bool TFieldDataLink::CanModify() const {
    return !ReadOnly() && field_ && field_->CanModify();
}

bool TFieldDataLink::Edit() {
    if (CanModify())
        TDataLink::Edit();
    return Editing();
}

void TFieldDataLink::Reset() {
    RecordChanged(nullptr);
}

void TFieldDataLink::Notify(const TDataLinkEvent& event) {
    if (event)
        event(this);
}

void TFieldDataLink::SetEditing(bool editing) {
    if (editing == editing_)
        return;
    editing_ = editing;
    modified_ = false;
    Notify(OnEditingChange);
}

void TFieldDataLink::SetField(TField* field) {
    if (field == field_ && !fieldDropped_)
        return;
    field_ = field;
    fieldDropped_ = false;
    EditingChanged();
    RecordChanged(nullptr);
}

void TFieldDataLink::UpdateField() {
    if (!Active() || fieldName_.isEmpty()) {
        SetField(nullptr);
        return;
    }
    TField* field = nullptr;
    try {
        field = control_ ? GetFieldProperty(DataSet(), control_, fieldName_)
                         : DataSet()->FieldByName(fieldName_);
    } catch (...) {
        SetField(nullptr);
        throw;
    }
    field_ = nullptr;
    SetField(field);
}

void TFieldDataLink::ActiveChanged() {
    UpdateField();
    if (Active() == activeTold_)
        return;
    activeTold_ = Active();
    Notify(OnActiveChange);
}

void TFieldDataLink::EditingChanged() {
    SetEditing(TDataLink::Editing() && CanModify());
}

void TFieldDataLink::FocusControl(TField*& field) {
    auto* widget = dynamic_cast<QWidget*>(control_);
    if (field && field == field_ && widget && CanFocus(widget)) {
        field = nullptr;
        widget->setFocus();
    }
}

void TFieldDataLink::LayoutChanged() {
    UpdateField();
}

void TFieldDataLink::RecordChanged(TField* field) {
    if (field && field != field_)
        return;
    Notify(OnDataChange);
    modified_ = false;
}

void TFieldDataLink::UpdateData() {
    if (!modified_)
        return;
    if (field_)
        Notify(OnUpdateData);
    modified_ = false;
}

void TFieldDataLink::DataEvent(TDataEvent event, const TDataEventInfo& info) {
    TDataLink::DataEvent(event, info);
    if (event != deDisabledStateChange)
        return;
    if (info.Open) {
        UpdateField();
    } else if (field_) {
        // The field may go with the closing; the control hears of it when the link next binds
        // or lets go, at the latest when the controls are enabled again.
        field_ = nullptr;
        fieldDropped_ = true;
    }
}

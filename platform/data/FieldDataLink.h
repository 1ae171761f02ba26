#pragma once

#include "platform/data/DataLink.h"

#include <QString>

class TComponent;

// The class library's link of one control to one field of the data source's dataset. It finds
// the field whenever it becomes active, the field layout changes or the field name is set, and
// turns the dataset's notifications into four callbacks to its control, each with the link as
// sender: data change (show the field again), editing change (Editing changed), update data
// (write the control's value into the field) and active change.
//
// Every look-up unbinds the field first, so it notifies the control even when it finds the same
// field, and a failed look-up leaves no field bound and notifies the control too. While the
// dataset's controls are disabled the link follows the disabled-state notification: it looks
// the field up again when the dataset is open, and lets go of it when the dataset is closed,
// notifying the control when it next binds or lets go (at the latest when the controls are
// enabled again or the dataset goes). The control hears the link turn active and inactive in
// pairs: an activation whose look-up fails is not told, nor is its end.
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink();
    ~TFieldDataLink() override;

    TField* Field() const { return field_; }
    const QString& FieldName() const { return fieldName_; }
    // A different name (case-sensitive) is stored and looked up; a look-up that fails raises
    // "Field '%s' not found", prefixed by the control's name (by the dataset's without a
    // control).
    void SetFieldName(const QString& fieldName);
    TComponent* Control() const { return control_; }
    void SetControl(TComponent* control) { control_ = control; }

    // The base's editing state together with CanModify; never without a field, also while the
    // control has not yet heard that the field was let go of.
    bool Editing() const { return editing_ && field_; }
    // Not read-only, a field bound, and the field can be modified.
    bool CanModify() const;
    // When CanModify: asks the data source to edit. Returns Editing.
    bool Edit();
    // The control's value has changed since the field was last shown or written.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // The control shows the field again (RecordChanged with no field).
    void Reset();

    TDataLinkEvent OnDataChange;
    TDataLinkEvent OnEditingChange;
    TDataLinkEvent OnUpdateData;
    TDataLinkEvent OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField*& field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;
    void DataEvent(TDataEvent event, const TDataEventInfo& info) override;

private:
    void SetEditing(bool editing);
    void SetField(TField* field);
    void UpdateField();
    void Notify(const TDataLinkEvent& event);

    TField* field_ = nullptr;
    QString fieldName_;
    TComponent* control_ = nullptr;
    // What the control last heard.
    bool editing_ = false;
    bool activeTold_ = false;
    bool modified_ = false;
    // The field was let go of while the dataset's controls were disabled: the control still
    // shows it.
    bool fieldDropped_ = false;
};

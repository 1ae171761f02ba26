#pragma once

#include "platform/data/DataLink.h"

#include <QString>

#include <memory>

class TComponent;

// The link of one data-aware control to one field of the data source's dataset. It finds the
// field whenever it becomes active, the dataset's field layout changes or the field name is set,
// and turns the dataset's notifications into four callbacks to its control, each with the link
// as sender: data change (show the field again), editing change (Editing changed), update data
// (write the control's value into the field) and active change (attached to, or detached from,
// an open dataset).
//
// A look-up that finds the field already bound, or fails, leaves the binding alone; binding the
// same field again notifies nobody. The link ignores the dataset's disabled-state notification,
// so while the dataset's controls are disabled it keeps its field and states; the field stays a
// live object meanwhile (the dataset keeps fields it lets go of until its controls are enabled
// again, when the link looks its field up again), and the link holds it weakly, so a field
// freed after a failed look-up reads as none.
//
// The control creates the link, sets Control and the callbacks, and frees it; freeing detaches
// it, which unbinds the field with the usual callbacks (so they reach the link through their
// sender: the control's own pointer to it may already be cleared).
class TKFieldDataLink : public TDataLink {
public:
    TKFieldDataLink();
    ~TKFieldDataLink() override;

    TField* Field() const { return field_.lock().get(); }
    const QString& FieldName() const { return fieldName_; }
    // A different name (case-sensitive) is stored, then looked up; a name the open dataset does
    // not have raises "Field '%s' not found" (prefixed "%s: " by the control's name, or by the
    // dataset's without a control) and keeps the field bound before.
    void SetFieldName(const QString& fieldName);
    TComponent* Control() const { return control_; }
    void SetControl(TComponent* control) { control_ = control; }

    // The base's editing state together with CanModify.
    bool Editing() const { return editing_; }
    // Not read-only, a field bound, and the field can be modified.
    bool CanModify() const;
    // When CanModify: the base's Edit (the data source may put its dataset into edit mode).
    // Returns Editing.
    bool Edit();
    // The control's value has changed since the field was last shown or written.
    void Modified() { modified_ = true; }
    bool IsModified() const { return modified_; }
    // The control shows the field again, and the modified mark is cleared.
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

private:
    void SetEditing(bool editing);
    void SetField(TField* field);
    void UpdateField();
    void Notify(const TDataLinkEvent& event);

    std::weak_ptr<TField> field_;
    QString fieldName_;
    TComponent* control_ = nullptr;
    bool editing_ = false;
    bool modified_ = false;
};

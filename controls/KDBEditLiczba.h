#pragma once

#include "controls/KEdits.h"
#include "controls/KFieldDataLink.h"

#include <memory>

class TDataSource;

// The numeric edit bound to one numeric field of a dataset. It shows the field's value under
// all of the numeric edit's rules and follows the record; it can be typed into only while the
// dataset is edited (the edit's own read-only mode is on otherwise); a key that changes the
// number, or a cut, paste or undo, first asks the data source to edit; leaving the control, or
// the dataset's post, writes the number back into the field as plain numeric text when the user
// has changed it (the control showing the field's value in another form changes nothing).
//
// Two read-only notions: ReadOnly here is the link's (while set, nothing starts editing), and
// the edit's own read-only mode (TCustomKEdit::ReadOnly) follows the link's Editing.
class TKDBEditLiczba : public TKEditLiczba, public TDataLinkQuery {
    Q_OBJECT

public:
    explicit TKDBEditLiczba(TComponent* AOwner, QWidget* parent = nullptr);
    ~TKDBEditLiczba() override;

    QString DataField() const;
    // Outside design mode: ResetMaxLength against the field named so far, then the new name.
    // A name the open dataset does not have raises the link's "Field '%s' not found".
    void SetDataField(const QString& Value);
    TDataSource* DataSource() const;
    // Attaches the link (ignored while loading with a fixed data source; otherwise a fixed data
    // source raises "DataSource cannot be changed") and asks Value for free notification.
    void SetDataSource(TDataSource* Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);

    // Loading ends with the value at KMinWartosc until the field's next change (in design mode
    // the field is shown at once).
    void Loaded() override;
    // The action aimed at the control itself, else at its data source.
    bool ExecuteAction(TBasicAction* Action) override;
    bool UpdateAction(TBasicAction* Action) override;
    TDataLink* GetDataLink() const override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Marks the link modified: only what the user changes in the number is written back.
    void LiczbaZmieniona() override;
    // Only a value the user can change now is held to the range: while the link is editing.
    bool ZakresObowiazuje() const override;
    // Keys that change the number start the dataset's editing; Escape shows the stored value
    // again, selected, and reaches OnKeyDown as 0. Then the numeric edit's key handling.
    void KeyDown(Word& Key, TShiftState Shift) override;
    // After Escape's character step the stored value is selected again: the numeric edit's
    // caret placement would drop the selection.
    void KeyPress(QChar& Key) override;
    // Starts the dataset's editing, then the numeric edit's handling.
    void EditCommand(TEditCommand Command) override;
    void CMEnter() override;
    // The numeric edit's exit (final form, the range check while editing), then the write into
    // the field. A write that fails selects the text, takes the focus back and passes on; the
    // control stays marked focused, so what was typed stays for correction.
    void CMExit() override;

private:
    // A MaxLength equal to the size of the string field named by DataField gives way to the
    // window's own limit.
    void ResetMaxLength();
    void DataChange(TKFieldDataLink& Link);
    void EditingChange(TKFieldDataLink& Link);
    // Raises Exception "Nieprawidłowa wartość w polu edycyjnym!" in place of a database error.
    void UpdateData(TKFieldDataLink& Link);
    void ActiveChange();
    void SetFocused(bool Value);

    std::unique_ptr<TKFieldDataLink> FDataLink;
    bool FFocused = false;
    // Escape has shown the stored value; its character step follows.
    bool FPoEscape = false;
};

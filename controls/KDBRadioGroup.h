#pragma once

#include "controls/KDBLookupControl.h"
#include "platform/gui/RadioGroup.h"

#include <QString>
#include <QStringList>

#include <memory>

class TDataLink;
class TDataSource;
class TFieldDataLink;

// A radio group bound to one field of a dataset. Each button stands for a value: its line of
// Values, or its caption when Values has no line for it or that line is empty. The group holds
// one value, a text; every change of record or of the field selects the first button whose
// value is the field's text (none when no button has it).
//
// A user's selection asks the data source to edit (CanModify: only a link that may modify, with
// the dataset in, or put into, edit mode, lets it through), then OnKBeforeChange, which may veto
// it; a new value is written into the field at once and OnChange fires. A field that refuses
// the value gets the focus back to the selected button, the failure goes to the error display,
// and the write is tried again when the focus leaves the group; Esc shows the field's value
// again. The record is never posted here.
//
// With KEnterJakoTab, Enter moves the focus to the next control of the form and Shift+Enter to
// the previous one, before the form's default button sees the key.
class TKDBRadioGroup : public TCustomRadioGroup, public TDialogCodeQuery {
    Q_OBJECT

public:
    explicit TKDBRadioGroup(TComponent* AOwner, QWidget* parent = nullptr);
    ~TKDBRadioGroup() override;

    const QString& DataField() const;
    // Looks the field up again; a name the open dataset does not have raises "Field '%s' not
    // found" (prefixed by the group's name).
    void SetDataField(const QString& Value);
    TDataSource* DataSource() const;
    // Raises "DataSource cannot be changed" when a container has fixed the data source.
    void SetDataSource(TDataSource* Value);
    bool ReadOnly() const;
    void SetReadOnly(bool Value);
    // Both setters show the field's value again.
    void SetItems(const QStringList& Value) override;
    const QStringList& Values() const { return FValues; }
    void SetValues(const QStringList& Value);
    bool KEnterJakoTab() const { return FKEnterJakoTab; }
    void SetKEnterJakoTab(bool Value) { FKEnterJakoTab = Value; }

    // Enter, with KEnterJakoTab.
    bool WantsKey(Word Key, TShiftState Shift) const override;

    bool ExecuteAction(TBasicAction* Action) override;
    bool UpdateAction(TBasicAction* Action) override;

    TKBeforeChangeEvent OnKBeforeChange;
    TNotifyEvent OnChange;

protected:
    // The value button `Index` stands for; empty for -1 and past the last button.
    QString GetButtonValue(int Index) const;
    // Selects the button of the value (none when no button has it) and holds the value; Change
    // when it differs from the value held before.
    void SetValue(const QString& Value);
    // Writes a marked value into the field, then OnChange. A failed write focuses the selected
    // button (the first when none is) and passes on, the value staying marked.
    virtual void Change();
    void DataChange(TDataLink* Sender);
    void UpdateData(TDataLink* Sender);

    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool CanModify() override;
    void Click() override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    // Writes a marked value; a failure takes the focus back as Change does, passes on and
    // skips OnExit.
    void CMExit() override;

private:
    void FocusSelectedButton();

    std::unique_ptr<TFieldDataLink> FDataLink;
    QString FValue;
    QStringList FValues;
    // Set while SetValue changes the selection: that selection is the group's own.
    bool FInSetValue = false;
    bool FKEnterJakoTab = false;
};

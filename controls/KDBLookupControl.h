#pragma once

#include "platform/data/DataLink.h"
#include "platform/gui/CustomControl.h"
#include "platform/gui/Menus.h"
#include "platform/rtl/Variant.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class TDataSource;
class TField;
class TKDBLookupControl;

// The change events of the lookup controls and the data-aware radio group. Both values are the
// caller's and live only for the call; a before-handler clears Wykonaj to veto the change.
using TKBeforeChangeEvent = std::function<void(QObject* Sender, const Variant& StaraWartosc,
                                               const Variant& NowaWartosc, bool& Wykonaj)>;
using TKAfterChangeEvent =
    std::function<void(QObject* Sender, const Variant& StaraWartosc, const Variant& NowaWartosc)>;

// The link of a lookup control to its data source: the bound dataset's opening, closing, layout
// and record changes reach the control. It does nothing while LookupControl is unset.
class TKDataSourceLink : public TDataLink {
public:
    TKDataSourceLink();

    // The control that owns the link; set right after creating it, cleared before freeing it.
    TKDBLookupControl* LookupControl = nullptr;

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    // Answers a request for the bound field by focusing the control, when it can take the focus.
    void FocusControl(TField*& Field) override;
};

// The link of a lookup control to its list dataset: its opening, closing, layout changes and
// moves reach the control.
class TKListSourceLink : public TDataLink {
public:
    TKListSourceLink();

    TKDBLookupControl* LookupControl = nullptr;

protected:
    void ActiveChanged() override;
    void LayoutChanged() override;
    void DataSetChanged() override;
};

// The base of the lookup list box and combo box: shows the records of a list dataset and stands
// for one key value of that dataset's key field (KeyField), shown by its display fields
// (ListField). Bound to a field of the data source's dataset (DataField), it shows the record
// whose key the field holds and writes the key the user chooses into that field. A lookup field
// as DataField brings its own list: its lookup dataset, key and result field (lookup mode).
//
// The user's choice (ChooseKeyValue) fires OnKBeforeChange, which may veto it, and
// OnKAfterChange; setting KeyValue from code fires neither. The base paints nothing.
//
// Failures are EDatabaseError: "Circular datalinks are not allowed", "Property already defined
// by lookup field", "Operation not allowed in a DBCtrlGrid" and "Field '%s' not found" (prefixed
// "<Name>: " when the control has a name). A setter stores the name it is given before
// resolving it, so a failed resolution leaves the name stored and the fields not found empty.
class TKDBLookupControl : public TCustomControl {
    Q_OBJECT

    friend class TKDataSourceLink;
    friend class TKListSourceLink;

public:
    explicit TKDBLookupControl(TComponent* AOwner, QWidget* parent = nullptr);
    ~TKDBLookupControl() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* Value);
    const QString& DataField() const { return FDataFieldName; }
    void SetDataFieldName(const QString& Value);
    // Nothing in lookup mode.
    TDataSource* GetListSource() const;
    // Raises in lookup mode and while the data source is fixed.
    void SetListSource(TDataSource* Value);
    // Empty in lookup mode.
    QString GetKeyFieldName() const;
    // Raises in lookup mode and while the data source is fixed.
    void SetKeyFieldName(const QString& Value);
    // Display field names separated by ";"; empty shows the key field.
    const QString& ListField() const { return FListFieldNames; }
    void SetListFieldName(const QString& Value);
    // Which display field the search and the descendants' single text use; takes effect when
    // the list fields are next resolved.
    int ListFieldIndex() const { return FListFieldIndex; }
    void SetListFieldIndex(int Value) { FListFieldIndex = Value; }
    bool GetReadOnly() const;
    void SetReadOnly(bool Value);
    // The shortcut that clears the bound field; 0 for none.
    TShortCut NullValueKey() const { return FNullValueKey; }
    void SetNullValueKey(TShortCut Value) { FNullValueKey = Value; }

    const Variant& KeyValue() const { return FKeyValue; }
    // Takes a different value (VariantsEqual) and shows it; fires no event and writes no field.
    void SetKeyValue(const Variant& Value);

    bool ExecuteAction(TBasicAction* Action) override;
    bool UpdateAction(TBasicAction* Action) override;

    TKBeforeChangeEvent OnKBeforeChange;
    TKAfterChangeEvent OnKAfterChange;

protected:
    // Whether the user may change the value: the list is active, the control not read-only,
    // and it is unbound or its master field can be modified.
    virtual bool IsValueEditable();
    // Height that the border of the control's creation parameters adds.
    virtual int BorderHeight();
    // Height of a line of text in the control's font.
    virtual int LineHeight();
    // The key value changed: descendants show it. Nothing here.
    virtual void ShowKeyValue();
    // The list dataset changed or moved: descendants refresh their rows. Nothing here.
    virtual void RefreshFromList();
    // Makes the record with the key value the list dataset's current one; false when the key is
    // Null or not found, or the locate fails.
    virtual bool MoveListToKey();
    // Incremental search in a text display field (data or internal-calculated): backspace and
    // Esc empty the search text; any character from the blank up but DEL, while the value is
    // editable, extends it and chooses the key of the first list record whose display field
    // starts with it, in any case. A pause of more than 2000 ms after the last search character
    // typed into any lookup control, DEL (Ctrl+Backspace) among them, starts a new text; the
    // text holds at most 32 characters. No record found: nothing changes. A text the field
    // cannot take is kept all the same.
    virtual void SearchByTypedChar(QChar Key);
    // The user's choice of a key value: the change events, the write into the bound field, then
    // a repaint and Click. A failure passes on and skips the repaint and Click. A handler that
    // refreshes the bound dataset has the choice written into its field as it is then; one that
    // unbinds the control (another data source, dataset or field name, or none open) drops it:
    // nothing is written and Click does not fire.
    virtual void ChooseKeyValue(const Variant& Value);
    // Finds the bound and master fields, switches lookup mode and takes the key from the record.
    virtual void ResolveBoundField();
    // Finds the list dataset's key and display fields.
    virtual void ResolveListFields();

    // Follows the master field when Field is nothing or the master field.
    void TakeKeyFromRecord(TField* Field);
    void SwitchLookupMode(bool Value);
    void RejectCircularLink();
    void RejectInLookupMode();

    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Clears the bound field on NullValueKey, then the key-down handling.
    void WMKeyDown(Word& Key, TShiftState Shift) override;
    void WMSetFocus() override;
    void WMKillFocus() override;
    void CMEnabledChanged() override;

    TDataSource* FLookupSource = nullptr; // owned as a component of the control
    std::unique_ptr<TKDataSourceLink> FDataSourceLink;
    std::unique_ptr<TKListSourceLink> FListSourceLink;
    QString FDataFieldName;
    QString FKeyFieldName;
    QString FListFieldNames;
    int FListFieldIndex = 0;
    TField* FBoundField = nullptr;
    TField* FMasterField = nullptr;
    TField* FListKeyField = nullptr;
    TField* FDisplayField = nullptr;
    std::vector<TField*> FListFields;
    Variant FKeyValue;
    QString FSearchText;
    bool FLookupMode = false;
    bool FListActive = false;
    bool FFocused = false;
    TShortCut FNullValueKey = 0;
};

// Whether the two values compare equal; a comparison that fails counts as a difference.
bool VariantsEqual(const Variant& A, const Variant& B);

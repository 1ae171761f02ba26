#pragma once

#include "platform/data/DB.h"
#include "platform/data/Field.h"
#include "platform/gui/Classes.h"
#include "platform/rtl/Variant.h"

#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

class TDataSource;

// A column of the records a dataset holds: the fields it makes when it opens without fields of
// its own.
struct TFieldDef {
    QString Name;
    TFieldType DataType;
    int Size = 0;
};

class TFieldDefs {
public:
    void Add(const QString& name, TFieldType dataType, int size = 0);
    void Clear() { defs_.clear(); }
    int Count() const { return int(defs_.size()); }
    const TFieldDef& operator[](int index) const { return defs_.at(std::size_t(index)); }
    // By name, in any case; nothing when there is none.
    const TFieldDef* Find(const QString& name) const;

private:
    std::vector<TFieldDef> defs_;
};

// A set of records with a cursor, read and written through its fields, and the source of the
// notifications that its data sources pass on to their data links.
//
// States: inactive (closed); browse; edit and insert (the current record is being changed in a
// buffer until Post or Cancel); set-key (the fields hold the key that GotoKey looks for).
// Moving the cursor, Locate and Close first leave edit mode as CheckBrowseMode does: a modified
// record is posted, an unmodified one cancelled. Close drops an unposted record.
//
// Records are numbered from 0 in the order shown; while a record is inserted it takes its place
// among them. A concrete dataset keeps the records (the Internal operations below).
//
// Errors are EDatabaseError with the messages of DBConsts.h, prefixed "%s: " by the dataset's
// name when it has one.
class TDataSet : public TComponent {
public:
    explicit TDataSet(TComponent* owner = nullptr);
    ~TDataSet() override;

    TFieldDefs& FieldDefs() { return fieldDefs_; }

    // A field of the dataset's own, which lives as long as the dataset. A data field must match
    // a field definition by name and type when the dataset opens; the other kinds stand alone.
    // Only while the dataset is closed; a name may be used once (any case).
    TField& AddField(const QString& fieldName, TFieldType dataType, int size = 0,
                     TFieldKind fieldKind = fkData);

    int FieldCount() const { return int(fields_.size()); }
    TField* Fields(int index) const { return fields_.at(std::size_t(index)).get(); }
    // By name, in any case; nothing when there is none.
    TField* FindField(const QString& fieldName) const;
    // The same, raising "Field '%s' not found" when there is none.
    TField* FieldByName(const QString& fieldName) const;
    // Appends the fields named in a ";"-separated text, in order (blanks around a name do not
    // count, a last ";" ends the list); raises as FieldByName for a name it does not have.
    void GetFieldList(std::vector<TField*>& list, const QString& fieldNames) const;

    bool Active() const { return state_ != dsInactive; }
    void SetActive(bool active);
    // Makes the fields (from the field definitions unless the dataset has its own), checks them
    // (a data field without its definition, lookup fields without their four settings or key
    // field) and shows the first record. On failure (a data link's on the opening too) the
    // dataset stays closed.
    void Open();
    // Fields made from the definitions go away with the closing.
    void Close();
    TDataSetState State() const { return calculating_ ? dsCalcFields : state_; }

    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    // Moves the cursor by up to `distance` records, stopping at either end; returns how far it
    // moved (negative backwards).
    int MoveBy(int distance);
    // At the beginning: after opening, First, or a move that stopped at the first record. At
    // the end: after Last, or a move that stopped at the last record. Both with no records.
    bool Bof() const { return bof_; }
    bool Eof() const { return eof_; }
    // Records held, without one being inserted.
    int RecordCount() const;

    // Edit of a dataset without records inserts one.
    void Edit();
    // A new record before the current one, or after the last one.
    void Insert();
    void Append();
    // Collects the controls' data (UpdateRecord) and stores the record; in set-key mode keeps
    // the key. Raises "Dataset not in edit or insert mode" in browse mode.
    void Post();
    // Drops the changes of the record being edited or inserted, or the key being set.
    void Cancel();
    // Deletes the current record (cancels one being inserted); the cursor goes to the next one,
    // or to the last one when the last was deleted.
    void Delete();
    // Appends a record with the values for the first fields, in order, and posts it.
    void AppendRecord(const std::vector<Variant>& values);
    // A field of the record being edited or inserted has changed.
    bool Modified() const { return modified_; }

    // Raises "Dataset not in edit or insert mode" outside edit, insert and set-key mode;
    // otherwise asks the data links to write their controls' data into the fields.
    void UpdateRecord();
    // Raises on a closed dataset; leaves edit or insert mode (posting a modified record,
    // cancelling an unmodified one) and set-key mode.
    void CheckBrowseMode();

    // Set-key mode: the fields hold an empty key; the fields assigned make the key.
    void SetKey();
    // Moves to the first record whose fields equal the key's assigned fields; false, without
    // moving, when there is none.
    bool GotoKey();

    // Moves to the first record whose field `keyField` holds `keyValue` (converted to the
    // field's type, which may raise); with loCaseInsensitive and loPartialKey a string field
    // compares without regard to case, or by its start. A Null key (or an empty text) finds a
    // Null value. False, without moving, when no record matches.
    bool Locate(const QString& keyField, const Variant& keyValue, TLocateOptions options = 0);
    // The value of `resultField` of the first record whose `keyField` holds `keyValue`, without
    // moving the cursor; Null when there is none.
    Variant Lookup(const QString& keyField, const Variant& keyValue, const QString& resultField);

    // While the controls are disabled the data links hear nothing but, in place of each state
    // change, a disabled-state notification telling whether the dataset is open. When the last
    // DisableControls is matched, the dataset sends a state change when its state differs from
    // the one it had at the first DisableControls; then, when it is open, a layout change when
    // it was opened or closed or its layout changed in between, else a change of the whole
    // dataset. Fields it let go of in between live on, without a dataset, until then.
    // Every data link is told even when one fails (a link that fails lets go of the fields it
    // held); the first failure passes on once they are told and those fields are gone.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return disableCount_ != 0; }

    // The data source of the dataset this one is a detail of; nothing for most datasets.
    virtual TDataSource* MasterSource() const;
    // Whether the data source's dataset is this one, or this one is reached from it by
    // following each dataset's master data source.
    bool IsLinkedTo(const TDataSource* dataSource) const;

    // Sets the calculated fields of the record shown (and, for the record being edited, its
    // internal-calculated fields); runs with State() dsCalcFields.
    std::function<void(TDataSet& dataSet)> OnCalcFields;

protected:
    // The records of a concrete dataset, numbered 0 to InternalRecordCount() - 1 as shown.
    virtual void InternalOpen() = 0;
    virtual void InternalClose() = 0;
    virtual int InternalRecordCount() const = 0;
    // The stored value of a data or internal-calculated field, of the field's type or Null.
    virtual Variant InternalGetValue(int record, const TField& field) const = 0;
    // Stores the values (by field index) of a record edited in place, or of one inserted before
    // `record` (at the end when `record` is the count); returns the posted record's number
    // among those now shown, or -1 when it is not shown.
    virtual int InternalPost(int record, bool inserting, const std::vector<Variant>& values) = 0;
    virtual void InternalDelete(int record) = 0;
    // Sets the values a new record starts with.
    virtual void InternalInitRecord(std::vector<Variant>& values);

    // Sends a notification to the data sources.
    void DataEvent(TDataEvent event, const TDataEventInfo& info = {});
    // The concrete dataset shows other records: the cursor goes to the first one.
    void RecordsReplaced();
    void CheckActive() const;
    void CheckInactive() const;

    // Called first by the destructor of a concrete dataset: detaches the data sources (their
    // links turn inactive while the dataset is whole) and closes.
    void DestroyingDataSet();

    void Notification(TComponent* component, TOperation operation) override;

private:
    friend class TField;
    friend class TDataSource;
    friend class TDataLink;

    void AddDataSource(TDataSource* dataSource);
    void RemoveDataSource(TDataSource* dataSource);
    void DetachDataSources();

    void NotifyDataSources(TDataEvent event, const TDataEventInfo& info,
                           std::exception_ptr* failure);
    void SetState(TDataSetState state);
    void BindFields();
    void DestroyFields();
    std::shared_ptr<TField> MakeField(const QString& fieldName, TFieldType dataType, int size,
                                      TFieldKind fieldKind);
    void BeginInsert(int record);

    // Records as shown, the one being inserted included.
    int ViewCount() const;
    int CursorRecord() const { return recNo_; }
    int ShownRecord() const;
    void SetShownRecord(int record) { shownRecNo_ = record; }
    bool IsEditRecord(int record) const;
    Variant ValueAt(int record, const TField& field);
    bool Matches(int record, const TField& field, const Variant& key, TLocateOptions options);

    Variant GetFieldValue(const TField& field);
    void SetFieldValue(TField& field, const Variant& value);
    Variant StoredValue(const TField& field, int record) const;
    Variant CalculatedValue(const TField& field, int record);
    Variant LookupValue(const TField& field);
    void Calculate(int record, std::vector<Variant>& buffer, std::vector<bool>& assigned);
    void CalculateEditRecord();

    TFieldDefs fieldDefs_;
    std::vector<std::shared_ptr<TField>> fields_;
    bool defaultFields_ = false;
    std::vector<std::shared_ptr<TField>> retiredFields_;
    std::vector<TDataSource*> dataSources_;

    TDataSetState state_ = dsInactive;
    int recNo_ = -1;      // the cursor's record; -1 without records
    int shownRecNo_ = -1; // the record a data link shows instead of the cursor's; -1: none
    bool bof_ = true;
    bool eof_ = true;
    bool modified_ = false;
    std::vector<Variant> editValues_; // the record being edited or inserted, by field index
    std::vector<Variant> keyValues_;
    std::vector<bool> keyAssigned_;

    // While OnCalcFields runs.
    bool calculating_ = false;
    int calcRecNo_ = -1;
    std::vector<Variant>* calcBuffer_ = nullptr;
    std::vector<bool>* calcAssigned_ = nullptr;

    int disableCount_ = 0;
    TDataSetState disableState_ = dsInactive;
    bool openChangedWhileDisabled_ = false;
    bool layoutChangedWhileDisabled_ = false;
};

// The field of a dataset named for a control: raises "Field '%s' not found", prefixed "%s: " by
// the control's name when it has one.
TField* GetFieldProperty(const TDataSet* dataSet, const TComponent* control,
                         const QString& fieldName);

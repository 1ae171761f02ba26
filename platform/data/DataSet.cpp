#include "platform/data/DataSet.h"

#include "platform/data/DBConsts.h"
#include "platform/data/DataSource.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Format.h"

#include <algorithm>
#include <utility>

namespace {

template <class F> class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F f_;
};

bool SameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool IsStoredKind(TFieldKind kind) {
    return kind == fkData || kind == fkInternalCalc;
}

template <class T> bool Contains(const std::vector<T*>& list, const T* item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

} // namespace

void TFieldDefs::Add(const QString& name, TFieldType dataType, int size) {
    defs_.push_back({name, dataType, size});
}

const TFieldDef* TFieldDefs::Find(const QString& name) const {
    for (const TFieldDef& def : defs_)
        if (SameName(def.Name, name))
            return &def;
    return nullptr;
}

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
    Destroying();
    DetachDataSources();
}

void TDataSet::DestroyingDataSet() {
    Destroying();
    DetachDataSources();
    Close();
}

void TDataSet::Notification(TComponent* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != opRemove)
        return;
    for (const auto* list : {&fields_, &retiredFields_})
        for (const auto& field : *list)
            if (field->lookupDataSet_ == component)
                field->lookupDataSet_ = nullptr;
}

void TDataSet::AddDataSource(TDataSource* dataSource) {
    dataSources_.push_back(dataSource);
    dataSource->dataSet_ = this;
    dataSource->UpdateState();
}

void TDataSet::RemoveDataSource(TDataSource* dataSource) {
    dataSource->dataSet_ = nullptr;
    dataSources_.erase(std::remove(dataSources_.begin(), dataSources_.end(), dataSource),
                       dataSources_.end());
    dataSource->UpdateState();
}

void TDataSet::DetachDataSources() {
    while (!dataSources_.empty())
        RemoveDataSource(dataSources_.back());
}

// Fields

TField& TDataSet::AddField(const QString& fieldName, TFieldType dataType, int size,
                           TFieldKind fieldKind) {
    CheckInactive();
    if (FindField(fieldName))
        DatabaseError(Format(SDuplicateFieldName, {fieldName}), this);
    fields_.push_back(MakeField(fieldName, dataType, size, fieldKind));
    return *fields_.back();
}

std::shared_ptr<TField> TDataSet::MakeField(const QString& fieldName, TFieldType dataType, int size,
                                            TFieldKind fieldKind) {
    return std::make_shared<TField>(this, int(fields_.size()), fieldName, dataType, size,
                                    fieldKind);
}

TField* TDataSet::FindField(const QString& fieldName) const {
    for (const auto& field : fields_)
        if (SameName(field->FieldName(), fieldName))
            return field.get();
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& fieldName) const {
    if (TField* field = FindField(fieldName))
        return field;
    DatabaseError(Format(SFieldNotFound, {fieldName}), this);
}

void TDataSet::GetFieldList(std::vector<TField*>& list, const QString& fieldNames) const {
    qsizetype pos = 0;
    while (pos < fieldNames.size()) {
        qsizetype end = fieldNames.indexOf(u';', pos);
        if (end < 0)
            end = fieldNames.size();
        list.push_back(FieldByName(Trim(fieldNames.mid(pos, end - pos))));
        pos = end + 1;
    }
}

void TDataSet::BindFields() {
    for (const auto& field : fields_) {
        const QString& name = field->FieldName();
        if (field->FieldKind() == fkData) {
            const TFieldDef* def = fieldDefs_.Find(name);
            if (!def)
                DatabaseError(Format(SFieldNotFound, {name}), this);
            if (def->DataType != field->DataType())
                DatabaseError(Format(SFieldTypeMismatch, {name, FieldTypeName(field->DataType()),
                                                          FieldTypeName(def->DataType)}),
                              this);
        } else if (field->FieldKind() == fkLookup) {
            if (field->KeyFields().isEmpty() || !field->LookupDataSet() ||
                field->LookupKeyFields().isEmpty() || field->LookupResultField().isEmpty())
                DatabaseError(Format(SLookupInfoError, {name}), this);
            FieldByName(field->KeyFields());
        }
    }
}

void TDataSet::DestroyFields() {
    // Data links may still hold the fields while the controls are disabled: they live on,
    // without the dataset, until the controls are enabled and the links have looked again.
    const bool keep = ControlsDisabled() && !ComponentState().Contains(csDestroying);
    for (auto& field : fields_) {
        field->dataSet_ = nullptr;
        if (keep)
            retiredFields_.push_back(std::move(field));
    }
    fields_.clear();
    defaultFields_ = false;
}

// Opening and closing

void TDataSet::SetActive(bool active) {
    if (active)
        Open();
    else
        Close();
}

void TDataSet::Open() {
    if (Active())
        return;
    if (fields_.empty()) {
        for (int i = 0; i < fieldDefs_.Count(); ++i) {
            const TFieldDef& def = fieldDefs_[i];
            fields_.push_back(MakeField(def.Name, def.DataType, def.Size, fkData));
        }
        defaultFields_ = true;
    }
    try {
        BindFields();
        InternalOpen();
    } catch (...) {
        if (defaultFields_)
            DestroyFields();
        throw;
    }
    const int count = InternalRecordCount();
    recNo_ = count > 0 ? 0 : -1;
    bof_ = true;
    eof_ = count == 0;
    try {
        SetState(dsBrowse);
    } catch (...) {
        // A data link failed on the opening: the dataset closes again. The closing completes
        // even when a link fails on it too; the first failure is the one to pass on.
        try {
            Close();
        } catch (...) {
        }
        throw;
    }
}

void TDataSet::Close() {
    if (!Active())
        return;
    const ScopeExit cleanUp([this] {
        InternalClose();
        editValues_.clear();
        keyValues_.clear();
        keyAssigned_.clear();
        recNo_ = -1;
        bof_ = eof_ = true;
        if (defaultFields_)
            DestroyFields();
    });
    SetState(dsInactive);
}

void TDataSet::CheckActive() const {
    if (state_ == dsInactive)
        DatabaseError(SDataSetClosed, this);
}

void TDataSet::CheckInactive() const {
    if (state_ != dsInactive)
        DatabaseError(SDataSetOpen, this);
}

void TDataSet::SetState(TDataSetState state) {
    if (state_ == state)
        return;
    if (ControlsDisabled() && (state_ == dsInactive) != (state == dsInactive))
        openChangedWhileDisabled_ = true;
    state_ = state;
    modified_ = false;
    DataEvent(deUpdateState);
}

// Moving

void TDataSet::First() {
    CheckBrowseMode();
    const int count = InternalRecordCount();
    recNo_ = count > 0 ? 0 : -1;
    bof_ = true;
    eof_ = count == 0;
    DataEvent(deDataSetChange);
}

void TDataSet::Last() {
    CheckBrowseMode();
    const int count = InternalRecordCount();
    recNo_ = count - 1;
    eof_ = true;
    bof_ = count == 0;
    DataEvent(deDataSetChange);
}

int TDataSet::MoveBy(int distance) {
    CheckBrowseMode();
    if (!((distance > 0 && !eof_) || (distance < 0 && !bof_)))
        return 0;
    bof_ = eof_ = false;
    const int last = InternalRecordCount() - 1;
    const int from = recNo_;
    const qint64 target = qint64(recNo_) + distance;
    if (target > last) {
        recNo_ = last;
        eof_ = true;
    } else if (target < 0) {
        recNo_ = 0;
        bof_ = true;
    } else {
        recNo_ = int(target);
    }
    DataEvent(deDataSetScroll);
    return recNo_ - from;
}

int TDataSet::RecordCount() const {
    CheckActive();
    return InternalRecordCount();
}

void TDataSet::RecordsReplaced() {
    const int count = InternalRecordCount();
    recNo_ = count > 0 ? 0 : -1;
    bof_ = true;
    eof_ = count == 0;
    DataEvent(deDataSetChange);
}

// Editing

void TDataSet::Edit() {
    if (state_ == dsEdit || state_ == dsInsert)
        return;
    CheckBrowseMode();
    if (InternalRecordCount() == 0) {
        Insert();
        return;
    }
    editValues_.assign(fields_.size(), Null());
    for (const auto& field : fields_)
        if (IsStoredKind(field->FieldKind()))
            editValues_[std::size_t(field->Index())] = InternalGetValue(recNo_, *field);
    SetState(dsEdit);
    CalculateEditRecord();
    DataEvent(deRecordChange);
}

void TDataSet::Insert() {
    CheckBrowseMode();
    BeginInsert(std::max(recNo_, 0));
}

void TDataSet::Append() {
    CheckBrowseMode();
    BeginInsert(InternalRecordCount());
}

void TDataSet::BeginInsert(int record) {
    editValues_.assign(fields_.size(), Null());
    InternalInitRecord(editValues_);
    recNo_ = record;
    SetState(dsInsert);
    CalculateEditRecord();
    bof_ = eof_ = false;
    DataEvent(deDataSetChange);
}

void TDataSet::InternalInitRecord(std::vector<Variant>&) {}

void TDataSet::Post() {
    UpdateRecord();
    if (state_ == dsSetKey) {
        SetState(dsBrowse);
        DataEvent(deDataSetChange);
        return;
    }
    if (state_ != dsEdit && state_ != dsInsert)
        return;
    DataEvent(deCheckBrowseMode);
    CalculateEditRecord();
    const int posted = InternalPost(recNo_, state_ == dsInsert, editValues_);
    const int count = InternalRecordCount();
    recNo_ = posted >= 0 ? posted : std::min(recNo_, count - 1);
    bof_ = eof_ = count == 0;
    SetState(dsBrowse);
    editValues_.clear();
    DataEvent(deDataSetChange);
}

void TDataSet::Cancel() {
    switch (state_) {
    case dsEdit:
    case dsInsert: {
        DataEvent(deCheckBrowseMode);
        const int count = InternalRecordCount();
        if (state_ == dsInsert)
            recNo_ = std::min(recNo_, count - 1);
        bof_ = eof_ = count == 0;
        SetState(dsBrowse);
        editValues_.clear();
        DataEvent(deDataSetChange);
        break;
    }
    case dsSetKey:
        SetState(dsBrowse);
        keyValues_.clear();
        keyAssigned_.clear();
        DataEvent(deDataSetChange);
        break;
    default:
        break;
    }
}

void TDataSet::Delete() {
    CheckActive();
    if (state_ == dsInsert || state_ == dsSetKey) {
        Cancel();
        return;
    }
    if (InternalRecordCount() == 0)
        DatabaseError(SDataSetEmpty, this);
    DataEvent(deCheckBrowseMode);
    InternalDelete(recNo_);
    const int count = InternalRecordCount();
    recNo_ = std::min(recNo_, count - 1);
    bof_ = eof_ = count == 0;
    SetState(dsBrowse);
    editValues_.clear();
    DataEvent(deDataSetChange);
}

void TDataSet::AppendRecord(const std::vector<Variant>& values) {
    Append();
    for (std::size_t i = 0; i < values.size() && i < fields_.size(); ++i)
        fields_[i]->SetValue(values[i]);
    Post();
}

void TDataSet::UpdateRecord() {
    if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey)
        DatabaseError(SNotEditing, this);
    DataEvent(deUpdateRecord);
}

void TDataSet::CheckBrowseMode() {
    CheckActive();
    DataEvent(deCheckBrowseMode);
    switch (state_) {
    case dsEdit:
    case dsInsert:
        UpdateRecord();
        if (modified_)
            Post();
        else
            Cancel();
        break;
    case dsSetKey:
        Post();
        break;
    default:
        break;
    }
}

void TDataSet::SetKey() {
    CheckBrowseMode();
    keyValues_.assign(fields_.size(), Null());
    keyAssigned_.assign(fields_.size(), false);
    SetState(dsSetKey);
    DataEvent(deDataSetChange);
}

bool TDataSet::GotoKey() {
    if (state_ == dsSetKey)
        Post();
    CheckActive();
    std::vector<TField*> keys;
    for (std::size_t i = 0; i < keyAssigned_.size(); ++i)
        if (keyAssigned_[i])
            keys.push_back(fields_[i].get());
    if (keys.empty())
        return false;
    for (int record = 0; record < InternalRecordCount(); ++record) {
        const bool found = std::all_of(keys.begin(), keys.end(), [&](TField* key) {
            return Matches(record, *key, keyValues_[std::size_t(key->Index())], 0);
        });
        if (found) {
            recNo_ = record;
            bof_ = eof_ = false;
            DataEvent(deDataSetChange);
            return true;
        }
    }
    return false;
}

// Searching

Variant TDataSet::ValueAt(int record, const TField& field) {
    const int saved = shownRecNo_;
    const ScopeExit restore([&] { shownRecNo_ = saved; });
    shownRecNo_ = record;
    return field.Value();
}

bool TDataSet::Matches(int record, const TField& field, const Variant& key,
                       TLocateOptions options) {
    const Variant value = ValueAt(record, field);
    if (VarIsNull(key) || VarIsNull(value))
        return VarIsNull(key) && VarIsNull(value);
    if (IsStringField(field.DataType())) {
        const Qt::CaseSensitivity sensitivity =
            options & loCaseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const QString text = value.toString();
        return options & loPartialKey ? text.startsWith(key.toString(), sensitivity)
                                      : text.compare(key.toString(), sensitivity) == 0;
    }
    return VarEquals(value, key);
}

bool TDataSet::Locate(const QString& keyField, const Variant& keyValue, TLocateOptions options) {
    CheckBrowseMode();
    const TField* field = FieldByName(keyField);
    // An empty text looks for Null whatever the field's type; a number field cannot take it.
    const bool emptyText = VarIsStr(keyValue) && keyValue.toString().isEmpty();
    const Variant key = emptyText ? Null() : field->Convert(keyValue);
    for (int record = 0; record < InternalRecordCount(); ++record) {
        if (Matches(record, *field, key, options)) {
            recNo_ = record;
            bof_ = eof_ = false;
            DataEvent(deDataSetChange);
            return true;
        }
    }
    return false;
}

Variant TDataSet::Lookup(const QString& keyField, const Variant& keyValue,
                         const QString& resultField) {
    CheckActive();
    const TField* key = FieldByName(keyField);
    const TField* result = FieldByName(resultField);
    const Variant converted = key->Convert(keyValue);
    for (int record = 0; record < ViewCount(); ++record)
        if (Matches(record, *key, converted, 0))
            return ValueAt(record, *result);
    return Null();
}

// Field values

int TDataSet::ViewCount() const {
    if (!Active())
        return 0;
    return InternalRecordCount() + (state_ == dsInsert ? 1 : 0);
}

int TDataSet::ShownRecord() const {
    if (calculating_)
        return calcRecNo_;
    return shownRecNo_ >= 0 ? shownRecNo_ : recNo_;
}

bool TDataSet::IsEditRecord(int record) const {
    return (state_ == dsEdit || state_ == dsInsert) && record == recNo_;
}

Variant TDataSet::GetFieldValue(const TField& field) {
    if (state_ == dsInactive)
        return Null();
    const auto index = std::size_t(field.Index());
    if (calculating_ && (*calcAssigned_)[index])
        return (*calcBuffer_)[index];
    switch (field.FieldKind()) {
    case fkLookup:
        return LookupValue(field);
    case fkCalculated:
        return calculating_ ? Null() : CalculatedValue(field, ShownRecord());
    default:
        return StoredValue(field, ShownRecord());
    }
}

Variant TDataSet::StoredValue(const TField& field, int record) const {
    const auto index = std::size_t(field.Index());
    if (state_ == dsSetKey && !calculating_)
        return keyValues_[index];
    if (record < 0 || record >= ViewCount())
        return Null();
    if (IsEditRecord(record))
        return editValues_[index];
    return InternalGetValue(state_ == dsInsert && record > recNo_ ? record - 1 : record, field);
}

Variant TDataSet::CalculatedValue(const TField& field, int record) {
    if (!OnCalcFields || record < 0 || record >= ViewCount())
        return Null();
    std::vector<Variant> buffer(fields_.size());
    std::vector<bool> assigned(fields_.size(), false);
    Calculate(record, buffer, assigned);
    return buffer[std::size_t(field.Index())];
}

Variant TDataSet::LookupValue(const TField& field) {
    TDataSet* lookup = field.LookupDataSet();
    const TField* key = FindField(field.KeyFields());
    if (!lookup || !lookup->Active() || !key)
        return Null();
    const Variant keyValue = key->Value();
    if (VarIsNull(keyValue))
        return Null();
    return field.Convert(
        lookup->Lookup(field.LookupKeyFields(), keyValue, field.LookupResultField()));
}

void TDataSet::Calculate(int record, std::vector<Variant>& buffer, std::vector<bool>& assigned) {
    const bool wasCalculating = calculating_;
    const int savedRecord = calcRecNo_;
    std::vector<Variant>* savedBuffer = calcBuffer_;
    std::vector<bool>* savedAssigned = calcAssigned_;
    const ScopeExit restore([&] {
        calculating_ = wasCalculating;
        calcRecNo_ = savedRecord;
        calcBuffer_ = savedBuffer;
        calcAssigned_ = savedAssigned;
    });
    calculating_ = true;
    calcRecNo_ = record;
    calcBuffer_ = &buffer;
    calcAssigned_ = &assigned;
    OnCalcFields(*this);
}

void TDataSet::CalculateEditRecord() {
    if (!OnCalcFields || (state_ != dsEdit && state_ != dsInsert))
        return;
    std::vector<Variant> buffer(fields_.size());
    std::vector<bool> assigned(fields_.size(), false);
    Calculate(recNo_, buffer, assigned);
    for (const auto& field : fields_) {
        const auto index = std::size_t(field->Index());
        if (field->FieldKind() == fkInternalCalc && assigned[index])
            editValues_[index] = buffer[index];
    }
}

void TDataSet::SetFieldValue(TField& field, const Variant& value) {
    const auto index = std::size_t(field.Index());
    const TFieldKind kind = field.FieldKind();
    if (calculating_) {
        if (kind != fkCalculated && kind != fkInternalCalc)
            DatabaseError(Format(SFieldReadOnly, {field.FieldName()}));
        (*calcBuffer_)[index] = value;
        (*calcAssigned_)[index] = true;
        return;
    }
    if (state_ != dsEdit && state_ != dsInsert && state_ != dsSetKey)
        DatabaseError(SNotEditing, this);
    if (state_ == dsSetKey) {
        keyValues_[index] = value;
        keyAssigned_[index] = true;
        DataEvent(deFieldChange, {.Field = &field});
        return;
    }
    if (field.ReadOnly() || kind == fkCalculated || (kind == fkLookup && !VarIsNull(value)))
        DatabaseError(Format(SFieldReadOnly, {field.FieldName()}));
    if (kind == fkLookup) {
        // Clearing the looked-up value clears the key it follows; else the posted record would
        // keep the old key and the value would come back.
        FieldByName(field.KeyFields())->SetValue(Null());
    } else {
        editValues_[index] = value;
        CalculateEditRecord();
    }
    DataEvent(deFieldChange, {.Field = &field});
}

// Notifications

void TDataSet::DataEvent(TDataEvent event, const TDataEventInfo& info) {
    shownRecNo_ = -1;
    bool notify = !ControlsDisabled();
    TDataEvent sent = event;
    TDataEventInfo sentInfo = info;
    switch (event) {
    case deFieldChange:
        if ((state_ == dsEdit || state_ == dsInsert) && info.Field &&
            IsStoredKind(info.Field->FieldKind()))
            modified_ = true;
        break;
    case deLayoutChange:
        if (!notify)
            layoutChangedWhileDisabled_ = true;
        break;
    case deUpdateState:
        if (!notify) {
            sent = deDisabledStateChange;
            sentInfo.Open = state_ != dsInactive;
            notify = true;
        }
        break;
    default:
        break;
    }
    if (notify)
        NotifyDataSources(sent, sentInfo, nullptr);
}

void TDataSet::NotifyDataSources(TDataEvent event, const TDataEventInfo& info,
                                 std::exception_ptr* failure) {
    const std::vector<TDataSource*> sources = dataSources_;
    for (TDataSource* source : sources)
        if (Contains(dataSources_, source))
            source->DataEvent(event, info, failure);
}

void TDataSet::DisableControls() {
    if (disableCount_++ == 0) {
        disableState_ = state_;
        openChangedWhileDisabled_ = false;
        layoutChangedWhileDisabled_ = false;
    }
}

void TDataSet::EnableControls() {
    if (disableCount_ == 0 || --disableCount_ > 0)
        return;
    // Every link is told, even after one has failed: each must let go of the fields kept for it
    // before they go.
    std::exception_ptr failure;
    shownRecNo_ = -1;
    if (state_ != disableState_)
        NotifyDataSources(deUpdateState, {}, &failure);
    if (state_ != dsInactive)
        NotifyDataSources(openChangedWhileDisabled_ || layoutChangedWhileDisabled_
                              ? deLayoutChange
                              : deDataSetChange,
                          {}, &failure);
    if (!ControlsDisabled())
        retiredFields_.clear();
    if (failure)
        std::rethrow_exception(failure);
}

TDataSource* TDataSet::MasterSource() const {
    return nullptr;
}

bool TDataSet::IsLinkedTo(const TDataSource* dataSource) const {
    while (dataSource) {
        const TDataSet* dataSet = dataSource->DataSet();
        if (!dataSet)
            break;
        if (dataSet == this)
            return true;
        dataSource = dataSet->MasterSource();
    }
    return false;
}

TField* GetFieldProperty(const TDataSet* dataSet, const TComponent* control,
                         const QString& fieldName) {
    if (TField* field = dataSet->FindField(fieldName))
        return field;
    DatabaseError(Format(SFieldNotFound, {fieldName}), control);
}

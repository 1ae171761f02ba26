#include "platform/data/MemoryDataSet.h"

#include "platform/data/DBConsts.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSource.h"
#include "platform/rtl/Conversions.h"

#include <algorithm>

namespace {

QString Key(const TField& field) {
    return field.FieldName().toUpper();
}

} // namespace

// Follows the master's dataset: every move, change of the whole dataset, change of a master
// field and opening or closing shows the matching records again.
class TMemoryDataSet::TMasterLink : public TDataLink {
public:
    explicit TMasterLink(TMemoryDataSet& detail) : detail_(detail) {}
    ~TMasterLink() override { Detach(); }

protected:
    void ActiveChanged() override { detail_.MasterChanged(); }
    void RecordChanged(TField* field) override {
        if (!field || detail_.IsMasterField(field))
            detail_.MasterChanged();
    }
    // The master is left: the detail's pending edit goes first.
    void CheckBrowseMode() override {
        if (detail_.Active())
            detail_.CheckBrowseMode();
    }

private:
    TMemoryDataSet& detail_;
};

TMemoryDataSet::TMemoryDataSet(TComponent* owner)
    : TDataSet(owner), masterLink_(std::make_unique<TMasterLink>(*this)) {}

TMemoryDataSet::~TMemoryDataSet() {
    DestroyingDataSet();
    masterLink_.reset();
}

TDataSource* TMemoryDataSet::MasterSource() const {
    return masterLink_->DataSource();
}

void TMemoryDataSet::SetMasterSource(TDataSource* dataSource) {
    if (dataSource && IsLinkedTo(dataSource))
        DatabaseError(SCircularDataLink, this);
    masterLink_->SetDataSource(dataSource);
}

void TMemoryDataSet::SetMasterFields(const QString& fieldNames) {
    masterFields_ = fieldNames;
    MasterChanged();
}

void TMemoryDataSet::SetDetailFields(const QString& fieldNames) {
    detailFields_ = fieldNames;
    MasterChanged();
}

bool TMemoryDataSet::IsMasterField(const TField* field) const {
    const TDataSet* master = masterLink_->DataSet();
    if (!master)
        return false;
    std::vector<TField*> fields;
    master->GetFieldList(fields, masterFields_);
    return std::find(fields.begin(), fields.end(), field) != fields.end();
}

void TMemoryDataSet::MasterChanged() {
    if (!Active() || ComponentState().Contains(csDestroying))
        return;
    CheckBrowseMode();
    RebuildView();
    RecordsReplaced();
}

// False when the records depend on no master; else the detail fields and the master's values.
bool TMemoryDataSet::MasterValues(std::vector<TField*>& detail,
                                  std::vector<Variant>& master) const {
    if (!MasterSource() || masterFields_.isEmpty())
        return false;
    if (!masterLink_->Active())
        return true;
    std::vector<TField*> masterFields;
    masterLink_->DataSet()->GetFieldList(masterFields, masterFields_);
    GetFieldList(detail, detailFields_);
    detail.resize(std::min(detail.size(), masterFields.size()));
    for (std::size_t i = 0; i < detail.size(); ++i)
        master.push_back(masterFields[i]->Value());
    return true;
}

bool TMemoryDataSet::InView(const TRecord& record, const std::vector<TField*>& detail,
                            const std::vector<Variant>& master) const {
    for (std::size_t i = 0; i < detail.size(); ++i)
        if (!VarEquals(record.value(Key(*detail[i])), master[i]))
            return false;
    return true;
}

void TMemoryDataSet::RebuildView() {
    view_.clear();
    std::vector<TField*> detail;
    std::vector<Variant> master;
    const bool filtered = MasterValues(detail, master);
    if (filtered && !masterLink_->Active())
        return;
    for (int i = 0; i < int(records_.size()); ++i)
        if (!filtered || InView(records_[std::size_t(i)], detail, master))
            view_.push_back(i);
}

void TMemoryDataSet::InternalOpen() {
    RebuildView();
}

void TMemoryDataSet::InternalClose() {
    view_.clear();
}

Variant TMemoryDataSet::InternalGetValue(int record, const TField& field) const {
    return records_[std::size_t(view_[std::size_t(record)])].value(Key(field));
}

int TMemoryDataSet::InternalPost(int record, bool inserting, const std::vector<Variant>& values) {
    TRecord posted;
    int index = 0;
    if (inserting) {
        index = record < int(view_.size()) ? view_[std::size_t(record)]
                : view_.empty()            ? int(records_.size())
                                           : view_.back() + 1;
    } else {
        index = view_[std::size_t(record)];
        posted = records_[std::size_t(index)];
    }
    for (int i = 0; i < FieldCount(); ++i) {
        const TField& field = *Fields(i);
        if (field.FieldKind() != fkData && field.FieldKind() != fkInternalCalc)
            continue;
        Variant value = values[std::size_t(i)];
        if (field.DataType() == ftAutoInc && VarIsNull(value)) {
            int next = 1;
            for (const TRecord& other : records_)
                next = std::max(next, other.value(Key(field)).toInt() + 1);
            value = next;
        }
        posted.insert(Key(field), value);
    }
    if (inserting)
        records_.insert(records_.begin() + index, posted);
    else
        records_[std::size_t(index)] = posted;
    RebuildView();
    const auto shown = std::find(view_.begin(), view_.end(), index);
    return shown == view_.end() ? -1 : int(shown - view_.begin());
}

void TMemoryDataSet::InternalDelete(int record) {
    records_.erase(records_.begin() + view_[std::size_t(record)]);
    RebuildView();
}

void TMemoryDataSet::InternalInitRecord(std::vector<Variant>& values) {
    std::vector<TField*> detail;
    std::vector<Variant> master;
    if (!MasterValues(detail, master))
        return;
    for (std::size_t i = 0; i < master.size(); ++i)
        values[std::size_t(detail[i]->Index())] = detail[i]->Convert(master[i]);
}

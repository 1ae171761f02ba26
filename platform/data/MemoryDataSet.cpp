#include "platform/data/MemoryDataSet.h"

#include "platform/data/DBConsts.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSource.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Format.h"

#include <algorithm>
#include <limits>

// Follows the master's dataset: every move, change of the whole dataset, change of a master
// field and opening or closing shows the matching records again; while the master's controls
// are disabled, only its opening and closing.
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
    void DataEvent(TDataEvent event, const TDataEventInfo& info) override {
        TDataLink::DataEvent(event, info);
        if (event == deDisabledStateChange)
            detail_.MasterOpenChanged(info.Open);
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
    // Giving or taking an inactive master leaves the link inactive, so it heard nothing.
    if (Active() && CurrentFilter() != filter_)
        MasterChanged();
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

void TMemoryDataSet::MasterOpenChanged(bool open) {
    if (filter_.filtered && filter_.masterActive != open)
        MasterChanged();
}

// A master closed while its controls are disabled keeps its data source active, but its fields
// are gone.
bool TMemoryDataSet::MasterOpen() const {
    return masterLink_->Active() && masterLink_->DataSet()->Active();
}

bool TMemoryDataSet::MasterValues(std::vector<TField*>& detail,
                                  std::vector<Variant>& master) const {
    if (!MasterSource() || masterFields_.isEmpty())
        return false;
    if (!MasterOpen())
        return true;
    std::vector<TField*> masterFields;
    masterLink_->DataSet()->GetFieldList(masterFields, masterFields_);
    GetFieldList(detail, detailFields_);
    detail.resize(std::min(detail.size(), masterFields.size()));
    for (std::size_t i = 0; i < detail.size(); ++i)
        master.push_back(masterFields[i]->Value());
    return true;
}

TMemoryDataSet::TFilter TMemoryDataSet::CurrentFilter() const {
    TFilter filter;
    std::vector<TField*> detail;
    filter.filtered = MasterValues(detail, filter.masterValues);
    if (!filter.filtered)
        return filter;
    filter.masterActive = MasterOpen();
    for (const TField* field : detail)
        filter.detailColumns.push_back(fieldColumns_[std::size_t(field->Index())]);
    return filter;
}

void TMemoryDataSet::RebuildView() {
    filter_ = CurrentFilter();
    view_.clear();
    if (!filter_.filtered) {
        view_.shrink_to_fit();
        return;
    }
    if (!filter_.masterActive)
        return;
    for (int i = 0; i < int(records_.size()); ++i)
        if (InView(records_[std::size_t(i)]))
            view_.push_back(i);
}

bool TMemoryDataSet::InView(const TRecord& record) const {
    if (!filter_.masterActive)
        return false;
    for (std::size_t i = 0; i < filter_.detailColumns.size(); ++i)
        if (!VarEquals(ValueOf(record, filter_.detailColumns[i]), filter_.masterValues[i]))
            return false;
    return true;
}

int TMemoryDataSet::RecordIndex(int record) const {
    return filter_.filtered ? view_[std::size_t(record)] : record;
}

const Variant& TMemoryDataSet::ValueOf(const TRecord& record, int column) {
    static const Variant null;
    return column >= 0 && std::size_t(column) < record.size() ? record[std::size_t(column)]
                                                              : null;
}

// Columns are matched by name, so records keep their values when the fields are made anew.
void TMemoryDataSet::BindColumns() {
    fieldColumns_.assign(std::size_t(FieldCount()), -1);
    autoIncs_.clear();
    for (int i = 0; i < FieldCount(); ++i) {
        const TField& field = *Fields(i);
        if (field.FieldKind() != fkData && field.FieldKind() != fkInternalCalc)
            continue;
        const QString name = field.FieldName().toUpper();
        auto column = std::find(columns_.begin(), columns_.end(), name);
        if (column == columns_.end())
            column = columns_.insert(columns_.end(), name);
        fieldColumns_[std::size_t(i)] = int(column - columns_.begin());
        if (field.DataType() != ftAutoInc)
            continue;
        TAutoIncColumn autoInc{fieldColumns_[std::size_t(i)], field.FieldName(), {}};
        for (const TRecord& record : records_)
            ++autoInc.counts[ValueOf(record, autoInc.column).toInt()];
        autoIncs_.push_back(std::move(autoInc));
    }
}

int TMemoryDataSet::NextAutoInc(const TAutoIncColumn& autoInc) const {
    if (autoInc.counts.empty())
        return 1;
    const int highest = autoInc.counts.rbegin()->first;
    if (highest == std::numeric_limits<int>::max())
        DatabaseError(Format(SAutoIncOverflow, {autoInc.fieldName, highest}), this);
    return std::max(1, highest + 1);
}

// A record stored (before == nullptr), changed or deleted (after == nullptr).
void TMemoryDataSet::RecountAutoIncs(const TRecord* before, const TRecord* after) {
    for (TAutoIncColumn& autoInc : autoIncs_) {
        auto& counts = autoInc.counts;
        const int was = before ? ValueOf(*before, autoInc.column).toInt() : 0;
        const int is = after ? ValueOf(*after, autoInc.column).toInt() : 0;
        if (before && after && was == is)
            continue;
        if (before) {
            const auto held = counts.find(was);
            if (held != counts.end() && --held->second == 0)
                counts.erase(held);
        }
        if (after) {
            // New numbers come last: the hint makes counting them cost the same at any size.
            const bool last = counts.empty() || counts.rbegin()->first < is;
            ++(last ? counts.emplace_hint(counts.end(), is, 0) : counts.try_emplace(is).first)
                  ->second;
        }
    }
}

void TMemoryDataSet::InternalOpen() {
    BindColumns();
    RebuildView();
}

void TMemoryDataSet::InternalClose() {
    filter_ = {};
    view_ = {};
    autoIncs_.clear();
    fieldColumns_.clear();
}

int TMemoryDataSet::InternalRecordCount() const {
    return int(filter_.filtered ? view_.size() : records_.size());
}

Variant TMemoryDataSet::InternalGetValue(int record, const TField& field) const {
    return ValueOf(records_[std::size_t(RecordIndex(record))],
                   fieldColumns_[std::size_t(field.Index())]);
}

int TMemoryDataSet::InternalPost(int record, bool inserting, const std::vector<Variant>& values) {
    // A master moved while its controls were disabled is followed now.
    const bool masterMoved = CurrentFilter() != filter_;
    const int count = InternalRecordCount();
    const int index = !inserting || record < count ? RecordIndex(record)
                      : count == 0                 ? int(records_.size())
                                                   : RecordIndex(count - 1) + 1;
    TRecord posted = inserting ? TRecord() : records_[std::size_t(index)];
    posted.resize(columns_.size());
    for (int i = 0; i < FieldCount(); ++i)
        if (const int column = fieldColumns_[std::size_t(i)]; column >= 0)
            posted[std::size_t(column)] = values[std::size_t(i)];
    for (const TAutoIncColumn& autoInc : autoIncs_)
        if (VarIsNull(posted[std::size_t(autoInc.column)]))
            posted[std::size_t(autoInc.column)] = NextAutoInc(autoInc);

    if (inserting) {
        RecountAutoIncs(nullptr, &posted);
        records_.insert(records_.begin() + index, std::move(posted));
    } else {
        RecountAutoIncs(&records_[std::size_t(index)], &posted);
        records_[std::size_t(index)] = std::move(posted);
    }

    if (masterMoved)
        RebuildView();
    else if (filter_.filtered)
        UpdateView(index, inserting);
    return ShownAt(index);
}

// Inserting a record moves the indexes of those after it; nothing else of the view changes.
void TMemoryDataSet::UpdateView(int index, bool inserted) {
    const auto shown = std::lower_bound(view_.begin(), view_.end(), index);
    if (inserted)
        for (auto later = shown; later != view_.end(); ++later)
            ++*later;
    const bool wasShown = !inserted && shown != view_.end() && *shown == index;
    const bool inView = InView(records_[std::size_t(index)]);
    if (inView && !wasShown)
        view_.insert(shown, index);
    else if (!inView && wasShown)
        view_.erase(shown);
}

int TMemoryDataSet::ShownAt(int index) const {
    if (!filter_.filtered)
        return index;
    const auto shown = std::lower_bound(view_.begin(), view_.end(), index);
    return shown != view_.end() && *shown == index ? int(shown - view_.begin()) : -1;
}

void TMemoryDataSet::InternalDelete(int record) {
    const bool masterMoved = CurrentFilter() != filter_;
    const int index = RecordIndex(record);
    RecountAutoIncs(&records_[std::size_t(index)], nullptr);
    records_.erase(records_.begin() + index);
    if (masterMoved) {
        RebuildView();
    } else if (filter_.filtered) {
        for (auto later = view_.erase(view_.begin() + record); later != view_.end(); ++later)
            --*later;
    }
}

void TMemoryDataSet::InternalInitRecord(std::vector<Variant>& values) {
    std::vector<TField*> detail;
    std::vector<Variant> master;
    if (!MasterValues(detail, master))
        return;
    for (std::size_t i = 0; i < master.size(); ++i)
        values[std::size_t(detail[i]->Index())] = detail[i]->Convert(master[i]);
}

#include "platform/data/DataLink.h"

#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/data/DataSource.h"
#include "platform/gui/Classes.h"

#include <algorithm>
#include <utility>

TDataLink::~TDataLink() {
    // The overrides are gone: leave without ActiveChanged or EditingChanged.
    active_ = editing_ = false;
    if (dataSource_)
        dataSource_->RemoveDataLink(this);
}

void TDataLink::Detach() {
    const bool fixed = std::exchange(dataSourceFixed_, false);
    SetDataSource(nullptr);
    dataSourceFixed_ = fixed;
}

void TDataLink::SetDataSource(TDataSource* dataSource) {
    if (dataSource == dataSource_)
        return;
    if (dataSourceFixed_)
        DatabaseError(SDataSourceChange);
    if (dataSource_)
        dataSource_->RemoveDataLink(this);
    if (dataSource)
        dataSource->AddDataLink(this);
}

TDataSet* TDataLink::DataSet() const {
    return dataSource_ ? dataSource_->DataSet() : nullptr;
}

void TDataLink::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_)
        return;
    readOnly_ = readOnly;
    UpdateState();
}

void TDataLink::UpdateState() {
    const TDataSetState state = dataSource_ ? dataSource_->State() : dsInactive;
    const bool active = state != dsInactive;
    if (active != active_) {
        active_ = active;
        firstRecord_ = 0;
        if (active)
            UpdateRange();
        ActiveChanged();
    }
    const bool editing = (state == dsEdit || state == dsInsert || state == dsSetKey) && !readOnly_;
    if (editing != editing_) {
        editing_ = editing;
        EditingChanged();
    }
}

bool TDataLink::Edit() {
    if (!readOnly_ && dataSource_)
        dataSource_->Edit();
    return editing_;
}

void TDataLink::UpdateRecord() {
    updating_ = true;
    try {
        UpdateData();
    } catch (...) {
        updating_ = false;
        throw;
    }
    updating_ = false;
}

bool TDataLink::ExecuteAction(TBasicAction* action) {
    if (!action || !dataSource_ || !action->HandlesTarget(dataSource_))
        return false;
    action->ExecuteTarget(dataSource_);
    return true;
}

bool TDataLink::UpdateAction(TBasicAction* action) {
    if (!action || !dataSource_ || !action->HandlesTarget(dataSource_))
        return false;
    action->UpdateTarget(dataSource_);
    return true;
}

// The record window

bool TDataLink::InSetKey() const {
    return dataSource_ && dataSource_->State() == dsSetKey;
}

int TDataLink::FirstRecord() const {
    const TDataSet* dataSet = DataSet();
    if (!active_ || !dataSet || InSetKey())
        return 0;
    const int cursor = dataSet->CursorRecord();
    if (cursor < 0)
        return 0;
    const int low = std::max(0, cursor - bufferCount_ + 1);
    const int high = std::min(cursor, std::max(0, dataSet->ViewCount() - bufferCount_));
    return std::clamp(firstRecord_, low, high);
}

void TDataLink::UpdateRange() {
    firstRecord_ = FirstRecord();
}

void TDataLink::SetBufferCount(int count) {
    bufferCount_ = std::max(count, 1);
    UpdateRange();
}

int TDataLink::RecordCount() const {
    const TDataSet* dataSet = DataSet();
    if (!active_ || !dataSet)
        return 0;
    if (InSetKey())
        return 1;
    return std::clamp(dataSet->ViewCount() - FirstRecord(), 0, bufferCount_);
}

int TDataLink::ActiveRecord() const {
    const TDataSet* dataSet = DataSet();
    if (!active_ || !dataSet || InSetKey() || dataSet->ShownRecord() < 0)
        return 0;
    return dataSet->ShownRecord() - FirstRecord();
}

void TDataLink::SetActiveRecord(int row) {
    TDataSet* dataSet = DataSet();
    if (active_ && dataSet && !InSetKey())
        dataSet->SetShownRecord(FirstRecord() + row);
}

// Notifications

void TDataLink::LayoutChanged() {
    DataSetChanged();
}

void TDataLink::RecordChanged(TField*) {}

void TDataLink::DataSetChanged() {
    RecordChanged(nullptr);
}

void TDataLink::DataSetScrolled(int) {
    DataSetChanged();
}

void TDataLink::FocusControl(TField*&) {}

void TDataLink::DataEvent(TDataEvent event, const TDataEventInfo& info) {
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (!active_)
        return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!updating_)
            RecordChanged(info.Field);
        break;
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange: {
        const int before = firstRecord_;
        UpdateRange();
        if (event == deDataSetChange)
            DataSetChanged();
        else if (event == deDataSetScroll)
            DataSetScrolled(firstRecord_ - before);
        else
            LayoutChanged();
        break;
    }
    case deUpdateRecord:
        UpdateRecord();
        break;
    case deCheckBrowseMode:
        CheckBrowseMode();
        break;
    case deFocusControl:
        FocusControl(*info.FocusField);
        break;
    default:
        break;
    }
}

#include "platform/data/DataSource.h"

#include "platform/data/DBConsts.h"
#include "platform/data/DataLink.h"
#include "platform/data/DataSet.h"

#include <algorithm>

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
    Destroying();
    // The links go first, while the dataset is still there: each then sees itself left without
    // a data source, as when it is given none (a detail dataset shows all its records again).
    while (!dataLinks_.empty())
        RemoveDataLink(dataLinks_.back());
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TDataSet* dataSet) {
    if (dataSet == dataSet_)
        return;
    if (IsLinkedTo(dataSet))
        DatabaseError(SCircularDataLink, this);
    if (dataSet_)
        dataSet_->RemoveDataSource(this);
    if (dataSet)
        dataSet->AddDataSource(this);
}

void TDataSource::SetEnabled(bool enabled) {
    enabled_ = enabled;
    UpdateState();
}

void TDataSource::Edit() {
    if (autoEdit_ && state_ == dsBrowse)
        dataSet_->Edit();
}

bool TDataSource::IsLinkedTo(const TDataSet* dataSet) const {
    while (dataSet) {
        const TDataSource* master = dataSet->MasterSource();
        if (!master)
            break;
        if (master == this)
            return true;
        dataSet = master->DataSet();
    }
    return false;
}

void TDataSource::AddDataLink(TDataLink* dataLink) {
    dataLinks_.push_back(dataLink);
    dataLink->dataSource_ = this;
    dataLink->UpdateState();
}

void TDataSource::RemoveDataLink(TDataLink* dataLink) {
    dataLink->dataSource_ = nullptr;
    dataLinks_.erase(std::remove(dataLinks_.begin(), dataLinks_.end(), dataLink), dataLinks_.end());
    dataLink->UpdateState();
}

void TDataSource::DataEvent(TDataEvent event, const TDataEventInfo& info,
                            std::exception_ptr* failure) {
    if (event == deUpdateState)
        UpdateState(failure);
    else if (state_ != dsInactive)
        NotifyDataLinks(event, info, failure);
}

void TDataSource::NotifyDataLinks(TDataEvent event, const TDataEventInfo& info,
                                  std::exception_ptr* failure) {
    // A link may leave, or be freed, while another one is told.
    const std::vector<TDataLink*> links = dataLinks_;
    for (const bool visual : {false, true}) {
        for (auto it = links.rbegin(); it != links.rend(); ++it) {
            TDataLink* link = *it;
            if (std::find(dataLinks_.begin(), dataLinks_.end(), link) != dataLinks_.end() &&
                link->VisualControl() == visual) {
                try {
                    link->DataEvent(event, info);
                } catch (...) {
                    if (!failure)
                        throw;
                    if (!*failure)
                        *failure = std::current_exception();
                }
            }
        }
    }
}

void TDataSource::UpdateState(std::exception_ptr* failure) {
    SetState(enabled_ && dataSet_ ? dataSet_->state_ : dsInactive, failure);
}

void TDataSource::SetState(TDataSetState state, std::exception_ptr* failure) {
    if (state == state_)
        return;
    state_ = state;
    NotifyDataLinks(deUpdateState, {}, failure);
}

#pragma once

#include "platform/data/DB.h"
#include "platform/gui/Classes.h"

#include <exception>
#include <vector>

class TDataLink;
class TDataSet;

// The connection between a dataset and the data links of controls. It passes the dataset's
// notifications on to its links while it is active (enabled, with an open dataset): those of
// links without the visual-control flag first, so that detail datasets follow their master
// before any control shows them.
//
// Freed before its dataset or its links, it lets go of them first, the links before the dataset:
// they turn inactive as when they are given no data source.
class TDataSource : public TComponent {
public:
    explicit TDataSource(TComponent* owner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return dataSet_; }
    // Raises "Circular datalinks are not allowed" for a dataset that is a detail, at any depth,
    // of this data source.
    void SetDataSet(TDataSet* dataSet);

    // Whether Edit may put the dataset into edit mode; on by default.
    bool AutoEdit() const { return autoEdit_; }
    void SetAutoEdit(bool autoEdit) { autoEdit_ = autoEdit; }

    // A disabled data source is inactive: its links hear nothing from the dataset.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);

    // The dataset's state while enabled, else inactive.
    TDataSetState State() const { return state_; }

    // Puts a browsing dataset into edit mode when AutoEdit is on.
    void Edit();

    // Whether this data source is reached from the dataset by following the datasets' master
    // data sources.
    bool IsLinkedTo(const TDataSet* dataSet) const;

private:
    friend class TDataSet;
    friend class TDataLink;

    void AddDataLink(TDataLink* dataLink);
    void RemoveDataLink(TDataLink* dataLink);
    // With `failure` every link is told even when one fails, and the first failure is kept
    // there; without it a failure passes on at once.
    void DataEvent(TDataEvent event, const TDataEventInfo& info,
                   std::exception_ptr* failure = nullptr);
    void NotifyDataLinks(TDataEvent event, const TDataEventInfo& info,
                         std::exception_ptr* failure = nullptr);
    void UpdateState(std::exception_ptr* failure = nullptr);
    void SetState(TDataSetState state, std::exception_ptr* failure);

    TDataSet* dataSet_ = nullptr;
    bool autoEdit_ = true;
    bool enabled_ = true;
    TDataSetState state_ = dsInactive;
    std::vector<TDataLink*> dataLinks_;
};

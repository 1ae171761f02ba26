#pragma once

#include "platform/data/DB.h"

#include <functional>

class TBasicAction;
class TDataSet;
class TDataSource;
class TField;

// A callback of a data link to its control; the sender is the link.
class TDataLink;
using TDataLinkEvent = std::function<void(TDataLink* sender)>;

// The receiving end of a data source's notifications: a control (or a detail dataset) holds a
// link, attaches it to a data source and overrides the notifications it cares about.
//
// The link is active while its data source is (enabled, with an open dataset), and editing
// while the data source's state is edit, insert or set-key and the link is not read-only; a
// change of either calls ActiveChanged or EditingChanged. The record window: the link sees
// BufferCount records at a time around the dataset's cursor (see RecordCount and ActiveRecord).
//
// A link is a plain object owned by its control; freed while attached, it detaches itself
// without notifications. Classes whose notifications must run on freeing call Detach in their
// own destructor.
class TDataLink {
public:
    TDataLink() = default;
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return dataSource_; }
    // Detaches from the data source and attaches to the new one, each step recomputing the
    // active and editing states. Raises "DataSource cannot be changed" while DataSourceFixed.
    void SetDataSource(TDataSource* dataSource);
    TDataSet* DataSet() const;

    bool Active() const { return active_; }
    bool Editing() const { return editing_; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // Set by a container of data controls that gives its controls their data source.
    bool DataSourceFixed() const { return dataSourceFixed_; }
    void SetDataSourceFixed(bool fixed) { dataSourceFixed_ = fixed; }
    // Lets go of the data source, fixed or not, with the notifications of SetDataSource: a
    // control calls it when its data source is being freed, which cannot be refused. The link
    // stays fixed.
    void Detach();

    // The link serves a visual control; links without the flag are told first.
    bool VisualControl() const { return visualControl_; }
    void SetVisualControl(bool visual) { visualControl_ = visual; }

    // The record window: at most BufferCount (at least 1) records of the dataset, holding the
    // cursor. Moving the cursor inside the window leaves it where it is; moving past an edge
    // shifts it by the least that keeps the cursor in it; at the first or last record it starts
    // or ends with the dataset. In set-key mode it holds the one key record.
    int BufferCount() const { return bufferCount_; }
    void SetBufferCount(int count);
    // Records in the window; 0 while inactive.
    int RecordCount() const;
    // Row of the record the fields show: the cursor's, unless set. Setting it makes the fields
    // show that row's record, without moving the cursor and without notifying anyone, until the
    // dataset next notifies its links.
    int ActiveRecord() const;
    void SetActiveRecord(int row);

    // Asks the data source to edit (when not read-only); returns Editing afterwards.
    bool Edit();
    // Calls UpdateData; meanwhile field and record changes do not reach RecordChanged.
    void UpdateRecord();

    // An action aimed at the link's data source: executed, or updated, there; true when the
    // action handles the data source.
    bool ExecuteAction(TBasicAction* action);
    bool UpdateAction(TBasicAction* action);

protected:
    virtual void ActiveChanged() {}
    virtual void EditingChanged() {}
    // The fields' layout changed; by default as DataSetChanged.
    virtual void LayoutChanged();
    // A field of the current record changed, or with nothing the record as a whole.
    virtual void RecordChanged(TField* field);
    // The records shown changed; by default RecordChanged(nothing).
    virtual void DataSetChanged();
    // The cursor moved; `distance` is how far the window moved. By default DataSetChanged.
    virtual void DataSetScrolled(int distance);
    // Asked to focus the control of `field`; an answer sets `field` to nothing.
    virtual void FocusControl(TField*& field);
    // Write the control's value into its field.
    virtual void UpdateData() {}
    // The dataset leaves edit mode or moves.
    virtual void CheckBrowseMode() {}
    // Every notification passes here and goes on to the ones above: state changes always,
    // the others only while active (field and record changes not inside UpdateRecord).
    virtual void DataEvent(TDataEvent event, const TDataEventInfo& info);

private:
    friend class TDataSource;

    void UpdateState();
    void UpdateRange();
    int FirstRecord() const;
    bool InSetKey() const;

    TDataSource* dataSource_ = nullptr;
    int firstRecord_ = 0;
    int bufferCount_ = 1;
    bool active_ = false;
    bool editing_ = false;
    bool readOnly_ = false;
    bool updating_ = false;
    bool dataSourceFixed_ = false;
    bool visualControl_ = false;
};

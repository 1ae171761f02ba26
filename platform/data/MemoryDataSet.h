#pragma once

#include "platform/data/DataSet.h"

#include <QHash>
#include <QString>

#include <memory>
#include <vector>

// A dataset that holds its records in memory, in the order they were inserted. The records
// stay when the dataset is closed and opened again. ftAutoInc fields left Null get the next
// number (one above the highest) when the record is posted.
//
// As a detail of a master data source it shows only the records whose DetailFields equal the
// master's current MasterFields, follows the master's moves and changes, and gives a new record
// the master's values; with the master inactive it shows no record.
class TMemoryDataSet : public TDataSet {
public:
    explicit TMemoryDataSet(TComponent* owner = nullptr);
    ~TMemoryDataSet() override;

    TDataSource* MasterSource() const override;
    // Raises "Circular datalinks are not allowed" for a master reached from this dataset.
    void SetMasterSource(TDataSource* dataSource);
    // ";"-separated field names of the master's dataset, and of this one, paired in order.
    const QString& MasterFields() const { return masterFields_; }
    void SetMasterFields(const QString& fieldNames);
    const QString& DetailFields() const { return detailFields_; }
    void SetDetailFields(const QString& fieldNames);

protected:
    void InternalOpen() override;
    void InternalClose() override;
    int InternalRecordCount() const override { return int(view_.size()); }
    Variant InternalGetValue(int record, const TField& field) const override;
    int InternalPost(int record, bool inserting, const std::vector<Variant>& values) override;
    void InternalDelete(int record) override;
    void InternalInitRecord(std::vector<Variant>& values) override;

private:
    class TMasterLink;
    using TRecord = QHash<QString, Variant>; // by upper-case field name

    void MasterChanged();
    bool IsMasterField(const TField* field) const;
    void RebuildView();
    bool InView(const TRecord& record, const std::vector<TField*>& detail,
                const std::vector<Variant>& master) const;
    bool MasterValues(std::vector<TField*>& detail, std::vector<Variant>& master) const;

    std::vector<TRecord> records_;
    std::vector<int> view_; // indexes of the records shown, in order
    std::unique_ptr<TMasterLink> masterLink_;
    QString masterFields_;
    QString detailFields_;
};

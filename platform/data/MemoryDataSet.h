#pragma once

#include "platform/data/DataSet.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

// A dataset that holds its records in memory, in the order they were inserted. The records
// stay when the dataset is closed and opened again. ftAutoInc fields left Null get the next
// number (one above the highest) when the record is posted; past 2147483647 the post is refused
// with "Field '%s' has no next number after %d".
//
// As a detail of a master data source it shows only the records whose DetailFields equal the
// master's current MasterFields, follows the master's moves and changes, and gives a new record
// the master's values; with the master inactive (its dataset closed, even while its controls are
// disabled) it shows no record.
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
    int InternalRecordCount() const override;
    Variant InternalGetValue(int record, const TField& field) const override;
    int InternalPost(int record, bool inserting, const std::vector<Variant>& values) override;
    void InternalDelete(int record) override;
    void InternalInitRecord(std::vector<Variant>& values) override;

private:
    class TMasterLink;
    // The stored values by column; a record posted before a column was added is shorter.
    using TRecord = std::vector<Variant>;

    // Which records are shown: all of them, or those whose detail columns hold the master's
    // values (none while the master is inactive).
    struct TFilter {
        bool filtered = true;
        bool masterActive = false;
        std::vector<int> detailColumns;
        std::vector<Variant> masterValues;

        bool operator==(const TFilter& other) const = default;
    };

    // How many records hold each number of an ftAutoInc column, so the highest is at hand.
    struct TAutoIncColumn {
        int column;
        QString fieldName;
        std::map<int, int> counts;
    };

    void BindColumns();
    void MasterChanged();
    void MasterOpenChanged(bool open);
    bool MasterOpen() const;
    bool IsMasterField(const TField* field) const;
    // False when the records depend on no master; else the detail fields and the master's values.
    bool MasterValues(std::vector<TField*>& detail, std::vector<Variant>& master) const;
    TFilter CurrentFilter() const;
    void RebuildView();
    void UpdateView(int index, bool inserted);
    bool InView(const TRecord& record) const;
    // The index in records_ of a record shown, and back (-1 when it is not shown).
    int RecordIndex(int record) const;
    int ShownAt(int index) const;
    static const Variant& ValueOf(const TRecord& record, int column);
    // Raises when the highest number held is the highest an integer holds.
    int NextAutoInc(const TAutoIncColumn& autoInc) const;
    void RecountAutoIncs(const TRecord* before, const TRecord* after);

    std::vector<QString> columns_;   // upper-case field names, kept over Close and Open
    std::vector<int> fieldColumns_;  // by field index: the field's column, or -1 when not stored
    std::vector<TRecord> records_;
    TFilter filter_;
    std::vector<int> view_; // when filtered: indexes of the records shown, in order
    std::vector<TAutoIncColumn> autoIncs_;
    std::unique_ptr<TMasterLink> masterLink_;
    QString masterFields_;
    QString detailFields_;
};

#include "platform/data/DataLink.h"

#include "platform/data/DataSource.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Writes down every notification it gets, one word each.
class RecordingLink : public TDataLink {
public:
    explicit RecordingLink(std::vector<std::string>* log = nullptr) : log_(log ? log : &own_) {}

    // The notifications since the last call, separated by blanks.
    std::string Take() {
        std::string text;
        for (const std::string& entry : *log_)
            text += (text.empty() ? "" : " ") + entry;
        log_->clear();
        return text;
    }

    std::string name;
    std::function<void()> onUpdateData;

protected:
    void ActiveChanged() override { Log(Active() ? "active" : "inactive"); }
    void EditingChanged() override { Log(Editing() ? "editing" : "browsing"); }
    void LayoutChanged() override { Log("layout"); }
    void RecordChanged(TField* field) override {
        Log(field ? "field:" + field->FieldName().toStdString() : "record");
    }
    void DataSetChanged() override { Log("dataset"); }
    void DataSetScrolled(int distance) override { Log("scrolled:" + std::to_string(distance)); }
    void FocusControl(TField*& field) override {
        Log("focus:" + (field ? field->FieldName().toStdString() : std::string("-")));
    }
    void UpdateData() override {
        Log("update");
        if (onUpdateData)
            onUpdateData();
    }
    void CheckBrowseMode() override { Log("check"); }
    void DataEvent(TDataEvent event, const TDataEventInfo& info) override {
        if (event == deDisabledStateChange)
            Log(info.Open ? "disabled:open" : "disabled:closed");
        TDataLink::DataEvent(event, info);
    }

private:
    void Log(const std::string& entry) {
        log_->push_back(name.empty() ? entry : name + "." + entry);
    }

    std::vector<std::string> own_;
    std::vector<std::string>* log_;
};

// A dataset of `count` records with ID 1 upwards and a name, behind a data source and a link.
class DataLinkTest : public ::testing::Test {
public:
    void SetUp() override { Fill(5); }

    void Fill(int count) {
        data.FieldDefs().Add("ID", ftInteger);
        data.FieldDefs().Add("NAZWA", ftString);
        data.Open();
        for (int id = 1; id <= count; ++id)
            data.AppendRecord({id, QString("N%1").arg(id)});
        data.First();
        source.SetDataSet(&data);
        link.SetDataSource(&source);
        link.Take();
    }

    int Id() const { return data.FieldByName("ID")->Value().toInt(); }
    TField& Name() const { return *data.FieldByName("NAZWA"); }

    TMemoryDataSet data;
    TDataSource source;
    RecordingLink link;
};

TEST_F(DataLinkTest, EveryChangeOfTheDatasetReachesTheLinkAsItsNotification) {
    struct Step {
        const char* name;
        std::function<void(DataLinkTest&)> action;
        const char* log;
    } const steps[] = {
        {"next", [](DataLinkTest& t) { t.data.Next(); }, "check scrolled:1"},
        {"first", [](DataLinkTest& t) { t.data.First(); }, "check dataset"},
        {"edit", [](DataLinkTest& t) { t.data.Edit(); }, "check editing record"},
        {"field", [](DataLinkTest& t) { t.Name().SetText("x"); }, "field:NAZWA"},
        {"post", [](DataLinkTest& t) { t.data.Post(); }, "update check browsing dataset"},
        {"insert", [](DataLinkTest& t) { t.data.Insert(); }, "check editing dataset"},
        {"cancel", [](DataLinkTest& t) { t.data.Cancel(); }, "check browsing dataset"},
        {"delete", [](DataLinkTest& t) { t.data.Delete(); }, "check dataset"},
        {"locate", [](DataLinkTest& t) { t.data.Locate("ID", 4); }, "check dataset"},
        {"width", [](DataLinkTest& t) { t.Name().SetDisplayWidth(30); }, "layout"},
        {"read-only", [](DataLinkTest& t) { t.Name().SetReadOnly(true); }, "layout"},
        {"alignment", [](DataLinkTest& t) { t.Name().SetAlignment(taCenter); }, "dataset"},
        {"focus", [](DataLinkTest& t) { t.Name().FocusControl(); }, "focus:NAZWA"},
        {"set key", [](DataLinkTest& t) { t.data.SetKey(); }, "check editing dataset"},
        {"goto key", [](DataLinkTest& t) { t.data.GotoKey(); }, "update browsing dataset"},
        {"close", [](DataLinkTest& t) { t.data.Close(); }, "inactive"},
        {"open", [](DataLinkTest& t) { t.data.Open(); }, "active"},
        {"disable source", [](DataLinkTest& t) { t.source.SetEnabled(false); }, "inactive"},
        {"enable source", [](DataLinkTest& t) { t.source.SetEnabled(true); }, "active"},
    };
    for (const Step& step : steps) {
        step.action(*this);
        EXPECT_EQ(link.Take(), step.log) << step.name;
    }
}

TEST_F(DataLinkTest, ReadOnlyAndTheDataSourceDecideEditing) {
    EXPECT_TRUE(source.AutoEdit());
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(link.Take(), "check editing record");
    link.SetReadOnly(true);
    EXPECT_EQ(link.Take(), "browsing");
    data.Cancel();
    link.Take();
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(data.State(), dsBrowse);

    link.SetReadOnly(false);
    source.SetAutoEdit(false);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(data.State(), dsBrowse);
    data.Edit();
    EXPECT_TRUE(link.Editing());
    EXPECT_EQ(source.State(), dsEdit);
}

TEST_F(DataLinkTest, UpdateRecordHoldsBackChangesTheLinkMakesItself) {
    data.Edit();
    link.Take();
    link.onUpdateData = [&] { Name().SetText("own"); };
    link.UpdateRecord();
    EXPECT_EQ(link.Take(), "update");

    link.onUpdateData = [&] { throw Exception("refused"); };
    EXPECT_THROW(data.Post(), Exception);
    EXPECT_EQ(data.State(), dsEdit);
    link.Take();
    Name().SetText("again");
    EXPECT_EQ(link.Take(), "field:NAZWA");
}

TEST_F(DataLinkTest, ControlsDisabledHearOnlyOfStateChangesUntilEnabled) {
    struct Case {
        const char* name;
        std::function<void(DataLinkTest&)> meanwhile;
        const char* whileDisabled;
        const char* onEnable;
    } const cases[] = {
        {"moves", [](DataLinkTest& t) { t.data.Next(), t.data.Last(); }, "", "dataset"},
        {"edit and post",
         [](DataLinkTest& t) {
             t.data.Edit();
             t.Name().SetText("x");
             t.data.Post();
         },
         "disabled:open disabled:open", "dataset"},
        {"edit", [](DataLinkTest& t) { t.data.Edit(); }, "disabled:open", "editing dataset"},
        {"layout", [](DataLinkTest& t) { t.Name().SetDisplayWidth(3); }, "", "layout"},
        {"close", [](DataLinkTest& t) { t.data.Close(); }, "disabled:closed", "inactive"},
        {"close and open",
         [](DataLinkTest& t) {
             t.data.Close();
             t.data.Open();
         },
         "disabled:closed disabled:open", "layout"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        data.Cancel();
        data.Open();
        link.Take();
        data.DisableControls();
        EXPECT_TRUE(data.ControlsDisabled());
        c.meanwhile(*this);
        EXPECT_EQ(link.Take(), c.whileDisabled);
        data.EnableControls();
        EXPECT_FALSE(data.ControlsDisabled());
        EXPECT_EQ(link.Take(), c.onEnable);
    }
}

TEST_F(DataLinkTest, OpeningWhileDisabledReachesTheLinkWhenEnabled) {
    data.Close();
    link.Take();
    data.DisableControls();
    data.DisableControls();
    data.Open();
    data.EnableControls();
    EXPECT_EQ(link.Take(), "");
    data.EnableControls();
    EXPECT_EQ(link.Take(), "active layout");
    data.EnableControls();
    EXPECT_FALSE(data.ControlsDisabled());
}

// Holds a field found by name whenever it turns active or the layout changes, as a control does;
// a look-up that fails leaves it holding none.
class FieldHolder : public TDataLink {
public:
    explicit FieldHolder(QString fieldName) : fieldName_(std::move(fieldName)) {}
    TField* field = nullptr;

protected:
    void ActiveChanged() override { LookUp(); }
    void LayoutChanged() override { LookUp(); }

private:
    void LookUp() {
        field = nullptr;
        if (Active())
            field = DataSet()->FieldByName(fieldName_);
    }

    QString fieldName_;
};

TEST_F(DataLinkTest, LinksFailingAsTheControlsAreEnabledLeaveNoLinkWithAFreedField) {
    data.Close();
    data.FieldDefs().Add("CENA", ftFloat);
    data.Open();
    // Told in the reverse order of attaching: NAZWA, CENA, ID, then the recording link.
    FieldHolder id("ID"), price("CENA"), name("NAZWA");
    for (FieldHolder* holder : {&id, &price, &name})
        holder->SetDataSource(&source);
    link.Take();

    // The fields are made again, and two of the names are gone.
    data.DisableControls();
    data.Close();
    data.FieldDefs().Clear();
    data.FieldDefs().Add("ID", ftInteger);
    data.FieldDefs().Add("OPIS", ftString);
    data.Open();
    link.Take();
    try {
        data.EnableControls();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'NAZWA' not found");
    }
    EXPECT_FALSE(data.ControlsDisabled());
    // Every link was told, those after the failures too.
    EXPECT_EQ(name.field, nullptr);
    EXPECT_EQ(price.field, nullptr);
    EXPECT_EQ(id.field->Value(), 1);
    EXPECT_EQ(id.field, data.FieldByName("ID"));
    EXPECT_EQ(link.Take(), "layout");
}

TEST_F(DataLinkTest, ALinkFailingOnTheOpeningLeavesTheDatasetClosed) {
    // Refuses to turn active.
    class RefusingLink : public TDataLink {
    protected:
        void ActiveChanged() override {
            if (Active())
                throw Exception("refused");
        }
    };
    data.Close();
    // The recording link is told first, the refusing one after it.
    link.SetDataSource(nullptr);
    RefusingLink refusing;
    refusing.SetDataSource(&source);
    link.SetDataSource(&source);
    link.Take();
    try {
        data.Open();
        ADD_FAILURE();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "refused");
    }
    EXPECT_FALSE(data.Active());
    EXPECT_EQ(source.State(), dsInactive);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.Take(), "active inactive");
    EXPECT_EQ(data.FieldCount(), 0);

    refusing.SetDataSource(nullptr);
    data.Open();
    EXPECT_EQ(Id(), 1);
    EXPECT_EQ(link.Take(), "active");
}

TEST_F(DataLinkTest, LinksWithoutTheVisualFlagAreToldFirst) {
    std::vector<std::string> log;
    RecordingLink visual(&log);
    visual.name = "visual";
    visual.SetVisualControl(true);
    RecordingLink plain(&log);
    plain.name = "plain";
    visual.SetDataSource(&source);
    plain.SetDataSource(&source);
    log.clear();
    data.First();
    EXPECT_EQ(plain.Take(), "plain.check visual.check plain.dataset visual.dataset");
}

TEST_F(DataLinkTest, AFixedDataSourceCannotBeChanged) {
    TDataSource other;
    link.SetDataSourceFixed(true);
    link.SetDataSource(&source);
    try {
        link.SetDataSource(&other);
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "DataSource cannot be changed");
    }
    EXPECT_EQ(link.DataSource(), &source);
    link.SetDataSourceFixed(false);
    link.SetDataSource(&other);
    EXPECT_EQ(link.Take(), "inactive");
    EXPECT_EQ(link.DataSet(), nullptr);
}

// A data source being freed is let go of, fixed or not; the link stays fixed for the next one.
TEST_F(DataLinkTest, DetachLetsGoOfAFixedDataSourceAndKeepsTheLinkFixed) {
    link.SetDataSource(&source);
    link.SetDataSourceFixed(true);
    link.Detach();
    EXPECT_EQ(link.DataSource(), nullptr);
    EXPECT_TRUE(link.DataSourceFixed());
    TDataSource other;
    EXPECT_THROW(link.SetDataSource(&other), EDatabaseError);
}

// Acts on data sources with a dataset: goes to its last record, and counts its updates.
class LastRecordAction : public TBasicAction {
public:
    bool HandlesTarget(TComponent* target) override {
        auto* source = dynamic_cast<TDataSource*>(target);
        return source && source->DataSet();
    }
    void ExecuteTarget(TComponent* target) override {
        static_cast<TDataSource*>(target)->DataSet()->Last();
    }
    void UpdateTarget(TComponent*) override { ++updates; }
    int updates = 0;
};

TEST_F(DataLinkTest, ActionsAimedAtTheDataSourceRunThere) {
    LastRecordAction action;
    EXPECT_TRUE(link.ExecuteAction(&action));
    EXPECT_EQ(Id(), 5);
    EXPECT_TRUE(link.UpdateAction(&action));
    EXPECT_EQ(action.updates, 1);
    RecordingLink detached;
    EXPECT_FALSE(detached.ExecuteAction(&action));
    TDataSource empty;
    detached.SetDataSource(&empty);
    EXPECT_FALSE(detached.UpdateAction(&action));
    EXPECT_EQ(action.updates, 1);
}

TEST_F(DataLinkTest, AFreedDataSourceOrDatasetLetsGoOfWhatHangsOnIt) {
    auto ownSource = std::make_unique<TDataSource>();
    ownSource->SetDataSet(&data);
    RecordingLink other;
    other.SetDataSource(ownSource.get());
    ASSERT_EQ(other.Take(), "active");
    ownSource.reset();
    EXPECT_EQ(other.Take(), "inactive");
    EXPECT_EQ(other.DataSource(), nullptr);

    auto ownData = std::make_unique<TMemoryDataSet>();
    ownData->FieldDefs().Add("X", ftInteger);
    ownData->Open();
    source.SetDataSet(ownData.get());
    ASSERT_EQ(link.Take(), "inactive active");
    ownData.reset();
    EXPECT_EQ(link.Take(), "inactive");
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(source.State(), dsInactive);

    // A link freed while attached leaves its data source.
    auto freed = std::make_unique<RecordingLink>();
    source.SetDataSet(&data);
    freed->SetDataSource(&source);
    freed.reset();
    data.Next();
    EXPECT_EQ(link.Take(), "active check scrolled:1");
}

// The record window of a link with BufferCount 7 over 20 records.
class RecordWindowTest : public DataLinkTest {
protected:
    void SetUp() override {
        Fill(20);
        link.SetBufferCount(7);
        link.Take();
    }
};

TEST_F(RecordWindowTest, TheWindowFollowsTheCursorByTheLeastShift) {
    struct Step {
        const char* name;
        std::function<void(TDataSet&)> move;
        int id;
        int activeRecord;
        const char* log;
    } const steps[] = {
        {"down inside", [](TDataSet& d) { d.MoveBy(6); }, 7, 6, "check scrolled:0"},
        {"past the bottom", [](TDataSet& d) { d.Next(); }, 8, 6, "check scrolled:1"},
        {"far down", [](TDataSet& d) { d.MoveBy(5); }, 13, 6, "check scrolled:5"},
        {"up inside", [](TDataSet& d) { d.MoveBy(-6); }, 7, 0, "check scrolled:0"},
        {"past the top", [](TDataSet& d) { d.Prior(); }, 6, 0, "check scrolled:-1"},
        {"far up", [](TDataSet& d) { d.MoveBy(-3); }, 3, 0, "check scrolled:-3"},
        {"down again", [](TDataSet& d) { d.MoveBy(2); }, 5, 2, "check scrolled:0"},
        {"last", [](TDataSet& d) { d.Last(); }, 20, 6, "check dataset"},
        {"up from the end", [](TDataSet& d) { d.MoveBy(-2); }, 18, 4, "check scrolled:0"},
        {"first", [](TDataSet& d) { d.First(); }, 1, 0, "check dataset"},
        {"locate", [](TDataSet& d) { d.Locate("ID", 11); }, 11, 6, "check dataset"},
        {"insert", [](TDataSet& d) { d.Insert(); }, 0, 6, "check editing dataset"},
        {"cancel", [](TDataSet& d) { d.Cancel(); }, 11, 6, "check browsing dataset"},
    };
    EXPECT_EQ(link.ActiveRecord(), 0);
    EXPECT_EQ(link.RecordCount(), 7);
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        step.move(data);
        EXPECT_EQ(Id(), step.id);
        EXPECT_EQ(link.ActiveRecord(), step.activeRecord);
        EXPECT_EQ(link.RecordCount(), 7);
        EXPECT_EQ(link.Take(), step.log);
    }
}

TEST_F(RecordWindowTest, WritingTheActiveRecordShowsItsRowAndLeavesTheCursor) {
    data.MoveBy(9); // record 10, at the bottom of the window 4..10
    ASSERT_EQ(link.ActiveRecord(), 6);
    link.Take();
    std::vector<int> rows;
    for (int row = 0; row < link.RecordCount(); ++row) {
        link.SetActiveRecord(row);
        EXPECT_EQ(link.ActiveRecord(), row);
        rows.push_back(Id());
    }
    EXPECT_EQ(rows, (std::vector<int>{4, 5, 6, 7, 8, 9, 10}));
    link.SetActiveRecord(6);
    EXPECT_EQ(link.Take(), "");
    link.SetActiveRecord(0);
    data.Next();
    EXPECT_EQ(Id(), 11);
    EXPECT_EQ(link.ActiveRecord(), 6);
}

TEST_F(DataLinkTest, AWindowLargerThanTheDatasetHoldsAllItsRecords) {
    link.SetBufferCount(7);
    EXPECT_EQ(link.RecordCount(), 5);
    data.Last();
    EXPECT_EQ(link.ActiveRecord(), 4);
    data.Append();
    EXPECT_EQ(link.RecordCount(), 6);
    EXPECT_EQ(link.ActiveRecord(), 5);
    data.Cancel();
    EXPECT_EQ(link.RecordCount(), 5);
    data.SetKey();
    EXPECT_EQ(link.RecordCount(), 1);
    EXPECT_EQ(link.ActiveRecord(), 0);
    data.Cancel();
    data.Close();
    EXPECT_EQ(link.RecordCount(), 0);
}

} // namespace

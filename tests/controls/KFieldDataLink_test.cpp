#include "controls/KFieldDataLink.h"

#include "platform/data/DataSource.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/DatabaseErrorOf.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace {

// A control bound through the link as the data-aware controls are: it shows the field's text,
// writes `value` back, and logs the four callbacks.
class TestControl : public QWidget, public TComponent {
public:
    explicit TestControl(std::string& log) : link(std::make_unique<TKFieldDataLink>()), log_(log) {
        link->SetControl(this);
        // Freeing the link runs the callbacks while `link` is already cleared: they reach the
        // link as their sender.
        link->OnDataChange = [this](TDataLink* sender) {
            if (const TField* field = Sender(sender).Field())
                shown = field->Text();
            Log("data");
        };
        link->OnEditingChange = [this](TDataLink* sender) {
            Log(Sender(sender).Editing() ? "editing" : "browsing");
        };
        link->OnUpdateData = [this](TDataLink* sender) {
            Log("update");
            if (failWrite)
                throw EDatabaseError("refused");
            Sender(sender).Field()->SetText(value);
        };
        link->OnActiveChange = [this](TDataLink* sender) {
            Log(Sender(sender).Active() ? "active" : "inactive");
        };
    }
    ~TestControl() override { link.reset(); }

    std::unique_ptr<TKFieldDataLink> link;
    QString shown;
    QString value;
    bool failWrite = false;

private:
    static TKFieldDataLink& Sender(TDataLink* sender) {
        return *static_cast<TKFieldDataLink*>(sender);
    }
    void Log(const char* entry) { log_ += (log_.empty() ? "" : " ") + std::string(entry); }

    std::string& log_;
};

// A visual link that answers nothing; notes whether a focus request reached it still open.
class FocusWitness : public TDataLink {
public:
    FocusWitness() { SetVisualControl(true); }
    bool sawOpenRequest = false;

protected:
    void FocusControl(TField*& field) override { sawOpenRequest = field != nullptr; }
};

// Goods with ID, NAZWA and CENA, the control bound to NAZWA and the log of its callbacks.
class KFieldDataLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        data.SetName("Towary");
        data.FieldDefs().Add("ID", ftInteger);
        data.FieldDefs().Add("NAZWA", ftString);
        data.FieldDefs().Add("CENA", ftFloat);
        data.Open();
        data.AppendRecord({1, QString("a"), 1.0});
        data.AppendRecord({2, QString("b"), 2.0});
        data.First();
        source.SetDataSet(&data);
        Link().SetDataSource(&source);
        Link().SetFieldName("NAZWA");
    }

    std::string Take() {
        std::string taken = log;
        log.clear();
        return taken;
    }
    TKFieldDataLink& Link() { return *control->link; }
    TField* Name() { return data.FieldByName("NAZWA"); }

    std::string log;
    TMemoryDataSet data;
    TDataSource source;
    std::unique_ptr<TestControl> control = std::make_unique<TestControl>(log);
};

TEST_F(KFieldDataLinkTest, BindsTheFieldAndFollowsTheRecord) {
    EXPECT_EQ(Take(), "active data");
    EXPECT_TRUE(Link().VisualControl());
    EXPECT_EQ(Link().Field(), Name());
    EXPECT_EQ(control->shown, "a");
    data.Next();
    EXPECT_EQ(Take(), "data");
    EXPECT_EQ(control->shown, "b");
    data.Close();
    EXPECT_EQ(Take(), "data inactive");
    EXPECT_EQ(Link().Field(), nullptr);
}

TEST_F(KFieldDataLinkTest, EditingFollowsTheDatasetTheFieldAndTheLink) {
    Take();
    EXPECT_TRUE(Link().Edit());
    EXPECT_EQ(Take(), "editing data");
    control->value = "nowa";
    Link().Modified();
    data.Post();
    EXPECT_EQ(Take(), "update browsing data");
    EXPECT_EQ(Name()->Text(), "nowa");

    // With the field or the link read-only the dataset may edit, the control may not.
    Name()->SetReadOnly(true);
    data.Edit();
    EXPECT_FALSE(Link().Editing());
    EXPECT_FALSE(Link().Edit());
    data.Cancel();
    Name()->SetReadOnly(false);
    Link().SetReadOnly(true);
    data.Edit();
    EXPECT_FALSE(Link().Editing());
    data.Cancel();
    Link().SetReadOnly(false);
    Take();

    // Edit without CanModify asks nothing of the data source.
    Name()->SetReadOnly(true);
    EXPECT_FALSE(Link().Edit());
    EXPECT_EQ(data.State(), dsBrowse);
    Name()->SetReadOnly(false);
    source.SetAutoEdit(false);
    EXPECT_FALSE(Link().Edit());
    EXPECT_EQ(data.State(), dsBrowse);
    EXPECT_EQ(Take(), "");
}

TEST_F(KFieldDataLinkTest, FieldNamesAreComparedExactlyAndLookedUpAgain) {
    Take();
    TField* bound = Link().Field();
    Link().SetFieldName("NAZWA");
    Link().SetFieldName("Nazwa");
    EXPECT_EQ(Link().FieldName(), "Nazwa");
    EXPECT_EQ(Link().Field(), bound);
    EXPECT_EQ(Take(), "");

    // A name the dataset does not have is kept; so is the field bound before.
    EXPECT_EQ(DatabaseErrorOf([&] { Link().SetFieldName("BRAK"); }), "Field 'BRAK' not found");
    control->SetName("edCena");
    EXPECT_EQ(DatabaseErrorOf([&] { Link().SetFieldName("BRAK2"); }),
              "edCena: Field 'BRAK2' not found");
    EXPECT_EQ(Link().FieldName(), "BRAK2");
    EXPECT_EQ(Link().Field(), bound);
    Link().SetControl(nullptr);
    EXPECT_EQ(DatabaseErrorOf([&] { Link().SetFieldName("BRAK3"); }),
              "Towary: Field 'BRAK3' not found");
    EXPECT_EQ(Take(), "");
}

TEST_F(KFieldDataLinkTest, AnEmptyFieldNameUnbinds) {
    data.Edit();
    Take();
    Link().SetFieldName("");
    EXPECT_EQ(Take(), "browsing data");
    EXPECT_EQ(Link().Field(), nullptr);
    EXPECT_FALSE(Link().Editing());
}

TEST_F(KFieldDataLinkTest, OnlyTheOwnFieldAndTheWholeRecordShowTheFieldAgain) {
    data.Edit();
    Take();
    Link().Modified();
    data.FieldByName("CENA")->SetValue(5);
    EXPECT_EQ(Take(), "");
    EXPECT_TRUE(Link().IsModified());
    Name()->SetText("z");
    EXPECT_EQ(Take(), "data");
    EXPECT_FALSE(Link().IsModified());

    // A layout change that keeps the same field object notifies nobody.
    Name()->SetDisplayWidth(4);
    EXPECT_EQ(Take(), "");
}

TEST_F(KFieldDataLinkTest, ResetAndUpdateDataWithoutAField) {
    Link().SetFieldName("");
    Take();
    Link().Modified();
    Link().Reset();
    EXPECT_EQ(Take(), "data");
    EXPECT_FALSE(Link().IsModified());

    data.Edit();
    Link().UpdateRecord();
    Link().Modified();
    Link().UpdateRecord();
    EXPECT_FALSE(Link().IsModified());
    Link().SetFieldName("NAZWA");
    Take();
    Link().UpdateRecord();
    EXPECT_EQ(Take(), "");
}

TEST_F(KFieldDataLinkTest, AFailedWriteKeepsTheMarkAndFailsThePost) {
    data.Edit();
    Take();
    control->failWrite = true;
    Link().Modified();
    EXPECT_THROW(Link().UpdateRecord(), EDatabaseError);
    EXPECT_TRUE(Link().IsModified());
    EXPECT_THROW(data.Post(), EDatabaseError);
    EXPECT_EQ(data.State(), dsEdit);
    EXPECT_EQ(Take(), "update update");
    // The updating flag is down again: changes of the field reach the control.
    control->failWrite = false;
    Name()->SetText("q");
    EXPECT_EQ(Take(), "data");
}

TEST_F(KFieldDataLinkTest, FocusControlAnswersOnlyWhenTheControlCanTakeTheFocus) {
    FocusWitness witness;
    witness.SetDataSource(&source);
    // Attached again, the control's link is told before the witness.
    Link().SetDataSource(nullptr);
    Link().SetDataSource(&source);

    Name()->FocusControl();
    EXPECT_TRUE(witness.sawOpenRequest);

    control->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(control.get()));
    control->activateWindow();
    data.FieldByName("ID")->FocusControl();
    EXPECT_TRUE(witness.sawOpenRequest);
    control->setEnabled(false);
    Name()->FocusControl();
    EXPECT_TRUE(witness.sawOpenRequest);
    control->setEnabled(true);
    Name()->FocusControl();
    EXPECT_FALSE(witness.sawOpenRequest);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == control.get(); }));
}

TEST_F(KFieldDataLinkTest, ClosingWhileControlsAreDisabledUnbindsOnlyWhenEnabled) {
    data.Edit();
    Take();
    TField* bound = Link().Field();
    data.DisableControls();
    data.Close();
    EXPECT_EQ(Link().Field(), bound);
    EXPECT_TRUE(Link().Editing());
    EXPECT_EQ(Take(), "");
    data.EnableControls();
    EXPECT_EQ(Take(), "browsing data inactive");
    EXPECT_EQ(Link().Field(), nullptr);
}

TEST_F(KFieldDataLinkTest, FieldsThatSurviveReopeningStayBoundSilently) {
    TMemoryDataSet own;
    own.FieldDefs().Add("NAZWA", ftString);
    TField& name = own.AddField("NAZWA", ftString);
    own.Open();
    own.AppendRecord({QString("x")});
    source.SetDataSet(&own);
    ASSERT_EQ(Link().Field(), &name);
    Take();
    own.DisableControls();
    own.Close();
    own.Open();
    own.EnableControls();
    EXPECT_EQ(Link().Field(), &name);
    EXPECT_EQ(Take(), "");
    source.SetDataSet(nullptr);
}

TEST_F(KFieldDataLinkTest, AFieldMadeAnewMeanwhileIsDeadUntilTheControlsAreEnabled) {
    Take();
    data.DisableControls();
    data.Close();
    data.Open();
    TField* held = Link().Field();
    ASSERT_NE(held, nullptr);
    EXPECT_NE(held, Name());
    EXPECT_EQ(held->DataSet(), nullptr);
    EXPECT_TRUE(held->IsNull());
    EXPECT_FALSE(Link().CanModify());
    EXPECT_FALSE(Link().Edit());
    EXPECT_THROW(held->SetText("x"), EDatabaseError);
    control->value = "x";
    Link().Modified();
    Link().Reset();
    EXPECT_EQ(Take(), "data");
    EXPECT_EQ(control->shown, "");

    data.EnableControls();
    EXPECT_EQ(Link().Field(), Name());
    EXPECT_EQ(Take(), "data");
}

TEST_F(KFieldDataLinkTest, AFieldFreedAfterAFailedLookUpReadsAsNone) {
    data.DisableControls();
    data.Close();
    data.FieldDefs().Clear();
    data.FieldDefs().Add("ID", ftInteger);
    data.Open();
    ASSERT_NE(Link().Field(), nullptr);
    EXPECT_THROW(data.EnableControls(), EDatabaseError);
    EXPECT_EQ(Link().Field(), nullptr);
    EXPECT_FALSE(data.ControlsDisabled());
}

TEST_F(KFieldDataLinkTest, FreeingTheControlUnbindsWithTheCallbacks) {
    data.Edit();
    Take();
    control.reset();
    EXPECT_EQ(Take(), "browsing data inactive");
    data.Cancel();
}

TEST_F(KFieldDataLinkTest, ALinkWithoutControlFindsTheFieldByTheDataset) {
    TKFieldDataLink plain;
    plain.SetDataSource(&source);
    plain.SetFieldName("CENA");
    EXPECT_EQ(plain.Field(), data.FieldByName("CENA"));
    plain.SetDataSource(nullptr);
    EXPECT_EQ(plain.Field(), nullptr);
}

} // namespace

#include "platform/data/FieldDataLink.h"

#include "platform/data/DataSource.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/DatabaseErrorOf.h"

#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class Control : public QWidget, public TComponent {};

// A radio-group-like control bound to NAZWA through the platform's field link.
class FieldDataLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        data.FieldDefs().Add("ID", ftInteger);
        data.FieldDefs().Add("NAZWA", ftString);
        data.Open();
        data.AppendRecord({1, QString("a")});
        data.AppendRecord({2, QString("b")});
        data.First();
        source.SetDataSet(&data);
        control.SetName("Grupa");
        link.SetControl(&control);
        link.OnDataChange = [this](TDataLink*) {
            log +=
                "data:" + (link.Field() ? link.Field()->Text() : QString("-")).toStdString() + " ";
        };
        link.OnEditingChange = [this](TDataLink*) { log += "editing "; };
        link.OnUpdateData = [this](TDataLink*) { link.Field()->SetText("written"); };
        link.SetDataSource(&source);
        link.SetFieldName("NAZWA");
    }

    std::string Take() {
        std::string taken = log;
        log.clear();
        return taken;
    }

    std::string log;
    TMemoryDataSet data;
    TDataSource source;
    Control control;
    TFieldDataLink link;
};

TEST_F(FieldDataLinkTest, FollowsTheFieldAndWritesItBack) {
    EXPECT_EQ(Take(), "data:a ");
    EXPECT_TRUE(link.Edit());
    EXPECT_EQ(Take(), "editing data:a ");
    link.Modified();
    data.Post();
    EXPECT_EQ(data.FieldByName("NAZWA")->Text(), "written");
    EXPECT_FALSE(link.IsModified());
    EXPECT_EQ(Take(), "editing data:written ");
    data.Next();
    EXPECT_EQ(Take(), "data:b ");
    link.SetReadOnly(true);
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(data.State(), dsBrowse);
}

TEST_F(FieldDataLinkTest, EveryLookUpNotifiesAndAFailedOneUnbinds) {
    Take();
    data.FieldByName("NAZWA")->SetDisplayWidth(5);
    EXPECT_EQ(Take(), "data:a ");
    try {
        link.SetFieldName("BRAK");
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Grupa: Field 'BRAK' not found");
    }
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_EQ(Take(), "data:- ");

    // In edit mode the control may no longer edit either.
    link.SetFieldName("NAZWA");
    ASSERT_TRUE(link.Edit());
    Take();
    EXPECT_THROW(link.SetFieldName("INNA"), EDatabaseError);
    EXPECT_EQ(Take(), "editing data:- ");
    EXPECT_EQ(data.State(), dsEdit);
    EXPECT_FALSE(link.Editing());
    EXPECT_FALSE(link.Edit());
}

TEST_F(FieldDataLinkTest, FollowsTheDisabledStateNotification) {
    Take();
    data.DisableControls();
    data.Close();
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_EQ(Take(), "");
    data.Open();
    ASSERT_NE(link.Field(), nullptr);
    EXPECT_EQ(link.Field(), data.FieldByName("NAZWA"));
    EXPECT_EQ(Take(), "data:a ");
    data.EnableControls();
    EXPECT_EQ(Take(), "data:a ");

    // Closed while disabled: the control hears of it when they are enabled again.
    data.DisableControls();
    data.Close();
    EXPECT_EQ(Take(), "");
    data.EnableControls();
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_EQ(Take(), "data:- ");
}

// The field let go of while the controls are disabled takes the editing with it: the control
// can no longer edit, and hears so once the controls are enabled.
TEST_F(FieldDataLinkTest, ALinkWhoseFieldWasLetGoOfIsNotEditing) {
    ASSERT_TRUE(link.Edit());
    Take();
    data.DisableControls();
    data.Close();
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_FALSE(link.Editing());
    EXPECT_FALSE(link.Edit());
    EXPECT_EQ(Take(), "");
    data.EnableControls();
    EXPECT_FALSE(link.Editing());
    EXPECT_EQ(Take(), "editing data:- ");
}

// The control hears the link turn active and inactive in pairs: an activation whose look-up
// fails is not told, and neither is its end.
TEST_F(FieldDataLinkTest, AFailedLookUpOnActivationTellsNoActiveChange) {
    link.OnActiveChange = [this](TDataLink*) { log += link.Active() ? "active " : "inactive "; };
    const auto attach = [&] { link.SetDataSource(&source); };
    const auto open = [&] { data.Open(); };
    struct Case {
        const char* name;
        std::function<void()> before;
        std::function<void()> activate;
        bool active; // the link stays active after the failure
    } const cases[] = {
        {"the dataset opened", attach, open, false},
        {"the link attached", open, attach, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        link.SetDataSource(nullptr);
        data.Close();
        link.SetFieldName("BRAK");
        c.before();
        Take();
        EXPECT_EQ(DatabaseErrorOf(c.activate), "Grupa: Field 'BRAK' not found");
        EXPECT_EQ(link.Active(), c.active);
        EXPECT_EQ(data.Active(), c.active);
        data.Close();
        EXPECT_EQ(Take(), "");

        // With the field there, both changes are told.
        link.SetFieldName("NAZWA");
        data.Open();
        data.Close();
        EXPECT_EQ(Take(), "data:a active data:- inactive ");
    }
}

TEST_F(FieldDataLinkTest, FocusesItsControlWhenItCan) {
    control.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    control.activateWindow();
    data.FieldByName("ID")->FocusControl();
    EXPECT_NE(QApplication::focusWidget(), &control);
    data.FieldByName("NAZWA")->FocusControl();
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == &control; }));
}

} // namespace

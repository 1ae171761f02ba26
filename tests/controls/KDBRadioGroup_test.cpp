#include "controls/KDBRadioGroup.h"

#include "platform/data/DataSource.h"
#include "platform/data/MemoryDataSet.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/ModalAnswerer.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

// Keys go where a user's keys go: to the focused widget of the active window.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

// A shown, active form with an edit, the group and another edit in tab order, and a default
// button. The group shows Tak, Brak and Nie with the values T, (its caption) and N, bound to
// STAN of a browsing dataset whose records hold T, Brak, N and X; KOD holds one character.
class KDBRadioGroupTest : public ::testing::Test {
public:
    void SetUp() override {
        data.FieldDefs().Add("ID", ftInteger);
        data.FieldDefs().Add("STAN", ftString, 10);
        data.FieldDefs().Add("KOD", ftString, 1);
        data.Open();
        data.AppendRecord({1, "T", "T"});
        data.AppendRecord({2, "Brak", "B"});
        data.AppendRecord({3, "N", "N"});
        data.AppendRecord({4, "X", "X"});
        data.First();
        source->SetDataSet(&data);

        form.SetClientWidth(300);
        form.SetClientHeight(220);
        SetBounds(przed, 10, 10, 100, 21);
        SetBounds(grupa, 10, 40, 200, 110);
        SetBounds(za, 10, 160, 100, 21);
        SetBounds(ok, 200, 190, 75, 25);
        form.SetDefaultButton(ok);
        grupa->SetName(QStringLiteral("rgStan"));
        grupa->SetCaption(QStringLiteral("Stan"));
        grupa->SetItems({QStringLiteral("Tak"), QStringLiteral("Brak"), QStringLiteral("Nie")});
        grupa->SetValues({QStringLiteral("T"), QString(), QStringLiteral("N")});
        grupa->SetDataSource(source);
        grupa->SetDataField(QStringLiteral("STAN"));
        grupa->OnKBeforeChange = [this](QObject* Sender, const Variant& StaraWartosc,
                                        const Variant& NowaWartosc, bool& Wykonaj) {
            EXPECT_EQ(Sender, grupa);
            log += "before " + StaraWartosc.toString().toStdString() + ">" +
                   NowaWartosc.toString().toStdString() + " ";
            Wykonaj = !veto;
        };
        grupa->OnClick = [this](QObject*) { log += "click "; };
        grupa->OnChange = [this](QObject* Sender) {
            EXPECT_EQ(Sender, grupa);
            log += "change ";
        };
        grupa->OnExit = [this](QObject*) { log += "exit "; };
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        grupa->setFocus();
        log.clear();
    }

    // After a box: the offscreen platform leaves the activation to a window manager.
    void Reactivate() {
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    QRadioButton* Button(int i) const { return grupa->Buttons(i); }
    QString Stored(const char* field = "STAN") const { return data.FieldByName(field)->Text(); }

    TMemoryDataSet data;
    TDataSource* source = new TDataSource;
    TForm form;
    QLineEdit* przed = new QLineEdit(&form);
    TKDBRadioGroup* grupa = new TKDBRadioGroup(nullptr, &form);
    QLineEdit* za = new QLineEdit(&form);
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), &form);
    QSignalSpy okClicks{ok, &QPushButton::clicked};
    std::string log;
    bool veto = false;

    void TearDown() override { delete source; }
};

TEST(KDBRadioGroupDefaults, ANewGroupIsEmptyUnboundAndNoTabStop) {
    TKDBRadioGroup grupa(nullptr);
    EXPECT_TRUE(grupa.Items().isEmpty());
    EXPECT_TRUE(grupa.Values().isEmpty());
    EXPECT_EQ(grupa.Columns(), 1);
    EXPECT_EQ(grupa.ItemIndex(), -1);
    EXPECT_EQ(grupa.DataSource(), nullptr);
    EXPECT_EQ(grupa.DataField(), QString());
    EXPECT_FALSE(grupa.ReadOnly());
    EXPECT_FALSE(grupa.KEnterJakoTab());
    EXPECT_EQ(grupa.focusPolicy(), Qt::NoFocus);
    EXPECT_TRUE(grupa.isEnabled());
}

TEST_F(KDBRadioGroupTest, BrowsingSelectsTheButtonOfTheFieldsTextAndWritesNothing) {
    struct Case {
        int index;
        const char* log;
    };
    // From T: Brak (the caption of a button with an empty value), N, and X, which no button has.
    const Case cases[] = {{1, "change "}, {2, "change "}, {-1, "change "}};
    EXPECT_EQ(grupa->ItemIndex(), 0);
    for (const Case& c : cases) {
        data.Next();
        SCOPED_TRACE(Stored().toStdString());
        EXPECT_EQ(grupa->ItemIndex(), c.index);
        EXPECT_EQ(log, c.log);
        log.clear();
    }
    EXPECT_EQ(data.State(), dsBrowse);
    // The group holds X though no button shows it.
    QTest::mouseClick(Button(2), Qt::LeftButton);
    EXPECT_EQ(log, "before X>N click change ");
}

TEST_F(KDBRadioGroupTest, ButtonValuesAreTheValuesLinesOrTheCaptions) {
    struct Case {
        QStringList values;
        const char* text;
        int index;
    };
    const Case cases[] = {
        {{"T", "", "N"}, "Tak", -1},
        {{"T"}, "Nie", 2},               // Values shorter than Items
        {{"T", "B", "N", "Z"}, "Z", -1}, // lines past the buttons are never used
        {{"T", "T", "N"}, "T", 0},       // two buttons with one value: the first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        grupa->SetValues(c.values);
        data.Edit();
        data.FieldByName("STAN")->SetText(c.text);
        data.Post();
        EXPECT_EQ(grupa->ItemIndex(), c.index);
    }
}

// The ways a user selects Nie while Tak is selected and focused.
struct Way {
    const char* name;
    std::function<void(TKDBRadioGroup*)> select;
};

const Way Ways[] = {
    {"click", [](TKDBRadioGroup* g) { QTest::mouseClick(g->Buttons(2), Qt::LeftButton); }},
    {"space",
     [](TKDBRadioGroup* g) {
         g->Buttons(2)->setFocus();
         Press(Qt::Key_Space);
     }},
    {"arrow", [](TKDBRadioGroup*) { Press(Qt::Key_Up); }},
};

TEST_F(KDBRadioGroupTest, ASelectionWritesTheFieldAtOnce) {
    for (const Way& way : Ways) {
        SCOPED_TRACE(way.name);
        data.First();
        ASSERT_TRUE(Button(0)->hasFocus());
        log.clear();
        way.select(grupa);
        EXPECT_EQ(data.State(), dsEdit);
        EXPECT_EQ(Stored(), "N");
        EXPECT_EQ(grupa->ItemIndex(), 2);
        EXPECT_EQ(log, "before T>N click change ");
        data.Cancel();
        Button(0)->setFocus();
    }
}

// The group's own events, with a handler that builds the buttons anew with other captions
// (after logging).
TEST_F(KDBRadioGroupTest, AHandlerMaySetTheItemsDuringTheGroupsOwnEvents) {
    const QStringList items = grupa->Items();
    const QStringList rebuilt{QStringLiteral("Tak."), QStringLiteral("Brak."),
                              QStringLiteral("Nie.")};
    int rebuilds = 0;
    const std::function<void()> rebuild = [&] {
        if (rebuilds++ == 0)
            grupa->SetItems(rebuilt);
    };
    const auto before = grupa->OnKBeforeChange;
    const auto click = grupa->OnClick;
    const auto change = grupa->OnChange;
    using Hook = std::function<void(TKDBRadioGroup*)>;
    struct Path {
        std::string name;
        Hook hook;
        std::function<void(TKDBRadioGroup*)> act;
        const char* stored;
        int index;
        const char* log;
    };
    const Hook onBefore = [&](TKDBRadioGroup* g) {
        g->OnKBeforeChange = [&](QObject* S, const Variant& O, const Variant& N, bool& W) {
            before(S, O, N, W);
            rebuild();
        };
    };
    const Hook onClick = [&](TKDBRadioGroup* g) {
        g->OnClick = [&](QObject* S) {
            click(S);
            rebuild();
        };
    };
    const Hook onChange = [&](TKDBRadioGroup* g) {
        g->OnChange = [&](QObject* S) {
            change(S);
            rebuild();
        };
    };
    const Hook onKeyPress = [&](TKDBRadioGroup* g) {
        g->OnKeyPress = [&](QObject*, QChar&) { rebuild(); };
    };
    std::vector<Path> paths;
    for (const Way& way : Ways) {
        for (const auto& [event, hook] :
             {std::pair{"before", onBefore}, {"click", onClick}, {"change", onChange}})
            paths.push_back({std::string(event) + " by " + way.name, hook, way.select, "N", 2,
                             "before T>N click change "});
    }
    paths.push_back({"key press of Backspace", onKeyPress,
                     [](TKDBRadioGroup*) { Press(Qt::Key_Backspace); }, "T", 0, ""});
    paths.push_back({"key press of Esc", onKeyPress, [](TKDBRadioGroup*) { Press(Qt::Key_Escape); },
                     "T", 0, ""});
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        grupa->SetItems(items);
        Button(0)->setFocus();
        log.clear();
        rebuilds = 0;
        path.hook(grupa);
        path.act(grupa);
        grupa->OnKBeforeChange = before;
        grupa->OnClick = click;
        grupa->OnChange = change;
        grupa->OnKeyPress = nullptr;
        EXPECT_EQ(rebuilds, 1);
        EXPECT_EQ(Stored(), path.stored);
        EXPECT_EQ(grupa->ItemIndex(), path.index);
        EXPECT_TRUE(Button(path.index)->isChecked());
        EXPECT_EQ(log, path.log);
        QWidget* focused = QApplication::focusWidget();
        EXPECT_TRUE(focused != nullptr && grupa->isAncestorOf(focused) && focused->isVisible());
        data.Cancel();
    }
}

// From outside the group, the user chooses Nie while OnEnter sets the same items again.
TEST_F(KDBRadioGroupTest, AChoiceIntoTheGroupOutlivesItemsSetAgainOnEnter) {
    const QStringList items{QStringLiteral("&Tak"), QStringLiteral("&Brak"),
                            QStringLiteral("&Nie")};
    grupa->SetItems(items);
    grupa->OnEnter = [&](QObject*) {
        log += "enter ";
        grupa->SetItems(items);
    };
    const Way ways[] = {
        {"click", [](TKDBRadioGroup* g) { QTest::mouseClick(g->Buttons(2), Qt::LeftButton); }},
        {"mnemonic", [](TKDBRadioGroup*) { Press(Qt::Key_N, Qt::AltModifier); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        przed->setFocus();
        log.clear();
        way.select(grupa);
        EXPECT_EQ(data.State(), dsEdit);
        EXPECT_EQ(Stored(), "N");
        EXPECT_EQ(grupa->ItemIndex(), 2);
        EXPECT_TRUE(Button(2)->hasFocus());
        EXPECT_EQ(log, "enter before T>N click change ");
        data.Cancel();
    }
}

// A key handler that leaves the group without buttons: the unchanged value still marked after
// a click on the second button of T is written, and OnExit fires.
TEST_F(KDBRadioGroupTest, AGroupLeftWithoutButtonsWritesAndExits) {
    grupa->SetValues({QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("N")});
    QTest::mouseClick(Button(1), Qt::LeftButton);
    ASSERT_FALSE(data.Modified());
    log.clear();
    grupa->OnKeyPress = [this](QObject*, QChar&) { grupa->SetItems({}); };
    Press(Qt::Key_A);
    grupa->OnKeyPress = nullptr;
    EXPECT_TRUE(data.Modified());
    EXPECT_EQ(Stored(), "T");
    EXPECT_EQ(log, "exit ");
}

TEST_F(KDBRadioGroupTest, BackspaceAndSpaceStartTheEditWithoutChangingTheValue) {
    for (const Qt::Key key : {Qt::Key_Backspace, Qt::Key_Space}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(Button(0)->hasFocus());
        Press(key);
        EXPECT_EQ(data.State(), dsEdit);
        EXPECT_EQ(grupa->ItemIndex(), 0);
        EXPECT_EQ(log, "");
        data.Cancel();
    }
}

// Runs on the dataset of the data source it is aimed at.
class LastRecordAction : public TBasicAction {
public:
    explicit LastRecordAction(TDataSource* target) : target_(target) {}
    bool HandlesTarget(TComponent* target) override { return target == target_; }
    void ExecuteTarget(TComponent*) override { target_->DataSet()->Last(); }
    void UpdateTarget(TComponent*) override { ++updates; }
    int updates = 0;

private:
    TDataSource* target_;
};

TEST_F(KDBRadioGroupTest, ActionsAimedAtTheDataSourceRunThroughTheGroup) {
    LastRecordAction action(source);
    EXPECT_TRUE(grupa->ExecuteAction(&action));
    EXPECT_EQ(grupa->ItemIndex(), -1); // the last record holds X
    EXPECT_TRUE(grupa->UpdateAction(&action));
    EXPECT_EQ(action.updates, 1);
    LastRecordAction elsewhere(nullptr);
    EXPECT_FALSE(grupa->ExecuteAction(&elsewhere));
}

TEST_F(KDBRadioGroupTest, NothingChangesWhereTheFieldCannotBeEdited) {
    struct Binding {
        const char* name;
        std::function<void(KDBRadioGroupTest&)> apply;
        int index;
    };
    const Binding bindings[] = {
        {"read-only", [](KDBRadioGroupTest& t) { t.grupa->SetReadOnly(true); }, 0},
        {"unbound", [](KDBRadioGroupTest& t) { t.grupa->SetDataField(QString()); }, -1},
        {"AutoEdit off", [](KDBRadioGroupTest& t) { t.source->SetAutoEdit(false); }, 0},
    };
    for (const Binding& binding : bindings) {
        for (const Way& way : Ways) {
            SCOPED_TRACE(std::string(binding.name) + " " + way.name);
            binding.apply(*this);
            Button(0)->setFocus();
            log.clear();
            way.select(grupa);
            EXPECT_EQ(grupa->ItemIndex(), binding.index);
            EXPECT_EQ(data.State(), dsBrowse);
            EXPECT_EQ(Stored(), "T");
            EXPECT_EQ(log, "");
            grupa->SetReadOnly(false);
            grupa->SetDataField(QStringLiteral("STAN"));
            source->SetAutoEdit(true);
        }
    }
}

// With no field bound, whatever unbound it: no button is selected, and no way of selecting one
// selects it, fires an event or writes.
void ExpectUnbound(KDBRadioGroupTest& t, const std::string& log) {
    EXPECT_EQ(t.grupa->ItemIndex(), -1);
    for (int i = 0; i < t.grupa->ButtonCount(); ++i)
        EXPECT_FALSE(t.Button(i)->isChecked()) << i;
    EXPECT_EQ(t.log, log);
    for (const Way& way : Ways) {
        SCOPED_TRACE(way.name);
        t.Button(0)->setFocus();
        t.log.clear();
        way.select(t.grupa);
        EXPECT_EQ(t.grupa->ItemIndex(), -1);
        EXPECT_FALSE(t.Button(2)->isChecked());
        EXPECT_EQ(t.log, "");
    }
}

TEST_F(KDBRadioGroupTest, AFieldNameNotFoundInEditModeLeavesTheGroupUnbound) {
    data.Edit();
    try {
        grupa->SetDataField(QStringLiteral("BRAK"));
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "rgStan: Field 'BRAK' not found");
    }
    ExpectUnbound(*this, "change ");
    EXPECT_EQ(data.State(), dsEdit);
    EXPECT_EQ(Stored(), "T");
}

TEST_F(KDBRadioGroupTest, ADataSetClosedWhileItsControlsAreDisabledLeavesTheGroupUnbound) {
    for (const bool freed : {false, true}) {
        SCOPED_TRACE(freed ? "then freed" : "then enabled");
        auto other = std::make_unique<TMemoryDataSet>();
        other->FieldDefs().Add("STAN", ftString, 10);
        other->Open();
        other->AppendRecord({"N"});
        source->SetDataSet(other.get());
        ASSERT_EQ(grupa->ItemIndex(), 2);
        log.clear();
        other->DisableControls();
        other->Close();
        if (freed)
            other.reset();
        else
            other->EnableControls();
        ExpectUnbound(*this, "change ");
    }
}

TEST_F(KDBRadioGroupTest, ARefusedValueKeepsTheFocusIsTriedAgainOnLeavingAndEscRereads) {
    const QString refused =
        QStringLiteral("'Brak' is too long for field 'KOD', which holds 1 characters.");
    grupa->SetDataField(QStringLiteral("KOD"));
    ASSERT_EQ(grupa->ItemIndex(), 0);
    log.clear();
    ModalAnswerer boxes;
    QTest::mouseClick(Button(1), Qt::LeftButton);
    EXPECT_EQ(boxes.Texts(), QStringList{refused});
    Reactivate();
    EXPECT_TRUE(Button(1)->hasFocus());
    EXPECT_EQ(grupa->ItemIndex(), 1);
    EXPECT_EQ(Stored("KOD"), "T");
    EXPECT_EQ(log, "before T>Brak click ");

    // Leaving tries again, keeps the focus and skips OnExit.
    Press(Qt::Key_Tab);
    EXPECT_EQ(boxes.Texts(), QStringList({refused, refused}));
    Reactivate();
    EXPECT_TRUE(Button(1)->hasFocus());
    EXPECT_EQ(log, "before T>Brak click ");

    // Esc shows the stored value again and forgets the refused one.
    Press(Qt::Key_Escape);
    EXPECT_EQ(grupa->ItemIndex(), 0);
    EXPECT_EQ(Stored("KOD"), "T");
    Press(Qt::Key_Tab);
    EXPECT_EQ(boxes.Texts().size(), 2);
    EXPECT_TRUE(za->hasFocus());
    EXPECT_EQ(log, "before T>Brak click change exit ");
}

TEST_F(KDBRadioGroupTest, AVetoSelectsTheStoredValueAgain) {
    veto = true;
    QTest::mouseClick(Button(2), Qt::LeftButton);
    EXPECT_EQ(log, "before T>N ");
    EXPECT_EQ(grupa->ItemIndex(), 0);
    EXPECT_EQ(Stored(), "T");
    EXPECT_FALSE(data.Modified());
}

TEST_F(KDBRadioGroupTest, TheSecondButtonOfAValueSelectsTheFirstAndWritesOnLeaving) {
    grupa->SetValues({QStringLiteral("T"), QStringLiteral("T"), QStringLiteral("N")});
    log.clear();
    QTest::mouseClick(Button(1), Qt::LeftButton);
    EXPECT_EQ(log, "before T>T click ");
    EXPECT_EQ(grupa->ItemIndex(), 0);
    EXPECT_FALSE(data.Modified());
    Press(Qt::Key_Tab);
    EXPECT_TRUE(za->hasFocus());
    EXPECT_TRUE(data.Modified());
    EXPECT_EQ(Stored(), "T");
}

TEST_F(KDBRadioGroupTest, EnterAsTabComesBeforeTheDefaultButton) {
    struct Case {
        bool enterJakoTab;
        Qt::KeyboardModifiers modifiers;
        QLineEdit* KDBRadioGroupTest::*focused;
        int okClicks;
    };
    const Case cases[] = {
        {true, Qt::NoModifier, &KDBRadioGroupTest::za, 0},
        {true, Qt::ShiftModifier, &KDBRadioGroupTest::przed, 0},
        {false, Qt::NoModifier, nullptr, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enterJakoTab ? "on" : "off");
        grupa->SetKEnterJakoTab(c.enterJakoTab);
        Button(0)->setFocus();
        okClicks.clear();
        Press(Qt::Key_Return, c.modifiers);
        QWidget* expected =
            c.focused != nullptr ? static_cast<QWidget*>(this->*c.focused) : Button(0);
        EXPECT_EQ(QApplication::focusWidget(), expected);
        EXPECT_EQ(okClicks.size(), c.okClicks);
    }
}

TEST_F(KDBRadioGroupTest, FreeingTheDataSourceLeavesTheGroupUnbound) {
    delete source;
    source = nullptr;
    EXPECT_EQ(grupa->DataSource(), nullptr);
    EXPECT_EQ(grupa->ItemIndex(), -1);
    QTest::mouseClick(Button(2), Qt::LeftButton);
    EXPECT_EQ(grupa->ItemIndex(), -1);
}

} // namespace

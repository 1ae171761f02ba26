#include "platform/gui/RadioGroup.h"

#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "tests/support/ModalAnswerer.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

// Keys go where a user's keys go: to the focused widget of the active window.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

// A group whose check says what `allow` says, counting the checks and the clicks.
class TestGroup : public TCustomRadioGroup {
public:
    using TCustomRadioGroup::TCustomRadioGroup;
    bool allow = true;
    int asked = 0;
    int clicks = 0;
    std::function<void()> onCheck;

protected:
    bool CanModify() override {
        ++asked;
        if (onCheck)
            onCheck();
        return allow;
    }
    void Click() override {
        ++clicks;
        TCustomRadioGroup::Click();
    }
};

// A shown, active form: an edit, the group with Tak, Brak and Nie, and another edit, in tab
// order.
class RadioGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetClientWidth(300);
        form.SetClientHeight(200);
        SetBounds(before, 10, 10, 100, 21);
        SetBounds(group, 10, 40, 200, 100);
        SetBounds(after, 10, 150, 100, 21);
        group->SetCaption(QStringLiteral("Stan"));
        group->SetItems({QStringLiteral("Tak"), QStringLiteral("Brak"), QStringLiteral("Nie")});
        group->OnEnter = [this](QObject*) { log += "enter "; };
        group->OnExit = [this](QObject*) { log += "exit "; };
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        before->setFocus();
    }

    int Checked() const {
        int checked = -1;
        for (int i = 0; i < group->ButtonCount(); ++i)
            if (group->Buttons(i)->isChecked())
                checked = checked == -1 ? i : -2;
        return checked;
    }

    TForm form;
    QLineEdit* before = new QLineEdit(&form);
    TestGroup* group = new TestGroup(nullptr, &form);
    QLineEdit* after = new QLineEdit(&form);
    std::string log;
};

TEST_F(RadioGroupTest, ItemsMakeOneButtonPerLineAsTheGroupsChildrenInColumns) {
    group->SetColumns(2);
    // Brak stays at its index among new buttons.
    group->SetItems({"A", "Brak", "C", "D", "E"});
    ASSERT_EQ(group->ButtonCount(), 5);
    const QList<QRadioButton*> children =
        group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), 5);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(children[i], group->Buttons(i));
        EXPECT_EQ(group->Buttons(i)->text(), group->Items()[i]);
    }
    // Down the first column, then the second.
    const auto at = [this](int i) { return group->Buttons(i)->geometry(); };
    EXPECT_EQ(at(0).left(), at(1).left());
    EXPECT_EQ(at(1).left(), at(2).left());
    EXPECT_LT(at(0).top(), at(1).top());
    EXPECT_LT(at(1).top(), at(2).top());
    EXPECT_EQ(at(3).left(), at(4).left());
    EXPECT_GE(at(3).left(), at(0).right());
    EXPECT_EQ(at(3).top(), at(0).top());
    EXPECT_TRUE(group->contentsRect().contains(at(2)));
    EXPECT_TRUE(group->contentsRect().contains(at(4)));
}

TEST_F(RadioGroupTest, ItemIndexSelectsOneButtonOrNone) {
    group->SetItemIndex(1);
    EXPECT_EQ(Checked(), 1);
    group->SetItemIndex(-1);
    EXPECT_EQ(Checked(), -1);
    EXPECT_EQ(group->ItemIndex(), -1);
    group->SetItemIndex(7);
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_EQ(Checked(), 2);
    // New items keep an index that still has its button.
    group->SetItems({"A", "B"});
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_EQ(Checked(), -1);
    group->SetItemIndex(1);
    group->SetItems({"C", "D", "E"});
    EXPECT_EQ(Checked(), 1);
    // Code selects without a click.
    EXPECT_EQ(group->clicks, 0);
    EXPECT_EQ(group->asked, 0);
}

// The ways a user selects the middle button while the first one is selected and focused.
struct Way {
    const char* name;
    std::function<void(TCustomRadioGroup*)> select;
};

const Way Ways[] = {
    {"click", [](TCustomRadioGroup* g) { QTest::mouseClick(g->Buttons(1), Qt::LeftButton); }},
    {"space",
     [](TCustomRadioGroup* g) {
         g->Buttons(1)->setFocus();
         Press(Qt::Key_Space);
     }},
    {"arrow", [](TCustomRadioGroup*) { Press(Qt::Key_Down); }},
};

TEST_F(RadioGroupTest, EveryWayOfSelectingAsksTheCheckFirst) {
    for (const Way& way : Ways) {
        for (const bool allow : {false, true}) {
            SCOPED_TRACE(std::string(way.name) + (allow ? " allowed" : " refused"));
            group->SetItemIndex(0);
            group->Buttons(0)->setFocus();
            group->allow = allow;
            group->asked = group->clicks = 0;
            way.select(group);
            EXPECT_GE(group->asked, 1);
            EXPECT_EQ(group->ItemIndex(), allow ? 1 : 0);
            EXPECT_EQ(Checked(), allow ? 1 : 0);
            EXPECT_EQ(group->clicks, allow ? 1 : 0);
        }
    }
}

TEST_F(RadioGroupTest, SelectingTheSelectedButtonAsksButChangesNothing) {
    group->SetItemIndex(1);
    QTest::mouseClick(group->Buttons(1), Qt::LeftButton);
    EXPECT_EQ(group->asked, 1);
    EXPECT_EQ(group->clicks, 0);
    EXPECT_EQ(Checked(), 1);
}

TEST_F(RadioGroupTest, ArrowsWrapRoundTheButtons) {
    group->SetItemIndex(0);
    group->Buttons(0)->setFocus();
    Press(Qt::Key_Up);
    EXPECT_EQ(group->ItemIndex(), 2);
    EXPECT_TRUE(group->Buttons(2)->hasFocus());
    Press(Qt::Key_Right);
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_TRUE(group->Buttons(0)->hasFocus());
    // With Alt they are system keys and move nothing.
    group->asked = 0;
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right}) {
        Press(key, Qt::AltModifier);
        EXPECT_EQ(group->ItemIndex(), 0);
        EXPECT_TRUE(group->Buttons(0)->hasFocus());
    }
    EXPECT_EQ(group->asked, 0);
}

TEST_F(RadioGroupTest, KeysOfTheButtonsReachTheGroupInTwoSteps) {
    std::string keys;
    group->OnKeyDown = [&](QObject* sender, Word& Key, TShiftState) {
        EXPECT_EQ(sender, group);
        keys += "down " + std::to_string(Key) + " ";
    };
    group->OnKeyPress = [&](QObject*, QChar& Key) {
        keys += "press " + std::to_string(Key.unicode()) + " ";
    };
    group->Buttons(2)->setFocus();
    Press(Qt::Key_A);
    EXPECT_EQ(keys, "down 65 press 97 ");
}

TEST_F(RadioGroupTest, EnterSelectsNoButton) {
    // GNOME's Qt theme presses a focused button with Enter, the offscreen theme does not: here
    // the test shows only that the group itself does nothing with Enter.
    group->SetItemIndex(0);
    group->Buttons(1)->setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        Press(key);
        EXPECT_EQ(Checked(), 0);
        EXPECT_EQ(group->asked, 0);
        EXPECT_EQ(group->clicks, 0);
    }
}

TEST_F(RadioGroupTest, SpaceRefusedByTheCheckIsDropped) {
    group->SetItemIndex(0);
    group->allow = false;
    group->Buttons(1)->setFocus();
    QTest::keyPress(static_cast<QWidget*>(nullptr), Qt::Key_Space);
    EXPECT_FALSE(group->Buttons(1)->isDown());
    QTest::keyRelease(static_cast<QWidget*>(nullptr), Qt::Key_Space);
    EXPECT_EQ(Checked(), 0);
}

TEST_F(RadioGroupTest, TabReachesTheGroupAtItsSelectedButtonAndLeavesItWhole) {
    group->SetItemIndex(1);
    Press(Qt::Key_Tab);
    EXPECT_TRUE(group->Buttons(1)->hasFocus());
    Press(Qt::Key_Down);
    EXPECT_TRUE(group->Buttons(2)->hasFocus());
    Press(Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
    EXPECT_EQ(log, "enter exit ");
    // With none selected, the first button.
    group->SetItemIndex(-1);
    before->setFocus();
    Press(Qt::Key_Tab);
    EXPECT_TRUE(group->Buttons(0)->hasFocus());
}

TEST_F(RadioGroupTest, TheCaptionsMnemonicGoesToTheSelectedButtonAsTabDoes) {
    group->SetCaption(QStringLiteral("&Stan"));
    group->SetItemIndex(0);
    // A refused click leaves the focus on a button that is not selected.
    group->allow = false;
    QTest::mouseClick(group->Buttons(2), Qt::LeftButton);
    ASSERT_TRUE(group->Buttons(2)->hasFocus());
    before->setFocus();
    Press(Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(group->Buttons(0)->hasFocus());
    EXPECT_EQ(group->ItemIndex(), 0);
    EXPECT_EQ(log, "enter exit enter ");
}

TEST_F(RadioGroupTest, AButtonsMnemonicFocusesAndSelectsItAtOnce) {
    group->SetItems({QStringLiteral("&Tak"), QStringLiteral("&Brak"), QStringLiteral("&Nie")});
    for (const bool allow : {false, true}) {
        SCOPED_TRACE(allow ? "allowed" : "refused");
        group->SetItemIndex(0);
        group->allow = allow;
        group->asked = group->clicks = 0;
        before->setFocus();
        Press(Qt::Key_N, Qt::AltModifier);
        // No waiting: the next key may already take the focus elsewhere.
        EXPECT_TRUE(group->Buttons(2)->hasFocus());
        EXPECT_EQ(group->asked, 1);
        EXPECT_EQ(group->ItemIndex(), allow ? 2 : 0);
        EXPECT_EQ(group->clicks, allow ? 1 : 0);
    }
}

// Every event the group fires while one of its buttons handles a user's key, click or focus
// change, with a handler that builds the buttons anew (other captions, the same mnemonics).
TEST_F(RadioGroupTest, AHandlerMaySetTheItemsDuringAnyEventOfAButton) {
    const QStringList items{QStringLiteral("&Tak"), QStringLiteral("&Brak"),
                            QStringLiteral("&Nie")};
    const QStringList rebuilt{QStringLiteral("&Tak."), QStringLiteral("&Brak."),
                              QStringLiteral("&Nie.")};
    group->SetCaption(QStringLiteral("&Stan"));
    std::vector<QPointer<QRadioButton>> old;
    const auto rebuild = [&] {
        if (!old.empty())
            return;
        for (int i = 0; i < group->ButtonCount(); ++i)
            old.emplace_back(group->Buttons(i));
        group->SetItems(rebuilt);
    };
    using Hook = std::function<void(TestGroup*, const std::function<void()>&)>;
    const Hook enter = [](TestGroup* g, const std::function<void()>& f) {
        g->OnEnter = [f](QObject*) { f(); };
    };
    const Hook exit = [](TestGroup* g, const std::function<void()>& f) {
        g->OnExit = [f](QObject*) { f(); };
    };
    const Hook keyDown = [](TestGroup* g, const std::function<void()>& f) {
        g->OnKeyDown = [f](QObject*, Word&, TShiftState) { f(); };
    };
    const Hook keyPress = [](TestGroup* g, const std::function<void()>& f) {
        g->OnKeyPress = [f](QObject*, QChar&) { f(); };
    };
    const Hook click = [](TestGroup* g, const std::function<void()>& f) {
        g->OnClick = [f](QObject*) { f(); };
    };
    const Hook check = [](TestGroup* g, const std::function<void()>& f) { g->onCheck = f; };
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return [k, m] { Press(k, m); };
    };
    const auto clickOn = [this](int i) {
        return [this, i] { QTest::mouseClick(group->Buttons(i), Qt::LeftButton); };
    };
    struct Path {
        const char* name;
        Hook hook;
        bool fromInside; // the focus starts on the first button, else in the edit before
        std::function<void()> act;
        bool focusInside;
    };
    const Path paths[] = {
        {"enter by Tab", enter, false, key(Qt::Key_Tab), true},
        {"enter by the caption's mnemonic", enter, false, key(Qt::Key_S, Qt::AltModifier), true},
        {"enter by a button's mnemonic", enter, false, key(Qt::Key_N, Qt::AltModifier), true},
        {"enter by a click", enter, false, clickOn(2), true},
        {"exit by Tab", exit, true, key(Qt::Key_Tab), false},
        {"exit by a click", exit, true, [this] { QTest::mouseClick(after, Qt::LeftButton); },
         false},
        {"key down of Space", keyDown, true, key(Qt::Key_Space), true},
        {"key down of an arrow", keyDown, true, key(Qt::Key_Down), true},
        {"key press of Space", keyPress, true, key(Qt::Key_Space), true},
        {"key press of Backspace", keyPress, true, key(Qt::Key_Backspace), true},
        {"check of a click", check, true, clickOn(1), true},
        {"check of Space", check, true, key(Qt::Key_Space), true},
        {"check of an arrow", check, true, key(Qt::Key_Down), true},
        {"click by the mouse", click, true, clickOn(1), true},
        {"click by an arrow", click, true, key(Qt::Key_Down), true},
        {"click by a mnemonic", click, true, key(Qt::Key_N, Qt::AltModifier), true},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        group->SetItems(items);
        group->SetItemIndex(-1);
        (path.fromInside ? static_cast<QWidget*>(group->Buttons(0)) : before)->setFocus();
        old.clear();
        path.hook(group, rebuild);
        path.act();
        group->OnEnter = group->OnExit = group->OnClick = nullptr;
        group->OnKeyDown = nullptr;
        group->OnKeyPress = nullptr;
        group->onCheck = nullptr;
        ASSERT_EQ(old.size(), 3u) << "the handler did not run";

        // The new buttons are the group's; the old ones are hidden and go with the events.
        ASSERT_EQ(group->ButtonCount(), 3);
        for (const QPointer<QRadioButton>& button : old)
            EXPECT_TRUE(button.isNull() || !button->isVisible());
        QWidget* focused = QApplication::focusWidget();
        EXPECT_EQ(focused != nullptr && group->isAncestorOf(focused), path.focusInside);
        EXPECT_TRUE(focused != nullptr && focused->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QPointer<QRadioButton>& button : old)
            EXPECT_TRUE(button.isNull());
        EXPECT_EQ(group->findChildren<QRadioButton*>().size(), 3);

        // And they work.
        QTest::mouseClick(group->Buttons(1), Qt::LeftButton);
        EXPECT_EQ(group->ItemIndex(), 1);
        EXPECT_TRUE(group->Buttons(1)->hasFocus());
    }
}

// A user's click or mnemonic from outside the group while its OnEnter sets the items again: a
// button whose caption stays at its index takes the click, one whose caption changed does not.
TEST_F(RadioGroupTest, AClickIntoTheGroupOutlivesItemsSetAgainOnEnter) {
    const QStringList items{QStringLiteral("&Tak"), QStringLiteral("&Brak"),
                            QStringLiteral("&Nie")};
    struct Case {
        const char* name;
        QStringList rebuilt;
        int index;
    };
    const Case cases[] = {
        {"the same captions", items, 2},
        {"another caption before it", {"&Inne", "&Brak", "&Nie"}, 2},
        {"more buttons after it", {"&Tak", "&Brak", "&Nie", "&Inne"}, 2},
        {"its caption changed", {"&Tak", "&Brak", "N&ic"}, -1},
    };
    const Way ways[] = {
        {"click", [](TCustomRadioGroup* g) { QTest::mouseClick(g->Buttons(2), Qt::LeftButton); }},
        {"mnemonic", [](TCustomRadioGroup*) { Press(Qt::Key_N, Qt::AltModifier); }},
    };
    for (const Case& c : cases) {
        for (const Way& way : ways) {
            SCOPED_TRACE(std::string(c.name) + " " + way.name);
            group->OnEnter = nullptr;
            group->SetItems(items);
            group->SetItemIndex(-1);
            before->setFocus();
            group->clicks = 0;
            group->OnEnter = [&](QObject*) { group->SetItems(c.rebuilt); };
            way.select(group);
            EXPECT_EQ(group->ItemIndex(), c.index);
            EXPECT_EQ(Checked(), c.index);
            EXPECT_EQ(group->clicks, c.index < 0 ? 0 : 1);
            EXPECT_TRUE(group->Buttons(std::max(c.index, 0))->hasFocus());
        }
    }
}

// Every handler of a button's event that leaves the group without buttons, and code doing so
// while a button has the focus.
TEST_F(RadioGroupTest, AGroupLeftWithoutButtonsRunsItsExit) {
    const QStringList items = group->Items();
    const auto empty = [this] { group->SetItems({}); };
    struct Path {
        const char* name;
        std::function<void()> act;
    };
    const Path paths[] = {
        {"key down",
         [&] {
             group->OnKeyDown = [&](QObject*, Word&, TShiftState) { empty(); };
             Press(Qt::Key_A);
         }},
        {"key press",
         [&] {
             group->OnKeyPress = [&](QObject*, QChar&) { empty(); };
             Press(Qt::Key_A);
         }},
        {"click",
         [&] {
             group->OnClick = [&](QObject*) { empty(); };
             QTest::mouseClick(group->Buttons(1), Qt::LeftButton);
         }},
        {"key press, after a box",
         [&] {
             group->OnKeyPress = [&](QObject*, QChar&) {
                 Application->MessageBox(QStringLiteral("Odświeżono"), QString(), MB_OK);
                 empty();
             };
             Press(Qt::Key_A);
         }},
        {"code", empty},
    };
    ModalAnswerer boxes;
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        group->SetItems(items);
        before->setFocus();
        Press(Qt::Key_Tab);
        ASSERT_TRUE(group->Buttons(0)->hasFocus());
        log.clear();
        path.act();
        group->OnKeyDown = nullptr;
        group->OnKeyPress = nullptr;
        group->OnClick = nullptr;
        EXPECT_EQ(log, "exit ");
        // After a box: the offscreen platform leaves the activation to a window manager.
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        QWidget* focused = QApplication::focusWidget();
        EXPECT_FALSE(focused != nullptr && group->isAncestorOf(focused));

        // A later visit enters and leaves once.
        group->SetItems(items);
        before->setFocus();
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        EXPECT_TRUE(after->hasFocus());
        EXPECT_EQ(log, "exit enter exit ");
    }
}

TEST_F(RadioGroupTest, FocusingTheGroupFocusesItsSelectedButton) {
    group->SetItemIndex(2);
    group->setFocus();
    EXPECT_TRUE(group->Buttons(2)->hasFocus());
}

TEST_F(RadioGroupTest, TheFocusOfAButtonLeavesTheCaptionUnframed) {
    const QRect caption(0, 0, group->width(), group->contentsRect().top());
    const QImage unfocused = group->grab(caption).toImage();
    Press(Qt::Key_Tab); // by the keyboard: the style shows the focus
    ASSERT_TRUE(group->Buttons(0)->hasFocus());
    EXPECT_EQ(group->grab(caption).toImage(), unfocused);
}

} // namespace

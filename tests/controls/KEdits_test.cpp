#include "controls/KEdits.h"

#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"
#include "tests/controls/EditFixture.h"
#include "tests/support/ModalAnswerer.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

namespace {

TEST(CustomKEdit, StartsWithTheClassLibrarysSettings) {
    TCustomKEdit edit(nullptr);
    EXPECT_EQ(edit.MaxLength(), 0);
    EXPECT_EQ(edit.maxLength(), 32767);
    EXPECT_EQ(edit.BorderStyle(), TBorderStyle::bsSingle);
    EXPECT_TRUE(edit.hasFrame());
    EXPECT_TRUE(edit.PasswordChar().isNull());
    EXPECT_EQ(edit.echoMode(), QLineEdit::Normal);
    EXPECT_FALSE(edit.ReadOnly());
    EXPECT_TRUE(edit.AutoSize());
    EXPECT_TRUE(edit.AutoSelect());
    EXPECT_TRUE(edit.HideSelection());
    EXPECT_FALSE(edit.OEMConvert());
    EXPECT_EQ(edit.CharCase(), ecNormal);
    EXPECT_EQ(edit.Alignment(), taLeftJustify);
    EXPECT_TRUE(edit.Ctl3D());
    EXPECT_TRUE(edit.TabStop());
    EXPECT_EQ(edit.width(), 121);
    EXPECT_EQ(edit.height(), QFontMetrics(edit.font()).height() + 8);
    EXPECT_EQ(edit.Text(), "");
    EXPECT_FALSE(edit.GetModified());
}

TEST(CustomKEdit, AutomaticHeightFollowsTheFontAndTheBorderDepth) {
    TCustomKEdit edit(nullptr);
    QFont font = edit.font();
    edit.SetCtl3D(false);
    EXPECT_EQ(edit.height(), QFontMetrics(font).height() + 6);
    font.setPointSize(20);
    edit.setFont(font);
    EXPECT_EQ(edit.height(), QFontMetrics(font).height() + 6);
    edit.SetCtl3D(true);
    EXPECT_EQ(edit.height(), QFontMetrics(font).height() + 8);

    // Without AutoSize, or without a border, the font leaves the height alone.
    edit.SetAutoSize(false);
    const int height = edit.height();
    font.setPointSize(9);
    edit.setFont(font);
    EXPECT_EQ(edit.height(), height);
    edit.SetAutoSize(true);
    EXPECT_EQ(edit.height(), QFontMetrics(font).height() + 8);
    const int withBorder = edit.height();
    edit.SetBorderStyle(TBorderStyle::bsNone);
    font.setPointSize(24);
    edit.setFont(font);
    EXPECT_EQ(edit.height(), withBorder);
}

TEST(CustomKEdit, SelectionOperationsReadAndSetTheSelection) {
    TCustomKEdit edit(nullptr);
    int changes = 0;
    edit.OnChange = [&changes](QObject*) { ++changes; };
    edit.SetText("0123456789abcdef");
    EXPECT_EQ(changes, 1);
    edit.SetSelStart(2);
    EXPECT_EQ(edit.GetSelStart(), 2);
    EXPECT_EQ(edit.GetSelLength(), 0);
    EXPECT_EQ(edit.GetSelText(), "");
    edit.SetSelLength(10);
    EXPECT_EQ(edit.GetSelStart(), 2);
    EXPECT_EQ(edit.GetSelLength(), 10);
    EXPECT_EQ(edit.GetSelText(), "23456789ab");

    QChar buffer[16];
    std::fill(std::begin(buffer), std::end(buffer), QChar(u'x'));
    EXPECT_EQ(edit.GetSelTextBuf(buffer, 5), 4);
    EXPECT_EQ(QString(buffer, 4), "2345");
    EXPECT_EQ(buffer[4], QChar(0));
    EXPECT_EQ(buffer[5], QChar(u'x'));
    EXPECT_EQ(edit.GetSelTextBuf(buffer, 16), 10);
    EXPECT_EQ(QString(buffer), "23456789ab");
    buffer[0] = u'x';
    EXPECT_EQ(edit.GetSelTextBuf(buffer, 0), 0);
    EXPECT_EQ(edit.GetSelTextBuf(buffer, -3), 0);
    EXPECT_EQ(buffer[0], QChar(u'x'));

    edit.SetSelLength(100);
    EXPECT_EQ(edit.GetSelLength(), 14);
    edit.SetSelStart(100);
    EXPECT_EQ(edit.GetSelStart(), 16);
    edit.SelectAll();
    EXPECT_EQ(edit.GetSelText(), edit.Text());
    edit.Clear();
    EXPECT_EQ(edit.Text(), "");
    EXPECT_EQ(changes, 2);
}

// A shown form with an edit that the user has typed "abc" into, so that it is modified.
class LiveEdit : public ::testing::Test {
protected:
    void SetUp() override {
        SetBounds(first, 10, 10, 120, 21);
        SetBounds(edit, 10, 40, 120, 21);
        edit->OnChange = [this](QObject*) { ++changes; };
        edit->OnEnter = [this](QObject*) { ++enters; };
        edit->OnExit = [this](QObject*) { ++exits; };
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        edit->setFocus();
        Type("abc");
        ASSERT_EQ(edit->Text(), "abc");
        ASSERT_TRUE(edit->GetModified());
        changes = enters = exits = 0;
    }

    TForm form;
    QLineEdit* first = new QLineEdit(&form);
    TCustomKEdit* edit = new TCustomKEdit(nullptr, &form);
    int changes = 0;
    int enters = 0;
    int exits = 0;
};

TEST_F(LiveEdit, SettingsTakeEffectOnTheShownControlAndKeepTextAndModified) {
    struct Case {
        const char* name;
        std::function<void(TCustomKEdit&)> set;
        std::function<bool(const TCustomKEdit&)> effect;
        const char* text;
    } const cases[] = {
        {"right", [](TCustomKEdit& e) { e.SetAlignment(taRightJustify); },
         [](const TCustomKEdit& e) { return (e.alignment() & Qt::AlignRight) != 0; }, "abc"},
        {"centre", [](TCustomKEdit& e) { e.SetAlignment(taCenter); },
         [](const TCustomKEdit& e) { return (e.alignment() & Qt::AlignHCenter) != 0; }, "abc"},
        {"password", [](TCustomKEdit& e) { e.SetPasswordChar(u'#'); },
         [](const TCustomKEdit& e) { return e.displayText() == "###"; }, "abc"},
        {"password off", [](TCustomKEdit& e) { e.SetPasswordChar(QChar()); },
         [](const TCustomKEdit& e) { return e.displayText() == "abc"; }, "abc"},
        {"no border", [](TCustomKEdit& e) { e.SetBorderStyle(TBorderStyle::bsNone); },
         [](const TCustomKEdit& e) { return !e.hasFrame(); }, "abc"},
        {"read-only", [](TCustomKEdit& e) { e.SetReadOnly(true); },
         [](const TCustomKEdit& e) { return e.isReadOnly(); }, "abc"},
        {"maximum length", [](TCustomKEdit& e) { e.SetMaxLength(5); },
         [](const TCustomKEdit& e) { return e.MaxLength() == 5; }, "abc"},
        {"below the text's length", [](TCustomKEdit& e) { e.SetMaxLength(2); },
         [](const TCustomKEdit& e) { return e.MaxLength() == 2; }, "abc"},
        {"window's own maximum", [](TCustomKEdit& e) { e.SetMaxLength(0); },
         [](const TCustomKEdit& e) { return e.MaxLength() == 0; }, "abc"},
        {"upper case", [](TCustomKEdit& e) { e.SetCharCase(ecUpperCase); },
         [](const TCustomKEdit& e) { return e.CharCase() == ecUpperCase; }, "ABC"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit->SetSelStart(1);
        c.set(*edit);
        EXPECT_TRUE(c.effect(*edit));
        EXPECT_EQ(edit->Text(), c.text);
        EXPECT_TRUE(edit->GetModified());
        EXPECT_EQ(edit->GetSelStart(), 1);
        EXPECT_EQ(changes, 0);
    }
}

TEST_F(LiveEdit, LetterCaseHoldsForTypedAndSetText) {
    edit->SetCharCase(ecUpperCase);
    Type("d");
    EXPECT_EQ(edit->Text(), "ABCD");
    EXPECT_EQ(changes, 1);
    edit->SetCharCase(ecLowerCase);
    EXPECT_EQ(edit->Text(), "abcd");
    edit->SetText("XyZ");
    EXPECT_EQ(edit->Text(), "xyz");
    EXPECT_FALSE(edit->GetModified()); // text set by code
    edit->SetCharCase(ecNormal);
    edit->SetText("XyZ");
    EXPECT_EQ(edit->Text(), "XyZ");
}

TEST_F(LiveEdit, PasswordCharMasksWithTheChosenCharacter) {
    edit->SetPasswordChar(u'*');
    EXPECT_EQ(edit->displayText(), "***");
    edit->SetPasswordChar(u'#');
    EXPECT_EQ(edit->displayText(), "###");
    EXPECT_EQ(edit->Text(), "abc");
}

TEST_F(LiveEdit, ChangeIsCalledOnceForEveryChangeOfTheText) {
    Type("d");
    EXPECT_EQ(changes, 1);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(changes, 2);
    edit->SetText("abc"); // the same text
    EXPECT_EQ(changes, 2);
    edit->SetText("xyz");
    EXPECT_EQ(changes, 3);
    edit->SetMaxLength(2); // keeps the text
    EXPECT_EQ(edit->Text(), "xyz");
    Type("q");
    EXPECT_EQ(edit->Text(), "xyz");
    EXPECT_EQ(changes, 3);
}

TEST_F(LiveEdit, MaxLengthStopsTypingAndPastingButNeverCutsSetText) {
    edit->SetMaxLength(4);
    edit->SetSelStart(3);
    Type("de");
    EXPECT_EQ(edit->Text(), "abcd");
    edit->SetText("123456"); // the program's text, longer than the limit
    EXPECT_EQ(edit->Text(), "123456");
    edit->SetSelStart(6);
    Type("7");
    EXPECT_EQ(edit->Text(), "123456");
    edit->SetSelStart(1);
    Press(Qt::Key_Delete);
    Press(Qt::Key_Delete);
    Press(Qt::Key_Delete);
    EXPECT_EQ(edit->Text(), "156");
    // A paste is cut to what fits, at the caret.
    QGuiApplication::clipboard()->setText(QStringLiteral("xyz"));
    Press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "1x56");
    EXPECT_EQ(edit->GetSelStart(), 2);
    // An undo brings back what was there, limit or not.
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "156");
    Press(Qt::Key_Z, Qt::ControlModifier);
    Press(Qt::Key_Z, Qt::ControlModifier);
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "123456");
}

TEST_F(LiveEdit, EnteringByTabSelectsTheWholeTextButByALeftClickNot) {
    first->setFocus();
    EXPECT_EQ(exits, 1);
    Press(Qt::Key_Tab);
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->GetSelText(), "abc");
    EXPECT_EQ(enters, 1);

    first->setFocus();
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(2, edit->height() / 2));
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->GetSelLength(), 0);
    EXPECT_EQ(enters, 2);

    edit->SetAutoSelect(false);
    first->setFocus();
    Press(Qt::Key_Tab);
    ASSERT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->GetSelLength(), 0);
    EXPECT_EQ(exits, 3);
}

TEST_F(LiveEdit, HideSelectionOffKeepsTheSelectionWhenTheFocusLeaves) {
    edit->SelectAll();
    first->setFocus();
    EXPECT_EQ(edit->GetSelLength(), 0);
    edit->SetHideSelection(false);
    edit->setFocus();
    edit->SelectAll();
    first->setFocus();
    EXPECT_EQ(edit->GetSelText(), "abc");
}

TEST_F(LiveEdit, AModalBoxOverTheWindowIsNoExitAndNoEntry) {
    ModalAnswerer answerer;
    Application->MessageBox("?", "Uwaga", MB_OK);
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    form.activateWindow(); // the offscreen platform leaves that to the window manager
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(enters, 0);
}

TEST_F(LiveEdit, ContextMenuIsThePopupMenuOrElseTheEditsOwn) {
    const auto rightClick = [this] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(edit, &event);
        QWidget* popup = QApplication::activePopupWidget();
        if (popup != nullptr)
            popup->close();
        return popup;
    };
    QWidget* own = rightClick();
    ASSERT_NE(own, nullptr);
    EXPECT_FALSE(qobject_cast<QMenu*>(own)->actions().isEmpty());
    QMenu menu;
    menu.addAction(QStringLiteral("Pozycja"));
    edit->SetPopupMenu(&menu);
    EXPECT_EQ(rightClick(), &menu);
}

// Logs the clipboard and undo commands that reach it and carries none out.
class CommandLog : public TCustomKEdit {
public:
    using TCustomKEdit::TCustomKEdit;
    std::vector<TEditCommand> seen;

protected:
    void EditCommand(TEditCommand Command) override { seen.push_back(Command); }
};

TEST(CustomKEdit, CutPasteAndUndoAskedForAnyWayPassThroughEditCommand) {
    using C = TEditCommand;
    TForm form;
    auto* edit = new CommandLog(nullptr, &form);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    edit->setFocus();
    Type("abc");
    QGuiApplication::clipboard()->setText(QStringLiteral("xyz"));
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        C command;
    } keys[] = {
        {Qt::Key_V, Qt::ControlModifier, C::Paste}, {Qt::Key_Insert, Qt::ShiftModifier, C::Paste},
        {Qt::Key_X, Qt::ControlModifier, C::Cut},   {Qt::Key_Delete, Qt::ShiftModifier, C::Cut},
        {Qt::Key_Z, Qt::ControlModifier, C::Undo},  {Qt::Key_Paste, Qt::NoModifier, C::Paste},
        {Qt::Key_Cut, Qt::NoModifier, C::Cut},      {Qt::Key_Undo, Qt::NoModifier, C::Undo},
        {Qt::Key_Redo, Qt::NoModifier, C::Redo},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key);
        edit->SelectAll();
        edit->seen.clear();
        if (k.modifiers == Qt::NoModifier)
            PressSilentKey(k.key);
        else
            Press(k.key, k.modifiers);
        EXPECT_EQ(edit->seen, std::vector<C>{k.command});
        EXPECT_EQ(edit->Text(), "abc");
    }

    // The edit's own menu.
    for (const auto& [name, command] :
         {std::pair{"edit-paste", C::Paste}, {"edit-cut", C::Cut}, {"edit-undo", C::Undo}}) {
        SCOPED_TRACE(name);
        edit->SelectAll();
        edit->seen.clear();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(edit, &event);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        auto* action = menu->findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(action, nullptr);
        action->trigger();
        menu->close();
        EXPECT_EQ(edit->seen, std::vector<C>{command});
        EXPECT_EQ(edit->Text(), "abc");
    }
}

TEST(CustomKEdit, AReadOnlyEditLosesNoTextToACutOrAnUndo) {
    TForm form;
    auto* edit = new TCustomKEdit(nullptr, &form);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    edit->setFocus();
    Type("abc");
    edit->SetReadOnly(true);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } keys[] = {
        {Qt::Key_Cut, Qt::NoModifier},    {Qt::Key_Undo, Qt::NoModifier},
        {Qt::Key_X, Qt::ControlModifier}, {Qt::Key_Delete, Qt::ShiftModifier},
        {Qt::Key_Z, Qt::ControlModifier},
    };
    for (const auto& k : keys) {
        SCOPED_TRACE(k.key);
        edit->SelectAll();
        if (k.modifiers == Qt::NoModifier)
            PressSilentKey(k.key);
        else
            Press(k.key, k.modifiers);
        EXPECT_EQ(edit->Text(), "abc");
    }
    // The cut still copies.
    QGuiApplication::clipboard()->setText(QStringLiteral("xyz"));
    edit->SelectAll();
    PressSilentKey(Qt::Key_Cut);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "abc");
}

TEST(CustomKEdit, AMiddleClickPastesTheSelectionThroughEditCommand) {
    if (!QGuiApplication::clipboard()->supportsSelection())
        GTEST_SKIP() << "the platform has no selection clipboard";
    TForm form;
    auto* log = new CommandLog(nullptr, &form);
    auto* plain = new TCustomKEdit(nullptr, &form);
    SetBounds(plain, 10, 40, 120, 21);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QGuiApplication::clipboard()->setText(QStringLiteral("7"), QClipboard::Selection);
    QTest::mouseClick(log, Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(log->seen, std::vector<TEditCommand>{TEditCommand::PasteSelection});
    EXPECT_EQ(log->Text(), "");
    QTest::mouseClick(plain, Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(plain->Text(), "7");
}

} // namespace

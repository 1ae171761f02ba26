#include "platform/gui/KeyModel.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/ModalAnswerer.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(VirtualKey, IsTheWindowsCodeOfTheKey) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Word virtualKey;
    } const cases[] = {
        {Qt::Key_5, Qt::NoModifier, '5'},
        {Qt::Key_5, Qt::KeypadModifier, VK_NUMPAD0 + 5},
        {Qt::Key_V, Qt::ControlModifier, 'V'},
        {Qt::Key_Comma, Qt::NoModifier, VK_OEM_COMMA},
        {Qt::Key_Comma, Qt::KeypadModifier, VK_DECIMAL},
        {Qt::Key_Period, Qt::NoModifier, VK_OEM_PERIOD},
        {Qt::Key_Period, Qt::KeypadModifier, VK_DECIMAL},
        {Qt::Key_Minus, Qt::NoModifier, VK_OEM_MINUS},
        {Qt::Key_Minus, Qt::KeypadModifier, VK_SUBTRACT},
        {Qt::Key_Return, Qt::NoModifier, VK_RETURN},
        {Qt::Key_Enter, Qt::KeypadModifier, VK_RETURN},
        {Qt::Key_Insert, Qt::ShiftModifier, VK_INSERT},
        {Qt::Key_Delete, Qt::NoModifier, VK_DELETE},
        {Qt::Key_Home, Qt::KeypadModifier, VK_HOME},
        {Qt::Key_Shift, Qt::ShiftModifier, VK_SHIFT},
        {Qt::Key_Exclam, Qt::ShiftModifier, '1'},
        {Qt::Key_F5, Qt::NoModifier, VK_F1 + 4},
        {Qt::Key_VolumeUp, Qt::NoModifier, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VirtualKey(c.key, c.modifiers), c.virtualKey) << c.key;
    EXPECT_EQ(QtKey(VK_DELETE), Qt::Key_Delete);
    EXPECT_EQ(QtKey('7'), Qt::Key_7);
    EXPECT_EQ(QtKey(VK_NUMPAD0 + 3), Qt::Key_3);
    EXPECT_EQ(QtKey(VK_ADD), Qt::Key_Plus);
    EXPECT_EQ(QtKey(VK_RIGHT), Qt::Key_Right);
}

TEST(VkKeyScan, IsTheMainKeyboardsKeyOfACharacter) {
    EXPECT_EQ(VkKeyScan(u','), VK_OEM_COMMA);
    EXPECT_EQ(VkKeyScan(u'.'), VK_OEM_PERIOD);
    EXPECT_EQ(VkKeyScan(u'7'), '7');
    EXPECT_EQ(VkKeyScan(u'x'), 'X');
    EXPECT_EQ(VkKeyScan(u'!'), '1');
    EXPECT_EQ(VkKeyScan(u'ą'), 0);
    EXPECT_EQ(VkKeyScan(u' '), VK_SPACE);
}

TEST(KeyChars, AreTheCharactersWindowsTranslatesTheKeyTo) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text; // what Qt reports
        const char* chars;
    } const cases[] = {
        {Qt::Key_5, Qt::NoModifier, "5", "5"},
        {Qt::Key_A, Qt::ShiftModifier, "A", "A"},
        {Qt::Key_Return, Qt::NoModifier, "\r", "\r"},
        {Qt::Key_Enter, Qt::KeypadModifier, "\r", "\r"},
        {Qt::Key_Return, Qt::ControlModifier, "\r", "\n"},
        {Qt::Key_Backspace, Qt::NoModifier, "\b", "\b"},
        {Qt::Key_Escape, Qt::NoModifier, "\x1b", "\x1b"},
        {Qt::Key_V, Qt::ControlModifier, "v", "\x16"},
        {Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier, "X", "\x18"},
        {Qt::Key_5, Qt::ControlModifier, "5", ""},
        {Qt::Key_5, Qt::AltModifier, "5", ""},
        {Qt::Key_Q, Qt::ControlModifier | Qt::AltModifier, "@", "@"},
        {Qt::Key_Delete, Qt::NoModifier, "\x7f", ""},
        {Qt::Key_Left, Qt::NoModifier, "", ""},
        {Qt::Key_Insert, Qt::ShiftModifier, "", ""},
    };
    for (const Case& c : cases) {
        const QKeyEvent event(QEvent::KeyPress, c.key, c.modifiers, QString::fromLatin1(c.text));
        EXPECT_EQ(KeyChars(event), QString::fromLatin1(c.chars)) << c.key;
    }
}

// One key press through the two steps, with handlers that act as the case says; records what
// reached the edit.
struct Split {
    std::vector<QString> steps;
    std::vector<std::pair<int, QString>> edited; // key and text of each event the edit got
    bool accepted = false;

    void Run(QKeyEvent event, const std::function<void(Word&)>& onDown,
             const std::function<void(QChar&)>& onPress) {
        QObject receiver;
        event.ignore();
        SplitKeyPress(
            &receiver, &event,
            [&](Word& Key, TShiftState) {
                steps.push_back(QStringLiteral("down %1").arg(Key));
                onDown(Key);
            },
            [&](QChar& Key) {
                steps.push_back(QStringLiteral("press %1").arg(Key));
                onPress(Key);
            },
            [&](QKeyEvent* e) {
                edited.emplace_back(e->key(), e->text());
                e->ignore();
            });
        accepted = event.isAccepted();
    }
};

const auto Keep = [](auto&) {};

TEST(SplitKeyPress, HandsTheEditWhatTheStepsLeave) {
    {
        SCOPED_TRACE("nothing changed: the event itself");
        Split s;
        s.Run(QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"), Keep, Keep);
        EXPECT_EQ(s.steps, (std::vector<QString>{"down 65", "press a"}));
        ASSERT_EQ(s.edited.size(), 1u);
        EXPECT_EQ(s.edited[0], std::make_pair(int(Qt::Key_A), QString("a")));
        EXPECT_FALSE(s.accepted); // as the edit left it
    }
    {
        SCOPED_TRACE("character cleared: nothing, the key is taken");
        Split s;
        s.Run(QKeyEvent(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, "v"), Keep,
              [](QChar& k) { k = QChar(0); });
        EXPECT_EQ(s.steps, (std::vector<QString>{"down 86", QString("press ") + QChar(22)}));
        EXPECT_TRUE(s.edited.empty());
        EXPECT_TRUE(s.accepted);
    }
    {
        SCOPED_TRACE("character changed: the new character");
        Split s;
        s.Run(QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"), Keep,
              [](QChar& k) { k = u'b'; });
        ASSERT_EQ(s.edited.size(), 1u);
        EXPECT_EQ(s.edited[0], std::make_pair(int(Qt::Key_unknown), QString("b")));
    }
    {
        SCOPED_TRACE("key cleared, character kept: the character still goes in");
        Split s;
        s.Run(
            QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"), [](Word& k) { k = 0; },
            Keep);
        ASSERT_EQ(s.edited.size(), 1u);
        EXPECT_EQ(s.edited[0].second, "a");
    }
    {
        SCOPED_TRACE("key that types nothing, cleared");
        Split s;
        s.Run(
            QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier), [](Word& k) { k = 0; },
            Keep);
        EXPECT_EQ(s.steps, (std::vector<QString>{"down 37"}));
        EXPECT_TRUE(s.edited.empty());
        EXPECT_TRUE(s.accepted);
    }
    {
        SCOPED_TRACE("key that types nothing, changed");
        Split s;
        s.Run(
            QKeyEvent(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier),
            [](Word& k) { k = VK_RIGHT; }, Keep);
        ASSERT_EQ(s.edited.size(), 1u);
        EXPECT_EQ(s.edited[0].first, Qt::Key_Right);
    }
    {
        SCOPED_TRACE("one character step per character");
        Split s;
        s.Run(QKeyEvent(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, "ab"), Keep,
              [](QChar& k) {
                  if (k == u'a')
                      k = QChar(0);
              });
        EXPECT_EQ(s.steps, (std::vector<QString>{"down 0", "press a", "press b"}));
        ASSERT_EQ(s.edited.size(), 1u);
        EXPECT_EQ(s.edited[0].second, "b");
    }
}

TEST(SplitKeyPress, AFailingStepIsShownAndConsumesItsPart) {
    {
        ModalAnswerer answerer;
        Split s;
        s.Run(
            QKeyEvent(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier),
            [](Word&) { throw EConvertError("zły klawisz"); }, Keep);
        EXPECT_EQ(answerer.Texts(), QStringList{"zły klawisz."});
        EXPECT_TRUE(s.edited.empty());
    }
    {
        ModalAnswerer answerer;
        Split s;
        s.Run(QKeyEvent(QEvent::KeyPress, Qt::Key_1, Qt::NoModifier, "12"), Keep, [](QChar& k) {
            if (k == u'1')
                throw EConvertError("zły znak");
        });
        EXPECT_EQ(answerer.Texts(), QStringList{"zły znak."});
        EXPECT_EQ(s.steps.size(), 3u); // the second character still has its step
        ASSERT_EQ(s.edited.size(), 1u);
        EXPECT_EQ(s.edited[0].second, "2");
    }
}

// Reads the modifier state while it handles a key.
class KeyWatcher : public QWidget {
public:
    TShiftState seen;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return)
            seen = KeyboardState();
    }
};

TEST(KeyboardState, IsTheStateOfTheKeyEventBeingHandled) {
    KeyWatcher watcher;
    QTest::keyClick(&watcher, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(watcher.seen.Contains(ssShift));
    EXPECT_FALSE(watcher.seen.Contains(ssCtrl));
    QTest::keyClick(&watcher, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_FALSE(watcher.seen.Contains(ssShift));
    EXPECT_TRUE(watcher.seen.Contains(ssCtrl));
    EXPECT_EQ(ShiftState(Qt::AltModifier, Qt::LeftButton | Qt::MiddleButton),
              (TShiftState{ssAlt, ssLeft, ssMiddle}));
}

TEST(Beep, IsHeardByTheListener) {
    int beeps = 0;
    OnBeep = [&beeps] { ++beeps; };
    Beep();
    Beep();
    OnBeep = nullptr;
    EXPECT_EQ(beeps, 2);
}

} // namespace

#pragma once

#include <QChar>
#include <QString>
#include <Qt>

#include <cstdint>
#include <functional>

class QKeyEvent;
class QObject;

// The class library's view of the keyboard. Windows hands a control each key press in two
// steps: the key-down step with the key's virtual-key code and the modifier keys held, and, for
// a key that types something, the character step with the character. A handler of either step
// may change the key or the character, or clear it (0), and what it clears never reaches the
// control's own editing.

using Word = std::uint16_t;

// Virtual-key codes of the key-down step. Digit and letter keys are the codes of '0' to '9' and
// 'A' to 'Z'; the punctuation keys are those of a US keyboard.
enum : Word {
    VK_BACK = 8,
    VK_TAB = 9,
    VK_RETURN = 13,
    VK_SHIFT = 16,
    VK_CONTROL = 17,
    VK_MENU = 18,
    VK_PAUSE = 19,
    VK_CAPITAL = 20,
    VK_ESCAPE = 27,
    VK_SPACE = 32,
    VK_PRIOR = 33,
    VK_NEXT = 34,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_SNAPSHOT = 44,
    VK_INSERT = 45,
    VK_DELETE = 46,
    VK_LWIN = 91,
    VK_APPS = 93,
    VK_NUMPAD0 = 96,
    VK_MULTIPLY = 106,
    VK_ADD = 107,
    VK_SUBTRACT = 109,
    VK_DECIMAL = 110,
    VK_DIVIDE = 111,
    VK_F1 = 112,
    VK_NUMLOCK = 144,
    VK_SCROLL = 145,
    VK_OEM_1 = 186, // ; :
    VK_OEM_PLUS = 187,
    VK_OEM_COMMA = 188,
    VK_OEM_MINUS = 189,
    VK_OEM_PERIOD = 190,
    VK_OEM_2 = 191, // / ?
    VK_OEM_3 = 192, // ` ~
    VK_OEM_4 = 219, // [ {
    VK_OEM_5 = 220, // \ |
    VK_OEM_6 = 221, // ] }
    VK_OEM_7 = 222, // ' "
};

// The modifier keys and mouse buttons held.
enum TShiftStateItem : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64, // the second press of a double click
};

class TShiftState {
public:
    TShiftState() = default;
    TShiftState(std::initializer_list<TShiftStateItem> items) {
        for (TShiftStateItem item : items)
            bits_ |= item;
    }
    bool Contains(TShiftStateItem item) const { return (bits_ & item) != 0; }
    void Include(TShiftStateItem item) { bits_ |= item; }
    bool operator==(const TShiftState&) const = default;

private:
    unsigned bits_ = 0;
};

TShiftState ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons = Qt::NoButton);

// The modifier keys as they were held when the key or mouse event being handled happened
// (GetKeyState's view, not the keyboard's state at this moment).
TShiftState KeyboardState();

// The virtual key of a Qt key (0 for a key without one), and the Qt key of a virtual key.
Word VirtualKey(Qt::Key key, Qt::KeyboardModifiers modifiers);
Qt::Key QtKey(Word virtualKey);

// The virtual key of the main keyboard's key that types the character (as on a US keyboard);
// 0 for a character no key types.
Word VkKeyScan(QChar c);

// The characters a key press types in the character step, as Windows translates keys: Enter
// types #13 (#10 with Ctrl), Backspace #8, Esc #27, Tab #9, Ctrl with a letter the letter's
// control character (Ctrl+V is #22); keys held with Alt alone, and keys that type nothing
// (arrows, Delete, Insert, function keys), type none.
QString KeyChars(const QKeyEvent& event);

// Runs one Qt key press through the two steps: keyDown(Key, Shift), then keyPress(Key) once for
// each character the key types. Each step runs under the application's guard; a step that
// fails consumes its part. Then `edit` gets what the handlers left: the event itself when they
// changed nothing, an event with the changed key or characters otherwise, nothing when they
// cleared it all (a key that types characters is then the characters'), and the event counts as
// accepted. Stops when a step destroys `receiver`.
void SplitKeyPress(QObject* receiver, QKeyEvent* event,
                   const std::function<void(Word& Key, TShiftState Shift)>& keyDown,
                   const std::function<void(QChar& Key)>& keyPress,
                   const std::function<void(QKeyEvent* event)>& edit);

// The system's default beep.
void Beep();
// Hears every Beep; tests count the beeps here.
extern std::function<void()> OnBeep;

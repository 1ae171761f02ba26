#include "platform/gui/KeyModel.h"

#include "platform/gui/Application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>

#include <utility>

std::function<void()> OnBeep;

namespace {

struct TKeyName {
    Qt::Key key;
    Word virtualKey;
    bool keypad; // only with Qt's keypad modifier
};

// Keys whose virtual key is not their own code; the first entry of a virtual key is its Qt key.
constexpr TKeyName KeyNames[] = {
    {Qt::Key_Backspace, VK_BACK, false},
    {Qt::Key_Tab, VK_TAB, false},
    {Qt::Key_Backtab, VK_TAB, false},
    {Qt::Key_Return, VK_RETURN, false},
    {Qt::Key_Enter, VK_RETURN, false},
    {Qt::Key_Shift, VK_SHIFT, false},
    {Qt::Key_Control, VK_CONTROL, false},
    {Qt::Key_Alt, VK_MENU, false},
    {Qt::Key_Pause, VK_PAUSE, false},
    {Qt::Key_CapsLock, VK_CAPITAL, false},
    {Qt::Key_Escape, VK_ESCAPE, false},
    {Qt::Key_Space, VK_SPACE, false},
    {Qt::Key_PageUp, VK_PRIOR, false},
    {Qt::Key_PageDown, VK_NEXT, false},
    {Qt::Key_End, VK_END, false},
    {Qt::Key_Home, VK_HOME, false},
    {Qt::Key_Left, VK_LEFT, false},
    {Qt::Key_Up, VK_UP, false},
    {Qt::Key_Right, VK_RIGHT, false},
    {Qt::Key_Down, VK_DOWN, false},
    {Qt::Key_Print, VK_SNAPSHOT, false},
    {Qt::Key_Insert, VK_INSERT, false},
    {Qt::Key_Delete, VK_DELETE, false},
    {Qt::Key_Meta, VK_LWIN, false},
    {Qt::Key_Menu, VK_APPS, false},
    {Qt::Key_Asterisk, VK_MULTIPLY, true},
    {Qt::Key_Plus, VK_ADD, true},
    {Qt::Key_Minus, VK_SUBTRACT, true},
    {Qt::Key_Period, VK_DECIMAL, true},
    {Qt::Key_Comma, VK_DECIMAL, true},
    {Qt::Key_Slash, VK_DIVIDE, true},
    {Qt::Key_NumLock, VK_NUMLOCK, false},
    {Qt::Key_ScrollLock, VK_SCROLL, false},
    {Qt::Key_Semicolon, VK_OEM_1, false},
    {Qt::Key_Colon, VK_OEM_1, false},
    {Qt::Key_Equal, VK_OEM_PLUS, false},
    {Qt::Key_Plus, VK_OEM_PLUS, false},
    {Qt::Key_Comma, VK_OEM_COMMA, false},
    {Qt::Key_Less, VK_OEM_COMMA, false},
    {Qt::Key_Minus, VK_OEM_MINUS, false},
    {Qt::Key_Underscore, VK_OEM_MINUS, false},
    {Qt::Key_Period, VK_OEM_PERIOD, false},
    {Qt::Key_Greater, VK_OEM_PERIOD, false},
    {Qt::Key_Slash, VK_OEM_2, false},
    {Qt::Key_Question, VK_OEM_2, false},
    {Qt::Key_QuoteLeft, VK_OEM_3, false},
    {Qt::Key_AsciiTilde, VK_OEM_3, false},
    {Qt::Key_BracketLeft, VK_OEM_4, false},
    {Qt::Key_BraceLeft, VK_OEM_4, false},
    {Qt::Key_Backslash, VK_OEM_5, false},
    {Qt::Key_Bar, VK_OEM_5, false},
    {Qt::Key_BracketRight, VK_OEM_6, false},
    {Qt::Key_BraceRight, VK_OEM_6, false},
    {Qt::Key_Apostrophe, VK_OEM_7, false},
    {Qt::Key_QuoteDbl, VK_OEM_7, false},
    // The shifted digits of a US keyboard are their digit keys.
    {Qt::Key_ParenRight, '0', false},
    {Qt::Key_Exclam, '1', false},
    {Qt::Key_At, '2', false},
    {Qt::Key_NumberSign, '3', false},
    {Qt::Key_Dollar, '4', false},
    {Qt::Key_Percent, '5', false},
    {Qt::Key_AsciiCircum, '6', false},
    {Qt::Key_Ampersand, '7', false},
    {Qt::Key_Asterisk, '8', false},
    {Qt::Key_ParenLeft, '9', false},
    {Qt::Key_F1, VK_F1, false},
    {Qt::Key_F2, VK_F1 + 1, false},
    {Qt::Key_F3, VK_F1 + 2, false},
    {Qt::Key_F4, VK_F1 + 3, false},
    {Qt::Key_F5, VK_F1 + 4, false},
    {Qt::Key_F6, VK_F1 + 5, false},
    {Qt::Key_F7, VK_F1 + 6, false},
    {Qt::Key_F8, VK_F1 + 7, false},
    {Qt::Key_F9, VK_F1 + 8, false},
    {Qt::Key_F10, VK_F1 + 9, false},
    {Qt::Key_F11, VK_F1 + 10, false},
    {Qt::Key_F12, VK_F1 + 11, false},
    {Qt::Key_F13, VK_F1 + 12, false},
    {Qt::Key_F14, VK_F1 + 13, false},
    {Qt::Key_F15, VK_F1 + 14, false},
    {Qt::Key_F16, VK_F1 + 15, false},
};

bool IsControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

} // namespace

TShiftState ShiftState(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    TShiftState state;
    const std::pair<bool, TShiftStateItem> held[] = {
        {modifiers.testFlag(Qt::ShiftModifier), ssShift},
        {modifiers.testFlag(Qt::AltModifier), ssAlt},
        {modifiers.testFlag(Qt::ControlModifier), ssCtrl},
        {buttons.testFlag(Qt::LeftButton), ssLeft},
        {buttons.testFlag(Qt::RightButton), ssRight},
        {buttons.testFlag(Qt::MiddleButton), ssMiddle},
    };
    for (const auto& [down, item] : held)
        if (down)
            state.Include(item);
    return state;
}

TShiftState KeyboardState() {
    // Qt keeps the modifiers of the last input event delivered, which is GetKeyState's view.
    return ShiftState(QGuiApplication::keyboardModifiers());
}

Word VirtualKey(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    const bool keypad = modifiers.testFlag(Qt::KeypadModifier);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return Word(keypad ? VK_NUMPAD0 + (key - Qt::Key_0) : '0' + (key - Qt::Key_0));
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return Word('A' + (key - Qt::Key_A));
    for (const TKeyName& name : KeyNames)
        if (name.key == key && (!name.keypad || keypad))
            return name.virtualKey;
    return 0;
}

Qt::Key QtKey(Word virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '9')
        return Qt::Key(Qt::Key_0 + (virtualKey - '0'));
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD0 + 9)
        return Qt::Key(Qt::Key_0 + (virtualKey - VK_NUMPAD0));
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return Qt::Key(Qt::Key_A + (virtualKey - 'A'));
    for (const TKeyName& name : KeyNames)
        if (name.virtualKey == virtualKey)
            return name.key;
    return Qt::Key_unknown;
}

Word VkKeyScan(QChar c) {
    const char16_t code = c.toUpper().unicode();
    return code >= u' ' && code < 0x7F ? VirtualKey(Qt::Key(code), Qt::NoModifier) : 0;
}

QString KeyChars(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    // Alt alone makes system keys, which go to the menu; Ctrl with Alt is AltGr and types.
    if (alt && !ctrl)
        return {};
    const int key = event.key();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ctrl ? QStringLiteral("\n") : QStringLiteral("\r");
    case Qt::Key_Backspace:
        return ctrl ? QStringLiteral("\x7f") : QStringLiteral("\b");
    case Qt::Key_Escape:
        return QStringLiteral("\x1b");
    case Qt::Key_Tab:
        return QStringLiteral("\t");
    default:
        break;
    }
    if (ctrl && !alt)
        return key >= Qt::Key_A && key <= Qt::Key_Z ? QString(QChar(char16_t(key - Qt::Key_A + 1)))
                                                    : QString();
    QString chars = event.text();
    chars.removeIf(IsControl);
    return chars;
}

void SplitKeyPress(QObject* receiver, QKeyEvent* event,
                   const std::function<void(Word& Key, TShiftState Shift)>& keyDown,
                   const std::function<void(QChar& Key)>& keyPress,
                   const std::function<void(QKeyEvent* event)>& edit) {
    const QPointer<QObject> alive = receiver;
    const auto key = Qt::Key(event->key());
    const Word original = VirtualKey(key, event->modifiers());
    Word down = original;
    bool downFailed = false;
    Application->Guard([&] {
        downFailed = true;
        keyDown(down, ShiftState(event->modifiers()));
        downFailed = false;
    });
    if (alive.isNull())
        return;

    const QString typed = KeyChars(*event);
    QString left;
    for (QChar c : typed) {
        QChar ch = c;
        bool failed = true;
        Application->Guard([&] {
            keyPress(ch);
            failed = false;
        });
        if (alive.isNull())
            return;
        if (!failed && ch != QChar(0))
            left += ch;
    }

    event->accept();
    if (!typed.isEmpty()) {
        if (left == typed) {
            edit(event);
        } else if (!left.isEmpty()) {
            QKeyEvent changed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, left);
            edit(&changed);
            event->setAccepted(changed.isAccepted());
        }
        return;
    }
    if (downFailed || (down == 0 && original != 0))
        return;
    if (down == original) {
        edit(event);
    } else {
        QKeyEvent changed(QEvent::KeyPress, QtKey(down), event->modifiers(), QString(),
                          event->isAutoRepeat());
        edit(&changed);
        event->setAccepted(changed.isAccepted());
    }
}

void Beep() {
    QApplication::beep();
    if (OnBeep)
        OnBeep();
}

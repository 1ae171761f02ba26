#include "platform/gui/RadioGroup.h"

#include "platform/gui/Application.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>
#include <QRadioButton>
#include <QShortcutEvent>
#include <QStyleOptionGroupBox>

#include <algorithm>
#include <utility>

namespace {

// The focus changes with the active window or a pop-up menu, not from one control to another.
bool WindowChange(Qt::FocusReason reason) {
    return reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
}

} // namespace

// One button of a radio group. It leaves its checked state to the group: Qt's own toggle would
// select without asking the group, and an exclusive button could not be cleared.
class TGroupButton : public QRadioButton {
public:
    TGroupButton(TCustomRadioGroup* group, const QString& caption)
        : QRadioButton(caption, group), group_(group) {
        setAutoExclusive(false);
    }

    // Out of the group's buttons: it calls the group no more.
    void Retire() { group_ = nullptr; }
    bool Retired() const { return group_ == nullptr; }
    // A retired button goes. One that is handling an event (a handler of that event has built
    // the buttons anew) hides and goes when the event is over: Qt still uses it after the
    // handler returns.
    void Dispose() {
        if (handling_ == 0) {
            delete this;
            return;
        }
        hide();
        deleteLater();
    }

    // A click anywhere on the button counts, as on the system's buttons.
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }

    int Index() const {
        const auto& buttons = group_->FButtons;
        return int(std::find(buttons.begin(), buttons.end(), this) - buttons.begin());
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::DeferredDelete)
            return QRadioButton::event(event);
        struct Handling {
            int& depth;
            explicit Handling(int& d) : depth(d) { ++depth; }
            ~Handling() { --depth; }
        } const handling(handling_);
        // The button's mnemonic focuses and clicks it at once, as on the system's buttons; Qt
        // would click 100 ms later, after keys typed meanwhile. An ambiguous one only moves the
        // focus, as Qt does.
        if (event->type() == QEvent::Shortcut &&
            !static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
            setFocus(Qt::ShortcutFocusReason);
            if (!Retired())
                click();
            return true;
        }
        return QRadioButton::event(event);
    }

    // Every click (mouse, Space, a click from code) ends here in place of the toggle.
    void nextCheckState() override {
        if (!Retired())
            group_->SelectByUser(Index());
    }

    // What is left of a key whose handler has retired the button goes nowhere.
    void keyPressEvent(QKeyEvent* event) override {
        if (auto* form = qobject_cast<TForm*>(window()); form != nullptr && form->DialogKey(event))
            return;
        if (Retired())
            return;
        SplitKeyPress(
            this, event,
            [this](Word& Key, TShiftState Shift) {
                if (!Retired())
                    group_->KeyDown(Key, Shift);
            },
            [this](QChar& Key) {
                if (Retired())
                    return;
                group_->KeyPress(Key);
                if ((Key == u'\b' || Key == u' ') && !Retired() && !group_->CanModify())
                    Key = QChar(0);
            },
            [this](QKeyEvent* remainder) {
                if (!Retired())
                    ButtonKey(remainder);
            });
    }

    void focusInEvent(QFocusEvent* event) override {
        QRadioButton::focusInEvent(event);
        if (!Retired())
            group_->ButtonFocusIn(event->reason());
    }

    void focusOutEvent(QFocusEvent* event) override {
        QRadioButton::focusOutEvent(event);
        if (!Retired())
            group_->ButtonFocusOut(event->reason());
    }

private:
    void ButtonKey(QKeyEvent* event) {
        // With Alt the arrows are system keys, which move nothing in a dialog.
        const bool alt = event->modifiers().testFlag(Qt::AltModifier);
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            if (alt)
                event->ignore();
            else
                group_->MoveByArrow(Index(), -1);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            if (alt)
                event->ignore();
            else
                group_->MoveByArrow(Index(), 1);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // GNOME's Qt theme presses a button with Enter; a radio button leaves Enter to the
            // form and its default button.
            event->ignore();
            return;
        default:
            QRadioButton::keyPressEvent(event);
        }
    }

    TCustomRadioGroup* group_;
    // Events of this button now running.
    int handling_ = 0;
};

TCustomRadioGroup::TCustomRadioGroup(TComponent* AOwner, QWidget* parent)
    : QGroupBox(parent), TComponent(AOwner) {
    setFocusPolicy(Qt::NoFocus);
}

TCustomRadioGroup::~TCustomRadioGroup() {
    // The buttons call into the group: they go while it is whole.
    for (TGroupButton* button : FButtons)
        delete button;
}

QRadioButton* TCustomRadioGroup::Buttons(int Index) const {
    return FButtons.at(std::size_t(Index));
}

void TCustomRadioGroup::SetItems(const QStringList& Value) {
    FItems = Value;
    BuildButtons();
}

void TCustomRadioGroup::SetColumns(int Value) {
    FColumns = std::max(1, Value);
    ArrangeButtons();
}

void TCustomRadioGroup::SetItemIndex(int Value) {
    FItemIndex = std::clamp(Value, -1, ButtonCount() - 1);
    ShowItemIndex();
}

void TCustomRadioGroup::BuildButtons() {
    // The window's focus, also while another window (a box a handler shows) is active.
    QWidget* focused = window()->focusWidget();
    const bool hadFocus = focused != nullptr && isAncestorOf(focused);
    // A button whose caption stays at its index stays, so that a click or key it is handling
    // goes on as though the items had not been set; the others go.
    std::vector<TGroupButton*> old = std::move(FButtons);
    FButtons.clear();
    for (qsizetype i = 0; i < FItems.size(); ++i) {
        const std::size_t at = std::size_t(i);
        if (at < old.size() && old[at]->text() == FItems[i]) {
            FButtons.push_back(std::exchange(old[at], nullptr));
            continue;
        }
        auto* button = new TGroupButton(this, FItems[i]);
        FButtons.push_back(button);
        button->show();
    }
    std::erase(old, nullptr);
    for (TGroupButton* button : old)
        button->Retire();
    // Child i is button i.
    for (TGroupButton* button : FButtons)
        button->raise();
    if (FItemIndex >= ButtonCount())
        FItemIndex = -1;
    ChainButtons();
    ShowItemIndex();
    ArrangeButtons();
    // When the focused button goes, the focus stays in the group if it has a button left, or
    // leaves it, through its exit. It is moved first: a focused button that hides passes the
    // focus on by itself.
    bool left = false;
    if (hadFocus && std::find(FButtons.begin(), FButtons.end(), focused) == FButtons.end()) {
        if (QWidget* proxy = focusProxy()) {
            proxy->setFocus(Qt::OtherFocusReason);
        } else {
            focused->clearFocus();
            left = FEntered;
        }
    }
    for (TGroupButton* button : old)
        button->Dispose();
    if (left)
        Leave();
}

void TCustomRadioGroup::ChainButtons() {
    // New children join the end of the window's tab chain; the buttons belong where the group
    // stands in it. Qt chains only widgets that take the focus, the group for a moment too.
    setFocusProxy(nullptr);
    setFocusPolicy(Qt::TabFocus);
    QWidget* previous = this;
    for (TGroupButton* button : FButtons) {
        setTabOrder(previous, button);
        previous = button;
    }
    setFocusPolicy(Qt::NoFocus);
}

void TCustomRadioGroup::ArrangeButtons() {
    const int count = ButtonCount();
    if (count == 0)
        return;
    const QRect area = contentsRect();
    const int perColumn = (count + FColumns - 1) / FColumns;
    const int columnWidth = area.width() / FColumns;
    const int rowHeight = area.height() / perColumn;
    for (int i = 0; i < count; ++i) {
        TGroupButton* button = FButtons[std::size_t(i)];
        const int height = std::min(button->sizeHint().height(), std::max(rowHeight, 1));
        const int left = area.left() + 4 + (i / perColumn) * columnWidth;
        const int top = area.top() + (i % perColumn) * rowHeight + (rowHeight - height) / 2;
        button->setGeometry(left, top, std::max(columnWidth - 8, 1), height);
    }
}

void TCustomRadioGroup::ShowItemIndex() {
    for (int i = 0; i < ButtonCount(); ++i)
        FButtons[std::size_t(i)]->setChecked(i == FItemIndex);
    // Tab reaches the group at its selected button, or at the first when none is selected.
    TGroupButton* stop =
        FButtons.empty() ? nullptr : FButtons[std::size_t(std::max(FItemIndex, 0))];
    for (TGroupButton* button : FButtons)
        button->setFocusPolicy(button == stop ? Qt::StrongFocus : Qt::ClickFocus);
    setFocusProxy(stop);
}

void TCustomRadioGroup::SelectByUser(int index) {
    Application->Guard([&] {
        // The check may have built the buttons anew.
        if (!CanModify() || index >= ButtonCount() || index == FItemIndex)
            return;
        SetItemIndex(index);
        Click();
    });
}

void TCustomRadioGroup::MoveByArrow(int index, int step) {
    const int count = ButtonCount();
    if (count < 2)
        return;
    const QPointer<TCustomRadioGroup> alive = this;
    const int next = (index + step + count) % count;
    FButtons[std::size_t(next)]->setFocus(Qt::OtherFocusReason);
    if (!alive.isNull() && next < ButtonCount())
        SelectByUser(next);
}

void TCustomRadioGroup::ButtonFocusIn(Qt::FocusReason reason) {
    if (FEntered || (WindowChange(reason) && FExiting))
        return;
    FEntered = true;
    if (FExiting)
        return; // takes the focus back during its own exit
    Application->Guard([this] { CMEnter(); });
}

void TCustomRadioGroup::ButtonFocusOut(Qt::FocusReason reason) {
    if (WindowChange(reason) || !FEntered)
        return;
    const QWidget* now = QApplication::focusWidget();
    if (now != nullptr && isAncestorOf(now))
        return;
    Leave();
}

void TCustomRadioGroup::Leave() {
    FEntered = false;
    const bool exiting = FExiting;
    FExiting = true;
    Application->Guard([this] { CMExit(); });
    FExiting = exiting;
}

bool TCustomRadioGroup::CanModify() {
    return true;
}

void TCustomRadioGroup::Click() {
    if (OnClick)
        OnClick(this);
}

void TCustomRadioGroup::KeyDown(Word& Key, TShiftState Shift) {
    if (OnKeyDown)
        OnKeyDown(this, Key, Shift);
}

void TCustomRadioGroup::KeyPress(QChar& Key) {
    if (OnKeyPress)
        OnKeyPress(this, Key);
}

void TCustomRadioGroup::CMEnter() {
    if (OnEnter)
        OnEnter(this);
}

void TCustomRadioGroup::CMExit() {
    if (OnExit)
        OnExit(this);
}

bool TCustomRadioGroup::event(QEvent* event) {
    // The caption's mnemonic, the one shortcut a group box grabs: Qt would go back to the button
    // focused last, selected or not.
    if (event->type() == QEvent::Shortcut && focusProxy() != nullptr) {
        focusProxy()->setFocus(Qt::ShortcutFocusReason);
        return true;
    }
    return QGroupBox::event(event);
}

void TCustomRadioGroup::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    ArrangeButtons();
}

void TCustomRadioGroup::initStyleOption(QStyleOptionGroupBox* option) const {
    QGroupBox::initStyleOption(option);
    // The focus is its button's; Qt counts the focus proxy's as the group's and would frame the
    // caption too.
    option->state &= ~QStyle::State_HasFocus;
}

void TCustomRadioGroup::changeEvent(QEvent* event) {
    QGroupBox::changeEvent(event);
    // The title's height and the buttons' sizes follow the font and the style.
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        ArrangeButtons();
}

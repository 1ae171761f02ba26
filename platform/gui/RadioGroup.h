#pragma once

#include "platform/gui/Classes.h"
#include "platform/gui/Controls.h"
#include "platform/gui/KeyModel.h"

#include <QGroupBox>
#include <QStringList>

#include <vector>

class QRadioButton;
class TGroupButton;

// The class library's radio group: a group box with one radio button per line of Items, laid out
// top to bottom in Columns columns of equal width; button i is the group's child control i.
//
// The group decides the selection itself: ItemIndex selects the button of that index, or none
// with -1 (Qt's exclusive buttons keep one checked). Every way a user selects a button (a click,
// Space, an arrow key, its mnemonic) first asks CanModify and does nothing more when it says no;
// otherwise the button becomes selected and Click runs. Selecting the button already selected asks
// CanModify and changes nothing. Setting ItemIndex from code runs no Click.
//
// The arrow keys (without Alt) move the focus to the next or previous button, wrapping round, and
// select it as a click would. Only the selected button (the first when none is) is a stop of the
// Tab key, and the mnemonic of the caption goes there too.
//
// Every key pressed on a button reaches the group in the class library's two steps (KeyDown,
// then KeyPress per character; see KeyModel.h), after the form's dialog keys unless the group
// claims them (TDialogCodeQuery, Controls.h); a Backspace or space that the group lets through
// while CanModify says no is dropped. The focus entering and leaving the group as a whole (not
// moving between its buttons, nor going with the window's activation) runs CMEnter and CMExit.
// Handlers run under the application's guard: a failure that leaves one goes to the error
// display.
class TCustomRadioGroup : public QGroupBox, public TComponent {
    Q_OBJECT

public:
    explicit TCustomRadioGroup(TComponent* AOwner, QWidget* parent = nullptr);
    ~TCustomRadioGroup() override;

    QString Caption() const { return title(); }
    void SetCaption(const QString& Value) { setTitle(Value); }

    // The captions of the buttons. Setting them keeps each button whose caption stays at its
    // index and builds the others anew; the selection stays when its index is still a button's,
    // else none is selected. A handler of any event of the group may set them: a key, click or
    // focus change of a button that stays goes on, the rest of one of a button that is gone does
    // nothing. When the focused button goes and none is left, the focus leaves the group through
    // CMExit.
    const QStringList& Items() const { return FItems; }
    virtual void SetItems(const QStringList& Value);

    // 1 or more.
    int Columns() const { return FColumns; }
    void SetColumns(int Value);

    // -1 when no button is selected. A value below -1 selects none, one past the last button
    // selects the last.
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int Value);

    int ButtonCount() const { return int(FButtons.size()); }
    QRadioButton* Buttons(int Index) const;

    TNotifyEvent OnClick;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyPressEvent OnKeyPress;

protected:
    // Asked before a user's selection takes effect; the base allows it.
    virtual bool CanModify();
    // A user has selected a button: OnClick.
    virtual void Click();
    // The two steps of a key pressed on a button: OnKeyDown and OnKeyPress.
    virtual void KeyDown(Word& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    // The focus came into the group from elsewhere: OnEnter.
    virtual void CMEnter();
    // The focus left the group: OnExit.
    virtual void CMExit();

    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void initStyleOption(QStyleOptionGroupBox* option) const override;
    void changeEvent(QEvent* event) override;

private:
    friend class TGroupButton;

    void BuildButtons();
    void ChainButtons();
    void ArrangeButtons();
    void ShowItemIndex();
    // A user's selection of button `index`, through the check.
    void SelectByUser(int index);
    void MoveByArrow(int index, int step);
    void ButtonFocusIn(Qt::FocusReason reason);
    void ButtonFocusOut(Qt::FocusReason reason);
    // The focus has left the group: CMExit.
    void Leave();

    QStringList FItems;
    int FColumns = 1;
    int FItemIndex = -1;
    std::vector<TGroupButton*> FButtons;
    // Between CMEnter and CMExit.
    bool FEntered = false;
    // While CMExit runs: the focus may be taken back.
    bool FExiting = false;
};

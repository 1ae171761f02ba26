#include "platform/gui/Forms.h"

#include "platform/gui/Application.h"
#include "platform/gui/Controls.h"
#include "tests/support/ModalAnswerer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Keys go where a user's keys go: to the focused widget of the active window.
void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(static_cast<QWidget*>(nullptr), key, modifiers);
}

// A shown form with an edit that has the focus, a default button, another button and a cancel
// button.
class FormKeys : public ::testing::Test {
protected:
    void SetUp() override {
        form.SetClientWidth(300);
        form.SetClientHeight(100);
        SetBounds(edit, 10, 10, 100, 21);
        SetBounds(ok, 10, 50, 75, 25);
        SetBounds(other, 100, 50, 75, 25);
        SetBounds(cancel, 190, 50, 75, 25);
        form.SetDefaultButton(ok);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
    }

    TForm form;
    QLineEdit* edit = new QLineEdit(&form);
    QPushButton* ok = new QPushButton(QStringLiteral("OK"), &form);
    QPushButton* other = new QPushButton(QStringLiteral("Inny"), &form);
    QPushButton* cancel = new QPushButton(QStringLiteral("Anuluj"), &form);
    QSignalSpy okClicks{ok, &QPushButton::clicked};
    QSignalSpy otherClicks{other, &QPushButton::clicked};
    QSignalSpy cancelClicks{cancel, &QPushButton::clicked};
};

TEST_F(FormKeys, EnterClicksTheDefaultButtonOnlyWhenItIsVisibleAndEnabled) {
    struct Case {
        const char* name;
        bool visible;
        bool enabled;
        Qt::KeyboardModifiers modifiers;
        Qt::Key key;
        int clicks;
    } const cases[] = {
        {"enter", true, true, Qt::NoModifier, Qt::Key_Return, 1},
        {"keypad enter", true, true, Qt::KeypadModifier, Qt::Key_Enter, 1},
        {"hidden", false, true, Qt::NoModifier, Qt::Key_Return, 0},
        {"disabled", true, false, Qt::NoModifier, Qt::Key_Return, 0},
        {"shift enter", true, true, Qt::ShiftModifier, Qt::Key_Return, 0},
    };
    for (const Case& c : cases) {
        ok->setVisible(c.visible);
        ok->setEnabled(c.enabled);
        edit->setFocus();
        okClicks.clear();
        Press(c.key, c.modifiers);
        EXPECT_EQ(okClicks.count(), c.clicks) << c.name;
        EXPECT_EQ(otherClicks.count() + cancelClicks.count(), 0) << c.name;
        EXPECT_TRUE(form.isVisible()) << c.name;
    }
}

TEST_F(FormKeys, EnterClicksTheFocusedButtonInsteadOfTheDefaultOne) {
    other->setFocus();
    Press(Qt::Key_Return);
    EXPECT_EQ(otherClicks.count(), 1);
    EXPECT_EQ(okClicks.count(), 0);

    // Back in the edit, the default button is the one again; with none, Enter clicks nothing.
    edit->setFocus();
    Press(Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 1);
    form.SetDefaultButton(nullptr);
    EXPECT_FALSE(ok->isDefault());
    other->setFocus();
    edit->setFocus();
    Press(Qt::Key_Return);
    EXPECT_EQ(okClicks.count() + otherClicks.count(), 2);
}

TEST_F(FormKeys, EnterWithShiftCtrlOrAltClicksNoFocusedButton) {
    struct Case {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        Qt::Key key;
        int clicks;
    } const cases[] = {
        {"enter", Qt::NoModifier, Qt::Key_Return, 1},
        {"keypad enter", Qt::KeypadModifier, Qt::Key_Enter, 1},
        {"shift enter", Qt::ShiftModifier, Qt::Key_Return, 0},
        {"ctrl enter", Qt::ControlModifier, Qt::Key_Return, 0},
        {"alt enter", Qt::AltModifier, Qt::Key_Return, 0},
        {"shift keypad enter", Qt::ShiftModifier | Qt::KeypadModifier, Qt::Key_Enter, 0},
    };
    // The default button, another one, and one added after the form was shown (Qt makes a
    // dialog's buttons take Enter themselves).
    auto* late = new QPushButton(QStringLiteral("Później"), &form);
    SetBounds(late, 10, 80, 75, 15);
    late->show();
    QSignalSpy lateClicks(late, &QPushButton::clicked);
    for (QPushButton* button : {ok, other, late}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(button->text().toStdString() + " " + c.name);
            button->setFocus();
            ASSERT_TRUE(button->hasFocus());
            okClicks.clear();
            otherClicks.clear();
            lateClicks.clear();
            Press(c.key, c.modifiers);
            EXPECT_EQ(okClicks.count(), button == ok ? c.clicks : 0);
            EXPECT_EQ(otherClicks.count(), button == other ? c.clicks : 0);
            EXPECT_EQ(lateClicks.count(), button == late ? c.clicks : 0);
            EXPECT_TRUE(button->hasFocus());
        }
    }
}

TEST_F(FormKeys, EscClicksTheCancelButtonAndWithoutOneLeavesTheWindowOpen) {
    QSignalSpy finished(&form, &QDialog::finished);
    Press(Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 0);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(form.isVisible());

    form.SetCancelButton(cancel);
    Press(Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 1);
    EXPECT_EQ(okClicks.count(), 0);
}

TEST(Form, ModalResultOfAButtonEndsExecWithIt) {
    TForm form;
    auto* cancel = new QPushButton(QStringLiteral("Zamknij"), &form);
    form.SetCancelButton(cancel);
    form.SetModalResult(cancel, mrCancel);
    ModalAnswerer answerer;
    answerer.Then([](QWidget*) { Press(Qt::Key_Escape); });
    EXPECT_EQ(form.exec(), mrCancel);
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    EXPECT_TRUE(answerer.SeenWindows()[0].answered);
}

TEST(Form, IsAPlainWindowUnlessAToolWindowOrKeptOnTop) {
    TForm form;
    EXPECT_EQ(form.windowType(), Qt::Window);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form.font().pointSize(), 8);
    form.SetBorderStyle(bsSizeToolWin);
    form.SetStayOnTop(true);
    EXPECT_EQ(form.windowType(), Qt::Tool);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST(Form, WithoutABorderHasNoFrameOrTitle) {
    TForm form;
    form.SetBorderStyle(bsNone);
    form.SetClientWidth(120);
    form.SetClientHeight(21);
    form.move(40, 30);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form.frameGeometry(), QRect(40, 30, 120, 21));
    EXPECT_EQ(form.Width(), 120);
}

TEST(Form, ModalResultSetByCodeEndsExecWithIt) {
    TForm form;
    ModalAnswerer answerer;
    answerer.Then([&form](QWidget*) {
        form.SetModalResult(mrNone); // no result: stays open
        form.SetModalResult(mrOk);
    });
    EXPECT_EQ(form.exec(), mrOk);
    EXPECT_EQ(form.ModalResult(), mrOk);
}

TEST_F(FormKeys, DialogKeyTakesOnlyTheKeysOfItsButtons) {
    form.SetCancelButton(cancel);
    const auto key = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return QKeyEvent(QEvent::KeyPress, k, m);
    };
    const QKeyEvent enter = key(Qt::Key_Return);
    const QKeyEvent shiftEnter = key(Qt::Key_Return, Qt::ShiftModifier);
    const QKeyEvent esc = key(Qt::Key_Escape);
    const QKeyEvent digit = key(Qt::Key_5);
    EXPECT_TRUE(form.DialogKey(&enter));
    EXPECT_FALSE(form.DialogKey(&shiftEnter));
    EXPECT_TRUE(form.DialogKey(&esc));
    EXPECT_FALSE(form.DialogKey(&digit));
    EXPECT_EQ(okClicks.count(), 1);
    EXPECT_EQ(cancelClicks.count(), 1);
    ok->setEnabled(false);
    cancel->setVisible(false);
    EXPECT_FALSE(form.DialogKey(&enter));
    EXPECT_FALSE(form.DialogKey(&esc));
}

// An edit that takes Enter itself, or a group that answers for the edit it holds.
class EnterTaker : public QWidget, public TDialogCodeQuery {
public:
    using QWidget::QWidget;
    bool WantsKey(Word Key, TShiftState) const override { return Key == VK_RETURN; }
};

TEST_F(FormKeys, AFocusedControlThatWantsEnterGetsItBeforeTheDefaultButton) {
    form.SetCancelButton(cancel);
    auto* group = new EnterTaker(&form);
    auto* inGroup = new QLineEdit(group);
    SetBounds(group, 120, 10, 150, 30);
    group->show();
    QSignalSpy returns(inGroup, &QLineEdit::returnPressed);
    inGroup->setFocus();
    ASSERT_TRUE(inGroup->hasFocus());
    Press(Qt::Key_Return);
    EXPECT_EQ(returns.count(), 1);
    EXPECT_EQ(okClicks.count(), 0);
    Press(Qt::Key_Escape); // wanted by nobody: the form's
    EXPECT_EQ(cancelClicks.count(), 1);
    edit->setFocus();
    Press(Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 1);
}

TEST(Form, SelectNextWalksTheTabOrderOfTheWindow) {
    TForm form;
    auto* first = new QLineEdit(&form);
    auto* disabled = new QLineEdit(&form);
    auto* second = new QLineEdit(&form);
    auto* label = new QLabel(QStringLiteral("etykieta"), &form);
    auto* hidden = new QLineEdit(&form);
    auto* third = new QLineEdit(&form);
    disabled->setEnabled(false);
    hidden->setVisible(false);
    (void)label;
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    first->setFocus();
    const struct {
        bool forward;
        QWidget* focused;
    } steps[] = {{true, second}, {true, third}, {true, first}, {false, third}, {false, second}};
    for (const auto& step : steps) {
        SelectNext(&form, step.forward);
        EXPECT_EQ(QApplication::focusWidget(), step.focused);
    }
    EXPECT_EQ(GetParentForm(second), &form);
    EXPECT_EQ(GetParentForm(&form), nullptr);
}

TEST(Form, SizesApplyAtOnceWithinTheMinimum) {
    TForm form;
    auto* client = new QWidget(&form);
    SetAlign(client, alClient);
    form.SetWidth(341);
    form.SetHeight(300);
    form.SetMinHeight(180);
    form.SetMinWidth(300);
    form.SetHeight(100);
    form.SetWidth(200);
    EXPECT_EQ(form.Height(), 180);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(client->geometry(), QRect(0, 0, 300, 180));
    form.SetMinHeight(300);
    EXPECT_EQ(form.MinHeight(), 300);
    EXPECT_EQ(form.Height(), 180); // a minimum alone does not resize the window
    form.SetClientHeight(200);
    EXPECT_EQ(form.Height(), 300);
    EXPECT_EQ(client->height(), 300);

    // Shown, with its frame: the user cannot make it smaller than the minimum.
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    form.resize(10, 10);
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.Height(), 300);
}

TEST(Form, AWindowDesignedAtItsMinimumOpensAtItsDesignSize) {
    // The main window's design: client area 584 by 642, minimum 600 by 680 with the frame.
    TForm form;
    form.SetClientWidth(584);
    form.SetClientHeight(642);
    form.SetMinWidth(600);
    form.SetMinHeight(680);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.ClientWidth(), 584);
    EXPECT_EQ(form.ClientHeight(), 642);
    form.resize(100, 100);
    EXPECT_EQ(form.ClientWidth(), 584);
    EXPECT_EQ(form.ClientHeight(), 642);
}

TEST(Form, CentresOnTheMainFormOrElseOnTheScreen) {
    TForm mainForm;
    mainForm.move(100, 60);
    mainForm.SetClientWidth(400);
    mainForm.SetClientHeight(300);
    mainForm.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&mainForm));

    TForm form;
    form.SetClientWidth(200);
    form.SetClientHeight(100);
    form.SetPosition(poMainFormCenter);
    auto centredIn = [&form](const QRect& around) {
        return QPoint(around.x() + (around.width() - form.Width()) / 2,
                      around.y() + (around.height() - form.Height()) / 2);
    };
    const QPoint onMainForm = centredIn(mainForm.frameGeometry());
    Application->MainForm = &mainForm;
    form.show();
    Application->MainForm = nullptr;
    EXPECT_EQ(form.pos(), onMainForm);
    form.hide();

    const QPoint onScreen = centredIn(form.screen()->geometry());
    form.show();
    EXPECT_EQ(form.pos(), onScreen);
}

} // namespace

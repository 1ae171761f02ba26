#include "platform/gui/CancelMode.h"

#include "platform/gui/Application.h"
#include "platform/gui/CustomControl.h"
#include "platform/gui/Forms.h"
#include "tests/support/ModalAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// The mouse takes the window system's way, as a user's does: through the window, which hands the
// event to the widget under the pointer or holding the mouse, and which a modal window blocks.
// (QTest's widget overloads take that way only where every file of the program asks for it.)
void Mouse(QTest::MouseAction action, QWidget* target, QPoint at) {
    QWidget* window = target->window();
    QTest::mouseEvent(action, window->windowHandle(), Qt::LeftButton, {},
                      target->mapTo(window, at));
}

// Clicks OK of a message box with the mouse. A box that the click does not reach is closed
// without it, and false returned.
bool ClickOk(QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (box == nullptr)
        return false;
    QAbstractButton* ok = box->button(QMessageBox::Ok);
    Mouse(QTest::MouseClick, ok, ok->rect().center());
    if (!box->isVisible())
        return true;
    box->reject();
    return false;
}

// Shows a warning box when it loses the focus, as a control that checks its value on exit.
class TWarningEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    bool warn = true;

protected:
    void focusOutEvent(QFocusEvent* event) override {
        QLineEdit::focusOutEvent(event);
        if (warn)
            Application->MessageBox(QStringLiteral("Za mało."), QStringLiteral("Uwaga!"), MB_OK);
    }
};

// Holds the mouse from a left press on, runs `onDown` then, and logs what reaches it.
class TGrabbingProbe : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::function<void()> onDown;
    QStringList log;

protected:
    void MouseDown(TMouseButton, TShiftState, int, int) override {
        SetMouseCapture(true);
        log << QStringLiteral("down");
        if (onDown)
            onDown();
    }
    void WMCancelMode() override {
        log << QStringLiteral("cancel");
        TCustomControl::WMCancelMode();
    }
};

// A shown, active form with the warning edit focused, a radio button, a push button and a probe.
// Clicks of the buttons are counted.
class ModalMouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.resize(300, 200);
        SetBounds(edit, 10, 10, 100, 22);
        SetBounds(radio, 10, 50, 100, 22);
        SetBounds(push, 10, 90, 100, 26);
        SetBounds(probe, 150, 50, 100, 40);
        for (QAbstractButton* button : Buttons())
            QObject::connect(button, &QAbstractButton::clicked, [this] { ++clicks; });
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        edit->setFocus();
    }

    std::vector<QAbstractButton*> Buttons() const { return {radio, push}; }

    TForm form;
    TWarningEdit* edit = new TWarningEdit(&form);
    QRadioButton* radio = new QRadioButton(QStringLiteral("Jeden"), &form);
    QPushButton* push = new QPushButton(QStringLiteral("Zapisz"), &form);
    TGrabbingProbe* probe = new TGrabbingProbe(nullptr, &form);
    int clicks = 0;
};

TEST_F(ModalMouseTest, APressWhoseFocusChangeOpensAModalBoxLeavesTheButtonUp) {
    for (QAbstractButton* button : Buttons()) {
        SCOPED_TRACE(button->text().toStdString());
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        edit->warn = true;
        edit->setFocus();
        clicks = 0;
        bool answeredByMouse = false;
        ModalAnswerer answers;
        answers.Then([&](QWidget* box) {
            // The user lets go of the button while the box is up, then clicks OK.
            Mouse(QTest::MouseRelease, button, QPoint(5, 5));
            answeredByMouse = ClickOk(box);
        });
        Mouse(QTest::MousePress, button, QPoint(5, 5));
        ASSERT_EQ(answers.SeenWindows().size(), 1u);
        EXPECT_TRUE(answeredByMouse);
        EXPECT_FALSE(button->isDown());
        EXPECT_EQ(clicks, 0);

        // The next click is a click.
        edit->warn = false;
        Mouse(QTest::MouseClick, button, QPoint(5, 5));
        EXPECT_FALSE(button->isDown());
        EXPECT_EQ(clicks, 1);
    }
}

TEST_F(ModalMouseTest, AModalBoxTakesTheMouseFromTheControlHoldingItAndPressedButtonsComeUp) {
    edit->warn = false;
    const auto showBox = [] {
        Application->MessageBox(QStringLiteral("Zapisano."), QStringLiteral("Informacja"), MB_OK);
    };
    probe->onDown = showBox;
    QObject::connect(push, &QPushButton::pressed, showBox);
    // A focused button comes up by itself as the box takes the focus; this one keeps none.
    push->setFocusPolicy(Qt::NoFocus);
    struct Case {
        const char* name;
        QWidget* target;
    };
    for (const Case& c : {Case{"a control holding the mouse", probe}, Case{"a button", push}}) {
        SCOPED_TRACE(c.name);
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        clicks = 0;
        QWidget* holder = c.target;
        bool down = true;
        bool answeredByMouse = false;
        ModalAnswerer answers;
        answers.Then([&](QWidget* box) {
            holder = QWidget::mouseGrabber();
            down = push->isDown();
            answeredByMouse = ClickOk(box);
        });
        Mouse(QTest::MousePress, c.target, QPoint(5, 5));
        ASSERT_EQ(answers.SeenWindows().size(), 1u);
        EXPECT_EQ(holder, nullptr);
        EXPECT_FALSE(down);
        EXPECT_TRUE(answeredByMouse);
        // The release went to the box: one coming after it clicks nothing.
        Mouse(QTest::MouseRelease, c.target, QPoint(5, 5));
        EXPECT_EQ(clicks, 0);
        EXPECT_FALSE(push->isDown());
    }
    EXPECT_EQ(probe->log, (QStringList{"down", "cancel"}));
}

} // namespace

#include "platform/gui/CustomControl.h"

#include "platform/gui/Forms.h"
#include "platform/rtl/Exceptions.h"
#include "tests/support/ModalAnswerer.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Paints its client area red with a blue top-left pixel, and logs what reaches it.
class TProbe : public TCustomControl {
public:
    TProbe(QWidget* parent, unsigned style, unsigned exStyle)
        : TCustomControl(nullptr, parent), style_(style), exStyle_(exStyle) {}

    using TCustomControl::RecreateWnd;

    void Restyle(unsigned style, unsigned exStyle) {
        style_ = style;
        exStyle_ = exStyle;
        RecreateWnd();
    }

    QStringList log;

protected:
    void CreateParams(TCreateParams& Params) override {
        TCustomControl::CreateParams(Params);
        Params.Style |= style_;
        Params.ExStyle |= exStyle_;
    }
    void Paint(QPainter& Canvas) override {
        Canvas.fillRect(QRect(0, 0, ClientWidth(), ClientHeight()), Qt::red);
        Canvas.fillRect(QRect(0, 0, 1, 1), Qt::blue);
    }
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override {
        log << QStringLiteral("down %1%2 %3,%4")
                   .arg(int(Button))
                   .arg(Shift.Contains(ssDouble) ? " double" : "")
                   .arg(X)
                   .arg(Y);
        TCustomControl::MouseDown(Button, Shift, X, Y);
    }
    void MouseUp(TMouseButton Button, TShiftState, int X, int Y) override {
        log << QStringLiteral("up %1 %2,%3").arg(int(Button)).arg(X).arg(Y);
    }
    void Click() override {
        log << QStringLiteral("click");
        TCustomControl::Click();
    }
    void KeyDown(Word& Key, TShiftState) override { log << QStringLiteral("key %1").arg(Key); }
    void KeyPress(QChar& Key) override { log << QStringLiteral("char %1").arg(Key); }
    void DoEnter() override { log << QStringLiteral("enter"); }
    void DoExit() override { log << QStringLiteral("exit"); }
    void CMEnabledChanged() override { log << QStringLiteral("enabled %1").arg(isEnabled()); }

private:
    unsigned style_;
    unsigned exStyle_;
};

// A shown, active form with an edit and a probe with a sunken client edge at (20, 50).
class CustomControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        form.resize(300, 200);
        SetBounds(edit, 10, 10, 100, 22);
        SetBounds(probe, 20, 50, 104, 44);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        edit->setFocus();
        probe->log.clear();
    }

    TForm form;
    QLineEdit* edit = new QLineEdit(&form);
    TProbe* probe = new TProbe(&form, 0, WS_EX_CLIENTEDGE);
};

TEST_F(CustomControlTest, TheBorderOfTheCreationParametersSurroundsTheClientArea) {
    struct Case {
        const char* name;
        unsigned style;
        unsigned exStyle;
        int border;
    } const cases[] = {
        {"client edge", 0, WS_EX_CLIENTEDGE, 2},
        {"single line", WS_BORDER, 0, 1},
        {"both", WS_BORDER, WS_EX_CLIENTEDGE, 3},
        {"none", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        probe->Restyle(c.style, c.exStyle);
        EXPECT_EQ(probe->ClientWidth(), 104 - 2 * c.border);
        EXPECT_EQ(probe->ClientHeight(), 44 - 2 * c.border);
        const QImage image = probe->grab().toImage();
        EXPECT_EQ(image.pixelColor(c.border, c.border), QColor(Qt::blue));
        EXPECT_EQ(image.pixelColor(c.border + 1, c.border + 1), QColor(Qt::red));
        if (c.border > 0) {
            EXPECT_NE(image.pixelColor(c.border - 1, 20), QColor(Qt::red));
            EXPECT_NE(image.pixelColor(103 - c.border + 1, 20), QColor(Qt::red));
            // The outermost line runs along all four edges, the last column and row included.
            const QPalette& colours = probe->palette();
            const bool single = c.style & WS_BORDER;
            const QRgb topLeft = single ? qRgb(0, 0, 0) : colours.color(QPalette::Dark).rgb();
            const QRgb bottomRight = single ? qRgb(0, 0, 0) : colours.color(QPalette::Light).rgb();
            EXPECT_EQ(image.pixel(0, 20), topLeft);
            EXPECT_EQ(image.pixel(50, 0), topLeft);
            EXPECT_EQ(image.pixel(103, 20), bottomRight);
            EXPECT_EQ(image.pixel(50, 43), bottomRight);
        }
    }
}

TEST_F(CustomControlTest, AClickIsAPressAndReleaseInsideAndTakesNoFocus) {
    QTest::mouseClick(probe, Qt::LeftButton, Qt::NoModifier, QPoint(12, 7));
    EXPECT_EQ(probe->log, (QStringList{"down 0 10,5", "click", "up 0 10,5"}));
    EXPECT_TRUE(edit->hasFocus());

    probe->log.clear();
    QTest::mousePress(probe, Qt::LeftButton, Qt::NoModifier, QPoint(12, 7));
    QTest::mouseRelease(probe, Qt::LeftButton, Qt::NoModifier, QPoint(150, 7));
    QTest::mouseClick(probe, Qt::RightButton, Qt::NoModifier, QPoint(12, 7));
    EXPECT_EQ(probe->log, (QStringList{"down 0 10,5", "up 0 148,5", "down 1 10,5", "up 1 10,5"}));

    probe->log.clear();
    probe->SetControlStyle({csOpaque});
    QTest::mouseClick(probe, Qt::LeftButton, Qt::NoModifier, QPoint(12, 7));
    EXPECT_EQ(probe->log, (QStringList{"down 0 10,5", "up 0 10,5"}));
}

TEST_F(CustomControlTest, TheSecondPressOfADoubleClickIsMarkedOnlyWithDoubleClicks) {
    QTest::mouseDClick(probe, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(probe->log.contains("down 0 double 3,3")) << probe->log.join("|").toStdString();

    probe->log.clear();
    probe->SetControlStyle({csClickEvents});
    QTest::mouseDClick(probe, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_TRUE(probe->log.contains("down 0 3,3")) << probe->log.join("|").toStdString();
    EXPECT_FALSE(probe->log.contains("down 0 double 3,3"));
}

TEST_F(CustomControlTest, TheMouseMovingOverTheControlIsReportedWithoutAButtonHeld) {
    QStringList moves;
    probe->OnMouseMove = [&moves](QObject*, TShiftState Shift, int X, int Y) {
        moves << QStringLiteral("move%1 %2,%3")
                     .arg(Shift.Contains(ssLeft) ? " left" : "")
                     .arg(X)
                     .arg(Y);
    };
    // Sent as the window system does, with no button held whatever QTest last pressed.
    for (const QPoint at : {QPoint(30, 20), QPoint(40, 22)}) {
        QMouseEvent move(QEvent::MouseMove, at, probe->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(probe, &move);
    }
    EXPECT_EQ(moves, (QStringList{"move 28,18", "move 38,20"}));
}

TEST_F(CustomControlTest, TabStopDecidesWhetherTabReachesTheControl) {
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(probe->hasFocus());
    EXPECT_EQ(probe->log, QStringList{"enter"});
    QTest::keyClick(probe, Qt::Key_Tab);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(probe->log, (QStringList{"enter", "exit"}));

    probe->SetTabStop(false);
    EXPECT_FALSE(probe->TabStop());
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_TRUE(edit->hasFocus());
    // It still takes the focus when asked.
    probe->SetFocus();
    EXPECT_TRUE(probe->Focused());
}

TEST_F(CustomControlTest, KeysComeInTheTwoStepsAndAFailureGoesToTheErrorDisplay) {
    probe->SetFocus();
    probe->log.clear();
    QTest::keyClick(probe, Qt::Key_A);
    QTest::keyClick(probe, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(probe->log, (QStringList{"key 65", "char a", "key 17", "key 46"}));

    ModalAnswerer answerer;
    probe->OnKeyUp = [](QObject*, Word&, TShiftState) { throw EConvertError("zły klawisz"); };
    QTest::keyClick(probe, Qt::Key_B);
    EXPECT_EQ(answerer.Texts(), QStringList{"zły klawisz."});
}

TEST_F(CustomControlTest, SettingsReachTheirHandlers) {
    probe->setEnabled(false);
    probe->setEnabled(true);
    EXPECT_EQ(probe->log, (QStringList{"enabled 0", "enabled 1"}));

    EXPECT_TRUE(probe->ParentColor());
    EXPECT_EQ(probe->Color(), clBtnFace); // a form's colour
    probe->SetColor(clBlue);
    EXPECT_FALSE(probe->ParentColor());
    EXPECT_EQ(probe->Color(), clBlue);
    auto* child = new TProbe(probe, 0, 0);
    EXPECT_EQ(child->Color(), clBlue);
}

} // namespace

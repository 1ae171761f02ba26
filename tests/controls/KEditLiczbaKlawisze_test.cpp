#include "controls/KEdits.h"

#include "tests/controls/EditFixture.h"
#include "tests/support/ModalAnswerer.h"

#include <QClipboard>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using Keys = NumberEditTest;

// One key of a typing sequence and what the edit shows after it.
struct Step {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    char typed; // a character key, instead of key
    const char* text;
    int caret; // Whole: the whole text stays selected
    int beeps; // so far
};
constexpr int Whole = -1;
Step T(char typed, const char* text, int caret, int beeps = 0) {
    return {Qt::Key_unknown, Qt::NoModifier, typed, text, caret, beeps};
}
Step K(Qt::Key key, const char* text, int caret, int beeps = 0,
       Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    return {key, modifiers, 0, text, caret, beeps};
}

TEST_F(Keys, TypingSequencesBuildTheNumberDigitByDigit) {
    struct Case {
        const char* name;
        std::function<void(TKEditLiczba&)> settings;
        std::vector<Step> steps;
    } const cases[] = {
        {"fixed decimals",
         [](TKEditLiczba& e) { e.SetKLiczbaMiejscPoPrzecinku(2); },
         {T('1', "1,00", 1), T('2', "12,00", 2), T(',', "12,00", 3), T('5', "12,50", 4),
          T('7', "12,57", 5), T('8', "12,57", 5, 1)}},
        {"fixed decimals off",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKStalaLiczbaMiejscPoPrzecinku(false);
         },
         {T('1', "1", 1), T('2', "12", 2), T(',', "12,", 3), T('5', "12,5", 4),
          T(',', "12,5", 4, 1)}},
        {"0 first jumps into the fraction",
         [](TKEditLiczba& e) { e.SetKLiczbaMiejscPoPrzecinku(2); },
         {T('0', "0,00", 2), T('5', "0,50", 3)}},
        {"0 first without decimals",
         [](TKEditLiczba&) {},
         {T('0', "0", Whole), T('1', "1", 1), T('0', "10", 2), T(',', "10", 2, 1)}},
        {"integer digit limit",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(1);
             e.SetKLiczbaMiejscPrzedPrzecinkiem(3);
         },
         {T('1', "1,0", 1), T('2', "12,0", 2), T('3', "123,0", 3), T('4', "123,0", 3, 1),
          T(',', "123,0", 4, 1), T('5', "123,5", 5, 1)}},
        {"minus with negatives",
         [](TKEditLiczba& e) { e.SetKPozwalajUjemne(true); },
         {T('-', "-0", 2), T('5', "-5", 2), T('-', "5", 1), T('-', "-5", 2)}},
        {"minus without negatives clears the sign",
         [](TKEditLiczba& e) { e.SetKWartosc(-5); },
         {T('-', "5", 1, 1), T('-', "5", 1, 2)}},
        {"letters and Enter",
         [](TKEditLiczba& e) { e.SetKWartosc(7); },
         {T('a', "7", 1, 1), K(Qt::Key_Return, "7", 1, 2), K(Qt::Key_Escape, "7", 1, 3)}},
        {"Backspace",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKStalaLiczbaMiejscPoPrzecinku(false);
             e.SetKWartosc(12.34);
         },
         {K(Qt::Key_Backspace, "12,3", 4), K(Qt::Key_Backspace, "12,", 3),
          K(Qt::Key_Backspace, "12", 2), K(Qt::Key_Backspace, "1", 1), K(Qt::Key_Backspace, "0", 1),
          K(Qt::Key_Backspace, "0", 1)}},
        {"Delete",
         [](TKEditLiczba& e) { e.SetKWartosc(123); },
         {K(Qt::Key_Delete, "123", 3), K(Qt::Key_Delete, "0", 1, 0, Qt::ControlModifier)}},
        {"caret keys",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKWartosc(12.5);
         },
         {K(Qt::Key_Home, "12,50", 4), K(Qt::Key_Left, "12,50", 4),
          K(Qt::Key_Left, "12,50", 4, 0, Qt::ShiftModifier), K(Qt::Key_End, "12,50", 4),
          K(Qt::Key_Right, "12,50", 4), K(Qt::Key_Insert, "12,50", 4)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = std::make_unique<TKEditLiczba>(nullptr, &form);
        e->SetKBeepGdyBlad(true);
        SetBounds(e.get(), 200, 10, 150, 21);
        e->show();
        e->setFocus();
        c.settings(*e);
        beeps = 0;
        for (const Step& step : c.steps) {
            SCOPED_TRACE(step.typed != 0 ? std::string(1, step.typed) : std::to_string(step.key));
            if (step.typed != 0)
                QTest::keyClick(static_cast<QWidget*>(nullptr), step.typed);
            else
                Press(step.key, step.modifiers);
            EXPECT_EQ(e->Text(), step.text);
            if (step.caret == Whole) {
                EXPECT_EQ(e->GetSelText(), e->Text());
            } else {
                EXPECT_EQ(e->GetSelLength(), 0);
                EXPECT_EQ(e->GetSelStart(), step.caret);
            }
            EXPECT_EQ(beeps, step.beeps);
        }
    }
}

TEST_F(Keys, TypingOverTheWholeTextStartsANewNumber) {
    edit->SetKBeepGdyBlad(true);
    edit->SetKWartosc(123);
    przed->setFocus();
    Press(Qt::Key_Tab); // AutoSelect
    ASSERT_EQ(edit->GetSelText(), "123");
    Type("a");
    EXPECT_EQ(edit->Text(), "123");
    EXPECT_EQ(beeps, 1);
    edit->SelectAll();
    Type("7");
    EXPECT_EQ(edit->Text(), "7");
    edit->SelectAll();
    Press(Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "0");
    edit->SetKWartosc(45);
    edit->SelectAll();
    Press(Qt::Key_Delete);
    EXPECT_EQ(edit->Text(), "0");
}

TEST_F(Keys, AKeystrokeNotifiesBeforeOnKeyDownAndAfterOnItsCharacter) {
    Type("5");
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    Type("x"); // rejected, still a keystroke
    EXPECT_EQ(before, 2);
    EXPECT_EQ(after, 2);
    Press(Qt::Key_Delete); // no character
    EXPECT_EQ(before, 3);
    EXPECT_EQ(after, 2);
}

// A handler never sees a state on the way: each key raises OnChange once, for the text it
// leaves, and none when it leaves the text as it was.
TEST_F(Keys, OnChangeComesOncePerKeyForTheTextItLeaves) {
    struct Case {
        const char* name;
        std::function<void()> key;
        QStringList seen;
    } const cases[] = {
        {"a digit over the whole text", [] { Type("7"); }, {"7"}},
        {"the same digit over the whole text", [] { Type("5"); }, {}},
        {"a step up", [] { Press(Qt::Key_Up); }, {"6"}},
        {"backspace over the whole text", [] { Press(Qt::Key_Backspace); }, {"0"}},
    };
    edit->SetKSuffiks(QStringLiteral(" zł"));
    edit->SetKInterwalPrzyrostu(1);
    QStringList seen;
    edit->OnChange = [&](QObject*) { seen << edit->Text(); };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        edit->SetKWartosc(5);
        edit->Formatuj(false);
        edit->SelectAll();
        seen.clear();
        c.key();
        EXPECT_EQ(seen, c.seen);
    }
}

TEST_F(Keys, UpAndDownStepWithinTheLimits) {
    edit->SetKLiczbaMiejscPoPrzecinku(1);
    edit->SetKStalaLiczbaMiejscPoPrzecinku(false);
    edit->SetKInterwalPrzyrostu(0.5);
    edit->SetKWartosc(1);
    Reset();
    Press(Qt::Key_Up);
    EXPECT_EQ(edit->Text(), "1,5");
    EXPECT_EQ(before, 2); // the key and the value set
    EXPECT_EQ(after, 1);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "1,"); // the step put entry in the fraction part

    edit->SetKWartosc(1);
    edit->SetKMaxWartosc(1.2);
    edit->SetKMaxWartoscUstawiona(true);
    Press(Qt::Key_Up);
    EXPECT_EQ(edit->KTekst(), "1"); // refused whole, not clamped

    edit->WyczyscStan(); // out of the fraction part
    edit->SetKLiczbaMiejscPoPrzecinku(0);
    edit->SetKMaxWartoscUstawiona(false);
    edit->SetKWartosc(1);
    Press(Qt::Key_Up);
    EXPECT_EQ(edit->Text(), "1"); // 1.5 cut to 1
    Press(Qt::Key_Down);
    EXPECT_EQ(edit->Text(), "0");
    Press(Qt::Key_Down);
    EXPECT_EQ(edit->Text(), "0"); // no negatives
    edit->SetKPozwalajUjemne(true);
    edit->SetKInterwalPrzyrostu(2);
    Press(Qt::Key_Down);
    EXPECT_EQ(edit->Text(), "-2");

    edit->SetKInterwalPrzyrostu(0);
    Press(Qt::Key_Up);
    EXPECT_EQ(edit->Text(), "-2");
}

TEST_F(Keys, EnterAsTabMovesTheFocusForwardOrWithShiftBack) {
    for (TKEditLiczba* e : {przed, edit, za})
        e->SetKEnterJakoTab(true);
    edit->SetKSuffiks(" zł");
    Type("5");
    Press(Qt::Key_Return);
    EXPECT_TRUE(za->hasFocus());
    EXPECT_EQ(edit->Text(), "5 zł"); // left in its final form
    EXPECT_EQ(beeps, 0);
    Press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(edit->hasFocus());
    Press(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(przed->hasFocus());
    Press(Qt::Key_Return, Qt::ControlModifier); // line feed, forward
    EXPECT_TRUE(edit->hasFocus());

    edit->SetKEnterJakoTab(false);
    edit->SetKBeepGdyBlad(true);
    Press(Qt::Key_Return);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(beeps, 1);
}

TEST_F(Keys, EnterAsTabRunsTheRangeCheckOfTheControlItLeaves) {
    edit->SetKEnterJakoTab(true);
    edit->SetKMaxWartosc(100);
    edit->SetKMinWartosc(10);
    edit->SetKMinWartoscUstawiona(true);
    ModalAnswerer answerer;
    Type("5");
    Press(Qt::Key_Return);
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->GetKWartosc(), 10);
}

TEST_F(Keys, EnterAsTabTakesEnterBeforeTheDefaultButtonButNotEsc) {
    auto* ok = new QPushButton(QStringLiteral("OK"), &form);
    auto* cancel = new QPushButton(QStringLiteral("Anuluj"), &form);
    QSignalSpy okClicks(ok, &QPushButton::clicked);
    QSignalSpy cancelClicks(cancel, &QPushButton::clicked);
    ok->show();
    cancel->show();
    form.SetDefaultButton(ok);
    form.SetCancelButton(cancel);
    Press(Qt::Key_Return); // without Enter as Tab the form's
    EXPECT_EQ(okClicks.count(), 1);
    EXPECT_TRUE(edit->hasFocus());
    edit->SetKEnterJakoTab(true);
    Press(Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 1);
    EXPECT_TRUE(edit->hasFocus());
    Press(Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 1);
    EXPECT_TRUE(za->hasFocus());
}

TEST_F(Keys, EnterAsTabOntoAPushButtonClicksNothing) {
    auto* button = new QPushButton(QStringLiteral("Dalej"), &form);
    SetBounds(button, 150, 40, 75, 25);
    button->show();
    QWidget::setTabOrder(edit, button);
    QSignalSpy clicks(button, &QPushButton::clicked);
    edit->SetKEnterJakoTab(true);
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly);
        edit->SetReadOnly(readOnly);
        edit->setFocus();
        Press(Qt::Key_Return);
        EXPECT_TRUE(button->hasFocus());
        EXPECT_EQ(clicks.count(), 0);
    }
}

TEST_F(Keys, AReadOnlyControlKeepsItsNumberAndLetsTheCaretMove) {
    edit->SetKSuffiks(" zł");
    edit->SetKWartosc(123);
    edit->SetReadOnly(true);
    edit->SetKEnterJakoTab(true);
    przed->setFocus();
    edit->setFocus();
    EXPECT_EQ(edit->Text(), "123 zł"); // entered read-only: the final form
    Reset();
    Type("5");
    Press(Qt::Key_Backspace);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(edit->Text(), "123 zł");
    EXPECT_EQ(before + after, 0);
    Press(Qt::Key_Home);
    EXPECT_EQ(edit->GetSelStart(), 0);
    Press(Qt::Key_Right);
    EXPECT_EQ(edit->GetSelStart(), 1);
    Press(Qt::Key_Return);
    EXPECT_TRUE(za->hasFocus());
}

TEST_F(Keys, ClipboardKeysChangeNothing) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("999"));
    edit->SetKWartosc(12);
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool selected;
    } const cases[] = {
        {Qt::Key_V, Qt::ControlModifier, true},
        {Qt::Key_Insert, Qt::ShiftModifier, true},
        {Qt::Key_X, Qt::ControlModifier, true},
        {Qt::Key_Delete, Qt::ShiftModifier, false},
        {Qt::Key_Z, Qt::ControlModifier, false},
        {Qt::Key_Insert, Qt::ControlModifier, true},
        {Qt::Key_Backspace, Qt::AltModifier, false}, // undo on some platforms
        // Keyboards with keys of their own for these (bound by desktop themes).
        {Qt::Key_Paste, Qt::NoModifier, true},
        {Qt::Key_Cut, Qt::NoModifier, true},
        {Qt::Key_Undo, Qt::NoModifier, false},
        {Qt::Key_Redo, Qt::NoModifier, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        edit->SetKWartosc(12);
        if (c.selected)
            edit->SelectAll();
        else
            edit->SetSelStart(2);
        if (c.key == Qt::Key_Paste || c.key == Qt::Key_Cut || c.key == Qt::Key_Undo ||
            c.key == Qt::Key_Redo)
            PressSilentKey(c.key);
        else
            Press(c.key, c.modifiers);
        EXPECT_EQ(c.key == Qt::Key_Backspace ? "1" : "12", edit->Text());
        EXPECT_EQ(clipboard->text(), "999");
    }
}

TEST_F(Keys, AMiddleClickPastesNoSelectionIn) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->supportsSelection())
        GTEST_SKIP() << "the platform has no selection clipboard";
    TCustomKEdit plain(nullptr, &form);
    SetBounds(&plain, 200, 10, 150, 21);
    plain.show();
    edit->SetKWartosc(12);
    clipboard->setText(QStringLiteral("7"), QClipboard::Selection);
    QTest::mouseClick(&plain, Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(plain.Text(), "7");
    QTest::mouseClick(edit, Qt::MiddleButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(edit->Text(), "12");
}

TEST_F(Keys, DropsAndInputMethodsGetNoTextIn) {
    // The same events put text into the edit base, as into any Qt edit.
    TCustomKEdit plain(nullptr, &form);
    SetBounds(&plain, 200, 10, 150, 21);
    plain.show();
    edit->SetKBeepGdyBlad(true);
    edit->SetKWartosc(12);
    const QPoint at(5, 5);
    const auto drop = [at](QWidget* target) {
        QMimeData data;
        data.setText(QStringLiteral("999"));
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return enter.isAccepted();
    };
    EXPECT_TRUE(drop(&plain));
    EXPECT_EQ(plain.Text(), "999");
    EXPECT_FALSE(drop(edit));
    EXPECT_EQ(edit->Text(), "12");

    const auto commit = [](QWidget* target, const QString& text) {
        QInputMethodEvent event(QString(), {});
        event.setCommitString(text);
        QApplication::sendEvent(target, &event);
    };
    plain.Clear();
    commit(&plain, QStringLiteral("ab"));
    EXPECT_EQ(plain.Text(), "ab");
    commit(edit, QStringLiteral("ab"));
    EXPECT_EQ(edit->Text(), "12");
    EXPECT_EQ(beeps, 2); // each character met the key rules
    commit(edit, QStringLiteral("3"));
    EXPECT_EQ(edit->Text(), "123");
}

TEST_F(Keys, AClickPutsTheCaretWhereTheNextDigitGoes) {
    edit->SetKLiczbaMiejscPoPrzecinku(2);
    edit->SetKWartosc(12.5);
    QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(2, edit->height() / 2));
    EXPECT_EQ(edit->GetSelLength(), 0);
    EXPECT_EQ(edit->GetSelStart(), 4);
    // A double click selects a word, until the button comes up.
    QTest::mouseDClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(2, edit->height() / 2));
    EXPECT_EQ(edit->GetSelLength(), 2);
    QTest::mouseRelease(edit, Qt::LeftButton, Qt::NoModifier, QPoint(2, edit->height() / 2));
    EXPECT_EQ(edit->GetSelStart(), 4);
    EXPECT_EQ(edit->GetSelLength(), 0);
}

} // namespace

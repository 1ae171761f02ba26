#include "controls/KEdits.h"

#include "controls/KMessageBox.h"
#include "platform/gui/Application.h"
#include "tests/controls/EditFixture.h"
#include "tests/support/ModalAnswerer.h"

#include <QGroupBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// The edit inside a group box, opening the pop-up editor on every key.
class PopupEditor : public NumberEditTest {
protected:
    void SetUp() override {
        NumberEditTest::SetUp();
        SetBounds(box, 150, 30, 200, 120);
        edit->setParent(box);
        SetBounds(edit, 15, 25, 120, 21);
        box->show();
        edit->show();
        edit->SetKEdycjaCalosciowa(true);
        edit->setFocus();
        ASSERT_TRUE(edit->hasFocus());
        ASSERT_EQ(edit->GetSelText(), edit->Text());
        Reset();
    }

    // Answers the editor with keys, noting what it showed.
    void AnswerWith(std::function<void(TKEditLiczba&)> keys) {
        answerer.Then([this, keys](QWidget* w) {
            popup = qobject_cast<TForm*>(w);
            ASSERT_NE(popup, nullptr);
            popupEdit = popup->findChild<TKEditLiczba*>();
            ASSERT_NE(popupEdit, nullptr);
            popupGeometry = popup->frameGeometry();
            popupEditGeometry = popupEdit->geometry();
            frameless = popup->windowFlags().testFlag(Qt::FramelessWindowHint);
            shown = popupEdit->Text();
            keys(*popupEdit);
        });
    }

    // After the editor: the form is the active window again.
    void BackInTheForm() {
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        EXPECT_TRUE(form.findChildren<TForm*>().isEmpty()); // the editor was freed
    }

    QGroupBox* box = new QGroupBox(QStringLiteral("Kwoty"), &form);
    ModalAnswerer answerer;
    QPointer<TForm> popup;
    QPointer<TKEditLiczba> popupEdit;
    QRect popupGeometry;
    QRect popupEditGeometry;
    bool frameless = false;
    QString shown;
};

TEST_F(PopupEditor, EnterAcceptsTheNumberTypedOverTheControl) {
    AnswerWith([](TKEditLiczba& e) {
        QTest::keyClick(&e, '2');
        QTest::keyClick(&e, Qt::Key_Return);
    });
    Type("5");
    BackInTheForm();
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    EXPECT_EQ(shown, "5");
    EXPECT_TRUE(frameless);
    EXPECT_EQ(popupGeometry, QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()));
    EXPECT_EQ(popupEditGeometry, QRect(QPoint(0, 0), edit->size()));
    EXPECT_EQ(edit->GetKWartosc(), 52);
    EXPECT_EQ(edit->Text(), "52");
    EXPECT_EQ(edit->GetSelText(), "52");
    EXPECT_EQ(before, 2); // the key, and the value from the editor
    EXPECT_EQ(after, 2);
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(PopupEditor, EscDropsWhatWasTypedInTheEditor) {
    AnswerWith([](TKEditLiczba& e) {
        QTest::keyClick(&e, '2');
        QTest::keyClick(&e, Qt::Key_Escape);
    });
    Type("5");
    BackInTheForm();
    EXPECT_EQ(edit->GetKWartosc(), 5);
    EXPECT_EQ(edit->GetSelText(), "5");
    EXPECT_EQ(after, 1);
}

TEST_F(PopupEditor, TheEditorHasTheNumberSettingsButNoSteppingBeepOrSuffix) {
    edit->SetKLiczbaMiejscPoPrzecinku(2);
    edit->SetKWartosc(3.5);
    edit->SetKPrefiks("P ");
    edit->SetKSuffiks(" S");
    edit->SetKMinWartosc(-10);
    edit->SetKMaxWartosc(-5);
    edit->SetKMinWartoscUstawiona(true);
    edit->SetKMaxWartoscUstawiona(true);
    edit->SetKPozwalajUjemne(true);
    edit->SetKBeepGdyBlad(true);
    edit->SetKInterwalPrzyrostu(1);
    edit->SetKEnterJakoTab(true);
    edit->SetAlignment(taRightJustify);
    edit->SelectAll();
    int beepsInEditor = -1;
    AnswerWith([this, &beepsInEditor](TKEditLiczba& e) {
        EXPECT_EQ(e.KLiczbaMiejscPoPrzecinku(), 2);
        EXPECT_TRUE(e.KStalaLiczbaMiejscPoPrzecinku());
        EXPECT_EQ(e.KPrefiks(), "P ");
        EXPECT_EQ(e.KSuffiks(), "");
        EXPECT_EQ(e.KMaxWartosc(), 0); // refused below the new edit's minimum 0
        EXPECT_EQ(e.KMinWartosc(), -10);
        EXPECT_TRUE(e.KMinWartoscUstawiona());
        EXPECT_TRUE(e.KMaxWartoscUstawiona());
        EXPECT_TRUE(e.KPozwalajUjemne());
        EXPECT_FALSE(e.KBeepGdyBlad());
        EXPECT_EQ(e.KInterwalPrzyrostu(), 0);
        EXPECT_FALSE(e.KEnterJakoTab());
        EXPECT_FALSE(e.KEdycjaCalosciowa());
        EXPECT_EQ(e.Alignment(), taRightJustify);
        EXPECT_EQ(e.font(), edit->font());
        const int beepsBefore = beeps;
        QTest::keyClick(&e, Qt::Key_Up);
        QTest::keyClick(&e, 'x');
        beepsInEditor = beeps - beepsBefore;
        EXPECT_EQ(e.Text(), "3,50");
        QTest::keyClick(&e, Qt::Key_Return);
    });
    Type("x"); // rejected, and still opens the editor
    BackInTheForm();
    EXPECT_EQ(shown, "3,50");
    EXPECT_EQ(beepsInEditor, 0);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(edit->GetKWartosc(), 3.5);
    EXPECT_EQ(answerer.SeenWindows().size(), 1u); // no range check in the editor
}

TEST_F(PopupEditor, TheRangeCheckWaitsForTheControlsExit) {
    edit->SetKMaxWartosc(100);
    edit->SetKMinWartosc(10);
    edit->SetKMinWartoscUstawiona(true);
    AnswerWith([](TKEditLiczba& e) { QTest::keyClick(&e, Qt::Key_Return); });
    Type("5");
    BackInTheForm();
    EXPECT_EQ(answerer.SeenWindows().size(), 1u);
    EXPECT_EQ(edit->GetKWartosc(), 5);
    Press(Qt::Key_Tab);
    ASSERT_EQ(answerer.SeenWindows().size(), 2u);
    EXPECT_TRUE(answerer.Texts()[1].startsWith("Podana wartość poniżej"));
}

TEST_F(PopupEditor, AFailureBuildingTheEditorLeavesTheControlAsItWas) {
    edit->SetKWartosc(12345);
    edit->SetKLiczbaMiejscPrzedPrzecinkiem(3); // the value held has more digits
    edit->SelectAll();
    Reset();
    Type("x");
    BackInTheForm();
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    EXPECT_EQ(answerer.SeenWindows()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.Texts()[0], "Błąd!\r: Wartość poza zakresem.");
    EXPECT_EQ(edit->KTekst(), "12345");
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
}

// Types 5 into an edit whose minimum is 10 and leaves it by Tab.
void LeaveBelowTheMinimum(TKEditLiczba& edit) {
    edit.SetKMaxWartosc(100);
    edit.SetKMinWartosc(10);
    edit.SetKMinWartoscUstawiona(true);
    edit.setFocus();
    QTest::keyClick(&edit, '5');
    QTest::keyClick(&edit, Qt::Key_Tab);
}

// A form of the program's with a numeric edit, whose modal window (the pop-up editor, the range
// warning on leaving, a box of its OnEnter) is open when a timer of the program frees the form
// by deleteLater, or frees the edit itself at once. Nothing crashes, and what goes is gone.
TEST(ModalWindowOfTheEdit, WhatIsFreedWhileItIsOpenIsSimplyGone) {
    LocaleSeparators locale{u',', u' '};
    enum Freed { TheForm, TheEdit };
    struct Case {
        const char* name;
        std::function<void(TKEditLiczba& edit, TKEditLiczba& za)> open;
        Freed freed;
        const char* modal;       // the class of the modal window
        bool staysUntilAnswered; // else it closes by itself
    } const cases[] = {
        {"pop-up editor",
         [](TKEditLiczba& edit, TKEditLiczba&) {
             edit.SetKEdycjaCalosciowa(true);
             edit.setFocus();
             QTest::keyClick(&edit, '5');
         },
         TheForm, "TForm", false},
        {"range warning", [](TKEditLiczba& edit, TKEditLiczba&) { LeaveBelowTheMinimum(edit); },
         TheForm, "QMessageBox", true},
        {"range warning, the edit freed",
         [](TKEditLiczba& edit, TKEditLiczba&) { LeaveBelowTheMinimum(edit); }, TheEdit,
         "QMessageBox", true},
        {"a box of OnEnter",
         [](TKEditLiczba& edit, TKEditLiczba& za) {
             za.setFocus();
             edit.OnEnter = [](QObject*) { KOstrzezenie("Wejście", "", MB_OK, 1); };
             QTest::keyClick(&za, Qt::Key_Tab);
         },
         TheForm, "QMessageBox", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QPointer<TForm> form = new TForm;
        form->SetClientWidth(300);
        form->SetClientHeight(100);
        QPointer<TKEditLiczba> edit = new TKEditLiczba(nullptr, form);
        auto* za = new TKEditLiczba(nullptr, form);
        SetBounds(edit, 10, 10, 120, 21);
        SetBounds(za, 10, 40, 120, 21);
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form));

        ModalAnswerer answerer;
        bool answered = false;
        answerer.Then([&](QWidget* w) {
            if (c.freed == TheForm)
                form->deleteLater();
            else
                delete edit;
            // What stays open is answered as the user would.
            QTimer::singleShot(50, w, [w, &answered] {
                answered = true;
                QTest::keyClick(w->focusWidget() != nullptr ? w->focusWidget() : w, Qt::Key_Return);
            });
        });
        c.open(*edit, *za);
        EXPECT_TRUE(QTest::qWaitFor([&] { return edit.isNull(); }, 2000));
        EXPECT_EQ(form.isNull(), c.freed == TheForm);
        ASSERT_EQ(answerer.SeenWindows().size(), 1u);
        EXPECT_EQ(answerer.SeenWindows()[0].className, c.modal);
        EXPECT_EQ(answered, c.staysUntilAnswered);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        delete form;
    }
}

} // namespace

#include "platform/gui/Application.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/ModalAnswerer.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ErrorDisplay, AddsAFullStopOnlyAfterACharacterAboveTheDot) {
    struct Case {
        QString message;
        QString shown;
    } const cases[] = {
        {"Brak tabeli", "Brak tabeli."},
        {"Koniec.", "Koniec."},
        {"Pytanie?", "Pytanie?."}, // "?" sorts above "."
        {"Wynik: 5", "Wynik: 5."},
        {"Zażółć", "Zażółć."},
        {"linia\r\n", "linia\r\n"},
        {"-", "-"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExceptionDisplayText(Exception(c.message)), c.shown) << c.message.toStdString();
    EXPECT_EQ(ExceptionDisplayText(std::runtime_error("plain")), "plain.");
}

TEST(ErrorDisplay, AGuardedHandlerShowsItsFailureInAModalErrorBox) {
    ASSERT_NE(Application, nullptr);
    Application->Title = "Tytuł";
    ModalAnswerer answerer;
    answerer.Click(QMessageBox::Ok);
    bool after = false;
    Application->Guard([] { throw EDatabaseError("Nie rozpoczęto transakcji"); });
    after = true;
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    const auto& box = answerer.SeenWindows()[0];
    EXPECT_EQ(box.title, "Tytuł");
    EXPECT_EQ(box.text, "Nie rozpoczęto transakcji.");
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.buttons.size(), 1);
    EXPECT_TRUE(after);
}

TEST(MessageBox, MapsFlagsToButtonsIconAndAnswer) {
    struct Case {
        unsigned flags;
        QMessageBox::StandardButton click;
        QMessageBox::Icon icon;
        int buttons;
        int answer;
    } cases[] = {
        {MB_ICONEXCLAMATION | MB_OK, QMessageBox::Ok, QMessageBox::Warning, 1, IDOK},
        {MB_ICONINFORMATION | MB_YESNO, QMessageBox::Yes, QMessageBox::Information, 2, IDYES},
        {MB_ICONINFORMATION | MB_YESNO, QMessageBox::No, QMessageBox::Information, 2, IDNO},
        {MB_ICONQUESTION | MB_OKCANCEL, QMessageBox::Cancel, QMessageBox::Question, 2, IDCANCEL},
    };
    for (const Case& c : cases) {
        ModalAnswerer answerer;
        answerer.Click(c.click);
        EXPECT_EQ(Application->MessageBox("tekst", "Potwierdź", c.flags), c.answer);
        ASSERT_EQ(answerer.SeenWindows().size(), 1u);
        EXPECT_EQ(answerer.SeenWindows()[0].icon, c.icon);
        EXPECT_EQ(answerer.SeenWindows()[0].buttons.size(), c.buttons);
        EXPECT_EQ(answerer.SeenWindows()[0].title, "Potwierdź");
    }
}

TEST(MessageBox, DefaultButtonIsTheNamedOneOrElseTheFirst) {
    struct Case {
        unsigned flags;
        QMessageBox::StandardButton defaultButton;
    } const cases[] = {
        {MB_YESNOCANCEL, QMessageBox::Yes},
        {MB_YESNOCANCEL | MB_DEFBUTTON2, QMessageBox::No},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, QMessageBox::Cancel},
        {MB_YESNOCANCEL | MB_DEFBUTTON4, QMessageBox::Yes},
        {MB_YESNO | MB_DEFBUTTON3, QMessageBox::Yes},
        {MB_OK | MB_DEFBUTTON2, QMessageBox::Ok},
    };
    for (const Case& c : cases) {
        ModalAnswerer answerer;
        bool isDefault = false;
        answerer.Then([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            isDefault =
                static_cast<QAbstractButton*>(box->defaultButton()) == box->button(c.defaultButton);
            box->defaultButton()->click();
        });
        Application->MessageBox("?", "Potwierdź", c.flags);
        EXPECT_TRUE(isDefault) << c.flags;
    }
}

TEST(MessageBox, YesNoClosedWithoutAButtonAnswersNo) {
    ModalAnswerer answerer; // no answer queued: the box is closed
    EXPECT_EQ(Application->MessageBox("?", "Potwierdź", MB_YESNO | MB_ICONINFORMATION), IDNO);
}

} // namespace

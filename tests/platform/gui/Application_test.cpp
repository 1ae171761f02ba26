#include "platform/gui/Application.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/ModalAnswerer.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

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

TEST(MessageBox, StandsOverTheActiveWindowAndOutlivesItsFreeing) {
    QPointer<QWidget> window = new QWidget;
    window->setGeometry(300, 200, 400, 300);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const QPoint centre = window->geometry().center();
    ModalAnswerer answerer;
    QRect placed;
    bool open = false;
    answerer.Then([&](QWidget* w) {
        placed = w->geometry();
        // A timer of the program's frees the window; the box stays until it is answered.
        window->deleteLater();
        QTimer::singleShot(50, w, [&, w] {
            open = w->isVisible();
            qobject_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
        });
    });
    EXPECT_EQ(Application->MessageBox("?", "Potwierdź", MB_YESNO), IDYES);
    EXPECT_TRUE(placed.contains(centre));
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(open);
}

// The message box's text label.
QLabel* TextLabel(QMessageBox* box) {
    return box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
}

TEST(MessageBox, ShowsTextThatLooksLikeMarkupAsPlainText) {
    const QString texts[] = {
        QStringLiteral("Pole <b>Kwota</b> musi być wypełnione"),
        QStringLiteral("Błąd serwera: '<p>Opis'\nDalszy wiersz"),
    };
    for (const QString& text : texts) {
        ModalAnswerer answerer;
        Qt::TextFormat format = Qt::AutoText;
        int shownWidth = 0;
        int needed = 0;
        answerer.Then([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            QLabel* label = TextLabel(box);
            ASSERT_NE(label, nullptr);
            format = label->textFormat();
            shownWidth = label->sizeHint().width();
            // Every character of the widest line takes its room, the tags' too.
            for (const QString& line : text.split(u'\n'))
                needed = std::max(needed, label->fontMetrics().horizontalAdvance(line));
            box->button(QMessageBox::Ok)->click();
        });
        Application->MessageBox(text, "Uwaga!", MB_OK | MB_ICONEXCLAMATION);
        ASSERT_EQ(answerer.SeenWindows().size(), 1u);
        EXPECT_EQ(answerer.SeenWindows()[0].text, text);
        EXPECT_EQ(format, Qt::PlainText) << text.toStdString();
        EXPECT_GE(shownWidth, needed) << text.toStdString();
    }
}

// A button of a set: a standard button, or the one button of the set that is no standard one.
struct Button {
    QMessageBox::StandardButton standard;
    int answer;
};

QAbstractButton* Find(QMessageBox* box, QMessageBox::StandardButton standard) {
    for (QAbstractButton* b : box->buttons())
        if (box->standardButton(b) == standard)
            return b;
    return nullptr;
}

struct ButtonSetCase {
    const char* name;
    unsigned set;
    std::vector<Button> buttons; // in the set's order
    std::optional<int> escape;   // the answer to Esc and the close box; none: they do nothing
};

const std::vector<ButtonSetCase>& ButtonSets() {
    using B = QMessageBox;
    static const std::vector<ButtonSetCase> sets = {
        {"ok", MB_OK, {{B::Ok, IDOK}}, IDOK},
        {"ok/cancel", MB_OKCANCEL, {{B::Ok, IDOK}, {B::Cancel, IDCANCEL}}, IDCANCEL},
        {"abort/retry/ignore",
         MB_ABORTRETRYIGNORE,
         {{B::Abort, IDABORT}, {B::Retry, IDRETRY}, {B::Ignore, IDIGNORE}},
         {}},
        {"yes/no/cancel",
         MB_YESNOCANCEL,
         {{B::Yes, IDYES}, {B::No, IDNO}, {B::Cancel, IDCANCEL}},
         IDCANCEL},
        {"yes/no", MB_YESNO, {{B::Yes, IDYES}, {B::No, IDNO}}, {}},
        {"retry/cancel", MB_RETRYCANCEL, {{B::Retry, IDRETRY}, {B::Cancel, IDCANCEL}}, IDCANCEL},
        {"cancel/try again/continue",
         MB_CANCELTRYCONTINUE,
         {{B::Cancel, IDCANCEL}, {B::Retry, IDTRYAGAIN}, {B::NoButton, IDCONTINUE}},
         IDCANCEL},
    };
    return sets;
}

TEST(MessageBox, EveryButtonSetHasItsButtonsAndAnswers) {
    for (const ButtonSetCase& c : ButtonSets()) {
        for (std::size_t pressed = 0; pressed < c.buttons.size(); ++pressed) {
            SCOPED_TRACE(std::string(c.name) + ", button " + std::to_string(pressed + 1));
            ModalAnswerer answerer;
            std::vector<QMessageBox::StandardButton> shown;
            QString defaultText;
            answerer.Then([&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                for (QAbstractButton* b : box->buttons())
                    shown.push_back(box->standardButton(b));
                QAbstractButton* button = Find(box, c.buttons[pressed].standard);
                ASSERT_NE(button, nullptr);
                defaultText = box->defaultButton()->text();
                QTest::mouseClick(button, Qt::LeftButton);
            });
            const unsigned defaultFlag = unsigned(pressed) << 8; // the pressed one is the default
            EXPECT_EQ(Application->MessageBox("?", "P", c.set | defaultFlag),
                      c.buttons[pressed].answer);
            std::vector<QMessageBox::StandardButton> expected;
            for (const Button& b : c.buttons)
                expected.push_back(b.standard);
            std::sort(expected.begin(), expected.end());
            std::sort(shown.begin(), shown.end());
            EXPECT_EQ(shown, expected);
            ASSERT_EQ(answerer.SeenWindows().size(), 1u);
            EXPECT_EQ(answerer.SeenWindows()[0].buttons.size(), qsizetype(c.buttons.size()));
            EXPECT_FALSE(defaultText.isEmpty());
        }
    }
}

TEST(MessageBox, EscAndTheCloseBoxAnswerOnlyThroughCancelOrASingleOk) {
    for (const ButtonSetCase& c : ButtonSets()) {
        for (const bool closeBox : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (closeBox ? ", close box" : ", Esc"));
            ModalAnswerer answerer;
            bool stillOpen = false;
            answerer.Then([&](QWidget* w) {
                auto* box = qobject_cast<QMessageBox*>(w);
                ASSERT_TRUE(QTest::qWaitForWindowActive(box));
                if (closeBox)
                    box->close();
                else
                    QTest::keyClick(box, Qt::Key_Escape);
                QCoreApplication::processEvents();
                stillOpen = box->isVisible();
                if (stillOpen) // answer with the last button, which is none of the escapes
                    QTest::mouseClick(Find(box, c.buttons.back().standard), Qt::LeftButton);
            });
            const int answer = Application->MessageBox("?", "P", c.set);
            EXPECT_EQ(stillOpen, !c.escape.has_value());
            EXPECT_EQ(answer, c.escape.value_or(c.buttons.back().answer));
        }
    }
}

// The standard buttons in the system's language: this test binary again, on a Polish desktop.
TEST(MessageBox, StandardButtonsSpeakTheSystemsLanguage) {
    if (qEnvironmentVariableIsSet("QZ_POLISH_DESKTOP")) {
        ASSERT_EQ(QLocale::system().language(), QLocale::Polish);
        ModalAnswerer answerer;
        Application->MessageBox("Zapisać zmiany?", "Pytanie", MB_YESNOCANCEL | MB_ICONQUESTION);
        ASSERT_EQ(answerer.SeenWindows().size(), 1u);
        QStringList buttons = answerer.SeenWindows()[0].buttons;
        buttons.sort();
        EXPECT_EQ(buttons, (QStringList{"&Nie", "&Tak", "Anuluj"}));
        return;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("LC_ALL");
    environment.remove("LC_MESSAGES");
    environment.remove("LANGUAGE");
    environment.insert("LANG", "pl_PL.UTF-8");
    environment.insert("QZ_POLISH_DESKTOP", "1");
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {"--gtest_filter=MessageBox.StandardButtonsSpeakTheSystemsLanguage"});
    ASSERT_TRUE(child.waitForFinished(30000));
    const QString output = QString::fromUtf8(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test")) << output.toStdString();
}

} // namespace

#include "controls/KEdits.h"

#include "tests/controls/EditFixture.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// An expected text written with ',' for the decimal separator and '\'' between thousands, in
// the separators of the locale.
QString InLocale(const char* text) {
    QString s = QString::fromUtf8(text);
    for (QChar& c : s) {
        if (c == u',')
            c = DecimalSeparator;
        else if (c == u'\'')
            c = ThousandSeparator;
    }
    return s;
}

class Display : public NumberEditTest {
protected:
    // A new edit with the focus, so that typed keys reach it.
    std::unique_ptr<TKEditLiczba> Focused() {
        auto e = std::make_unique<TKEditLiczba>(nullptr, &form);
        SetBounds(e.get(), 200, 10, 150, 21);
        e->show();
        e->setFocus();
        return e;
    }
};

TEST_F(Display, EditingAndFinalFormsInACommaAndAPointLocale) {
    struct Case {
        const char* name;
        std::function<void(TKEditLiczba&)> state;
        const char* editing;
        const char* final;
    } const cases[] = {
        {"prefix, suffix, fixed decimals",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKPrefiks("Kwota: ");
             e.SetKSuffiks(" zł");
             e.SetKWartosc(12.5);
         },
         "12,50", "Kwota: 12,50 zł"},
        {"no fraction, fixed decimals off",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKStalaLiczbaMiejscPoPrzecinku(false);
             e.SetKWartosc(12);
         },
         "12", "12"},
        {"separator typed, fixed decimals off",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKStalaLiczbaMiejscPoPrzecinku(false);
             Type("12");
             QTest::keyClick(&e, DecimalSeparator.toLatin1());
         },
         "12,", "12"},
        {"separator typed, fixed decimals",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             Type("12");
             QTest::keyClick(&e, DecimalSeparator.toLatin1());
         },
         "12,00", "12,00"},
        {"sign without digits",
         [](TKEditLiczba& e) {
             e.SetKPozwalajUjemne(true);
             Type("-");
         },
         "-0", "0"},
        {"negative, prefix and suffix",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(1);
             e.SetKPozwalajUjemne(true);
             e.SetKPrefiks("[");
             e.SetKSuffiks("]");
             e.SetKWartosc(-5.5);
         },
         "-5,5", "[-5,5]"},
        {"thousands",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKSeparatorTysiecy(true);
             e.SetKWartosc(1234567.5);
         },
         "1234567,50", "1'234'567,50"},
        {"thousands, fixed decimals off",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKStalaLiczbaMiejscPoPrzecinku(false);
             e.SetKSeparatorTysiecy(true);
             e.SetKWartosc(1234567.5);
         },
         "1234567,5", "1'234'567,50"},
        {"thousands, negative, no decimals",
         [](TKEditLiczba& e) {
             e.SetKSeparatorTysiecy(true);
             e.SetKPrefiks("= ");
             e.SetKWartosc(-1234);
         },
         "-1234", "= -1'234"},
        {"thousands, a negative count of decimals",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(-1);
             e.SetKSeparatorTysiecy(true);
             Type("1234");
         },
         "1234", "1'234"},
        {"fewer decimals than the digits held",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKWartosc(1.25);
             e.SetKLiczbaMiejscPoPrzecinku(1);
         },
         "1,25", "1,25"},
        {"nothing, three decimals", [](TKEditLiczba& e) { e.SetKLiczbaMiejscPoPrzecinku(3); },
         "0,000", "0,000"},
    };
    const std::pair<QChar, QChar> locales[] = {{u',', u' '}, {u'.', u','}};
    for (const auto& [decimal, thousand] : locales) {
        LocaleSeparators inLocale(decimal, thousand);
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " in " + QString(decimal).toStdString());
            auto e = Focused();
            c.state(*e);
            e->Formatuj(false);
            EXPECT_EQ(e->Text(), InLocale(c.editing));
            e->Formatuj(true);
            EXPECT_EQ(e->Text(), InLocale(c.final));
        }
    }
}

TEST_F(Display, PlainTextHasTheDigitsOnly) {
    struct Case {
        const char* name;
        std::function<void(TKEditLiczba&)> state;
        const char* text;
    } const cases[] = {
        {"nothing", [](TKEditLiczba&) {}, "0"},
        {"fixed decimals",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKWartosc(12.5);
         },
         "12,50"},
        {"grouped, with prefix and suffix",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKStalaLiczbaMiejscPoPrzecinku(false);
             e.SetKSeparatorTysiecy(true);
             e.SetKPrefiks("x");
             e.SetKSuffiks("y");
             e.SetKWartosc(-1234567.5);
         },
         "-1234567,5"},
        {"a separator typed with no digits after it",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKStalaLiczbaMiejscPoPrzecinku(false);
             Type("12,");
         },
         "12"},
        {"sign without digits",
         [](TKEditLiczba& e) {
             e.SetKPozwalajUjemne(true);
             Type("-");
         },
         "0"},
        {"only fraction digits",
         [](TKEditLiczba& e) {
             e.SetKLiczbaMiejscPoPrzecinku(2);
             e.SetKStalaLiczbaMiejscPoPrzecinku(false);
             e.SetKWartosc(0.05);
         },
         "0,05"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = Focused();
        c.state(*e);
        EXPECT_EQ(e->KTekst(), c.text);
    }
}

TEST_F(Display, SettingsFormatOrWaitForTheNextFinalForm) {
    auto e = std::make_unique<TKEditLiczba>(nullptr, &form);
    EXPECT_EQ(e->Text(), ""); // nothing formats it at construction
    e->SetKLiczbaMiejscPoPrzecinku(2);
    EXPECT_EQ(e->Text(), "0,00");

    e->SetKPrefiks("Kwota ");
    e->SetKSuffiks(" zł");
    EXPECT_EQ(e->Text(), "0,00");
    e->SetKStalaLiczbaMiejscPoPrzecinku(true);
    EXPECT_EQ(e->Text(), "Kwota 0,00 zł");

    e->SetKPozwalajUjemne(true);
    e->SetKWartosc(-5);
    EXPECT_EQ(e->Text(), "Kwota -5,00 zł");
    e->SetKPozwalajUjemne(false);
    EXPECT_EQ(e->Text(), "Kwota 5,00 zł");

    e->SetKLiczbaMiejscPoPrzecinku(500);
    EXPECT_EQ(e->KLiczbaMiejscPoPrzecinku(), 200);
    e->SetKLiczbaMiejscPrzedPrzecinkiem(201);
    EXPECT_EQ(e->KLiczbaMiejscPrzedPrzecinkiem(), 200);
    e->SetKLiczbaMiejscPrzedPrzecinkiem(-3);
    EXPECT_EQ(e->KLiczbaMiejscPrzedPrzecinkiem(), -3);
}

TEST_F(Display, MaxLengthNeverCutsTheNumberShown) {
    edit->SetMaxLength(4);
    edit->SetKLiczbaMiejscPoPrzecinku(2);
    edit->SetKWartosc(12345.67);
    EXPECT_EQ(edit->Text(), "12345,67");
    przed->setFocus();
    edit->setFocus();
    EXPECT_EQ(edit->Text(), "12345,67"); // the editing form
    Press(Qt::Key_End);
    Press(Qt::Key_Backspace);
    Type("9");
    EXPECT_EQ(edit->Text(), "12345,69");
}

TEST_F(Display, HasNoContextMenuButItsPopupMenu) {
    const auto menuFor = [this](QContextMenuEvent::Reason reason) {
        QContextMenuEvent event(reason, QPoint(5, 5), edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(edit, &event);
        QWidget* popup = QApplication::activePopupWidget();
        if (popup != nullptr)
            popup->close();
        return popup;
    };
    EXPECT_EQ(menuFor(QContextMenuEvent::Mouse), nullptr);
    EXPECT_EQ(menuFor(QContextMenuEvent::Keyboard), nullptr);
    QMenu menu;
    menu.addAction(QStringLiteral("Wyczyść"));
    edit->SetPopupMenu(&menu);
    EXPECT_EQ(menuFor(QContextMenuEvent::Mouse), &menu);
}

} // namespace

#include "controls/KEdits.h"

#include "platform/rtl/Exceptions.h"
#include "tests/controls/EditFixture.h"
#include "tests/support/ModalAnswerer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using Value = NumberEditTest;

TEST(Rounding, IsHalfAwayFromZeroOnTheDoubleProduct) {
    EXPECT_EQ(Zaokraglij(2.5), 3);
    EXPECT_EQ(Zaokraglij(-2.5), -3);
    EXPECT_EQ(Zaokraglij(2.4999), 2);
    EXPECT_EQ(ZaokraglijDo(2, 0.125), 0.13);
    EXPECT_EQ(ZaokraglijDo(2, 1.005), 1.0); // 1.005 * 100 lies just below 100.5
    EXPECT_EQ(ZaokraglijDo(2, 2.675), 2.68);
    EXPECT_EQ(ZaokraglijDo(0, 2.5), 3);
    EXPECT_EQ(ZaokraglijDo(-1, 2.5), 3);
    EXPECT_THROW(Zaokraglij(1e19), EConvertError);
    EXPECT_THROW(Zaokraglij(std::nan("")), EConvertError);
    EXPECT_EQ(WariantJesli(true, "tak", 2), Variant("tak"));
    EXPECT_EQ(WariantJesli(false, "tak", 2), Variant(2));
}

TEST_F(Value, SettingRoundsToTheDecimalsAndCutsWithNone) {
    struct Case {
        int decimals;
        double value;
        const char* digits; // KTekst without fixed decimals
        const char* shown;  // the final form with fixed decimals
    } const cases[] = {
        {2, 0.125, "0,13", "0,13"},
        {2, 1.005, "1", "1,00"},
        {2, 2.675, "2,68", "2,68"},
        {2, 12.5, "12,5", "12,50"},
        {2, 0.05, "0,05", "0,05"},
        {2, 3, "3", "3,00"},
        {0, 1.7, "1", "1"},
        {0, -1.7, "-1", "-1"},
        {0, -0.4, "0", "0"},
        {2, -0.001, "0", "0,00"},
        {2, -12.5, "-12,5", "-12,50"},
        {3, 0.0005, "0,001", "0,001"},
        {0, 9.2e18, "9200000000000000000", "9200000000000000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.decimals << " " << c.value);
        edit->SetKLiczbaMiejscPoPrzecinku(c.decimals);
        edit->SetKStalaLiczbaMiejscPoPrzecinku(false);
        edit->SetKWartosc(c.value);
        EXPECT_EQ(edit->KTekst(), c.digits);
        edit->SetKStalaLiczbaMiejscPoPrzecinku(true);
        EXPECT_EQ(edit->Text(), c.shown);
    }
}

TEST_F(Value, AValueWithoutFractionLeavesTheEntryModeAsItWas) {
    edit->SetKLiczbaMiejscPoPrzecinku(2);
    edit->SetKStalaLiczbaMiejscPoPrzecinku(false);
    edit->SetKWartosc(3);
    edit->Formatuj(false);
    EXPECT_EQ(edit->Text(), "3");
    Type("1,");
    edit->SetKWartosc(3);
    edit->Formatuj(false);
    EXPECT_EQ(edit->Text(), "3,"); // still in the fraction part
    edit->SetKWartosc(0.5);
    Press(Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "0,"); // a value with fraction digits put entry in the fraction part
}

TEST_F(Value, ReadingGivesTheHeldNumber) {
    edit->SetKLiczbaMiejscPoPrzecinku(2);
    edit->SetKWartosc(-12.34);
    EXPECT_DOUBLE_EQ(edit->GetKWartosc(), -12.34);
    EXPECT_DOUBLE_EQ(edit->WartoscRzeczywista(), -12.34);
    edit->SetKLiczbaMiejscPoPrzecinku(0);
    edit->SetKWartosc(-7);
    EXPECT_EQ(edit->GetKWartosc(), -7);
    EXPECT_EQ(edit->WartoscCalkowita(), -7);
    // With no decimals the value is read as a 32-bit integer.
    edit->SetKWartosc(3e9);
    EXPECT_EQ(edit->KTekst(), "3000000000");
    try {
        edit->GetKWartosc();
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'3000000000' is not a valid integer value");
    }
}

TEST_F(Value, ValuesTheDigitsCannotHoldFailAndChangeNothing) {
    struct Case {
        int decimals;
        int integerDigits;
        double value;
    } const cases[] = {
        {2, 3, 1000},
        {2, 3, -1000},
        {0, 0, 1e19},
        {0, 0, -1e19},
        {2, 0, 1e17},
        {20, 0, 0.5},
        {0, 0, std::numeric_limits<double>::infinity()},
        {2, 0, std::nan("")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.decimals << " " << c.value);
        edit->SetKLiczbaMiejscPoPrzecinku(c.decimals);
        edit->SetKLiczbaMiejscPrzedPrzecinkiem(c.integerDigits);
        edit->SetKWartosc(c.decimals < 19 ? 12 : 0); // 12 has 22 digits with 20 decimals
        const QString text = edit->Text();
        const QString digits = edit->KTekst();
        Reset();
        try {
            edit->SetKWartosc(c.value);
            ADD_FAILURE() << "no failure";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "Błąd!\redKwota: Wartość poza zakresem");
        }
        EXPECT_EQ(edit->Text(), text);
        EXPECT_EQ(edit->KTekst(), digits);
        EXPECT_EQ(before, 1);
        EXPECT_EQ(after, 0);
    }
    edit->SetKLiczbaMiejscPoPrzecinku(2);
    edit->SetKLiczbaMiejscPrzedPrzecinkiem(3);
    EXPECT_NO_THROW(edit->SetKWartosc(999.99));
    EXPECT_NO_THROW(edit->SetKWartosc(0.5)); // one integer digit
    EXPECT_NO_THROW(edit->SetKWartosc(999.994));
    EXPECT_THROW(edit->SetKWartosc(999.995), EConvertError); // rounds to 1000
}

TEST_F(Value, SettingNotifiesBeforeAndAfter) {
    edit->SetKWartosc(5);
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 1);
    edit->SetKInterwalPrzyrostu(1);
    edit->SetKMinWartosc(-1);
    EXPECT_EQ(before + after, 2); // setters notify nothing
}

TEST_F(Value, LimitsKeepTheirOrderAtRunTimeOnly) {
    struct Case {
        const char* name;
        std::function<void(TKEditLiczba&)> set;
        double min;
        double max;
    } const cases[] = {
        {"minimum above the maximum", [](TKEditLiczba& e) { e.SetKMinWartosc(5); }, 0, 0},
        {"after the maximum",
         [](TKEditLiczba& e) {
             e.SetKMaxWartosc(100);
             e.SetKMinWartosc(5);
         },
         5, 100},
        {"maximum below the minimum", [](TKEditLiczba& e) { e.SetKMaxWartosc(-1); }, 0, 0},
        {"after the minimum",
         [](TKEditLiczba& e) {
             e.SetKMinWartosc(-10);
             e.SetKMaxWartosc(-5);
         },
         -10, -5},
        {"equal", [](TKEditLiczba& e) { e.SetKMinWartosc(0); }, 0, 0},
        {"while loading",
         [](TKEditLiczba& e) {
             e.BeginLoading();
             e.SetKMinWartosc(10);
             e.SetKMaxWartosc(5);
         },
         10, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TKEditLiczba e(nullptr);
        c.set(e);
        EXPECT_EQ(e.KMinWartosc(), c.min);
        EXPECT_EQ(e.KMaxWartosc(), c.max);
    }
}

TEST_F(Value, LoadingStartsAtTheMinimum) {
    TKEditLiczba e(nullptr);
    int notices = 0;
    e.KBeforeChange = [&notices](QObject*) { ++notices; };
    e.KAfterChange = [&notices](QObject*) { notices += 10; };
    e.BeginLoading();
    e.SetKLiczbaMiejscPoPrzecinku(1);
    e.SetKMaxWartosc(1);
    e.SetKMinWartosc(5);
    e.SetKSuffiks(" kg");
    e.SetKWartosc(3);
    EXPECT_EQ(e.Text(), ""); // nothing is formatted or set while loading
    EXPECT_EQ(notices, 0);
    e.Loaded();
    EXPECT_EQ(e.Text(), "5,0 kg");
    EXPECT_EQ(notices, 11);
}

// Leaving the edit (to za) with a typed value and the limits in force.
class RangeCheck : public NumberEditTest {
protected:
    void SetUp() override {
        NumberEditTest::SetUp();
        edit->SetKMaxWartosc(100);
        edit->SetKMinWartosc(10);
        edit->SetKMinWartoscUstawiona(true);
        edit->SetKMaxWartoscUstawiona(true);
        edit->OnExit = [this](QObject*) {
            ++exits;
            exitAfterBoxes = answerer.SeenWindows().size();
        };
    }

    // Types the keys, leaves by Tab and lets the window be active again after the boxes.
    void TypeAndLeave(const char* keys) {
        Type(keys);
        Press(Qt::Key_Tab);
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    ModalAnswerer answerer;
    int exits = 0;
    std::size_t exitAfterBoxes = 0;
};

TEST_F(RangeCheck, ABelowMinimumValueIsClampedWithAWarningAndTheFocusComesBack) {
    TypeAndLeave("5");
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    const auto& box = answerer.SeenWindows()[0];
    EXPECT_EQ(box.title, "Uwaga!");
    EXPECT_EQ(box.text, "Podana wartość poniżej wartości minimalnej.\nUstawiono wartość 10 "
                        "równą wartości minimalnej.");
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_EQ(box.buttons.size(), 1);
    EXPECT_EQ(edit->GetKWartosc(), 10);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(exitAfterBoxes, 1u); // OnExit comes after the warning
}

TEST_F(RangeCheck, AnAboveMaximumValueIsClampedWithTheOtherWarning) {
    TypeAndLeave("500");
    EXPECT_EQ(answerer.Texts(), QStringList{"Podana wartość powyżej wartości maksymalnej.\n"
                                            "Ustawiono wartość 100 równą wartości maksymalnej."});
    EXPECT_EQ(edit->GetKWartosc(), 100);
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(RangeCheck, AValueAtALimitPasses) {
    TypeAndLeave("10");
    EXPECT_TRUE(answerer.SeenWindows().empty());
    EXPECT_TRUE(za->hasFocus());
    EXPECT_EQ(exits, 1);
}

TEST_F(RangeCheck, TheWarningShowsTheLimitNotTheRoundedValue) {
    edit->SetKLiczbaMiejscPoPrzecinku(1);
    edit->SetKMinWartosc(1.25);
    TypeAndLeave("1");
    EXPECT_EQ(answerer.Texts(), QStringList{"Podana wartość poniżej wartości minimalnej.\n"
                                            "Ustawiono wartość 1,25 równą wartości minimalnej."});
    EXPECT_EQ(edit->KTekst(), "1,3");
}

TEST_F(RangeCheck, AMinimumAboveTheMaximumGivesBothWarningsAndEndsAtTheMaximum) {
    edit->BeginLoading();
    edit->SetKMinWartosc(10);
    edit->SetKMaxWartosc(5);
    edit->Loaded();
    edit->SelectAll();
    TypeAndLeave("3");
    ASSERT_EQ(answerer.SeenWindows().size(), 2u);
    EXPECT_TRUE(answerer.Texts()[0].startsWith("Podana wartość poniżej"));
    EXPECT_TRUE(answerer.Texts()[1].startsWith("Podana wartość powyżej"));
    EXPECT_EQ(edit->GetKWartosc(), 5);
}

TEST_F(RangeCheck, AFailingCheckSelectsTheTextKeepsTheFocusAndRaisesNoExit) {
    edit->SetKLiczbaMiejscPrzedPrzecinkiem(1); // the minimum 10 has two digits
    TypeAndLeave("5");
    ASSERT_EQ(answerer.SeenWindows().size(), 1u);
    EXPECT_EQ(answerer.SeenWindows()[0].icon, QMessageBox::Critical);
    EXPECT_EQ(answerer.Texts()[0], "Błąd!\redKwota: Wartość poza zakresem.");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->GetSelText(), edit->Text());
    EXPECT_EQ(edit->KTekst(), "5");
    EXPECT_EQ(exits, 0);
}

TEST_F(RangeCheck, ExitShowsTheFinalFormAndLeavesTheFractionPart) {
    edit->SetKMinWartoscUstawiona(false);
    edit->SetKMaxWartoscUstawiona(false);
    edit->SetKLiczbaMiejscPoPrzecinku(2);
    edit->SetKStalaLiczbaMiejscPoPrzecinku(false);
    edit->SetKSuffiks(" zł");
    edit->SelectAll();
    TypeAndLeave("12,");
    EXPECT_EQ(edit->Text(), "12 zł");
    edit->setFocus();
    EXPECT_EQ(edit->Text(), "12"); // the separator went with the fraction part
}

} // namespace

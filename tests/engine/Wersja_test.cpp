#include "engine/Wersja.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>

namespace {

TEST(ParsujWersje, ReadsValidTextsAndZeroesEverythingElse) {
    struct Case {
        const char* text;
        std::optional<std::array<int, 4>> parts;
    } const cases[] = {
        {"24.2.2.0", {{24, 2, 2, 0}}},
        {"17.1.0.10", {{17, 1, 0, 10}}},
        {"0.0.0.0", {{0, 0, 0, 0}}},
        {"1.2.3.4", {{1, 2, 3, 4}}},
        {"16.02.0.2", {{16, 2, 0, 2}}},
        {"2147483647.0.0.1", {{2147483647, 0, 0, 1}}},
        {"1.2.3", {}},
        {"1..2.3", {}},
        {".1.2.3", {}},
        {"1.2.3.", {}},
        {"1.2.3.4.5", {}},
        {" 1.2.3.4", {}},
        {"1.2.3.4 ", {}},
        {"-1.2.3.4", {}},
        {"1.2.3.x", {}},
        {"1.2.3.+4", {}},
        {"", {}},
        {"1.2.34", {}},
    };
    for (const Case& c : cases) {
        int p[4] = {-1, -1, -1, -1};
        const bool ok = ParsujWersje(c.text, p[0], p[1], p[2], p[3]);
        EXPECT_EQ(ok, c.parts.has_value()) << c.text;
        const std::array<int, 4> expected = c.parts.value_or(std::array<int, 4>{});
        EXPECT_EQ((std::array<int, 4>{p[0], p[1], p[2], p[3]}), expected) << c.text;
    }
}

TEST(WersjaWiekszaLubRowna, ComparesPartByPartAsNumbers) {
    struct Case {
        const char* x;
        const char* y;
        bool atOrAbove;
    } const cases[] = {
        {"16.02.0.2", "16.2.0.2", true},  {"16.2.0.2", "16.02.0.2", true},
        {"17.1.0.10", "17.1.0.9", true},  {"17.1.0.9", "17.1.0.10", false},
        {"24.2.2.0", "24.2.2.0", true},   {"24.2.2.1", "24.2.2.0", true},
        {"23.3.4.0", "24.1.4.0", false},  {"24.1.4.0", "23.3.4.0", true},
        {"16.1.0.10", "16.2.0.2", false}, {"20.1.5.0", "20.1.1.0", true},
        {"1.10.0.0", "1.9.9.9", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WersjaWiekszaLubRowna(c.x, c.y), c.atOrAbove) << c.x << " vs " << c.y;
}

TEST(WersjaWiekszaLubRowna, NamesTheFirstInvalidText) {
    struct Case {
        const char* x;
        const char* y;
        const char* message;
    } const cases[] = {
        {"abc", "16.2.0.2", "Niepoprawna wersja: \"abc\"."},
        {"16.2.0.2", "abc", "Niepoprawna wersja: \"abc\"."},
        {"x", "y", "Niepoprawna wersja: \"x\"."},
        {"", "16.2.0.2", "Niepoprawna wersja: \"\"."},
        {"24.2.2.0 ", "24.2.2.0", "Niepoprawna wersja: \"24.2.2.0 \"."},
    };
    for (const Case& c : cases) {
        try {
            WersjaWiekszaLubRowna(c.x, c.y);
            ADD_FAILURE() << c.x;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
        }
    }
}

TEST(Wersje, APartTooLargeForAnIntegerRaisesFromEveryRoutine) {
    const QString text = "99999999999.1.2.3";
    const QString message = "'99999999999' is not a valid integer value";
    int a, b, c, d;
    auto expectRaise = [&](auto&& call) {
        try {
            call();
            ADD_FAILURE();
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), message);
        }
    };
    expectRaise([&] { ParsujWersje(text, a, b, c, d); });
    expectRaise([&] { WersjaDoWyswietlenia(text); });
    expectRaise([&] { WersjaWiekszaLubRowna(text, "1.2.3.4"); });
    expectRaise([&] { WersjaWiekszaLubRowna("1.2.3.4", text); });
}

TEST(WersjaDoWyswietlenia, ShowsYearMinorAndTwoDigitThirdPart) {
    struct Case {
        const char* text;
        const char* shown;
    } const cases[] = {
        {"24.2.2.0", "2024.2.02"}, {"17.1.0.10", "2017.1.00"}, {"23.3.4.0", "2023.3.04"},
        {"16.2.0.2", "2016.2.00"}, {"24.1.4.0", "2024.1.04"},  {"16.2.123.0", "2016.2.123"},
        {"abc", "2000.0.00"},      {"", "2000.0.00"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WersjaDoWyswietlenia(c.text), c.shown) << c.text;
}

} // namespace

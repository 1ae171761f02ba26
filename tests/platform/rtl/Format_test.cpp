#include "platform/rtl/Format.h"

#include "platform/rtl/Exceptions.h"
#include "tests/support/LocaleSeparators.h"

#include <gtest/gtest.h>

namespace {

TEST(Format, FillsTextAndIntegerSpecifiers) {
    EXPECT_EQ(Format("%d.%d.%.2d", {2024, 2, 2}), "2024.2.02");
    EXPECT_EQ(Format("%.2d|%.2d|%.2d", {123, 0, -5}), "123|00|-05");
    EXPECT_EQ(Format("Wersja bazy %s.%s: %s", {"srv", "db", ""}), "Wersja bazy srv.db: ");
    EXPECT_EQ(Format("%5d|%-4s|%%|%.3s", {42, "ab", "abcdef"}), "   42|ab  |%|abc");
    EXPECT_EQ(Format("%d", {qint64(-9223372036854775807LL - 1)}), "-9223372036854775808");
}

TEST(Format, RejectsMismatchedOrMissingArguments) {
    for (const char* format : {"%d", "%s %s", "%x", "%", "%.2", "%n", "%.2n"}) {
        try {
            Format(format, {"text"});
            ADD_FAILURE() << format;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      QString("Format '%1' invalid or incompatible with argument").arg(format));
        }
    }
}

TEST(Format, NumberSpecifierGroupsThousandsInTheLocale) {
    struct Case {
        QChar decimal;
        QChar thousand;
        const char* format;
        double value;
        const char* text;
    } const cases[] = {
        {u',', u' ', "%.2n", 1234567.5, "1 234 567,50"},
        {u'.', u',', "%.2n", 1234567.5, "1,234,567.50"},
        {u',', u'.', "%.0n", 999.5, "1.000"},
        {u',', u' ', "%n", 12.0, "12,00"},
        {u',', u' ', "%.3n", -1234.0005, "-1 234,001"},
        {u',', u' ', "%.2n", 0.125, "0,13"},
        {u',', u' ', "%.2n", 2.675, "2,68"},
        {u',', u' ', "%.2n", 1.005, "1,01"},
        {u',', u' ', "%.2n", -0.001, "0,00"},
        {u',', u' ', "%8.1n", 5.25, "     5,3"},
        {u',', u' ', "%.2n", 123.0, "123,00"},
        {u',', u' ', "%.1n", 1e21, "1 000 000 000 000 000 000 000,0"},
        {u',', u' ', "%.1n", 0.000001, "0,0"},
        {u',', u' ', "[%.4n]", 9.99995, "[10,0000]"},
    };
    for (const Case& c : cases) {
        LocaleSeparators locale(c.decimal, c.thousand);
        EXPECT_EQ(Format(c.format, {c.value}), c.text) << c.format << " " << c.value;
    }
    EXPECT_THROW(Format("%n", {5}), EConvertError);
    EXPECT_THROW(Format("%d", {5.0}), EConvertError);
    EXPECT_THROW(Format("%s", {5.0}), EConvertError);
}

TEST(FormatFloat, WritesTheDigitsThePictureAsksFor) {
    struct Case {
        QChar decimal;
        const char* format;
        double value;
        const char* text;
    } const cases[] = {
        {u',', "0.#########", 10.0, "10"},
        {u',', "0.#########", 1.25, "1,25"},
        {u',', "0.#########", 0.1 + 0.2, "0,3"},
        {u',', "0.#########", -5.5, "-5,5"},
        {u',', "0.#########", 1e-10, "0"},
        {u',', "0.#########", -1e-10, "0"},
        {u',', "0.#########", 0.0000000015, "0,000000002"},
        {u',', "0.#########", 1234567.125, "1234567,125"},
        {u'.', "0.#########", 1.25, "1.25"},
        {u',', "0.00", 3.0, "3,00"},
        {u',', "0.0#", 3.456, "3,46"},
        {u',', "#.##", 0.5, ",5"},
        {u',', "00", 7.0, "07"},
        {u',', "0", 2.5, "3"},
    };
    for (const Case& c : cases) {
        LocaleSeparators locale(c.decimal, u' ');
        EXPECT_EQ(FormatFloat(c.format, c.value), c.text) << c.format << " " << c.value;
    }
    for (const char* format : {"0,00", "0.0x", "#%"}) {
        try {
            FormatFloat(format, 1.0);
            ADD_FAILURE() << format;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(),
                      QString("Format '%1' invalid or incompatible with argument").arg(format));
        }
    }
}

TEST(Assert, RaisesWithUnitAndLine) {
    EXPECT_NO_THROW(Assert(true, "u", 1));
    try {
        Assert(false, "_UNIT_QZ\\DBUzytkiQZ", 1931);
        FAIL();
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.Message(), "Assertion failure (_UNIT_QZ\\DBUzytkiQZ, line 1931)");
        EXPECT_EQ(e.LineNumber(), 1931);
    }
}

} // namespace

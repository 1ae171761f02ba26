#include "platform/rtl/Format.h"

#include "platform/rtl/Exceptions.h"

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
    for (const char* format : {"%d", "%s %s", "%x", "%", "%.2"}) {
        try {
            Format(format, {"text"});
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

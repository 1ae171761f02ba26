#include "platform/rtl/Conversions.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(StrToInt, ReadsDecimalHexSignAndLeadingBlanks) {
    struct Case {
        const char* text;
        std::optional<int> value;
    } const cases[] = {
        {"2005", 2005},
        {"0002005", 2005},
        {"  17", 17},
        {"-12", -12},
        {"+7", 7},
        {"$7D5", 2005},
        {"0x7d5", 2005},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", {}},
        {"99999999999", {}},
        {"", {}},
        {"-", {}},
        {"12 ", {}},
        {"abcd", {}},
        {"20x5", {}},
        {"$", {}},
        {"1.5", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.value) {
            EXPECT_EQ(StrToInt(c.text), *c.value);
        } else {
            try {
                StrToInt(c.text);
                ADD_FAILURE();
            } catch (const EConvertError& e) {
                EXPECT_EQ(e.Message(), QString("'%1' is not a valid integer value").arg(c.text));
            }
        }
    }
}

TEST(Trim, RemovesEverythingAtOrBelowTheBlank) {
    EXPECT_EQ(Trim(QString("\t\r\n x y \x01\x1f")), "x y");
    EXPECT_EQ(Trim(QByteArrayView(" \tGO \r")), QByteArrayView("GO"));
    EXPECT_EQ(Trim(QString(" \n ")), "");
}

TEST(Variants, NullGivesEmptyTextAndFailsAsInteger) {
    EXPECT_EQ(VarToStr(QVariant()), "");
    EXPECT_EQ(VarToStr(QVariant(QString("24.2.2.0 "))), "24.2.2.0 ");
    EXPECT_EQ(VarToInt(QVariant(2005)), 2005);
    EXPECT_EQ(VarToInt(QVariant(qlonglong(9999))), 9999);
    EXPECT_EQ(VarToInt(QVariant(QString("2008"))), 2008);
    EXPECT_EQ(VarToInt(QVariant(2012.0)), 2012);
    struct Case {
        QVariant value;
        const char* type;
    } const failing[] = {
        {QVariant(), "Null"},
        {QVariant(QString("abc")), "String"},
        {QVariant(qlonglong(1) << 40), "Int64"},
    };
    for (const Case& c : failing) {
        try {
            VarToInt(c.value);
            ADD_FAILURE() << c.type;
        } catch (const EVariantTypeCastError& e) {
            EXPECT_EQ(
                e.Message(),
                QString("Could not convert variant of type (%1) into type (Integer)").arg(c.type));
        }
    }
}

} // namespace

#include "platform/rtl/Conversions.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

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

namespace {

class StrToFloatTest : public ::testing::TestWithParam<QChar> {
protected:
    void SetUp() override { DecimalSeparator = GetParam(); }
    void TearDown() override { DecimalSeparator = saved_; }
    // The test texts use "#" for the separator.
    static QString Text(const char* text) {
        return QString::fromLatin1(text).replace(u'#', GetParam());
    }

private:
    QChar saved_ = DecimalSeparator;
};

TEST_P(StrToFloatTest, ReadsTheLocaleSeparatorSignAndExponent) {
    struct Case {
        const char* text;
        double value;
    } const cases[] = {
        {"1#5", 1.5},   {" -0#25 ", -0.25}, {"+3", 3.0},
        {"#5", 0.5},    {"7#", 7.0},        {"1#5E3", 1500.0},
        {"2e-2", 0.02}, {"0", 0.0},         {"12345678901234567890", 12345678901234567890.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(StrToFloat(Text(c.text)), c.value);
    }
}

TEST_P(StrToFloatTest, RefusesWhatIsNoNumber) {
    const char* const texts[] = {"",    " ",   "-",   "#",     "1#2#3", "1e",
                                 "1e+", "abc", "1 5", "1e400", "1#5x",  "--1"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        try {
            StrToFloat(Text(text));
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), "'" + Text(text) + "' is not a valid floating point value");
        }
    }
}

TEST_P(StrToFloatTest, FloatToStrWritesTheShortestFormWithTheSeparator) {
    struct Case {
        double value;
        const char* text;
    } const cases[] = {
        {1.5, "1#5"},       {-0.25, "-0#25"},
        {3.0, "3"},         {0.0, "0"},
        {-0.0, "0"},        {0.1 + 0.2, "0#3"},
        {1e20, "1E20"},     {1e-5, "1E-5"},
        {0.0001, "0#0001"}, {123456789012345.0, "123456789012345"},
        {2.5e-7, "2#5E-7"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FloatToStr(c.value), Text(c.text)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Separators, StrToFloatTest, ::testing::Values(QChar(u','), QChar(u'.')));

TEST(StrToFloat, RefusesTheOtherSeparator) {
    const QChar saved = DecimalSeparator;
    DecimalSeparator = u',';
    EXPECT_THROW(StrToFloat("1.5"), EConvertError);
    EXPECT_THROW(StrToFloat("1,000.5"), EConvertError);
    DecimalSeparator = saved;
}

} // namespace

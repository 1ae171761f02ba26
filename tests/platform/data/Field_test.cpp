#include "platform/data/Field.h"

#include "platform/data/MemoryDataSet.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

// One field of every type, in a record being inserted, with "," as the decimal separator.
class FieldTest : public ::testing::Test {
protected:
    void SetUp() override {
        DecimalSeparator = u',';
        const struct {
            const char* name;
            TFieldType type;
            int size;
        } defs[] = {
            {"S", ftString, 5},   {"W", ftWideString, 0}, {"SI", ftSmallint, 0},
            {"I", ftInteger, 0},  {"WO", ftWord, 0},      {"F", ftFloat, 0},
            {"C", ftCurrency, 0}, {"B", ftBCD, 2},        {"FB", ftFMTBcd, 0},
            {"D", ftDate, 0},     {"T", ftTime, 0},       {"DT", ftDateTime, 0},
            {"A", ftAutoInc, 0},  {"L", ftBoolean, 0},
        };
        for (const auto& def : defs)
            data.FieldDefs().Add(def.name, def.type, def.size);
        data.Open();
        data.Append();
    }
    void TearDown() override { DecimalSeparator = saved; }

    TField& F(const char* name) { return *data.FieldByName(name); }

    QChar saved = DecimalSeparator;
    TMemoryDataSet data;
};

TEST_F(FieldTest, TextIsParsedByTypeAndReadBack) {
    struct Case {
        const char* field;
        const char* text;
        Variant value;
        const char* textBack;
    } const cases[] = {
        {"S", "abc", QString("abc"), "abc"},
        {"S", "", Null(), ""},
        {"W", "zażółć", QString("zażółć"), "zażółć"},
        {"SI", "-32768", -32768, "-32768"},
        {"I", " 42", 42, "42"},
        {"I", "$10", 16, "16"},
        {"WO", "65535", 65535, "65535"},
        {"F", "1,25", 1.25, "1,25"},
        {"F", "", Null(), ""},
        {"C", "2,123456", 2.1235, "2,1235"},
        {"B", "3,14159", 3.14, "3,14"},
        {"FB", "1,23456", 1.2346, "1,2346"},
        {"D", "2024-02-29", QDate(2024, 2, 29), "2024-02-29"},
        {"T", "23:59", QTime(23, 59), "23:59:00"},
        {"DT", "2024-01-02 03:04:05", QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)),
         "2024-01-02 03:04:05"},
        {"DT", "2024-01-02", QDateTime(QDate(2024, 1, 2), QTime(0, 0)), "2024-01-02 00:00:00"},
        {"L", "t", true, "True"},
        {"L", "FALSE", false, "False"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " " + c.text);
        F(c.field).SetText(c.text);
        EXPECT_EQ(F(c.field).Value(), c.value);
        EXPECT_EQ(F(c.field).Text(), c.textBack);
        EXPECT_EQ(F(c.field).IsNull(), VarIsNull(c.value));
    }
}

TEST_F(FieldTest, TextAFieldCannotTakeIsADatabaseError) {
    struct Case {
        const char* field;
        const char* text;
        const char* message;
    } const cases[] = {
        {"I", "abc", "'abc' is not a valid integer value for field 'I'"},
        {"I", "1,5", "'1,5' is not a valid integer value for field 'I'"},
        {"I", "3000000000", "'3000000000' is not a valid integer value for field 'I'"},
        {"SI", "40000",
         "40000 is not a valid value for field 'SI'. The allowed range is -32768 to 32767"},
        {"WO", "-1", "-1 is not a valid value for field 'WO'. The allowed range is 0 to 65535"},
        {"F", "1.5", "'1.5' is not a valid floating point value for field 'F'"},
        {"L", "yes", "'yes' is not a valid boolean value for field 'L'"},
        {"D", "29.02.2024", "'29.02.2024' is not a valid date for field 'D'"},
        {"T", "25:00", "'25:00' is not a valid time for field 'T'"},
        {"DT", "soon", "'soon' is not a valid date and time for field 'DT'"},
        {"S", "abcdef", "'abcdef' is too long for field 'S', which holds 5 characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        F(c.field).SetText("");
        try {
            F(c.field).SetText(c.text);
            ADD_FAILURE() << "no error";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
        EXPECT_TRUE(F(c.field).IsNull());
    }
}

TEST_F(FieldTest, ValuesAreConvertedToTheFieldsType) {
    F("S").SetValue(12);
    EXPECT_EQ(F("S").Value(), QString("12"));
    F("S").SetValue(1.5);
    EXPECT_EQ(F("S").Value(), QString("1,5"));
    F("I").SetValue(QString("7"));
    EXPECT_EQ(F("I").Value(), 7);
    F("I").SetValue(2.6);
    EXPECT_EQ(F("I").Value(), 3);
    F("F").SetValue(4);
    EXPECT_EQ(F("F").Value(), 4.0);
    F("L").SetValue(0);
    EXPECT_EQ(F("L").Value(), false);
    F("D").SetValue(QDateTime(QDate(2024, 3, 1), QTime(12, 0)));
    EXPECT_EQ(F("D").Value(), QDate(2024, 3, 1));
    F("S").SetValue(QString(""));
    EXPECT_TRUE(F("S").IsNull());

    EXPECT_THROW(F("I").SetValue(QString("x")), EVariantTypeCastError);
    EXPECT_THROW(F("I").SetValue(true), EVariantTypeCastError);
    EXPECT_THROW(F("D").SetValue(5), EVariantTypeCastError);
    EXPECT_THROW(F("SI").SetValue(70000), EDatabaseError);
}

TEST_F(FieldTest, AsFloatReadsANullNumberAsZero) {
    EXPECT_EQ(F("I").AsFloat(), 0.0);
    EXPECT_EQ(F("C").AsFloat(), 0.0);
    F("I").SetValue(-3);
    EXPECT_EQ(F("I").AsFloat(), -3.0);
    F("S").SetText("2,5");
    EXPECT_EQ(F("S").AsFloat(), 2.5);
    F("S").SetText("x");
    EXPECT_THROW(F("S").AsFloat(), EConvertError);
    try {
        F("L").AsFloat();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Cannot access field 'L' as type Float");
    }
}

TEST_F(FieldTest, DisplayPropertiesFollowTheType) {
    F("C").SetValue(3.5);
    EXPECT_EQ(F("C").Text(), "3,5");
    EXPECT_EQ(F("C").DisplayText(), "3,50");
    EXPECT_EQ(F("S").Size(), 5);
    EXPECT_EQ(F("W").Size(), 20);
    EXPECT_EQ(F("S").DisplayWidth(), 5);
    EXPECT_EQ(F("I").DisplayWidth(), 11);
    for (const char* name : {"SI", "I", "WO", "F", "C", "B", "FB", "A"})
        EXPECT_EQ(F(name).Alignment(), taRightJustify) << name;
    for (const char* name : {"S", "W", "D", "T", "DT", "L"})
        EXPECT_EQ(F(name).Alignment(), taLeftJustify) << name;
}

TEST_F(FieldTest, WritesNeedEditOrInsertModeAndAWritableField) {
    data.Post();
    EXPECT_TRUE(F("A").CanModify());
    try {
        F("I").SetText("1");
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dataset not in edit or insert mode");
    }
    data.SetName("Dane");
    try {
        F("I").Clear();
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Dane: Dataset not in edit or insert mode");
    }

    F("I").SetReadOnly(true);
    EXPECT_FALSE(F("I").CanModify());
    data.Edit();
    try {
        F("I").SetValue(1);
        ADD_FAILURE();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Field 'I' cannot be modified");
    }
}

} // namespace

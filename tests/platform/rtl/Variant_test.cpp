#include "platform/rtl/Variant.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

#include <QDateTime>

#include <gtest/gtest.h>

namespace {

TEST(VarEquals, NullEqualsOnlyNullAndValuesCompareAcrossTypes) {
    const QChar saved = DecimalSeparator;
    DecimalSeparator = u',';
    struct Case {
        const char* name;
        Variant a, b;
        bool equal;
    } const cases[] = {
        {"two nulls", Null(), Null(), true},
        {"null and 0", Null(), 0, false},
        {"null and empty text", Null(), QString(""), false},
        {"0 and null", 0, Null(), false},
        {"texts", QString("Abc"), QString("Abc"), true},
        {"texts differ in case", QString("Abc"), QString("abc"), false},
        {"integers", 5, qlonglong(5), true},
        {"integer and double", 2, 2.0, true},
        {"integer and double differ", 2, 2.5, false},
        {"text read as number", QString("2,5"), 2.5, true},
        {"number and text", 7, QString("7"), true},
        {"booleans", true, true, true},
        {"boolean and number", true, 3, true},
        {"false and 0", false, 0, true},
        {"boolean and text", false, QString("FALSE"), true},
        {"dates", QDate(2024, 5, 1), QDate(2024, 5, 1), true},
        {"date and midnight", QDate(2024, 5, 1), QDateTime(QDate(2024, 5, 1), QTime(0, 0)), true},
        {"date and later", QDate(2024, 5, 1), QDateTime(QDate(2024, 5, 1), QTime(1, 0)), false},
        {"times", QTime(10, 30), QTime(10, 30), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(VarEquals(c.a, c.b), c.equal) << c.name;
    DecimalSeparator = saved;
}

TEST(VarEquals, ValuesThatCannotBeComparedRaise) {
    struct Case {
        Variant a, b;
        const char* message;
    } const cases[] = {
        {QString("abc"), 5, "Could not convert variant of type (String) into type (Double)"},
        {1.5, QString("x"), "Could not convert variant of type (String) into type (Double)"},
        {true, QString("yes"), "Could not convert variant of type (String) into type (Boolean)"},
        {QDate(2024, 1, 1), 3, "Could not convert variant of type (Integer) into type (Date)"},
        {QString("2024-01-01"), QDate(2024, 1, 1),
         "Could not convert variant of type (String) into type (Date)"},
    };
    for (const Case& c : cases) {
        try {
            VarEquals(c.a, c.b);
            ADD_FAILURE() << c.message;
        } catch (const EVariantTypeCastError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

} // namespace

#include "platform/data/DBCtrls.h"

#include "platform/data/MemoryDataSet.h"
#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

namespace {

// Switches the system's Middle-East support on for one test.
class MiddleEast {
public:
    MiddleEast() { SysLocale.MiddleEast = true; }
    ~MiddleEast() { SysLocale.MiddleEast = false; }
    MiddleEast(const MiddleEast&) = delete;
    MiddleEast& operator=(const MiddleEast&) = delete;
};

TEST(DBUseRightToLeftAlignment, MirrorsOnlyTextFieldsOfRightToLeftControlsWithMiddleEastSupport) {
    TMemoryDataSet data;
    const TFieldType numeric[] = {ftSmallint, ftInteger, ftWord,     ftFloat,   ftCurrency, ftBCD,
                                  ftDate,     ftTime,    ftDateTime, ftAutoInc, ftFMTBcd};
    for (TFieldType type : numeric)
        data.AddField(QStringLiteral("N%1").arg(int(type)), type);
    const TField& text = data.AddField("T", ftString, 10);
    const TField& wide = data.AddField("W", ftWideString, 10);
    const TField& flag = data.AddField("B", ftBoolean);

    // A Western system never mirrors.
    EXPECT_FALSE(DBUseRightToLeftAlignment(bdRightToLeft, nullptr));
    EXPECT_FALSE(DBUseRightToLeftAlignment(bdRightToLeft, &text));

    const MiddleEast on;
    EXPECT_TRUE(DBUseRightToLeftAlignment(bdRightToLeft, nullptr));
    EXPECT_TRUE(DBUseRightToLeftAlignment(bdRightToLeft, &text));
    EXPECT_TRUE(DBUseRightToLeftAlignment(bdRightToLeft, &wide));
    EXPECT_TRUE(DBUseRightToLeftAlignment(bdRightToLeft, &flag));
    for (TFieldType type : numeric)
        EXPECT_FALSE(DBUseRightToLeftAlignment(
            bdRightToLeft, data.FindField(QStringLiteral("N%1").arg(int(type)))))
            << FieldTypeName(type).toStdString();
    for (TBiDiMode mode : {bdLeftToRight, bdRightToLeftNoAlign, bdRightToLeftReadingOnly})
        EXPECT_FALSE(DBUseRightToLeftAlignment(mode, &text)) << mode;
}

} // namespace

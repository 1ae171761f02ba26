#include "platform/data/DBCtrls.h"

#include "platform/data/Field.h"
#include "platform/rtl/SysUtils.h"

bool DBUseRightToLeftAlignment(TBiDiMode BiDiMode, const TField* Field) {
    if (!SysLocale.MiddleEast || BiDiMode != bdRightToLeft)
        return false;
    if (Field == nullptr)
        return true;
    switch (Field->DataType()) {
    case ftSmallint:
    case ftInteger:
    case ftWord:
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftAutoInc:
    case ftFMTBcd:
        return false;
    default:
        return true;
    }
}

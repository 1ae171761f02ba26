#include "platform/data/DB.h"

#include "platform/gui/Classes.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

bool IsStringField(TFieldType type) {
    return type == ftString || type == ftWideString;
}

bool IsIntegerField(TFieldType type) {
    return type == ftSmallint || type == ftInteger || type == ftWord || type == ftAutoInc;
}

bool IsFloatField(TFieldType type) {
    return type == ftFloat || type == ftCurrency || type == ftBCD || type == ftFMTBcd;
}

QString FieldTypeName(TFieldType type) {
    switch (type) {
    case ftString:
        return QStringLiteral("String");
    case ftWideString:
        return QStringLiteral("WideString");
    case ftSmallint:
        return QStringLiteral("Smallint");
    case ftInteger:
        return QStringLiteral("Integer");
    case ftWord:
        return QStringLiteral("Word");
    case ftFloat:
        return QStringLiteral("Float");
    case ftCurrency:
        return QStringLiteral("Currency");
    case ftBCD:
        return QStringLiteral("BCD");
    case ftDate:
        return QStringLiteral("Date");
    case ftTime:
        return QStringLiteral("Time");
    case ftDateTime:
        return QStringLiteral("DateTime");
    case ftAutoInc:
        return QStringLiteral("AutoInc");
    case ftFMTBcd:
        return QStringLiteral("FMTBcd");
    case ftBoolean:
        return QStringLiteral("Boolean");
    }
    return QString();
}

void DatabaseError(const QString& message, const TComponent* component) {
    if (component && !component->Name().isEmpty())
        throw EDatabaseError(Format(QStringLiteral("%s: %s"), {component->Name(), message}));
    throw EDatabaseError(message);
}

#include "platform/rtl/Variant.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"

#include <QDateTime>

namespace {

enum class Family { Null, Text, Integer, Float, Boolean, DateTime, Other };

Family FamilyOf(const Variant& value) {
    if (VarIsNull(value))
        return Family::Null;
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::QChar:
        return Family::Text;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return Family::Integer;
    case QMetaType::Double:
    case QMetaType::Float:
        return Family::Float;
    case QMetaType::Bool:
        return Family::Boolean;
    case QMetaType::QDate:
    case QMetaType::QTime:
    case QMetaType::QDateTime:
        return Family::DateTime;
    default:
        return Family::Other;
    }
}

bool IsNumber(Family family) {
    return family == Family::Integer || family == Family::Float;
}

double TextAsNumber(const Variant& text) {
    if (const auto number = TryStrToFloat(text.toString()))
        return *number;
    VarCastError(text, QStringLiteral("Double"));
}

bool TextAsBoolean(const Variant& text) {
    const QString s = text.toString();
    if (s.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (s.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    VarCastError(text, QStringLiteral("Boolean"));
}

bool AsBoolean(const Variant& value, Family family) {
    if (family == Family::Boolean)
        return value.toBool();
    if (family == Family::Text)
        return TextAsBoolean(value);
    return value.toDouble() != 0;
}

QDateTime AsDateTime(const Variant& value) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        return QDateTime(value.toDate(), QTime(0, 0));
    case QMetaType::QTime:
        return QDateTime(QDate(1899, 12, 30), value.toTime());
    default:
        return value.toDateTime();
    }
}

} // namespace

bool VarIsStr(const Variant& value) {
    return FamilyOf(value) == Family::Text;
}

bool VarIsNumeric(const Variant& value) {
    return IsNumber(FamilyOf(value));
}

bool VarIsFloat(const Variant& value) {
    return FamilyOf(value) == Family::Float;
}

bool VarIsDateTime(const Variant& value) {
    return FamilyOf(value) == Family::DateTime;
}

QString VarTypeName(const Variant& value) {
    switch (FamilyOf(value)) {
    case Family::Null:
        return QStringLiteral("Null");
    case Family::Text:
        return QStringLiteral("String");
    case Family::Integer:
        return value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::ULongLong
                   ? QStringLiteral("Int64")
                   : QStringLiteral("Integer");
    case Family::Float:
        return QStringLiteral("Double");
    case Family::Boolean:
        return QStringLiteral("Boolean");
    case Family::DateTime:
        return QStringLiteral("Date");
    case Family::Other:
        break;
    }
    return QString::fromUtf8(value.typeName());
}

void VarCastError(const Variant& value, const QString& wantedType) {
    throw EVariantTypeCastError(
        Format(QStringLiteral("Could not convert variant of type (%s) into type (%s)"),
               {VarTypeName(value), wantedType}));
}

bool VarEquals(const Variant& a, const Variant& b) {
    const Family fa = FamilyOf(a);
    const Family fb = FamilyOf(b);
    if (fa == Family::Null || fb == Family::Null)
        return fa == fb;
    if (fa == Family::Other)
        VarCastError(a, VarTypeName(b));
    if (fb == Family::Other)
        VarCastError(b, VarTypeName(a));
    if (fa == Family::Text && fb == Family::Text)
        return a.toString() == b.toString();
    if (fa == Family::Integer && fb == Family::Integer)
        return a.toLongLong() == b.toLongLong();
    if (IsNumber(fa) && IsNumber(fb))
        return a.toDouble() == b.toDouble();
    if (fa == Family::Boolean || fb == Family::Boolean) {
        if (fa == Family::DateTime || fb == Family::DateTime)
            VarCastError(fa == Family::DateTime ? a : b, QStringLiteral("Boolean"));
        return AsBoolean(a, fa) == AsBoolean(b, fb);
    }
    if (fa == Family::Text && IsNumber(fb))
        return TextAsNumber(a) == b.toDouble();
    if (IsNumber(fa) && fb == Family::Text)
        return a.toDouble() == TextAsNumber(b);
    if (fa == Family::DateTime && fb == Family::DateTime)
        return AsDateTime(a) == AsDateTime(b);
    // A date met by a text or a number: neither converts to a point in time here.
    VarCastError(fa == Family::DateTime ? b : a, QStringLiteral("Date"));
}

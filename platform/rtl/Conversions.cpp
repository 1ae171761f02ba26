#include "platform/rtl/Conversions.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

std::optional<int> TryStrToInt(const QString& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == u'$') {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        base = 16;
        i += 2;
    }
    if (i >= n)
        return std::nullopt;
    qint64 value = 0;
    for (; i < n; ++i) {
        const char16_t c = text[i].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (base == 16 && c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (base == 16 && c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            return std::nullopt;
        value = value * base + digit;
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<int>::max() || value < std::numeric_limits<int>::min())
        return std::nullopt;
    return int(value);
}

QString VariantTypeName(const QVariant& value) {
    if (VarIsNull(value))
        return QStringLiteral("Null");
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        return QStringLiteral("String");
    case QMetaType::Double:
    case QMetaType::Float:
        return QStringLiteral("Double");
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QStringLiteral("Int64");
    case QMetaType::Bool:
        return QStringLiteral("Boolean");
    default:
        return QString::fromUtf8(value.typeName());
    }
}

[[noreturn]] void CastError(const QVariant& value) {
    throw EVariantTypeCastError(
        Format(QStringLiteral("Could not convert variant of type (%s) into type (%s)"),
               {VariantTypeName(value), QStringLiteral("Integer")}));
}

} // namespace

int StrToInt(const QString& text) {
    if (const auto value = TryStrToInt(text))
        return *value;
    throw EConvertError(Format(QStringLiteral("'%s' is not a valid integer value"), {text}));
}

double StrToFloat(const QString& text) {
    const QString trimmed = Trim(text);
    QString plain;
    plain.reserve(trimmed.size());
    qsizetype i = 0;
    const qsizetype n = trimmed.size();
    const auto digits = [&] {
        const qsizetype start = i;
        while (i < n && trimmed[i] >= u'0' && trimmed[i] <= u'9')
            plain += trimmed[i++];
        return i - start;
    };
    if (i < n && (trimmed[i] == u'+' || trimmed[i] == u'-'))
        plain += trimmed[i++];
    qsizetype mantissa = digits();
    if (i < n && trimmed[i] == DecimalSeparator) {
        plain += u'.';
        ++i;
        mantissa += digits();
    }
    bool valid = mantissa > 0;
    if (valid && i < n && (trimmed[i] == u'e' || trimmed[i] == u'E')) {
        plain += u'e';
        ++i;
        if (i < n && (trimmed[i] == u'+' || trimmed[i] == u'-'))
            plain += trimmed[i++];
        valid = digits() > 0;
    }
    bool converted = false;
    const double value = valid && i == n ? plain.toDouble(&converted) : 0.0;
    if (!converted || !std::isfinite(value))
        throw EConvertError(
            Format(QStringLiteral("'%s' is not a valid floating point value"), {text}));
    return value;
}

QString Trim(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= ' ')
        ++b;
    while (e > b && text[e - 1].unicode() <= ' ')
        --e;
    return text.mid(b, e - b);
}

QByteArrayView Trim(QByteArrayView text) {
    qsizetype b = 0, e = text.size();
    while (b < e && quint8(text[b]) <= ' ')
        ++b;
    while (e > b && quint8(text[e - 1]) <= ' ')
        --e;
    return text.sliced(b, e - b);
}

QString UpperCase(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        if (c >= u'a' && c <= u'z')
            c = QChar(c.unicode() - 32);
    return result;
}

bool VarIsNull(const QVariant& value) {
    return !value.isValid() || value.isNull();
}

QString VarToStr(const QVariant& value) {
    return VarIsNull(value) ? QString() : value.toString();
}

int VarToInt(const QVariant& value) {
    if (VarIsNull(value))
        CastError(value);
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
        if (const auto v = TryStrToInt(value.toString()))
            return *v;
        CastError(value);
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = std::nearbyint(value.toDouble());
        if (!(d >= std::numeric_limits<int>::min() && d <= std::numeric_limits<int>::max()))
            CastError(value);
        return int(d);
    }
    default: {
        bool ok = false;
        const qlonglong v = value.toLongLong(&ok);
        if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
            CastError(value);
        return int(v);
    }
    }
}

#include "platform/rtl/Conversions.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Variant.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

[[noreturn]] void CastError(const QVariant& value) {
    VarCastError(value, QStringLiteral("Integer"));
}

} // namespace

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

int StrToInt(const QString& text) {
    if (const auto value = TryStrToInt(text))
        return *value;
    throw EConvertError(Format(QStringLiteral("'%s' is not a valid integer value"), {text}));
}

std::optional<double> TryStrToFloat(const QString& text) {
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
        return std::nullopt;
    return value;
}

double StrToFloat(const QString& text) {
    if (const auto value = TryStrToFloat(text))
        return *value;
    throw EConvertError(Format(QStringLiteral("'%s' is not a valid floating point value"), {text}));
}

QString FloatToStr(double value) {
    // Fifteen significant digits as "%g" writes them, with the locale's separator and the
    // exponent written "E-5" or "E20".
    QString text = QString::number(value, 'g', 15);
    const qsizetype e = text.indexOf(u'e');
    if (e >= 0) {
        QString exponent = text.mid(e + 1);
        const bool negative = exponent.startsWith(u'-');
        exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith(u'0'))
            exponent.remove(0, 1);
        text = text.left(e) + u'E' + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    return text.replace(u'.', DecimalSeparator);
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

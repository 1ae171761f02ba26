#include "platform/rtl/Format.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

[[noreturn]] void InvalidFormat(const QString& format) {
    throw EConvertError(
        QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format));
}

int ReadNumber(const QString& format, qsizetype& i) {
    int n = 0;
    while (i < format.size() && format[i].isDigit() && format[i].unicode() < 128) {
        n = n * 10 + (format[i].unicode() - '0');
        if (n > 1'000'000)
            InvalidFormat(format);
        ++i;
    }
    return n;
}

// A finite number in decimal digits, rounded to a count of decimals.
struct TDecimal {
    bool negative = false;
    QString integer;  // without leading zeros, "0" at least
    QString fraction; // exactly the decimals asked for
};

TDecimal RoundDecimal(double value, int decimals) {
    // The shortest form "d.ddde±x" gives the digits and the place of the point.
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::scientific);
    const QString text = QString::fromLatin1(buffer, written.ptr - buffer);
    const qsizetype e = text.indexOf(u'e');
    QString digits = text.left(e).remove(u'.');
    qsizetype point = text.mid(e + 1).toInt() + 1; // integer digits of digits
    if (point <= 0) {
        digits.prepend(QString(1 - point, u'0'));
        point = 1;
    }
    if (point > digits.size())
        digits.append(QString(point - digits.size(), u'0'));

    const qsizetype kept = point + decimals;
    bool up = false;
    if (digits.size() > kept) {
        up = digits[kept] >= u'5';
        digits.truncate(kept);
    } else {
        digits.append(QString(kept - digits.size(), u'0'));
    }
    for (qsizetype i = digits.size(); up && i-- > 0;) {
        up = digits[i] == u'9';
        digits[i] = up ? u'0' : QChar(digits[i].unicode() + 1);
    }
    if (up) {
        digits.prepend(u'1');
        ++point;
    }

    TDecimal result;
    result.integer = digits.left(point);
    result.fraction = digits.mid(point);
    qsizetype zeros = 0;
    while (zeros + 1 < result.integer.size() && result.integer[zeros] == u'0')
        ++zeros;
    result.integer.remove(0, zeros);
    const bool zero =
        result.integer == u"0" && std::all_of(result.fraction.begin(), result.fraction.end(),
                                              [](QChar c) { return c == u'0'; });
    result.negative = std::signbit(value) && !zero;
    return result;
}

QString NonFinite(double value) {
    return std::isnan(value) ? QStringLiteral("NAN")
           : value < 0       ? QStringLiteral("-INF")
                             : QStringLiteral("INF");
}

QString Grouped(const QString& integer) {
    QString out;
    for (qsizetype i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0)
            out += ThousandSeparator;
        out += integer[i];
    }
    return out;
}

QString FormatNumber(double value, int decimals) {
    if (!std::isfinite(value))
        return NonFinite(value);
    const TDecimal d = RoundDecimal(value, decimals);
    QString out = d.negative ? QStringLiteral("-") : QString();
    out += Grouped(d.integer);
    if (decimals > 0)
        out += DecimalSeparator + d.fraction;
    return out;
}

} // namespace

QString Format(const QString& format, std::initializer_list<TVarRec> args) {
    QString out;
    out.reserve(format.size() + 16 * qsizetype(args.size()));
    auto arg = args.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c != u'%') {
            out += c;
            continue;
        }
        if (++i >= format.size())
            InvalidFormat(format);
        if (format[i] == u'%') {
            out += u'%';
            continue;
        }
        const bool left = format[i] == u'-';
        if (left)
            ++i;
        const int width = ReadNumber(format, i);
        int precision = -1;
        if (i < format.size() && format[i] == u'.') {
            ++i;
            precision = ReadNumber(format, i);
        }
        if (i >= format.size() || arg == args.end())
            InvalidFormat(format);
        QString piece;
        switch (format[i].unicode()) {
        case 'd':
        case 'D': {
            if (!arg->IsInteger())
                InvalidFormat(format);
            const qint64 v = arg->Integer();
            QString digits = QString::number(v < 0 ? -(v + 1) + 1ull : quint64(v));
            if (precision > digits.size())
                digits.prepend(QString(precision - digits.size(), u'0'));
            piece = v < 0 ? u'-' + digits : digits;
            break;
        }
        case 'n':
        case 'N':
            if (!arg->IsFloat())
                InvalidFormat(format);
            piece = FormatNumber(arg->Float(), precision >= 0 ? precision : 2);
            break;
        case 's':
        case 'S':
            if (!arg->IsInteger() && !arg->IsFloat())
                piece = precision >= 0 ? arg->Text().left(precision) : arg->Text();
            else
                InvalidFormat(format);
            break;
        default:
            InvalidFormat(format);
        }
        ++arg;
        if (piece.size() < width) {
            const QString pad(width - piece.size(), u' ');
            piece = left ? piece + pad : pad + piece;
        }
        out += piece;
    }
    return out;
}

QString FormatFloat(const QString& format, double value) {
    int integerZeros = 0;
    int fractionZeros = 0;
    int fractionPlaces = 0;
    bool afterPoint = false;
    for (const QChar c : format) {
        if (c == u'.' && !afterPoint) {
            afterPoint = true;
        } else if (c == u'0' || c == u'#') {
            if (afterPoint) {
                ++fractionPlaces;
                fractionZeros = c == u'0' ? fractionPlaces : fractionZeros;
            } else if (c == u'0') {
                ++integerZeros;
            }
        } else {
            InvalidFormat(format);
        }
    }
    if (!std::isfinite(value))
        return NonFinite(value);
    TDecimal d = RoundDecimal(value, fractionPlaces);
    QString fraction = d.fraction;
    while (fraction.size() > fractionZeros && fraction.endsWith(u'0'))
        fraction.chop(1);
    QString integer = d.integer == u"0" ? QString() : d.integer;
    if (integer.size() < integerZeros)
        integer.prepend(QString(integerZeros - integer.size(), u'0'));
    QString out = d.negative ? QStringLiteral("-") : QString();
    out += integer;
    if (!fraction.isEmpty())
        out += DecimalSeparator + fraction;
    return out;
}

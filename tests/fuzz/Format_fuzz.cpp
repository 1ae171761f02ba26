// Format from any format text and arguments: it raises nothing but its own conversion error; a
// format with every "%" doubled gives back its text; "%d", "%s" and "%n" with a flag, width and
// precision write what the C library's printf, the text itself and the number's value say.

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "tests/fuzz/FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QRegularExpression>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

QString InvalidMessage(const QString& format) {
    return QStringLiteral("Format '%1' invalid or incompatible with argument").arg(format);
}

QString Text(FuzzedDataProvider& in, std::size_t maxLength) {
    return QString::fromStdString(in.ConsumeRandomLengthString(maxLength));
}

TVarRec Argument(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 2)) {
    case 0:
        return in.ConsumeIntegral<qint64>();
    case 1:
        return std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
    default:
        return Text(in, 64);
    }
}

QString Call(const QString& format, const std::vector<TVarRec>& a) {
    switch (a.size()) {
    case 0:
        return Format(format, {});
    case 1:
        return Format(format, {a[0]});
    case 2:
        return Format(format, {a[0], a[1]});
    default:
        return Format(format, {a[0], a[1], a[2]});
    }
}

// Any format text with any arguments.
void AnyFormat(FuzzedDataProvider& in) {
    const QString format = Text(in, 128);
    std::vector<TVarRec> args;
    for (int n = in.ConsumeIntegralInRange(0, 3); n > 0; --n)
        args.push_back(Argument(in));
    try {
        Call(format, args);
    } catch (const EConvertError& e) {
        Expect(e.Message() == InvalidMessage(format), "the error names the format", e.Message());
    }
    QString escaped = format;
    escaped.replace(u'%', QStringLiteral("%%"));
    Expect(Format(escaped, {}) == format, "a format with its \"%\" doubled gives back its text",
           format);
}

// "%", an optional "-", an optional width and an optional precision.
struct TSpecifier {
    bool left;
    int width;     // -1: none
    int precision; // -1: none

    QString Text(char conversion) const {
        QString s = QStringLiteral("%");
        if (left)
            s += u'-';
        if (width >= 0)
            s += QString::number(width);
        if (precision >= 0)
            s += u'.' + QString::number(precision);
        return s + QChar(conversion);
    }
    QString Padded(const QString& piece) const {
        if (piece.size() >= width)
            return piece;
        const QString pad(width - piece.size(), u' ');
        return left ? piece + pad : pad + piece;
    }
};

TSpecifier Specifier(FuzzedDataProvider& in, int maxPrecision) {
    TSpecifier s;
    s.left = in.ConsumeBool();
    s.width = in.ConsumeIntegralInRange(-1, 40);
    s.precision = in.ConsumeIntegralInRange(-1, maxPrecision);
    return s;
}

void Integer(FuzzedDataProvider& in) {
    const TSpecifier s = Specifier(in, 40);
    const qint64 value = in.ConsumeIntegral<qint64>();
    const QString format = s.Text(in.ConsumeBool() ? 'd' : 'D');
    // printf writes no digit for zero at precision 0; the class library writes "0".
    const int precision = s.precision == 0 && value == 0 ? -1 : s.precision;
    char expected[128];
    std::snprintf(expected, sizeof expected, s.left ? "%-*.*lld" : "%*.*lld", s.width, precision,
                  static_cast<long long>(value));
    const QString written = Format(format, {value});
    Expect(written == QString::fromLatin1(expected), "an integer as printf writes it",
           format + QStringLiteral(" %1 -> ").arg(value) + written);
}

void String(FuzzedDataProvider& in) {
    const TSpecifier s = Specifier(in, 40);
    const QString value = Text(in, 64);
    const QString format = s.Text(in.ConsumeBool() ? 's' : 'S');
    const QString written = Format(format, {value});
    Expect(written == s.Padded(s.precision >= 0 ? value.left(s.precision) : value),
           "a text, cut to the precision and padded to the width", format + " -> " + written);
}

// The number's digits in groups of three and the decimals asked for, within half a unit of the
// last decimal of the value; a sign only before a digit that is not zero.
void Number(FuzzedDataProvider& in) {
    const TSpecifier s = Specifier(in, 20);
    const double value = std::bit_cast<double>(in.ConsumeIntegral<std::uint64_t>());
    const QString format = s.Text(in.ConsumeBool() ? 'n' : 'N');
    const QString written = Format(format, {value});
    const QString detail = format + QStringLiteral(" %1 -> ").arg(value, 0, 'g', 17) + written;
    const int decimals = s.precision >= 0 ? s.precision : 2;

    if (!std::isfinite(value)) {
        const QString name = std::isnan(value) ? QStringLiteral("NAN")
                             : value < 0       ? QStringLiteral("-INF")
                                               : QStringLiteral("INF");
        Expect(written == s.Padded(name), "an infinity or NaN by its name", detail);
        return;
    }
    const QString t = QRegularExpression::escape(ThousandSeparator);
    const QString d = QRegularExpression::escape(DecimalSeparator);
    // The number never starts or ends with a separator, so the blanks at its ends are the padding.
    QString number = written;
    while (number.startsWith(u' '))
        number.remove(0, 1);
    while (number.endsWith(u' '))
        number.chop(1);
    Expect(written == s.Padded(number), "padded to the width on the side asked for", detail);
    const QString pattern = QStringLiteral("(-?)(0|[1-9][0-9]{0,2}(?:%1[0-9]{3})*)").arg(t) +
                            (decimals > 0 ? QStringLiteral("%1([0-9]{%2})").arg(d).arg(decimals)
                                          : QStringLiteral("()"));
    const QRegularExpressionMatch m =
        QRegularExpression(QRegularExpression::anchoredPattern(pattern)).match(number);
    Expect(m.hasMatch(), "digits grouped by three, then the decimals", detail);

    QString digits = m.captured(2);
    digits.remove(ThousandSeparator);
    const QString fraction = m.captured(3);
    const bool nonZero =
        digits != u"0" || fraction.contains(QRegularExpression(QStringLiteral("[1-9]")));
    Expect(m.captured(1).isEmpty() == (!std::signbit(value) || !nonZero),
           "a sign only before a digit that is not zero", detail);

    const QString plain =
        m.captured(1) + digits + u'.' + (fraction.isEmpty() ? QStringLiteral("0") : fraction);
    const double read = std::strtod(plain.toLatin1().constData(), nullptr);
    const double unit = std::pow(10.0, -decimals);
    Expect(std::fabs(read - value) <= 0.5 * unit * (1 + 1e-9) + std::fabs(value) * 1e-15,
           "within half a unit of the last decimal", detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    static const QChar separators[] = {u',', u'.', u' ', u'\u00a0', u'\''};
    DecimalSeparator = in.ConsumeBool() ? u',' : u'.';
    do
        ThousandSeparator = in.PickValueInArray(separators);
    while (ThousandSeparator == DecimalSeparator && in.remaining_bytes() > 0);
    if (ThousandSeparator == DecimalSeparator)
        ThousandSeparator = u' ';

    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        AnyFormat(in);
        break;
    case 1:
        Integer(in);
        break;
    case 2:
        String(in);
        break;
    default:
        Number(in);
        break;
    }
    return 0;
}

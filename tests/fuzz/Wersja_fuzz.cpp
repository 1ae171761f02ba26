// Version numbers from any text: the parser answers false for every text that is not four runs
// of ASCII digits joined by dots, reads the four values of every text that is, and raises
// nothing but the conversion error of a part too large for 32 bits.

#include "engine/Wersja.h"
#include "platform/rtl/Exceptions.h"
#include "tests/fuzz/FuzzCheck.h"

#include <QRegularExpression>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>

namespace {

// The four parts' digits, worked out apart from the parser; nothing for a text of another form.
std::optional<QStringList> Parts(const QString& text) {
    static const QRegularExpression form(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)")));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return match.capturedTexts().mid(1);
}

// The digits' value, or nothing above 2147483647.
std::optional<int> Value(QString digits) {
    while (digits.size() > 1 && digits.front() == u'0')
        digits.remove(0, 1);
    if (digits.size() > 10)
        return std::nullopt;
    const qint64 value = digits.toLongLong();
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

QString Shown(const std::array<int, 4>& parts) {
    return QStringLiteral("%1, %2, %3, %4").arg(parts[0]).arg(parts[1]).arg(parts[2]).arg(parts[3]);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<QStringList> digits = Parts(text);

    // The expected values, or the digits of the first part too large.
    std::array<int, 4> expected{};
    QString tooLarge;
    for (int i = 0; digits && i < 4 && tooLarge.isEmpty(); ++i) {
        if (const std::optional<int> v = Value(digits->at(i)))
            expected[std::size_t(i)] = *v;
        else
            tooLarge = digits->at(i);
    }

    std::array<int, 4> parts{-1, -1, -1, -1};
    try {
        const bool valid = ParsujWersje(text, parts[0], parts[1], parts[2], parts[3]);
        Expect(tooLarge.isEmpty(), "a part above 2147483647 raises", text);
        Expect(valid == digits.has_value(), "valid exactly for four runs of digits joined by dots",
               text);
        Expect(parts == (valid ? expected : std::array<int, 4>{}),
               "the four values when valid, four zeros when not", text + " -> " + Shown(parts));
    } catch (const EConvertError& e) {
        Expect(!tooLarge.isEmpty(), "only a part above 2147483647 raises", text);
        Expect(e.Message() == QStringLiteral("'%1' is not a valid integer value").arg(tooLarge),
               "the error names the part's digits", e.Message());
        return 0;
    }

    const QString shown = WersjaDoWyswietlenia(text);
    const QString expectedShown = QStringLiteral("%1.%2.%3")
                                      .arg(qint64(expected[0]) + 2000)
                                      .arg(expected[1])
                                      .arg(expected[2], 2, 10, QChar(u'0'));
    Expect(shown == expectedShown, "the display form", text + " -> " + shown);

    // Compared with a fixed version, both ways, by value part by part.
    const QString other = QStringLiteral("17.1.0.10");
    const std::array<int, 4> otherParts{17, 1, 0, 10};
    try {
        const bool atOrAbove = WersjaWiekszaLubRowna(text, other);
        const bool atOrBelow = WersjaWiekszaLubRowna(other, text);
        Expect(digits.has_value(), "only a version number compares", text);
        Expect(atOrAbove == (expected >= otherParts) && atOrBelow == (otherParts >= expected),
               "compared by value", text);
        Expect(WersjaWiekszaLubRowna(text, text), "a version is at or above itself", text);
    } catch (const EConvertError& e) {
        Expect(!digits.has_value(), "a version number compares", text);
        Expect(e.Message() == QStringLiteral("Niepoprawna wersja: \"%1\".").arg(text),
               "the error names the text", e.Message());
    }
    return 0;
}

#pragma once

#include <QString>

#include <initializer_list>
#include <variant>

// One argument of Format: an integer, a floating-point number or a text.
class TVarRec {
public:
    TVarRec(int value) : value_(qint64(value)) {}
    TVarRec(qint64 value) : value_(value) {}
    TVarRec(double value) : value_(value) {}
    TVarRec(const QString& value) : value_(value) {}
    TVarRec(const char* utf8) : value_(QString::fromUtf8(utf8)) {}

    bool IsInteger() const { return std::holds_alternative<qint64>(value_); }
    bool IsFloat() const { return std::holds_alternative<double>(value_); }
    qint64 Integer() const { return std::get<qint64>(value_); }
    double Float() const { return std::get<double>(value_); }
    const QString& Text() const { return std::get<QString>(value_); }

private:
    std::variant<qint64, QString, double> value_;
};

// Numbers are written from their shortest decimal form (the fewest digits that read back as the
// same double, so 2.675 is "2.675"), rounded half away from zero; infinities and NaN are written
// as "INF", "-INF" and "NAN".

// printf-style formatting as the class library has it: "%s", "%d", "%n", an optional "-", width
// and ".precision" ("%.2d" writes at least two digits), and "%%". "%n" writes a floating-point
// number with ThousandSeparator between groups of three integer digits, DecimalSeparator and
// exactly precision decimals (2 when none is given). A specifier
// that does not match its argument, or a missing argument, raises EConvertError
// "Format '%s' invalid or incompatible with argument".
QString Format(const QString& format, std::initializer_list<TVarRec> args);

// Writes a number by a picture of digit placeholders: "0" always writes a digit, "#" only a
// significant one, and "." stands for DecimalSeparator ("0.###" writes 1,5 as "1,5" and 2 as
// "2"). The value is rounded to the placeholders after the point; the sign is written only when
// a non-zero digit is. Any other character in the picture raises
// EConvertError "Format '%s' invalid or incompatible with argument".
QString FormatFloat(const QString& format, double value);

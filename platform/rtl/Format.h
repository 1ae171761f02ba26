#pragma once

#include <QString>

#include <initializer_list>
#include <variant>

// One argument of Format: an integer or a text.
class TVarRec {
public:
    TVarRec(int value) : value_(qint64(value)) {}
    TVarRec(qint64 value) : value_(value) {}
    TVarRec(const QString& value) : value_(value) {}
    TVarRec(const char* utf8) : value_(QString::fromUtf8(utf8)) {}

    bool IsInteger() const { return std::holds_alternative<qint64>(value_); }
    qint64 Integer() const { return std::get<qint64>(value_); }
    const QString& Text() const { return std::get<QString>(value_); }

private:
    std::variant<qint64, QString> value_;
};

// printf-style formatting as the class library has it: "%s", "%d", an optional "-", width and
// ".precision" ("%.2d" writes at least two digits), and "%%". A specifier that does not match
// its argument, or a missing argument, raises EConvertError
// "Format '%s' invalid or incompatible with argument".
QString Format(const QString& format, std::initializer_list<TVarRec> args);

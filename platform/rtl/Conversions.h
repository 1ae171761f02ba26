#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <optional>

// Text and number conversions of the run-time library.

// Reads a 32-bit signed integer: leading blanks, an optional sign, decimal digits or a hex number
// after "$" or "0x". Anything else, or a value out of range, raises EConvertError
// "'%s' is not a valid integer value".
int StrToInt(const QString& text);
// The same reading; nothing for a text StrToInt refuses.
std::optional<int> TryStrToInt(const QString& text);

// Reads a floating-point number written with the locale's DecimalSeparator: blanks around it, an
// optional sign, digits with at most one separator, an optional exponent ("1,5E3"). Anything
// else, or a value beyond the range of a double, raises EConvertError
// "'%s' is not a valid floating point value".
double StrToFloat(const QString& text);
// The same reading; nothing for a text StrToFloat refuses.
std::optional<double> TryStrToFloat(const QString& text);

// A floating-point number in its shortest general form with up to 15 significant digits and
// the locale's DecimalSeparator; very large or small values take an exponent ("1E20", "1E-5").
QString FloatToStr(double value);

// Removes the characters at or below the blank (codes 0-32) from both ends.
QString Trim(const QString& text);
QByteArrayView Trim(QByteArrayView text);

// ASCII letters to upper case; every other character stays.
QString UpperCase(const QString& text);

// A field value: a SQL NULL is a QVariant that is invalid or null.
bool VarIsNull(const QVariant& value);
// The value as text; NULL gives the empty text.
QString VarToStr(const QVariant& value);
// The value as a 32-bit integer; a NULL, a text that is no integer or a value out of range raise
// EVariantTypeCastError "Could not convert variant of type (%s) into type (Integer)".
int VarToInt(const QVariant& value);

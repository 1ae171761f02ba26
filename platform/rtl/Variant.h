#pragma once

#include <QString>
#include <QVariant>

// A value of any of the kinds fields hold, or Null (an invalid or null QVariant): integers,
// floating point (currency included), text, Boolean, date and time.
using Variant = QVariant;

inline Variant Null() {
    return Variant();
}

// The value's type as the run-time library's messages name it: Null, String, Integer, Int64,
// Double, Boolean or Date (dates and times alike).
QString VarTypeName(const Variant& value);

// Raises EVariantTypeCastError "Could not convert variant of type (%s) into type (%s)" with the
// value's type name and the wanted one.
[[noreturn]] void VarCastError(const Variant& value, const QString& wantedType);

// What kind of value a Variant holds; Null is none of them.
bool VarIsStr(const Variant& value);
bool VarIsNumeric(const Variant& value); // integers and floating point
bool VarIsFloat(const Variant& value);
bool VarIsDateTime(const Variant& value); // dates, times and both

// Equality of two values. Two Nulls are equal; Null differs from every other value. Texts compare
// exactly (case-sensitive); numbers by value; a text met by a number is read as a number
// (written with the locale's DecimalSeparator), by a Boolean as "True" or "False" in any case;
// a number met by a Boolean stands for True when it is not 0; dates and times compare as points
// in time (a time alone lies on 30 Dec 1899, a date alone at midnight). Values that cannot be
// compared raise EVariantTypeCastError naming the value that could not be converted.
bool VarEquals(const Variant& a, const Variant& b);

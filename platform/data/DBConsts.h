#pragma once

#include <QString>

// Messages of the data-access layer.

inline const QString SFieldNotFound = QStringLiteral("Field '%s' not found");
inline const QString SDuplicateFieldName = QStringLiteral("Duplicate field name '%s'");
inline const QString SFieldTypeMismatch =
    QStringLiteral("Type mismatch for field '%s', expecting: %s actual: %s");
inline const QString SLookupInfoError =
    QStringLiteral("Lookup information for field '%s' is incomplete");
inline const QString SNotEditing = QStringLiteral("Dataset not in edit or insert mode");
inline const QString SDataSetClosed =
    QStringLiteral("Cannot perform this operation on a closed dataset");
inline const QString SDataSetOpen =
    QStringLiteral("Cannot perform this operation on an open dataset");
inline const QString SDataSetEmpty =
    QStringLiteral("Cannot perform this operation on an empty dataset");
inline const QString SDataSourceChange = QStringLiteral("DataSource cannot be changed");
inline const QString SCircularDataLink = QStringLiteral("Circular datalinks are not allowed");
inline const QString SPropDefByLookup = QStringLiteral("Property already defined by lookup field");
inline const QString SNotReplicatable = QStringLiteral("Operation not allowed in a DBCtrlGrid");
inline const QString SFieldReadOnly = QStringLiteral("Field '%s' cannot be modified");
inline const QString SAutoIncOverflow = QStringLiteral("Field '%s' has no next number after %d");
inline const QString SDataSetMissing = QStringLiteral("Field '%s' has no dataset");
inline const QString SFieldAccessError = QStringLiteral("Cannot access field '%s' as type %s");
inline const QString SInvalidIntegerValue =
    QStringLiteral("'%s' is not a valid integer value for field '%s'");
inline const QString SInvalidFloatValue =
    QStringLiteral("'%s' is not a valid floating point value for field '%s'");
inline const QString SInvalidBoolValue =
    QStringLiteral("'%s' is not a valid boolean value for field '%s'");
inline const QString SInvalidDateValue = QStringLiteral("'%s' is not a valid date for field '%s'");
inline const QString SInvalidTimeValue = QStringLiteral("'%s' is not a valid time for field '%s'");
inline const QString SInvalidDateTimeValue =
    QStringLiteral("'%s' is not a valid date and time for field '%s'");
inline const QString SFieldRangeError =
    QStringLiteral("%d is not a valid value for field '%s'. The allowed range is %d to %d");
inline const QString SFieldTooLong =
    QStringLiteral("'%s' is too long for field '%s', which holds %d characters");
inline const QString STextTrue = QStringLiteral("True");
inline const QString STextFalse = QStringLiteral("False");

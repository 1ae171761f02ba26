#pragma once

#include <QString>

class TComponent;
class TField;

// Common declarations of the data-access layer: datasets hold records of fields; data sources
// connect a dataset to data links; data links carry the dataset's notifications to controls.

enum TFieldType {
    ftString,
    ftWideString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftAutoInc,
    ftFMTBcd,
    ftBoolean,
};

// Where a field's value comes from: the record (fkData), the dataset's OnCalcFields for every
// record read (fkCalculated), another dataset through the record's key (fkLookup), or
// OnCalcFields of the record being edited, kept with the record when it is posted
// (fkInternalCalc).
enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc };

// dsCalcFields is the state seen only from inside OnCalcFields.
enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields };

enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;

// The notifications a dataset sends through its data sources to their data links.
enum TDataEvent {
    deFieldChange,         // a field of the current record changed (Info.Field)
    deRecordChange,        // the current record's data changed as a whole
    deDataSetChange,       // the records shown changed (moves to First or Last, edits posted...)
    deDataSetScroll,       // the cursor moved by MoveBy
    deLayoutChange,        // the fields' layout changed
    deUpdateRecord,        // collect the controls' data before a post
    deUpdateState,         // the dataset's state changed
    deCheckBrowseMode,     // the dataset leaves edit mode or moves
    deFocusControl,        // focus the control of a field (Info.FocusField)
    deDisabledStateChange, // a state change while the controls are disabled (Info.Open)
};

struct TDataEventInfo {
    TField* Field = nullptr;
    bool Open = false;
    TField** FocusField = nullptr;
};

bool IsStringField(TFieldType type);
bool IsIntegerField(TFieldType type);
bool IsFloatField(TFieldType type);
// The type's name as the layer's messages give it ("String", "Integer", ...).
QString FieldTypeName(TFieldType type);

// Raises EDatabaseError with the message, prefixed "%s: " by the component's name when it has
// one.
[[noreturn]] void DatabaseError(const QString& message, const TComponent* component = nullptr);

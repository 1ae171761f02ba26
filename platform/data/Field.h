#pragma once

#include "platform/data/DB.h"
#include "platform/gui/Controls.h"
#include "platform/rtl/Variant.h"

#include <QString>

#include <memory>

class TDataSet;

// One column of a dataset's records, seen at the record the dataset shows (its cursor, or the
// row a data link has made active). Fields are made and owned by their dataset
// (TDataSet::AddField, or from the field definitions when the dataset opens without fields of its
// own).
//
// Values are held as Variants of the field's type: text for ftString and ftWideString, int for
// the integer types, double for the floating-point ones (ftCurrency rounded to 4 decimals, ftBCD
// and ftFMTBcd to Size decimals), bool, QDate, QTime and QDateTime. An empty text is Null.
//
// A field that its dataset has let go of while the dataset's controls were disabled stays alive
// until they are enabled again; it has no dataset then, reads as Null and refuses every write.
class TField : public std::enable_shared_from_this<TField> {
public:
    TField(TDataSet* dataSet, int index, QString fieldName, TFieldType dataType, int size,
           TFieldKind fieldKind);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;

    TDataSet* DataSet() const { return dataSet_; }
    // Position among the dataset's fields.
    int Index() const { return index_; }
    const QString& FieldName() const { return fieldName_; }
    TFieldType DataType() const { return dataType_; }
    TFieldKind FieldKind() const { return fieldKind_; }
    // Characters of a string field (20 unless given), decimals of ftBCD and ftFMTBcd (4 unless
    // given), 0 for the other types.
    int Size() const { return size_; }

    // Null while the dataset is closed or has no record.
    Variant Value() const;
    // Converts the value to the field's type and stores it in the record being edited; the
    // dataset then notifies its data links of the field change. Raises EVariantTypeCastError for
    // a value of a type the field cannot take, EDatabaseError for a value out of the type's
    // range, a text too long, a dataset not in edit, insert or set-key mode ("Dataset not in
    // edit or insert mode"), a read-only field ("Field '%s' cannot be modified").
    // Writing Null to a lookup field clears its key field; other values a lookup field refuses.
    void SetValue(const Variant& value);
    bool IsNull() const;
    void Clear();

    // The value as a number; a null numeric field reads 0. A string field is read by StrToFloat
    // (EConvertError); Boolean and date fields raise "Cannot access field '%s' as type Float".
    double AsFloat() const;

    // The value as text for editing; empty for Null.
    QString Text() const;
    // Parses the text by the field's type and stores it as SetValue does; an empty text stores
    // Null. Text the type cannot take raises EDatabaseError "'%s' is not a valid integer value
    // for field '%s'" (floating point, boolean, date, time, date and time alike).
    void SetText(const QString& text);
    // The value as shown: the editing text, but currency with two decimals.
    QString DisplayText() const;

    // Width in characters for display: Size for strings, by type for the others.
    int DisplayWidth() const { return displayWidth_; }
    void SetDisplayWidth(int width);
    // Numbers are right-justified, everything else left-justified, unless set.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // Whether a control may write the field: it is a data or internal-calculated field, not
    // read-only, of an open dataset.
    bool CanModify() const;

    // Asks the data links of the open dataset to focus the control of this field.
    void FocusControl();

    // Lookup fields: the value of LookupResultField of the record in LookupDataSet whose
    // LookupKeyFields equals this record's KeyFields field.
    const QString& KeyFields() const { return keyFields_; }
    void SetKeyFields(const QString& names);
    TDataSet* LookupDataSet() const { return lookupDataSet_; }
    void SetLookupDataSet(TDataSet* dataSet);
    const QString& LookupKeyFields() const { return lookupKeyFields_; }
    void SetLookupKeyFields(const QString& names);
    const QString& LookupResultField() const { return lookupResultField_; }
    void SetLookupResultField(const QString& name);

    // The value converted to the field's type, as SetValue stores it (and raises).
    Variant Convert(const Variant& value) const;

private:
    friend class TDataSet;

    Variant FromText(const QString& text) const;
    QString ToText(const Variant& value) const;
    Variant CheckedText(const QString& text) const;
    Variant CheckedInteger(qint64 value) const;
    Variant RoundedFloat(double value) const;
    void LayoutChanged(bool layout);

    TDataSet* dataSet_;
    int index_;
    QString fieldName_;
    TFieldType dataType_;
    TFieldKind fieldKind_;
    int size_;
    int displayWidth_;
    TAlignment alignment_;
    bool readOnly_ = false;
    QString keyFields_;
    TDataSet* lookupDataSet_ = nullptr;
    QString lookupKeyFields_;
    QString lookupResultField_;
};

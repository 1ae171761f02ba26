#include "platform/data/Field.h"

#include "platform/data/DBConsts.h"
#include "platform/data/DataSet.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"

#include <QDateTime>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace {

int DefaultSize(TFieldType type, int size) {
    if (size > 0)
        return size;
    if (IsStringField(type))
        return 20;
    if (type == ftBCD || type == ftFMTBcd)
        return 4;
    return 0;
}

int DefaultDisplayWidth(TFieldType type, int size) {
    switch (type) {
    case ftString:
    case ftWideString:
        return size;
    case ftSmallint:
    case ftWord:
        return 6;
    case ftInteger:
    case ftAutoInc:
        return 11;
    case ftBoolean:
        return 5;
    case ftDate:
        return 10;
    case ftTime:
        return 8;
    case ftDateTime:
        return 19;
    default:
        return 10;
    }
}

const QString DateFormat = QStringLiteral("yyyy-MM-dd");
const QString TimeFormat = QStringLiteral("hh:mm:ss");
const QString DateTimeFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

// "True" or "False" or any start of them, in any case.
std::optional<bool> BooleanFromText(const QString& text) {
    if (text.isEmpty())
        return std::nullopt;
    if (STextFalse.startsWith(text, Qt::CaseInsensitive))
        return false;
    if (STextTrue.startsWith(text, Qt::CaseInsensitive))
        return true;
    return std::nullopt;
}

// Dates and times as the field texts write them; seconds may be left out.
Variant DateTimeFromText(TFieldType type, const QString& text) {
    const QString t = Trim(text);
    switch (type) {
    case ftDate: {
        const QDate date = QDate::fromString(t, DateFormat);
        return date.isValid() ? Variant(date) : Null();
    }
    case ftTime: {
        QTime time = QTime::fromString(t, TimeFormat);
        if (!time.isValid())
            time = QTime::fromString(t, QStringLiteral("hh:mm"));
        return time.isValid() ? Variant(time) : Null();
    }
    default: {
        for (const QString& format :
             {DateTimeFormat, QStringLiteral("yyyy-MM-dd hh:mm"), DateFormat}) {
            const QDateTime dateTime = QDateTime::fromString(t, format);
            if (dateTime.isValid())
                return dateTime;
        }
        return Null();
    }
    }
}

QString DateTimeText(const Variant& value) {
    switch (value.typeId()) {
    case QMetaType::QDate:
        return value.toDate().toString(DateFormat);
    case QMetaType::QTime:
        return value.toTime().toString(TimeFormat);
    default:
        return value.toDateTime().toString(DateTimeFormat);
    }
}

QString VariantTypeFor(TFieldType type) {
    if (IsStringField(type))
        return QStringLiteral("String");
    if (IsIntegerField(type))
        return QStringLiteral("Integer");
    if (type == ftCurrency)
        return QStringLiteral("Currency");
    if (IsFloatField(type))
        return QStringLiteral("Double");
    if (type == ftBoolean)
        return QStringLiteral("Boolean");
    return QStringLiteral("Date");
}

} // namespace

TField::TField(TDataSet* dataSet, int index, QString fieldName, TFieldType dataType, int size,
               TFieldKind fieldKind)
    : dataSet_(dataSet), index_(index), fieldName_(std::move(fieldName)), dataType_(dataType),
      fieldKind_(fieldKind), size_(DefaultSize(dataType, size)),
      displayWidth_(DefaultDisplayWidth(dataType, size_)),
      alignment_(IsIntegerField(dataType) || IsFloatField(dataType) ? taRightJustify
                                                                    : taLeftJustify) {}

Variant TField::Value() const {
    return dataSet_ ? dataSet_->GetFieldValue(*this) : Null();
}

void TField::SetValue(const Variant& value) {
    if (!dataSet_)
        DatabaseError(Format(SDataSetMissing, {fieldName_}));
    // A lookup field takes only Null, which clears its key; the dataset refuses the rest.
    dataSet_->SetFieldValue(*this,
                            fieldKind_ == fkLookup && VarIsNull(value) ? Null() : Convert(value));
}

bool TField::IsNull() const {
    return VarIsNull(Value());
}

void TField::Clear() {
    SetValue(Null());
}

double TField::AsFloat() const {
    const Variant value = Value();
    if (IsIntegerField(dataType_) || IsFloatField(dataType_))
        return VarIsNull(value) ? 0.0 : value.toDouble();
    if (IsStringField(dataType_))
        return StrToFloat(VarToStr(value));
    DatabaseError(Format(SFieldAccessError, {fieldName_, QStringLiteral("Float")}));
}

QString TField::Text() const {
    return ToText(Value());
}

void TField::SetText(const QString& text) {
    if (!dataSet_)
        DatabaseError(Format(SDataSetMissing, {fieldName_}));
    dataSet_->SetFieldValue(*this, FromText(text));
}

QString TField::DisplayText() const {
    const Variant value = Value();
    if (dataType_ == ftCurrency && !VarIsNull(value))
        return QString::number(value.toDouble(), 'f', 2).replace(u'.', DecimalSeparator);
    return ToText(value);
}

void TField::SetDisplayWidth(int width) {
    if (width == displayWidth_)
        return;
    displayWidth_ = width;
    LayoutChanged(true);
}

void TField::SetAlignment(TAlignment alignment) {
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    LayoutChanged(false);
}

void TField::SetReadOnly(bool readOnly) {
    if (readOnly == readOnly_)
        return;
    readOnly_ = readOnly;
    LayoutChanged(true);
}

bool TField::CanModify() const {
    return dataSet_ && dataSet_->Active() && !readOnly_ &&
           (fieldKind_ == fkData || fieldKind_ == fkInternalCalc);
}

void TField::FocusControl() {
    if (!dataSet_ || !dataSet_->Active())
        return;
    TField* field = this;
    dataSet_->DataEvent(deFocusControl, {.FocusField = &field});
}

void TField::SetKeyFields(const QString& names) {
    if (dataSet_)
        dataSet_->CheckInactive();
    keyFields_ = names;
}

void TField::SetLookupDataSet(TDataSet* dataSet) {
    if (dataSet_) {
        dataSet_->CheckInactive();
        if (dataSet)
            dataSet_->FreeNotification(dataSet);
    }
    lookupDataSet_ = dataSet;
}

void TField::SetLookupKeyFields(const QString& names) {
    if (dataSet_)
        dataSet_->CheckInactive();
    lookupKeyFields_ = names;
}

void TField::SetLookupResultField(const QString& name) {
    if (dataSet_)
        dataSet_->CheckInactive();
    lookupResultField_ = name;
}

void TField::LayoutChanged(bool layout) {
    if (dataSet_ && dataSet_->Active())
        dataSet_->DataEvent(layout ? deLayoutChange : deDataSetChange);
}

Variant TField::Convert(const Variant& value) const {
    if (VarIsNull(value))
        return Null();
    const QString wanted = VariantTypeFor(dataType_);
    if (IsStringField(dataType_)) {
        if (VarIsStr(value))
            return CheckedText(value.toString());
        if (VarIsFloat(value))
            return CheckedText(FloatToStr(value.toDouble()));
        if (VarIsNumeric(value))
            return CheckedText(QString::number(value.toLongLong()));
        if (value.typeId() == QMetaType::Bool)
            return CheckedText(value.toBool() ? STextTrue : STextFalse);
        if (VarIsDateTime(value))
            return CheckedText(DateTimeText(value));
        VarCastError(value, wanted);
    }
    if (IsIntegerField(dataType_)) {
        if (VarIsStr(value)) {
            if (const auto number = TryStrToInt(value.toString()))
                return CheckedInteger(*number);
        } else if (VarIsFloat(value)) {
            const double number = std::nearbyint(value.toDouble());
            if (std::fabs(number) < 9.0e18)
                return CheckedInteger(qint64(number));
        } else if (VarIsNumeric(value)) {
            return CheckedInteger(value.toLongLong());
        }
        VarCastError(value, wanted);
    }
    if (IsFloatField(dataType_)) {
        if (VarIsStr(value)) {
            if (const auto number = TryStrToFloat(value.toString()))
                return RoundedFloat(*number);
        } else if (VarIsNumeric(value)) {
            return RoundedFloat(value.toDouble());
        }
        VarCastError(value, wanted);
    }
    if (dataType_ == ftBoolean) {
        if (value.typeId() == QMetaType::Bool)
            return value.toBool();
        if (VarIsNumeric(value))
            return value.toDouble() != 0;
        if (VarIsStr(value))
            if (const auto boolean = BooleanFromText(value.toString()))
                return *boolean;
        VarCastError(value, wanted);
    }
    // Dates and times.
    Variant moment = value;
    if (VarIsStr(value)) {
        moment = DateTimeFromText(dataType_, value.toString());
        if (VarIsNull(moment))
            moment = DateTimeFromText(ftDateTime, value.toString());
    }
    switch (moment.typeId()) {
    case QMetaType::QDate:
        if (dataType_ == ftDate)
            return moment;
        if (dataType_ == ftDateTime)
            return QDateTime(moment.toDate(), QTime(0, 0));
        break;
    case QMetaType::QTime:
        if (dataType_ == ftTime)
            return moment;
        break;
    case QMetaType::QDateTime:
        if (dataType_ == ftDate)
            return moment.toDateTime().date();
        if (dataType_ == ftTime)
            return moment.toDateTime().time();
        return moment;
    default:
        break;
    }
    VarCastError(value, wanted);
}

Variant TField::FromText(const QString& text) const {
    if (text.isEmpty())
        return Null();
    if (IsStringField(dataType_))
        return CheckedText(text);
    if (IsIntegerField(dataType_)) {
        if (const auto number = TryStrToInt(text))
            return CheckedInteger(*number);
        DatabaseError(Format(SInvalidIntegerValue, {text, fieldName_}));
    }
    if (IsFloatField(dataType_)) {
        if (const auto number = TryStrToFloat(text))
            return RoundedFloat(*number);
        DatabaseError(Format(SInvalidFloatValue, {text, fieldName_}));
    }
    if (dataType_ == ftBoolean) {
        if (const auto boolean = BooleanFromText(text))
            return *boolean;
        DatabaseError(Format(SInvalidBoolValue, {text, fieldName_}));
    }
    const Variant moment = DateTimeFromText(dataType_, text);
    if (!VarIsNull(moment))
        return moment;
    const QString& message = dataType_ == ftDate   ? SInvalidDateValue
                             : dataType_ == ftTime ? SInvalidTimeValue
                                                   : SInvalidDateTimeValue;
    DatabaseError(Format(message, {text, fieldName_}));
}

QString TField::ToText(const Variant& value) const {
    if (VarIsNull(value))
        return QString();
    if (IsIntegerField(dataType_))
        return QString::number(value.toLongLong());
    if (IsFloatField(dataType_))
        return FloatToStr(value.toDouble());
    if (dataType_ == ftBoolean)
        return value.toBool() ? STextTrue : STextFalse;
    if (VarIsDateTime(value))
        return DateTimeText(value);
    return value.toString();
}

Variant TField::CheckedText(const QString& text) const {
    if (text.isEmpty())
        return Null();
    if (text.size() > size_)
        DatabaseError(Format(SFieldTooLong, {text, fieldName_, size_}));
    return text;
}

Variant TField::CheckedInteger(qint64 value) const {
    qint64 low = std::numeric_limits<int>::min();
    qint64 high = std::numeric_limits<int>::max();
    if (dataType_ == ftSmallint) {
        low = -32768;
        high = 32767;
    } else if (dataType_ == ftWord) {
        low = 0;
        high = 65535;
    }
    if (value < low || value > high)
        DatabaseError(Format(SFieldRangeError, {value, fieldName_, low, high}));
    return int(value);
}

Variant TField::RoundedFloat(double value) const {
    int decimals = -1;
    if (dataType_ == ftCurrency)
        decimals = 4;
    else if (dataType_ == ftBCD || dataType_ == ftFMTBcd)
        decimals = size_;
    if (decimals < 0)
        return value;
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

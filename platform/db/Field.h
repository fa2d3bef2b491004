#pragma once

#include "platform/core/Formats.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <functional>

namespace fw {

class TDataSet;

// Field types; the numbers are the ones table definitions carry across the host boundary.
enum class TFieldType : int {
    Unknown = 0,
    String = 1,
    Smallint = 2,
    Integer = 3,
    Word = 4,
    Boolean = 5,
    Float = 6,
    Currency = 7,
    Date = 9,
    DateTime = 11,
};

enum class TFieldKind { Data, Calculated, Lookup };

QString FieldTypeName(TFieldType type);

// One column of a dataset: a stored column of the table or query (Data), a value computed
// per record by the dataset's OnCalcFields (Calculated), or a value looked up in another
// dataset by key (Lookup). Fields read and write the dataset's active record.
class TField final {
public:
    TField(TDataSet* dataSet, QString name, TFieldType type, int size, TFieldKind kind);

    const QString& FieldName() const { return name_; }
    TFieldType DataType() const { return type_; }
    TFieldKind FieldKind() const { return kind_; }
    int Size() const { return size_; }
    TDataSet* DataSet() const { return dataSet_; }
    int Index() const { return index_; }
    bool Calculated() const { return kind_ == TFieldKind::Calculated; }
    bool Lookup() const { return kind_ == TFieldKind::Lookup; }
    bool IsStored() const { return kind_ == TFieldKind::Data; }
    bool IsNumber() const; // a float, currency or integer field

    // Presentation.
    QString DisplayLabel() const { return displayLabel_.isEmpty() ? name_ : displayLabel_; }
    void SetDisplayLabel(const QString& label) { displayLabel_ = label; }
    bool Visible() const { return visible_; }
    void SetVisible(bool visible) { visible_ = visible; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }
    const QString& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const QString& mask) { displayFormat_ = mask; }
    const QString& EditFormat() const { return editFormat_; }
    void SetEditFormat(const QString& mask) { editFormat_ = mask; }
    // Width in characters a control should give the field (the size for strings).
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { displayWidth_ = width; }
    Qt::Alignment Alignment() const;

    // Lookup definition: the value is ResultField of the first record of LookupDataSet
    // whose LookupKeyFields equal this dataset's KeyFields.
    void SetLookup(const QString& keyFields, TDataSet* lookupDataSet, const QString& lookupKeyFields,
                   const QString& lookupResultField);
    TDataSet* LookupDataSet() const { return lookupDataSet_; }
    const QString& KeyFields() const { return keyFields_; }
    const QString& LookupKeyFields() const { return lookupKeyFields_; }
    const QString& LookupResultField() const { return lookupResultField_; }

    // Events. OnValidate runs when a value is assigned, before it is stored; while it runs
    // the field reads the new value. Throwing (EAbort for a silent refusal) keeps the old value.
    std::function<void(TField*)> OnValidate;
    std::function<void(TField*)> OnChange;

    // Values of the active record. Null reads as "" / 0 / false / 0.0. A value that could
    // not be read from the table or computed (StoredValue.h) is not null, shows as an
    // error mark, and asking for it raises EDatabaseError with the message that names it.
    QVariant Value() const;
    void SetValue(const QVariant& value);
    bool IsNull() const;
    void Clear();
    QString AsString() const;
    void SetAsString(const QString& value);
    double AsFloat() const;
    void SetAsFloat(double value);
    qint64 AsInteger() const;
    void SetAsInteger(qint64 value);
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime value);
    QDate AsDate() const;
    void SetAsDate(const QDate& value);
    // The value before the current edit began (null for a new record).
    QVariant OldValue() const;
    // Why the value cannot be read or computed; empty when it can.
    QString ErrorText() const;

    // Text for display (DisplayFormat applied) and for editing (EditFormat applied).
    QString DisplayText() const;
    QString Text() const;
    // Parses the text by the field's type and assigns it; EConvertError with the user's
    // message when it is not a value the field can hold (numbers: see StrToFloat,
    // StrToInt and the range of the type). An empty text clears the field.
    void SetText(const QString& text);

    // Converts a value to the field's type as it would be stored (strings cut to Size at a
    // character's end, empty strings become null); EConvertError for a value the field
    // cannot hold (an integer out of its range, a date outside the years 1 to 9999).
    QVariant Coerce(const QVariant& value) const;

private:
    friend class TDataSet;
    QString FormatValue(const QVariant& v, const QString& mask) const;
    // The active record's value; EDatabaseError when it cannot be read.
    const QVariant& Readable() const;
    // Conversions that refuse, with the field's message, what the field cannot hold.
    double ParseFloat(const QString& text) const;
    qint64 CoerceInteger(const QVariant& value) const;
    QDate CheckDate(const QDate& date, const QString& shown) const;

    TDataSet* dataSet_;
    QString name_;
    TFieldType type_;
    int size_;
    TFieldKind kind_;
    int index_ = -1;
    QString displayLabel_;
    bool visible_ = true;
    bool readOnly_ = false;
    bool required_ = false;
    QString displayFormat_;
    QString editFormat_;
    int displayWidth_ = 0;
    TDataSet* lookupDataSet_ = nullptr;
    QString keyFields_, lookupKeyFields_, lookupResultField_;
};

} // namespace fw

#include "platform/db/Field.h"

#include "platform/core/Exceptions.h"
#include "platform/db/DataSet.h"

#include <cmath>

namespace fw {

QString FieldTypeName(TFieldType type)
{
    switch (type) {
    case TFieldType::String:
        return QStringLiteral("String");
    case TFieldType::Smallint:
        return QStringLiteral("SmallInt");
    case TFieldType::Integer:
        return QStringLiteral("Integer");
    case TFieldType::Word:
        return QStringLiteral("Word");
    case TFieldType::Boolean:
        return QStringLiteral("Boolean");
    case TFieldType::Float:
        return QStringLiteral("Float");
    case TFieldType::Currency:
        return QStringLiteral("Currency");
    case TFieldType::Date:
        return QStringLiteral("Date");
    case TFieldType::DateTime:
        return QStringLiteral("DateTime");
    case TFieldType::Unknown:
        break;
    }
    return QStringLiteral("Unknown");
}

namespace {

// The text without the grouping a display mask may have added. A separator counts as
// grouping only where it groups the whole part in threes: where "." groups and "," is the
// decimal point, "1.250,5" is 1250.5 but "12.5" is a point typed for a decimal one.
QString WithoutGrouping(const QString& text, QChar group, QChar decimal)
{
    if (group == decimal || !text.contains(group))
        return text;
    const qsizetype point = text.indexOf(decimal);
    const QString whole = text.left(point < 0 ? text.size() : point).trimmed();
    const QStringList parts = whole.split(group);
    const QString& lead = parts.front();
    bool grouped = !lead.isEmpty() && lead.size() <= 4; // a sign and three digits at most
    for (qsizetype i = 1; grouped && i < parts.size(); ++i)
        grouped = parts[i].size() == 3;
    if (!grouped)
        return text;
    QString out = text;
    out.remove(group);
    return out;
}

// A number written as text; EConvertError names the text when it is not one.
double ParseFloat(const QString& text, const QString& shown)
{
    const auto v = StrToFloat(text);
    if (!v)
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(shown));
    return *v;
}

} // namespace

TField::TField(TDataSet* dataSet, QString name, TFieldType type, int size, TFieldKind kind)
    : dataSet_(dataSet), name_(std::move(name)), type_(type), size_(size), kind_(kind)
{
}

int TField::DisplayWidth() const
{
    if (displayWidth_ > 0)
        return displayWidth_;
    switch (type_) {
    case TFieldType::String:
        return size_ > 0 ? size_ : 20;
    case TFieldType::Date:
        return 10;
    case TFieldType::DateTime:
        return 18;
    case TFieldType::Boolean:
        return 5;
    default:
        return 10;
    }
}

Qt::Alignment TField::Alignment() const
{
    switch (type_) {
    case TFieldType::Float:
    case TFieldType::Currency:
    case TFieldType::Integer:
    case TFieldType::Smallint:
    case TFieldType::Word:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

void TField::SetLookup(const QString& keyFields, TDataSet* lookupDataSet, const QString& lookupKeyFields,
                       const QString& lookupResultField)
{
    keyFields_ = keyFields;
    lookupDataSet_ = lookupDataSet;
    lookupKeyFields_ = lookupKeyFields;
    lookupResultField_ = lookupResultField;
}

QVariant TField::Coerce(const QVariant& value) const
{
    if (!value.isValid() || value.isNull())
        return QVariant();
    switch (type_) {
    case TFieldType::String: {
        QString s = value.typeId() == QMetaType::Double ? FloatToStr(value.toDouble()) : value.toString();
        // The table's width is a hard limit: longer text is cut, as the engine does.
        if (size_ > 0 && s.size() > size_)
            s.truncate(size_);
        return s.isEmpty() ? QVariant() : QVariant(s);
    }
    case TFieldType::Float:
    case TFieldType::Currency: {
        if (value.typeId() == QMetaType::QString)
            return ParseFloat(value.toString(), value.toString());
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(value.toString()));
        return d;
    }
    case TFieldType::Smallint:
    case TFieldType::Integer:
    case TFieldType::Word: {
        bool ok = false;
        const qint64 i = value.typeId() == QMetaType::Double ? qint64(std::llround(value.toDouble()))
                                                              : value.toString().trimmed().toLongLong(&ok);
        if (value.typeId() != QMetaType::Double && !ok)
            throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(value.toString()));
        return i;
    }
    case TFieldType::Boolean:
        return value.toBool();
    case TFieldType::Date:
        if (value.typeId() == QMetaType::Double)
            return DateTimeToDate(value.toDouble());
        if (value.typeId() == QMetaType::QString) {
            const auto d = StrToDate(value.toString());
            if (!d)
                throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(value.toString()));
            return *d;
        }
        return value.toDate();
    case TFieldType::DateTime:
        if (value.typeId() == QMetaType::Double)
            return DateTimeToQDateTime(value.toDouble());
        if (value.typeId() == QMetaType::QDate)
            return QDateTime(value.toDate(), QTime(0, 0));
        return value.toDateTime();
    case TFieldType::Unknown:
        break;
    }
    return value;
}

QVariant TField::Value() const { return dataSet_->ActiveValue(this); }
void TField::SetValue(const QVariant& value) { dataSet_->AssignValue(this, value); }
bool TField::IsNull() const
{
    const QVariant& v = dataSet_->ActiveValue(this);
    return !v.isValid() || v.isNull();
}
void TField::Clear() { SetValue(QVariant()); }

QString TField::AsString() const
{
    const QVariant& v = dataSet_->ActiveValue(this);
    if (!v.isValid() || v.isNull())
        return QString();
    switch (type_) {
    case TFieldType::Float:
    case TFieldType::Currency:
        return FloatToStr(v.toDouble());
    case TFieldType::Date:
        return DateToStr(DateToDateTime(v.toDate()));
    case TFieldType::DateTime:
        return FormatDateTime(DefaultFormatSettings().ShortDateFormat + QStringLiteral(" hh:nn:ss"),
                              QDateTimeToDateTime(v.toDateTime()));
    case TFieldType::Boolean:
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return v.toString();
    }
}

void TField::SetAsString(const QString& value) { SetValue(value); }

double TField::AsFloat() const
{
    const QVariant& v = dataSet_->ActiveValue(this);
    if (!v.isValid() || v.isNull())
        return 0.0;
    if (type_ == TFieldType::Date)
        return DateToDateTime(v.toDate());
    if (type_ == TFieldType::DateTime)
        return QDateTimeToDateTime(v.toDateTime());
    if (v.typeId() == QMetaType::QString)
        return ParseFloat(v.toString(), v.toString());
    return v.toDouble();
}

void TField::SetAsFloat(double value) { SetValue(value); }

qint64 TField::AsInteger() const
{
    const QVariant& v = dataSet_->ActiveValue(this);
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Double)
        return qint64(std::llround(v.toDouble()));
    return v.toLongLong();
}

void TField::SetAsInteger(qint64 value) { SetValue(value); }

bool TField::AsBoolean() const
{
    const QVariant& v = dataSet_->ActiveValue(this);
    return v.isValid() && !v.isNull() && v.toBool();
}

void TField::SetAsBoolean(bool value) { SetValue(value); }

TDateTime TField::AsDateTime() const
{
    const QVariant& v = dataSet_->ActiveValue(this);
    if (!v.isValid() || v.isNull())
        return 0.0;
    if (v.typeId() == QMetaType::QDate)
        return DateToDateTime(v.toDate());
    if (v.typeId() == QMetaType::QDateTime)
        return QDateTimeToDateTime(v.toDateTime());
    return v.toDouble();
}

void TField::SetAsDateTime(TDateTime value) { SetValue(value); }

QDate TField::AsDate() const { return IsNull() ? QDate() : DateTimeToDate(AsDateTime()); }

void TField::SetAsDate(const QDate& value) { SetValue(value.isValid() ? QVariant(value) : QVariant()); }

QVariant TField::OldValue() const { return dataSet_->OldFieldValue(this); }

QString TField::FormatValue(const QVariant& v, const QString& mask) const
{
    if (!v.isValid() || v.isNull())
        return QString();
    switch (type_) {
    case TFieldType::Float:
    case TFieldType::Currency:
    case TFieldType::Integer:
    case TFieldType::Smallint:
    case TFieldType::Word:
        return mask.isEmpty() ? (type_ == TFieldType::Float || type_ == TFieldType::Currency ? FloatToStr(v.toDouble())
                                                                                              : v.toString())
                              : FormatFloat(mask, v.toDouble());
    case TFieldType::Date:
        return mask.isEmpty() ? DateToStr(DateToDateTime(v.toDate())) : FormatDateTime(mask, DateToDateTime(v.toDate()));
    case TFieldType::DateTime:
        return FormatDateTime(mask.isEmpty() ? DefaultFormatSettings().ShortDateFormat + QStringLiteral(" hh:nn:ss") : mask,
                              QDateTimeToDateTime(v.toDateTime()));
    default:
        return AsString();
    }
}

QString TField::DisplayText() const { return FormatValue(dataSet_->ActiveValue(this), displayFormat_); }

QString TField::Text() const
{
    return FormatValue(dataSet_->ActiveValue(this), editFormat_.isEmpty() && type_ != TFieldType::Float
                                                        ? displayFormat_
                                                        : editFormat_);
}

void TField::SetText(const QString& text)
{
    if (text.isEmpty()) {
        Clear();
        return;
    }
    switch (type_) {
    case TFieldType::Float:
    case TFieldType::Currency: {
        const TFormatSettings& fs = DefaultFormatSettings();
        SetValue(ParseFloat(WithoutGrouping(text, fs.ThousandSeparator, fs.DecimalSeparator), text));
        return;
    }
    case TFieldType::Boolean: {
        const QString t = text.trimmed().toLower();
        SetValue(t == QLatin1String("true") || t == QLatin1String("da") || t == QLatin1String("1"));
        return;
    }
    default:
        SetValue(text);
    }
}

} // namespace fw

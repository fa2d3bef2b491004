#include "platform/db/Field.h"

#include "platform/core/Exceptions.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbMessages.h"
#include "platform/db/StoredValue.h"

#include <QTextBoundaryFinder>
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

// The values an integer field can hold: beyond them a value is refused, never wrapped.
std::pair<qint64, qint64> IntegerRange(TFieldType type)
{
    switch (type) {
    case TFieldType::Smallint:
        return {-32768, 32767};
    case TFieldType::Word:
        return {0, 65535};
    default:
        return {-2147483648LL, 2147483647LL};
    }
}

bool IsWholeNumberType(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

// The longest start of a text of at most `size` characters that ends between two
// characters as a reader sees them (never inside a surrogate pair or before a combining mark).
QString CutToWidth(const QString& text, int size)
{
    if (text.size() <= size)
        return text;
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    graphemes.setPosition(size);
    if (!graphemes.isAtBoundary())
        graphemes.toPreviousBoundary();
    return text.left(std::max<qsizetype>(graphemes.position(), 0));
}

// The stored form has four digits of year.
bool StorableDate(const QDate& date) { return !date.isValid() || (date.year() >= 1 && date.year() <= 9999); }

} // namespace

double TField::ParseFloat(const QString& text) const
{
    const auto v = StrToFloat(text);
    if (!v)
        throw EConvertError(dbmsg::NotANumber(text, DisplayLabel()));
    return *v;
}

QDate TField::CheckDate(const QDate& date, const QString& shown) const
{
    if (!StorableDate(date))
        throw EConvertError(dbmsg::NotADate(shown, DisplayLabel()));
    return date;
}

// A value's text is made only for a message: most values pass, and writing a date or a
// number out as text cost more than the rest of taking it in.
qint64 TField::CoerceInteger(const QVariant& value) const
{
    const auto shown = [&value] { return value.toString(); };
    qint64 i = 0;
    const auto [low, high] = IntegerRange(type_);
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::Float) {
        const double d = value.toDouble();
        if (!std::isfinite(d) || d < double(low) - 0.5 || d > double(high) + 0.5)
            throw EConvertError(dbmsg::OutOfRange(FloatToStr(d), DisplayLabel(), low, high));
        i = qint64(std::llround(d));
    } else if (IsWholeNumberType(value) || value.typeId() == QMetaType::ULongLong) {
        bool ok = false;
        i = value.toLongLong(&ok);
        if (!ok)
            throw EConvertError(dbmsg::OutOfRange(shown(), DisplayLabel(), low, high));
    } else {
        const QString text = shown();
        const auto parsed = StrToInt(text);
        if (!parsed)
            throw EConvertError(dbmsg::NotAnInteger(text, DisplayLabel()));
        i = *parsed;
    }
    if (i < low || i > high)
        throw EConvertError(dbmsg::OutOfRange(shown(), DisplayLabel(), low, high));
    return i;
}

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

bool TField::IsNumber() const
{
    switch (type_) {
    case TFieldType::Float:
    case TFieldType::Currency:
    case TFieldType::Integer:
    case TFieldType::Smallint:
    case TFieldType::Word:
        return true;
    default:
        return false;
    }
}

Qt::Alignment TField::Alignment() const
{
    return (IsNumber() ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
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
    if (IsValueFault(value))
        throw EDatabaseError(ValueFaultMessage(value));
    const auto checked = [this, &value](const QDate& date) {
        return StorableDate(date) ? date : CheckDate(date, value.toString());
    };
    switch (type_) {
    case TFieldType::String: {
        const QString s = value.typeId() == QMetaType::Double ? FloatToStr(value.toDouble()) : value.toString();
        // The table's width is a hard limit: longer text is cut, as the engine does.
        const QString cut = size_ > 0 ? CutToWidth(s, size_) : s;
        return cut.isEmpty() ? QVariant() : QVariant(cut);
    }
    case TFieldType::Float:
    case TFieldType::Currency: {
        if (value.typeId() == QMetaType::QString)
            return ParseFloat(value.toString());
        bool ok = false;
        const double d = value.toDouble(&ok);
        if (!ok)
            throw EConvertError(dbmsg::NotANumber(value.toString(), DisplayLabel()));
        // Not a number and the infinities cannot be stored (the engine would keep nothing);
        // only a computation gives one.
        if (!std::isfinite(d))
            throw EConvertError(dbmsg::NotFinite(DisplayLabel()));
        return d;
    }
    case TFieldType::Smallint:
    case TFieldType::Integer:
    case TFieldType::Word:
        return CoerceInteger(value);
    case TFieldType::Boolean:
        return value.toBool();
    case TFieldType::Date:
        if (value.typeId() == QMetaType::Double) {
            if (!std::isfinite(value.toDouble()))
                throw EConvertError(dbmsg::NotADate(value.toString(), DisplayLabel()));
            return checked(DateTimeToDate(value.toDouble()));
        }
        if (value.typeId() == QMetaType::QString) {
            const auto d = StrToDate(value.toString());
            if (!d)
                throw EConvertError(dbmsg::NotADate(value.toString(), DisplayLabel()));
            return checked(*d);
        }
        return checked(value.toDate());
    case TFieldType::DateTime: {
        QDateTime moment;
        if (value.typeId() == QMetaType::Double) {
            if (!std::isfinite(value.toDouble()))
                throw EConvertError(dbmsg::NotADate(value.toString(), DisplayLabel()));
            moment = DateTimeToQDateTime(value.toDouble());
        } else if (value.typeId() == QMetaType::QDate) {
            moment = QDateTime(value.toDate(), QTime(0, 0));
        } else {
            moment = value.toDateTime();
        }
        checked(moment.date());
        return moment;
    }
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

const QVariant& TField::Readable() const
{
    const QVariant& v = dataSet_->ActiveValue(this);
    if (IsValueFault(v))
        throw EDatabaseError(ValueFaultMessage(v));
    return v;
}

QString TField::ErrorText() const { return ValueFaultMessage(dataSet_->ActiveValue(this)); }

QString TField::AsString() const
{
    const QVariant& v = Readable();
    if (!v.isValid() || v.isNull())
        return QString();
    switch (type_) {
    case TFieldType::String:
        // Most texts read: the string itself, not through the variant's conversions.
        if (v.typeId() == QMetaType::QString)
            return *static_cast<const QString*>(v.constData());
        return v.toString();
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
    // A number field's number, as most values read are: asked of the value's type once.
    const QVariant& active = dataSet_->ActiveValue(this);
    if (active.typeId() == QMetaType::Double && type_ != TFieldType::Date && type_ != TFieldType::DateTime)
        return *static_cast<const double*>(active.constData());
    const QVariant& v = Readable();
    if (!v.isValid() || v.isNull())
        return 0.0;
    if (type_ == TFieldType::Date)
        return DateToDateTime(v.toDate());
    if (type_ == TFieldType::DateTime)
        return QDateTimeToDateTime(v.toDateTime());
    if (v.typeId() == QMetaType::QString)
        return ParseFloat(v.toString());
    return v.toDouble();
}

void TField::SetAsFloat(double value) { SetValue(value); }

qint64 TField::AsInteger() const
{
    const QVariant& v = Readable();
    if (!v.isValid() || v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Double)
        return qint64(std::llround(v.toDouble()));
    return v.toLongLong();
}

void TField::SetAsInteger(qint64 value) { SetValue(value); }

bool TField::AsBoolean() const
{
    const QVariant& v = Readable();
    return v.isValid() && !v.isNull() && v.toBool();
}

void TField::SetAsBoolean(bool value) { SetValue(value); }

TDateTime TField::AsDateTime() const
{
    const QVariant& v = Readable();
    if (!v.isValid() || v.isNull())
        return 0.0;
    if (v.typeId() == QMetaType::QDate)
        return DateToDateTime(v.toDate());
    if (v.typeId() == QMetaType::QDateTime)
        return QDateTimeToDateTime(v.toDateTime());
    // SQLite gives an aggregate of a date column (MIN(Data)) as its stored ISO text, which
    // as a number would be day 0, 30.12.1899.
    if (v.typeId() == QMetaType::QString) {
        if (const QDateTime moment = QDateTime::fromString(v.toString(), Qt::ISODate); moment.isValid())
            return QDateTimeToDateTime(moment);
        if (const QDate day = QDate::fromString(v.toString(), Qt::ISODate); day.isValid())
            return DateToDateTime(day);
    }
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
    if (IsValueFault(v))
        return dbmsg::ErrorMark();
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
    // Numbers are edited as typed, without the display mask's grouping (which a number
    // typed back would not be allowed to hold).
    return FormatValue(dataSet_->ActiveValue(this), editFormat_.isEmpty() && !IsNumber() ? displayFormat_ : editFormat_);
}

void TField::SetText(const QString& text)
{
    if (text.isEmpty()) {
        Clear();
        return;
    }
    switch (type_) {
    case TFieldType::Float:
    case TFieldType::Currency:
        SetValue(ParseFloat(text));
        return;
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

#include "platform/db/StoredValue.h"

#include "platform/db/Connection.h"
#include "platform/db/DataSet.h"

#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <cmath>
#include <limits>

namespace fw {

namespace {

bool IsNullValue(const QVariant& v) { return !v.isValid() || v.isNull(); }

bool IsIntegerType(TFieldType type)
{
    return type == TFieldType::Smallint || type == TFieldType::Integer || type == TFieldType::Word;
}

bool IsNumberType(TFieldType type)
{
    return type == TFieldType::Float || type == TFieldType::Currency || type == TFieldType::Boolean || IsIntegerType(type);
}

// The value held to be written over in place. QVariant::data() detaches through a call
// into the library for every value; a value no other variant shares is written as
// QVariant::setValue writes it.
template <typename T>
T* WritableValue(QVariant& v)
{
    return v.isDetached() ? static_cast<T*>(const_cast<void*>(v.constData())) : static_cast<T*>(v.data());
}

} // namespace

QVariant EngineText(const QByteArray& bytes) { return QVariant::fromValue(TEngineText{bytes}); }

bool IsEngineText(const QVariant& value) { return value.typeId() == EngineTextType(); }

QByteArray EngineTextBytes(const QVariant& value)
{
    return IsEngineText(value) ? value.value<TEngineText>().bytes : QByteArray();
}

int StoredText(const char* text, qsizetype length, QVariant& into)
{
    // Most stored text is ASCII, valid UTF-8 that widens byte by byte. A string of a record
    // read before is written over in one pass (it keeps its buffer when no one else holds it
    // and it is large enough; data() and resize() allocate otherwise, as a new string
    // would), the bytes seen on the way; other text goes through the decoder after all.
    if (into.typeId() == QMetaType::QString) {
        auto* s = WritableValue<QString>(into);
        if (s->size() != length)
            s->resize(length);
        QChar* out = s->data();
        unsigned seen = 0;
        for (qsizetype i = 0; i < length; ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            seen |= byte;
            out[i] = QChar(byte);
        }
        if (seen < 0x80)
            return QMetaType::QString;
    } else {
        bool ascii = true;
        for (qsizetype i = 0; i < length; ++i)
            ascii = ascii && static_cast<unsigned char>(text[i]) < 0x80;
        if (ascii) {
            into = QString::fromLatin1(text, length);
            return QMetaType::QString;
        }
    }
    const QByteArrayView bytes(text, length);
    if (!bytes.isValidUtf8()) {
        into = EngineText(bytes.toByteArray());
        return EngineTextType();
    }
    into = QString::fromUtf8(bytes);
    return QMetaType::QString;
}

int StoredDouble(double value, QVariant& into)
{
    if (into.typeId() == QMetaType::Double)
        *WritableValue<double>(into) = value;
    else
        into = value;
    return QMetaType::Double;
}

QVariant ValueFault(const QString& message) { return QVariant::fromValue(TValueFault{message}); }

bool IsValueFault(const QVariant& value)
{
    static const int id = qMetaTypeId<TValueFault>();
    return value.typeId() == id;
}

QString ValueFaultMessage(const QVariant& value)
{
    return IsValueFault(value) ? value.value<TValueFault>().message : QString();
}

int EngineTextType()
{
    static const int id = qMetaTypeId<TEngineText>();
    return id;
}

bool StoredIsValue(TFieldType type, const QVariant& stored, int storedType)
{
    switch (storedType) {
    case QMetaType::UnknownType:
        return true;
    case QMetaType::QString:
        return type == TFieldType::String && !static_cast<const QString*>(stored.constData())->isEmpty();
    case QMetaType::Double:
        return (type == TFieldType::Float || type == TFieldType::Currency)
               && std::isfinite(*static_cast<const double*>(stored.constData()));
    default:
        return false;
    }
}

bool ReadStoredValue(TFieldType type, const QVariant& stored, int storedType, const QVariant& readable, QVariant& value,
                     bool& exact)
{
    // The common forms first, which the value read gives back exactly when written: this
    // runs for every value of every row read.
    exact = true;
    if (StoredIsValue(type, stored, storedType)) {
        value = stored;
        return true;
    }
    switch (storedType) {
    case QMetaType::LongLong:
        if (IsIntegerType(type) || (type == TFieldType::Boolean && (stored.toLongLong() == 0 || stored.toLongLong() == 1))) {
            value = FromSqlValue(type, stored);
            return true;
        }
        break;
    case QMetaType::QByteArray:
        exact = false;
        return false; // a blob is no value of any field
    default:
        break;
    }
    exact = false;
    if (type == TFieldType::Unknown) {
        value = readable;
        return true;
    }
    if (type == TFieldType::Date
        && (storedType == QMetaType::QDate || (storedType == QMetaType::QString && static_cast<const QString*>(stored.constData())->size() == 10))) {
        value = FromSqlValue(type, stored);
        exact = value.isValid() && (storedType == QMetaType::QDate || ToSqlValue(type, value) == stored);
        if (exact)
            return true;
    }
    QVariant number = readable;
    if (IsNumberType(type) && number.typeId() == QMetaType::QString) {
        // Text the engine kept in a number column is no number of its own; text that still
        // reads as one entirely (written with blanks, say) is that number.
        bool ok = false;
        number = number.toString().trimmed().toDouble(&ok);
        if (!ok)
            return false;
    }
    if (IsNumberType(type) && number.typeId() == QMetaType::Double) {
        const double d = number.toDouble();
        if (!std::isfinite(d) || (IsIntegerType(type) && std::fabs(d) >= double(std::numeric_limits<qint64>::max())))
            return false;
    }
    value = FromSqlValue(type, number);
    switch (type) {
    case TFieldType::Date:
        if (value.isValid() && value.toDate().isValid())
            return true;
        break;
    case TFieldType::DateTime:
        if (value.isValid() && value.toDateTime().isValid())
            return true;
        break;
    default:
        if (!IsNullValue(value))
            return true;
    }
    // An empty text is null, as the layer writes it; anything else that reads as nothing
    // is a value the field cannot hold.
    value = QVariant();
    return number.typeId() == QMetaType::QString && number.toString().isEmpty();
}

bool SameStoredValue(const QVariant& a, const QVariant& b)
{
    const bool an = IsNullValue(a), bn = IsNullValue(b);
    if (an || bn)
        return an && bn;
    // Numbers compare as the engines compare them, whatever their width.
    const auto number = [](const QVariant& v) {
        const int t = v.typeId();
        return t == QMetaType::Double || t == QMetaType::LongLong || t == QMetaType::Int || t == QMetaType::Bool;
    };
    if (number(a) && number(b))
        return a.toDouble() == b.toDouble() || (std::isnan(a.toDouble()) && std::isnan(b.toDouble()));
    if (a.metaType() != b.metaType())
        return false;
    if (IsEngineText(a))
        return EngineTextBytes(a) == EngineTextBytes(b);
    return a == b;
}

QVariant StoredForm(const TRecord& record, const TField* field)
{
    const size_t i = size_t(field->Index());
    return i < record.stored.size() ? record.stored[i] : ToSqlValue(field->DataType(), record.values[i]);
}

} // namespace fw

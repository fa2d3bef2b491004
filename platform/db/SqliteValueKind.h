#pragma once

// How a value is bound to the embedded engine: the binding (SqliteConnection::ForEachRow)
// and the update that takes the row it left to be the values bound (SqliteRowWrite.cpp)
// must read a value alike (internal to the dataset layer).

#include <QDate>
#include <QString>
#include <QVariant>

namespace fw::sqlite {

enum class Kind { Null, Integer, Real, Text, Blob };

inline Kind KindOf(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return Kind::Null;
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return Kind::Real;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
        return Kind::Integer;
    case QMetaType::QByteArray:
        return Kind::Blob;
    default:
        return Kind::Text;
    }
}

// The text a value of Kind::Text is bound as (a date as its ISO form).
inline QString BoundText(const QVariant& v)
{
    return v.typeId() == QMetaType::QDate ? v.toDate().toString(Qt::ISODate) : v.toString();
}

} // namespace fw::sqlite

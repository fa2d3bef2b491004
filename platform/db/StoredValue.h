#pragma once

// Values as the engine stores them, beside the values the layer reads from them.
//
// A row is changed only while it still holds what the dataset read, so what was read is
// kept in a form that compares equal with what is stored, whatever the layer made of it:
// text that is not UTF-8 (left by an 8-bit program), text in a number column, a blob, a
// date the layer cannot hold, a server's number or moment more precise than a double or
// a millisecond. And a stored value that cannot be read as its field's type is not
// turned into another value (0, null): the field holds a fault naming the table, the
// field and the row, shown as an error mark and refused when the value is asked for.

#include "platform/db/Field.h"

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace fw {

struct TRecord;

// Text exactly as the engine holds it, where the layer's own value would not give it back.
// Bound back as text.
struct TEngineText {
    QByteArray bytes;
    bool operator==(const TEngineText&) const = default;
};

// What a field holds in place of a value that cannot be read or computed; the message
// says which value and why.
struct TValueFault {
    QString message;
    bool operator==(const TValueFault&) const = default;
};

QVariant EngineText(const QByteArray& bytes);
bool IsEngineText(const QVariant& value);
QByteArray EngineTextBytes(const QVariant& value);
// UTF-8 text from the engine: a string, or TEngineText when the bytes are not UTF-8;
// written over `into`, reusing its string's buffer where that is its own and large enough.
// Both return the type written.
int StoredText(const char* text, qsizetype length, QVariant& into);
// A number written over `into`, in place where it holds one.
int StoredDouble(double value, QVariant& into);

QVariant ValueFault(const QString& message);
bool IsValueFault(const QVariant& value);
QString ValueFaultMessage(const QVariant& value); // empty when the value is no fault

// Reads into `value` what a field of `type` holds of a stored value (`stored`, of type
// `storedType`; `readable`, the engine's reading of it, differs only for TEngineText);
// false when it cannot be read as that type (a blob, text in a number column, a number
// beyond a double, a date that is no date). `exact` tells whether the value, written as
// the layer writes it, is the stored value again (most are: then the stored form need not
// be kept).
bool ReadStoredValue(TFieldType type, const QVariant& stored, int storedType, const QVariant& readable, QVariant& value,
                     bool& exact);
// Whether a stored value of `storedType` is itself the value a field of `type` holds, and
// written back as the layer writes it is that stored value again (the common forms: null,
// text in a text field, a finite number in a number field).
bool StoredIsValue(TFieldType type, const QVariant& stored, int storedType);
int EngineTextType();

// Whether two stored values are the same value as the engine holds it.
bool SameStoredValue(const QVariant& a, const QVariant& b);

// What a table's row stored in a field when the record was read.
QVariant StoredForm(const TRecord& record, const TField* field);

} // namespace fw

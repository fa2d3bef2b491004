#pragma once

// What the dataset layer itself tells a user, in the user's words (Romanian), kept in one
// place. Engine errors keep the engine's own text (the forms show it after their lead
// text); these are the layer's own refusals: another user's change met while editing,
// and values that cannot be stored in a field.

#include "platform/core/Exceptions.h"

#include <QString>

namespace fw {

// Another user changed or deleted the record this dataset was about to change. Nothing
// was written and the dataset kept its state (an edit keeps the typed values).
class ERecordChanged final : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

namespace dbmsg {

// A post refused: the record no longer holds what this dataset read.
QString PostConflict();
// A delete refused for the same reason; the record now shows what it holds.
QString DeleteConflict();
// An edit refused: the record changed since it was shown and now shows what it holds.
QString EditChanged();
// An edit refused: the record is gone.
QString EditDeleted();

// Values typed or assigned that a field cannot hold. `field` is the field's label.
QString NotANumber(const QString& text, const QString& field);
QString NotAnInteger(const QString& text, const QString& field);
QString OutOfRange(const QString& text, const QString& field, qint64 low, qint64 high);
QString NotADate(const QString& text, const QString& field);

// Opening a company's database file: a file that is not there (connecting never makes one),
// a file that holds no company, a write refused because the file may only be read.
QString MissingDatabase(const QString& file);
QString NotACompany(const QString& file);
QString ReadOnlyDatabase();

} // namespace dbmsg

} // namespace fw

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

// Two users' transactions met in a way the engine resolved by failing one of them (a
// deadlock, or a serialization failure): nothing of it was written, and running it again
// from the start is expected to succeed. The layer does so a few times before the user
// sees the engine's message.
class ETransactionConflict final : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

// A database that is not there (no file, no schema on the server), met where connecting
// must not make one.
class EDatabaseMissing final : public EDatabaseError {
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
// A company on a server: the server could not be reached, or the connection to it was lost.
QString ServerUnreachable(const QString& server, const QString& engineMessage);
QString ServerConnectionLost(const QString& server, const QString& engineMessage);

} // namespace dbmsg

} // namespace fw

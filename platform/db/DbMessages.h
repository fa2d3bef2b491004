#pragma once

// Everything the dataset layer (and the company tables above it) tells a user, in the
// user's words (Romanian), kept in one place. Engine errors the layer knows by their code
// (a duplicate key, a busy or full database, a lost server) are told in these words; any
// other keeps the engine's own text (the forms show it after their lead text). Besides:
// another user's change met while editing, values that cannot be stored in a field or read
// from one, tables that lack what is looked for, and what a program asked of the layer
// that it cannot do.

#include "platform/core/Exceptions.h"

#include <QString>
#include <QStringList>

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

// A row refused because another already holds its key (a primary key or a unique index).
// Nothing was written; a caller that expects duplicates tells them by this type.
class EKeyViolation final : public EDatabaseError {
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

// A value the handler computed that no number field can hold (an infinity: one of the
// values it was computed from was too large).
QString NotFinite(const QString& field);

// A stored value that cannot be read as its field's type, in the row `row` (RowNamed).
QString UnreadableValue(const QString& table, const QString& field, const QString& row);
// "inregistrarea cu Contor = 12" from "Contor = 12", or by its number in the table.
QString RowNamed(const QString& keyValues, qint64 number);
// What a grid or an edit box shows in place of a value that cannot be read or computed.
QString ErrorMark();

// A table without what the program looks for in it: the table, a column (or a column of
// another type or width), the key it is searched by.
QString MissingTable(const QString& table);
QString MissingColumn(const QString& table, const QString& field);
QString ColumnOfAnotherType(const QString& table, const QString& field, const QString& expected, const QString& actual);
QString ColumnOfAnotherWidth(const QString& table, const QString& field, int expected, int actual);
QString MissingKey(const QString& table);

// Opening a company's database file: a file that is not there (connecting never makes one),
// a file that holds no company, a write refused because the file may only be read.
QString MissingDatabase(const QString& file);
QString NotACompany(const QString& file);
QString ReadOnlyDatabase();
// A write that waited its time for another program's, or found no room on the disk.
QString DatabaseBusy(const QString& database);
QString DiskFull(const QString& database);
// The disk failed a read or a write of the database (other than by being full).
QString DiskError(const QString& database);
// The engine found the database damaged (a page it cannot read, a schema it cannot parse)
// or no database at all; `where` is its file (a server's company: its connection file).
QString DatabaseDamaged(const QString& where);
// Why an embedded database could not be opened (the `why` of CannotOpenDatabase): the disk
// is full, the disk failed, the file cannot be opened (rights, a missing directory part),
// another program holds it, there is no memory; else what the engine said (`engineText`).
QString OpeningDiskFull();
QString OpeningDiskError();
QString OpeningFileUnusable();
QString OpeningBusy();
QString OpeningEngineText(const QString& engineText);
// A company on a server: the server could not be reached, the connection to it was lost,
// the server is older than the program needs.
// ServerUnreachable says why in the user's words where the client's text (`engineMessage`)
// is one it knows (refused, unknown host, no answer in time, authentication, no such
// database or user, not allowed from this computer, ...), and gives that text after its own
// only where it is not.
QString ServerUnreachable(const QString& server, const QString& engineMessage);
QString ServerConnectionLost(const QString& server);
// The connection was lost while the server committed, and the server cannot be asked now.
QString CommitOutcomeUnknown(const QString& server);
QString ServerTooOld(const QString& server, int version);

// A company's connection to a server: its connection file (which cannot be read, names no
// database, or holds what is wrong, `problem` below) or a connection string given for it.
QString ConnectionFileUnreadable(const QString& file);
QString ConnectionFileWithoutDatabase(const QString& file);
QString ConnectionFileInvalid(const QString& file, const QString& problem);
QString ConnectionStringInvalid(const QString& problem);
// What is wrong in one of them.
QString ConnectionNotKeyValue(const QString& text);
QString ConnectionOpenQuote(const QString& keyword);
QString ConnectionKeywordUnknown(const QString& keyword);
QString ConnectionKeywordRepeated(const QString& keyword);
QString ConnectionPassword(const QString& keyword);
QString ConnectionValueCharacter(const QString& keyword);
QString ConnectionValueInvalid(const QString& keyword, const QString& value, const QString& expected);
QString ConnectionExpectsPort();
QString ConnectionExpectsInteger();
QString ConnectionExpectsOneOf(const QStringList& choices);

// What a server refused or failed at, by its SQLSTATE, in the user's words where the
// state is one the program knows (a table or schema that is not there, a schema name the
// server keeps for itself, a statement cancelled or stopped by its time limit, rights the
// user lacks); else the server's own message.
QString ServerError(const QString& state, const QString& message, const QString& server);

// What the engine refused or failed at: a duplicate key (`engineMessage` names it, and the
// table and fields or the index it names are told in the user's words), a
// database that cannot be opened, an engine the program cannot reach, an error the engine
// gave no text for, a server that rolled a transaction back because a statement in it failed.
QString KeyViolation(const QString& engineMessage);
QString CannotOpenDatabase(const QString& directory, const QString& why);
QString EngineUnavailable(const QString& detail = QString());
QString UnknownEngineError();
QString TransactionRolledBack();
QString OutOfMemory();

// Copying a company into another database (`database` as the user knows it): onto itself,
// into one that may only be read or already holds a table, or a copy that came out
// different (`measure` says what differs: rows, a column's sum...).
QString MigrationOntoItself();
QString MigrationTargetReadOnly(const QString& database);
QString MigrationTargetHoldsTable(const QString& database, const QString& table);
QString MigrationMismatch(const QString& table, const QString& measure, double source, double target);

// A file the user named for a report or an export that is not written: no regular file (a
// directory, a pipe, a device), or one of the files of a database open in `directory`.
QString OutputNotRegularFile(const QString& file);
QString OutputIsDatabaseFile(const QString& file, const QString& directory);

// A document counter (or the largest number the documents hold) that cannot give the next
// number: no whole number, or too large for one more to be another number (`largest`).
QString UnusableCounter(const QString& table, const QString& field, double value, double largest);

// The user's own doing: a required field left empty (`field` is its label).
QString RequiredField(const QString& field);

// Where the program asks the layer for what it does not have or cannot do. A program that
// works never shows these, but one that does should say what went wrong in the user's
// words too. `dataSet` is the dataset's name (the message starts with it when there is one).
QString NoDatabaseDirectory();
QString DirectoryNotFound(const QString& directory);
QString DirectoryUnreadable(const QString& directory);
QString UnknownDatabase(const QString& database);
QString UnknownDriver(const QString& driver);
QString DatabaseNotConnected(const QString& database);
QString ConnectedDatabaseRenamed();
QString NoTransaction();
QString NoConnectionForTransaction();
QString DataSetOpen(const QString& dataSet);
QString DataSetClosed(const QString& dataSet);
QString DataSetEmpty(const QString& dataSet);
QString DataSetReadOnly(const QString& dataSet);
QString DataSetNotEditing(const QString& dataSet);
QString FieldAddedToOpenDataSet(const QString& dataSet, const QString& field);
QString DuplicateField(const QString& field);
QString FieldNotFound(const QString& dataSet, const QString& field);
QString FieldReadOnly(const QString& field);
QString FieldNotSearchable(const QString& field);
QString OrderFieldNotFound(const QString& dataSet, const QString& field);
QString MasterFieldsBeyondOrder(const QString& dataSet);
QString NoSearchOrder(const QString& dataSet);
QString KeyValueCount(const QString& dataSet);
QString RecordNotFound(const QString& dataSet);
QString TableWithoutFields(const QString& table);
QString CopyWithoutEnds(const QString& batchMove);
QString ParameterNotFound(const QString& query, const QString& parameter);
QString StatementWithoutRows(const QString& query);

} // namespace dbmsg

} // namespace fw

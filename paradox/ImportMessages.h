#pragma once

// Every text the import of Paradox tables tells the user, in one place.

#include "platform/db/Field.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace paradox::msg {

// Why a table file cannot be read (each follows "Fisierul X nu poate fi citit: ").
QString FileUnreadable(const QString& file, const QString& reason);
QString FileMissing();
QString NotARegularFile();
QString FileTooShort();
QString NotATable(int fileType);
QString UnsupportedVersion(const QString& version);
QString DamagedHeader(const QString& detail);
QString BadBlockSize(int kib);
QString BadFieldCount(int fields);
QString BadRecordSize(int bytes);
QString BadHeaderSize(qint64 bytes);
QString TooManyRecords(qint64 records, qint64 blocks);
QString BrokenBlockChain(qint64 block);
QString DamagedBlock(qint64 block, qint64 bytes);
QString RowCountWrong(qint64 declared, qint64 held);
QString Truncated(qint64 size, qint64 needed);
QString LibraryRefused();
QString LibraryDisagrees();
QString FieldsDoNotFillRecord(int fields, int record);
QString UnknownFieldType(const QString& field, int code);
QString BadField(const QString& field, const QString& type, int length);
QString FieldTwice(const QString& field);
QString OutOfMemory();
QString Encrypted();
QString UnknownCodePage(int number);
QString MultiByteCodePage(int number);
QString MemoFileMissing(const QString& name);
QString MemoFileUnreadable(const QString& name, const QString& reason);
QString NotAMemoFile();
QString RowUnreadable(qint64 row);
QString InMemoryTable();
QString InMemoryMemo();
QString ParadoxTypeName(int type);

// Why one value cannot be read.
QString NoCodePage();
QString ByteWithoutCharacter(unsigned char byte, int codePage);
QString ValueUnreadable();
QString NotANumber();
QString NotADate(qint64 days);
QString NotATime(qint64 ms);
QString NotATimestamp(double ms);
QString BcdNotExact(const QString& value);
QString MemoPointerMissing(quint32 size);
QString MemoFileMissingForValue();
QString MemoPointerOutside(qint64 offset, qint64 fileSize);
QString MemoBlockWrong(qint64 block);
QString MemoSizeWrong(qint64 block, quint32 size, quint32 stored);

// Why a value cannot go into the company's field.
QString NotAnInteger(double value);
QString OutOfRange(double value, qint64 low, qint64 high);
QString TooLong(qint64 length, int width);
QString TimeWouldBeLost(const QDateTime& moment);
QString FieldTypeMismatchShort();
QString CompanyTypeName(fw::TFieldType type);

// What the plan of an import finds in the source directory.
QString FieldNotInCompany(const QString& file, const QString& field, const QString& table);
QString FieldLeftOut(const QString& file, const QString& field, const QString& type);
QString FieldTypeMismatch(const QString& file, const QString& field, const QString& type, const QString& companyType);
QString FieldMissingStaysEmpty(const QString& table, const QString& field, const QString& file);
QString FileTwice(const QString& what, const QString& first, const QString& second);
QString UnknownTableLeftOut(const QString& file);
QString TableMissingMadeEmpty(const QString& table);
QString SettingsUnreadable(const QString& file, const QString& reason);
QString NoSettingsFile(const QString& name);

// What stands in the way of the directories given.
QString SourceMissing(const QString& directory);
QString NoCompanyTables(const QString& directory, const QStringList& lookedFor);
QString SameDirectory();
QString TargetNotADirectory(const QString& path);
QString TargetHoldsFile(const QString& directory, const QString& name);
QString TargetNotEmpty(const QString& database, const QString& table);
QString EarlierImportFinished(const QString& database, const QString& file);

// What stops an import while it writes.
QString ImportRefused(const QStringList& problems);
QString ValueProblem(const QString& file, qint64 row, const QString& field, const QString& reason);
QString MoreProblems(int shown);
QString DuplicateKey(const QString& file, const QString& key, qint64 firstRow, qint64 secondRow, const QStringList& values);
QString KeyViolationIn(const QString& file, const QString& engineText);
QString SumTooLarge(double value);
QString ImportMismatch(const QString& table, const QString& measure, double read, double stored);
QString CannotMakeDirectory(const QString& directory);
QString SettingsNotWritten(const QString& file);
QString SettingsNotPutInPlace(const QString& staged, const QString& file);
QString ImportStopped();
QString RowsPerSecond(qint64 rows);
QString NoReadingThread();

} // namespace paradox::msg

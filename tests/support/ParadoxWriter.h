#pragma once

// Paradox tables written by pxlib itself, for the import's tests: any field type, text as
// the bytes of the code page under test, memo values in a memo file beside the table.

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

namespace paradoxtest {

struct TField {
    QByteArray Name;
    int Type = 0;     // pxlib's type code (pxfAlpha, pxfDate, ...)
    int Length = 0;   // bytes in a row
    int Decimals = 0; // of a BCD field
};

// Values by field, a null QVariant for an empty value: alpha, memo, BLOB and bytes as
// QByteArray (text already in the table's code page), BCD as its digits ("12.50"),
// numbers and currency as double, short, long and auto-increment as int, date as QDate,
// time as QTime, timestamp as QDateTime, logical as bool.
using TRow = std::vector<QVariant>;

struct TFixtureTable {
    std::vector<TField> Fields;
    std::vector<TRow> Rows;
    int CodePage = 1250; // 0: the header names none
};

// Writes the table at `path` (a memo file under its name with ".MB" when it has memo or
// BLOB fields). Fails the test (returns false) when pxlib refuses.
bool WriteTable(const QString& path, const TFixtureTable& table);
// The same with the rows made one at a time (`row(i)` for i from 0), for tables too large
// to hold.
bool WriteTable(const QString& path, const std::vector<TField>& fields, int codePage, qint64 rows,
                const std::function<TRow(qint64)>& row);

// Fields of the usual kinds, for short field lists.
TField Alpha(const char* name, int length);
TField Number(const char* name);
TField Date(const char* name);
TField Logical(const char* name);
TField Memo(const char* name, int length = 11);

} // namespace paradoxtest

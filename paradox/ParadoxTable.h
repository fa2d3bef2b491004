#pragma once

// One Paradox table: its header and fields first, then its rows one at a time, so that a
// table of millions of rows is read in the memory of one block. The file is outside input
// (another program's, perhaps damaged): the header's sizes are checked against each other
// and against the file, and the chain of data blocks is walked and its rows counted
// against the header's count, before anything is read; pxlib is given the header alone
// (the fields, the code page) and decodes the values of the rows read here, allocating
// within a bound. A file that cannot be read is refused with the reason; a value that
// cannot be read is named with its row and field, and the rest of the row is read all the
// same. The library's own texts (English) never reach the user.

#include "platform/core/Exceptions.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

namespace paradox {

enum class TParadoxType {
    Alpha, Date, Short, Long, Currency, Number, Logical, Memo, Blob, FormattedMemo, Ole, Graphic, Time, Timestamp,
    AutoIncrement, Bcd, Bytes,
};

// The type's name as the user is told it ("alfanumeric", "memo", ...).
QString TypeName(TParadoxType type);
// Memo and BLOB fields: their values live in the memo file.
bool InMemoFile(TParadoxType type);

struct TParadoxField {
    QString Name;
    TParadoxType Type = TParadoxType::Alpha;
    int Length = 0;   // bytes in a row
    int Decimals = 0; // of a BCD field
};

// A table that cannot be read: the message says which file and why.
class EParadoxFile final : public fw::Exception {
public:
    using Exception::Exception;
};

// A value that cannot be read, with the rest of its row read.
struct TValueFault {
    int Field = 0;
    QString Reason;
};

// One row. Values by field, null where empty or not asked for: text (alpha, memo) as
// QString, numbers as double, short, long and auto-increment integers as qint64, dates
// as QDate, times as QTime, timestamps as QDateTime, logical as bool, BLOB, graphic and
// bytes as QByteArray. A BCD value arrives as a double only when the double holds it
// exactly.
struct TParadoxRow {
    qint64 Number = 0; // from 1
    std::vector<QVariant> Values;
    std::vector<TValueFault> Faults;
};

class TParadoxTable final {
public:
    // The table file at `path`; its memo file, found beside it by name without regard to
    // case, is required when the table has memo or BLOB fields. `fallbackCodePage` decodes
    // the text of a table whose header names no code page (0: none given; such text is
    // then a fault). EParadoxFile when it cannot be read.
    static std::unique_ptr<TParadoxTable> Open(const QString& path, int fallbackCodePage);
    // The same from bytes (a memo file's bytes, when there is one).
    static std::unique_ptr<TParadoxTable> FromBytes(const QByteArray& table, const std::optional<QByteArray>& memo,
                                                    int fallbackCodePage);
    ~TParadoxTable();
    TParadoxTable(const TParadoxTable&) = delete;
    TParadoxTable& operator=(const TParadoxTable&) = delete;

    const QString& FileName() const;
    const std::vector<TParadoxField>& Fields() const;
    qint64 RowCount() const;
    int FileVersion() const; // 30, 35, 40, 45, 50 or 70
    // The code page text is decoded with: the header's, else the fallback; 0 when neither.
    int CodePage() const;
    bool CodePageFromHeader() const;
    // The memo file's name beside the table, empty when the table needs none.
    QString MemoFileName() const;

    // Which fields the rows carry (by index; the others stay null and are not read).
    void ReadFields(const std::vector<bool>& wanted);
    // The next row; false after the last. EParadoxFile when the file fails under a row.
    bool Next(TParadoxRow& row);

private:
    struct State;
    explicit TParadoxTable(std::unique_ptr<State> state);
    std::unique_ptr<State> state_;
};

// Every row of one table, for whoever wants the whole of it at once (checks of damaged
// input): the fields and rows, or why the file cannot be read. At most `maxRows` rows.
struct TParadoxContents {
    std::vector<TParadoxField> Fields;
    std::vector<TParadoxRow> Rows;
    QString Refusal; // empty when the file was read
};
TParadoxContents ReadParadoxTable(const QByteArray& table, const std::optional<QByteArray>& memo,
                                  int fallbackCodePage, qint64 maxRows = 100000);

} // namespace paradox

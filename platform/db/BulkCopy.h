#pragma once

// Rows appended to one table in bulk, as fast as its engine takes them (an import, a
// migration): the embedded engine is given statements of many rows each; a server is
// given its COPY, which skips the planning and the binding of a statement's values and
// takes a chunk of rows in one round trip. Made by Connection::BulkCopy.
//
// Values arrive as the statements of the same rows would have stored them: the caller
// gives them in ToSqlValue's forms, as it binds them to a statement (null, a number, a
// text, a date as its text). The rows go into the database in chunks as they come, inside
// the caller's transaction, which decides about them: a failure (a duplicate key, a lost
// connection) is thrown by the Add or the Flush that sent the chunk, and the rows of the
// chunks before it go with the transaction's rollback.

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace fw {

class TBulkCopy {
public:
    virtual ~TBulkCopy() = default;
    TBulkCopy(const TBulkCopy&) = delete;
    TBulkCopy& operator=(const TBulkCopy&) = delete;

    // Takes one row's values, in the order of the columns; may write a chunk.
    virtual void Add(QVariantList&& values) = 0;
    // Writes the rows not written yet. Rows added and never flushed are not written.
    virtual void Flush() = 0;

protected:
    TBulkCopy() = default;
};

} // namespace fw

#pragma once

// The conditions a table's blocks are read by: rows after, before or at a key of its order
// (internal to the dataset layer).

#include <QString>
#include <QVariant>
#include <vector>

namespace fw {

class Connection;

// SQL pieces are collected with their values in the order their placeholders appear.
struct Sql {
    QString text;
    QVariantList values;
    void Add(const QString& part) { text += part; }
    void Add(const QString& part, const QVariant& value)
    {
        text += part;
        values << value;
    }
};

namespace keys {

bool IsNull(const QVariant& v);

enum class KeyOp { After, Before, AtOrAfter };

// Rows ordered after (before, at or after) the key (c0..cn-1[, rowid]), NULL sorting below
// every value: c0 > v0 OR (c0 = v0 AND <the same on the rest>).
void KeyCondition(const Connection& conn, Sql& sql, const std::vector<QString>& cols, const QVariantList& vals,
                  qint64 id, KeyOp op, size_t i = 0);

// A bound the engine can seek an index with: the leading non-null values as a row value.
// The number of columns bound.
size_t LowerBound(const Connection& conn, Sql& sql, const std::vector<QString>& cols, const QVariantList& vals);

// Within a lower bound on every order column, the rows after the key are all but those
// equal to it up to its row: equalities the engine tests bytewise, where the chain of
// comparisons in KeyCondition would collate every row again (on a server, the most of a
// walk's cost).
void AfterTies(const Connection& conn, Sql& sql, const std::vector<QString>& cols, const QVariantList& vals,
               qint64 id);

// On SQLite, the rows after a key with no null in it as one row value of the order and the
// row: the engine seeks the index with it and tests each row it then walks with one chain
// of comparisons, which stops at the first column that differs, where a lower bound and the
// test for the ties cost two. (A server keeps the bound and the ties: there a comparison of
// text collates, an equality does not.) False, nothing added, where this does not apply.
bool AfterRowValue(const Connection& conn, Sql& sql, const std::vector<QString>& cols, const QVariantList& vals,
                   qint64 id);

// Whether the rows after a key can be read a level of the order at a time (AfterLevels):
// SQLite, an order and a key with no null in it.
bool LevelsApply(const Connection& conn, const std::vector<QString>& cols, const QVariantList& vals);

// The rows after a key (c0..cn-1, rowid) with no null in it, as one condition a level of
// the order, in the order their rows come: the ties after the row (c0 = ? AND .. AND cn-1 =
// ? AND rowid > ?), then c0 = ? AND .. AND cn-2 = ? AND cn-1 > ?, and so on up to c0 > ?.
// Where an index serves the order each is a plain range of it, which the engine walks
// without testing its rows again (the row value is tested on every row).
std::vector<Sql> AfterLevels(const Connection& conn, const std::vector<QString>& cols, const QVariantList& vals,
                             qint64 id);

// Whether the engine reads each of these statements (texts of the levels, values unbound)
// as a range of an index in its order: no sort of its own, no scan from the table's start.
// Without such an index each level would scan the table, where the row value scans once.
bool ReadAsRanges(Connection& conn, const std::vector<QString>& texts);

} // namespace keys
} // namespace fw

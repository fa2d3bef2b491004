#pragma once

// What every copy of a company's rows into a database shares: rows written in statements
// of many rows, and the measures by which a table is compared on both sides before the
// copy commits. The migration (CompanyMigration) measures its source with SQL, an import
// measures the rows it hands over as it goes; both compare with the same measures of the
// destination.

#include "platform/db/Connection.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace fw {

// Rows appended to one table, sent in statements of kRowsPerStatement rows (a few round
// trips for a large table, well within what either engine takes as values of one statement).
class TRowBatch final {
public:
    static constexpr int kRowsPerStatement = 200;

    TRowBatch(Connection& to, const QString& table, const QStringList& columns);
    // Takes one row's values, as they are to be bound, in the order of the columns.
    void Add(QVariantList&& values);
    // Writes the rows not written yet.
    void Flush();

private:
    QString Statement(int rows) const;

    Connection& to_;
    QString head_, row_;
    // The text of a whole statement, made once: a large table sends thousands of them.
    QString full_;
    QVariantList values_;
    int rows_ = 0;
};

// A table's measures: its rows; for each numeric column the sum of its values and of their
// magnitudes (the scale of that sum); for a boolean column how many rows are true; for a
// text column how many rows hold a non-empty text and how many characters they hold in
// all; for any other column how many rows hold a value.
class TTableMeasures final {
public:
    TTableMeasures(QString table, std::vector<ColumnInfo> columns);

    const QString& Table() const { return table_; }
    // What the figures are, for a message ("count(*)", "sum(\"Cantitate\")", ...).
    QStringList Names(const Connection& c) const;
    // The figures of the table as stored in a database.
    std::vector<double> Measure(Connection& c) const;

    // The same figures, counted row by row from values as they are handed to TRowBatch
    // (ToSqlValue's forms, in the order of the columns).
    void Count(const QVariantList& values);
    const std::vector<double>& Counted() const { return counted_; }

    // The first figure in which two measurements differ, or -1 when they agree: sums
    // within a rounding of their scale, everything else exactly.
    int FirstDifference(const std::vector<double>& a, const std::vector<double>& b) const;

private:
    QString table_;
    std::vector<ColumnInfo> columns_;
    std::vector<double> counted_;
};

} // namespace fw

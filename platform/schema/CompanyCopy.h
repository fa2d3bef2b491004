#pragma once

// What every copy of a company's rows into a database shares besides the rows' bulk copy
// (Connection::BulkCopy): the measures by which a table is compared on both sides before
// the copy commits. The migration (CompanyMigration) measures its source with SQL, an
// import measures the rows it hands over as it goes; both compare with the same measures
// of the destination.

#include "platform/db/Connection.h"

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <vector>

namespace fw {

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

    // The same figures, counted row by row from values as they are handed to the bulk
    // copy (ToSqlValue's forms, in the order of the columns).
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

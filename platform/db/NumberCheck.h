#pragma once

// Statements that sum or compute on a number column in the engine read text another
// program left there as 0 (the embedded engine keeps whatever it is given). Before such a
// figure is used or written over, the rows it comes from are asked for a value that is no
// number, and the first one stops the work with the message the table's dataset gives
// for it, naming the table, the field and the row.

#include <QString>
#include <QVariantList>

namespace fw {

class TTable;

// Raises EDatabaseError when a row of `table` matching `where` (SQL on the table's
// columns, bound with `values`; empty: every row) holds in `field` a value that is not a
// number. Nothing when every such value is a number or null. `table` is a dataset of the
// table, whose order names the row in the message; it is opened, or read again.
void RequireNumbers(TTable& table, const QString& field, const QString& where, const QVariantList& values);

// Raises EDatabaseError for the row `row` (its row identity) of `table`, whose `field`
// holds a value that cannot be read as a number.
[[noreturn]] void RaiseUnreadableNumber(TTable& table, const QString& field, qint64 row);

// The condition "holds no number" on a quoted column, as the engines compute it: a number
// plus 0 is itself, stored text is not the number it computes as.
QString NotANumberCondition(const QString& column);

} // namespace fw

#pragma once

// An update of one row whose row afterwards its caller can tell from the values it binds:
// where the engine stores exactly what was bound, the row need not be read back.

#include "platform/db/Connection.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace fw {

// Where the columns of an update's row afterwards (those of TRowWrite's read back) come
// from. `columns`: per column after the identity, its name in `table`; `from`: per column,
// the identity's first, the index among the update's values of what it holds once written
// (a value the update sets, or the condition's value for a column it leaves as it was).
// Empty `from` where some column of the row is not among the values.
struct TRowLayout {
    QString table;
    QStringList columns;
    std::vector<int> from;
};

// Runs an update of one row as Connection::WriteRow does. Where the engine is known to
// store every value of the row as bound (SQLite: no trigger, generated column or
// self-referencing foreign key on the table, no value its column's type would convert,
// the table as it was when that was learnt), the update runs alone and `row` is given the
// row made of the values bound, as the engine would read it.
int WriteUpdate(Connection& connection, const TRowWrite& statement, const TRowLayout& layout, const QVariantList& values,
                const std::function<void(const NativeRow&)>& row);

} // namespace fw

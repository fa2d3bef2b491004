#pragma once

// Bringing the tables of a company made by an older program up to their layout: the
// columns they lack (here) and the indexes (EnsureIndexes, CompanyTables.h).

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace fw {

class TSession;

// The columns company tables gained after companies had been made with them, as (table,
// column) of their layout: a company made before gets them, empty, when it is opened.
const std::vector<std::pair<QString, QString>>& AddedColumns();
// Adds to the tables of an open company database those of AddedColumns they lack, empty in
// every row; each table whole or not at all. A table that does not exist is left alone,
// and so is every other column (an older table keeps its layout). Returns false when the
// database could not be changed (read only): what reads such a column asks TableHasColumn
// first.
bool EnsureColumns(const QString& database, TSession* session = nullptr);
// Whether the company's table has that column (false: no such table either).
bool TableHasColumn(const QString& database, const QString& table, const QString& column, TSession* session = nullptr);

} // namespace fw

#pragma once

// Bringing the tables of a company made by an older program up to their layout: the
// columns they lack (here) and the indexes (EnsureIndexes, CompanyTables.h).

#include <QString>
#include <QStringList>

namespace fw {

class TSession;

// Adds to the given tables of an open company database the columns of their layout they
// lack, empty in every row; each table whole or not at all. A table that does not exist
// is left alone. Returns false when the database could not be changed (read only): what
// reads such a column asks TableHasColumn first.
bool EnsureColumns(const QString& database, const QStringList& tables, TSession* session = nullptr);
// Whether the company's table has that column (false: no such table either).
bool TableHasColumn(const QString& database, const QString& table, const QString& column, TSession* session = nullptr);

} // namespace fw

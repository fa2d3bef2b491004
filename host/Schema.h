#pragma once

#include "platform/boundary/TableDefs.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace pelmaris {

// The company tables are described once, in the framework; the host creates them.
using fw::TTableLayout;
using fw::DefaultStringWidth;
using fw::HostTables;
// One of the host's tables by file name (case-insensitive); null when the host has no such table.
const TTableLayout* FindHostTable(const QString& name);

// A table definition handed over by the add-on, as a layout the database can create.
// EDatabaseError when it cannot be made into a table: no name, no fields, a field without
// a name or of an unknown type, more than one primary index, an index without fields.
TTableLayout LayoutFromDefinition(const fw::TTableDefinition& definition);

// Creates in the company directory each table of the list that does not exist there yet;
// tables that exist are left exactly as they are. Returns the names of the tables
// created. Each table is created whole or not at all.
QStringList CreateMissingTables(const QString& directory, const std::vector<TTableLayout>& tables);

// A table of a company (a directory or an alias) opened in the given order. `lockRows`:
// the rows it reads inside a transaction stay locked until the transaction ends (what is
// read there decides what is written; see TTable::SetReadForUpdate).
std::unique_ptr<fw::TTable> OpenTable(const QString& database, const QString& name, const QString& order = {},
                                      bool lockRows = false);

// Whoever changes lots locks the counter row first, as the consumption document does
// before it locks the lots it draws on: writers of lots then take turns, and neither
// decides on a lot the other is changing. Inside the caller's transaction; the counter
// table is returned on its row, for a writer that also takes a document number from it.
std::unique_ptr<fw::TTable> LockCounterRow(const QString& database);

} // namespace pelmaris

#pragma once

#include "platform/boundary/TableDefs.h"
#include "platform/db/Table.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace pelmaris {

// The layout of one table of a company: its file name, its fields in order and its
// indexes (an unnamed primary one first when it has a key).
struct TTableLayout {
    QString Name;
    std::vector<fw::TFieldDef> Fields;
    std::vector<fw::TIndexDef> Indexes;
};

// Width a string field gets when its definition does not state one.
inline constexpr int DefaultStringWidth = 20;

// The host's own tables, as every company directory holds them. The add-on reads and
// writes many of them, so the widths of the fields it names are the ones it declares.
const std::vector<TTableLayout>& HostTables();
// One of them by file name (case-insensitive); null when the host has no such table.
const TTableLayout* FindHostTable(const QString& name);

// A table definition handed over by the add-on, as a layout the database can create.
// EDatabaseError when it cannot be made into a table: no name, no fields, a field without
// a name or of an unknown type, more than one primary index, an index without fields.
TTableLayout LayoutFromDefinition(const fw::TTableDefinition& definition);

// Creates in the company directory each table of the list that does not exist there yet;
// tables that exist are left exactly as they are. Returns the names of the tables
// created. Each table is created whole or not at all.
QStringList CreateMissingTables(const QString& directory, const std::vector<TTableLayout>& tables);

// A table of a company (a directory or an alias) opened in the given order.
std::unique_ptr<fw::TTable> OpenTable(const QString& database, const QString& name, const QString& order = {});

} // namespace pelmaris

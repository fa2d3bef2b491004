#pragma once

#include "platform/db/Connection.h"

namespace fw {

// Adds a column, empty in every row, to an existing table (stored name) on either engine:
// a company made before the column was part of its layout gets it.
void AddColumn(Connection& conn, const QString& table, const TColumnDef& column);

} // namespace fw

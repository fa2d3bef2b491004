#pragma once

#include <QString>

namespace fw {

// The name a table's index is stored under: the table's stored name, then the index's own
// ("key" for the primary one). Every engine keeps one namespace of indexes per database,
// so two tables' indexes of the same name must not meet.
QString IndexName(const QString& table, const QString& index);

} // namespace fw

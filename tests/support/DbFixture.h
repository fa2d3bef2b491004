#pragma once

#include "Engine.h"
#include "TempDir.h"
#include "platform/db/Table.h"

#include <QVariantList>
#include <initializer_list>
#include <memory>
#include <vector>

namespace testsupport {

// Creates a table in a directory and fills it with rows given as value lists in field order.
void CreateTable(const QString& dir, const QString& file, const std::vector<fw::TFieldDef>& fields,
                 const std::vector<fw::TIndexDef>& indexes = {}, const std::vector<QVariantList>& rows = {});

// Opens a table on a directory (the directory path serves as database name).
std::unique_ptr<fw::TTable> OpenTable(const QString& dir, const QString& file, const QString& indexFieldNames = {});

// Reads one column of every row, in the table's current order, moving from the first.
QStringList Column(fw::TDataSet& ds, const QString& field);

// Runs SQL straight on a directory's database (to see what was really stored).
QVariantList RawColumn(const QString& dir, const QString& sql);
std::vector<QVariantList> RawRows(const QString& dir, const QString& sql);
// A stored value as text, the same from either engine: numbers as the embedded engine
// writes them ("8.0", "2.5"), dates in ISO form, null as "NULL".
QString AsText(const QVariant& value);
// Each row of a query as its values' texts joined by `separator`.
QStringList RawTexts(const QString& dir, const QString& sql, const QString& separator = QStringLiteral(" "));

} // namespace testsupport

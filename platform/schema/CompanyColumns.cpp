#include "platform/schema/CompanyColumns.h"

#include "platform/core/Exceptions.h"
#include "platform/db/AddedColumn.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"

#include <algorithm>
#include <functional>

namespace fw {

namespace {

// Brings each of the given tables that exists nearer its layout by `amend`, which is given
// the table and its connection; false when the database could not be changed (a company
// the user may only read keeps what it has).
bool AmendTables(const QString& database, const QStringList& tables, TSession* session,
                 const std::function<void(TTable&, const TTableLayout&)>& amend)
{
    try {
        for (const QString& name : tables) {
            const TTableLayout& layout = CompanyTable(name);
            TTable table;
            table.SetSession(session);
            table.SetDatabaseName(database);
            table.SetTableName(layout.Name);
            if (table.Exists())
                amend(table, layout);
        }
    } catch (const EDatabaseError&) {
        return false;
    }
    return true;
}

// The columns of the table as stored, and the name it is stored under.
std::vector<ColumnInfo> StoredColumns(Connection& conn, const TTable& table, QString& stored)
{
    stored = conn.StoredTableName(table.SqlTableName());
    return conn.Columns(stored);
}

bool Holds(const std::vector<ColumnInfo>& columns, const QString& name)
{
    return std::any_of(columns.begin(), columns.end(),
                       [&](const ColumnInfo& c) { return c.name.compare(name, Qt::CaseInsensitive) == 0; });
}

} // namespace

const std::vector<std::pair<QString, QString>>& AddedColumns()
{
    // A lot's own expiry date, typed on the receipt line and kept with its stock.
    static const std::vector<std::pair<QString, QString>> columns{{ItemInDB, QStringLiteral("Data_expirare")},
                                                                  {StocDB, QStringLiteral("Data_expirare")}};
    return columns;
}

bool EnsureColumns(const QString& database, TSession* session)
{
    QStringList tables;
    for (const auto& [table, column] : AddedColumns())
        if (!tables.contains(table))
            tables << table;
    return AmendTables(database, tables, session, [&](TTable& table, const TTableLayout& layout) {
        auto conn = table.Session()->ConnectionFor(database);
        QString stored;
        const std::vector<ColumnInfo> present = StoredColumns(*conn, table, stored);
        std::vector<TColumnDef> missing;
        for (const auto& [name, column] : AddedColumns())
            if (name == layout.Name && !Holds(present, column)) {
                const TFieldDef& f = layout.Field(column);
                missing.push_back({f.Name, SqlTypeName(f.DataType, f.Size), false});
            }
        if (missing.empty())
            return;
        TTransaction tx(conn);
        for (const TColumnDef& c : missing)
            AddColumn(*conn, stored, c);
        tx.Commit();
        conn->Touch();
    });
}

bool TableHasColumn(const QString& database, const QString& table, const QString& column, TSession* session)
{
    TTable t;
    t.SetSession(session);
    t.SetDatabaseName(database);
    t.SetTableName(table);
    if (!t.Exists())
        return false;
    QString stored;
    return Holds(StoredColumns(*t.Session()->ConnectionFor(database), t, stored), column);
}

bool EnsureIndexes(const QString& database, const QStringList& tables, TSession* session)
{
    // Read only, queries still work, only slower.
    return AmendTables(database, tables, session, [](TTable& table, const TTableLayout& layout) {
        for (const TIndexDef& index : layout.Indexes) {
            const bool present =
                index.Condition.isEmpty() ? table.HasIndexOn(index.Fields) : table.HasPartialIndex(index.Name);
            if (!index.Options.testFlag(TIndexOption::Primary) && !present)
                table.AddIndex(index.Name, index.Fields, index.Options, index.Condition);
        }
    });
}

} // namespace fw

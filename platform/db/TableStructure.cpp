// A table's structure: whether it exists, making and dropping it, emptying it, its indexes.
#include "platform/db/Table.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/IndexName.h"

#include <algorithm>

namespace fw {

std::shared_ptr<Connection> TTable::ConnectionForStructure(TOpenMode mode)
{
    if (connection_)
        return connection_;
    return Session()->ConnectionFor(databaseName_, mode);
}

bool TTable::Exists()
{
    // No database holds no table; asking must not make one.
    if (!connection_ && !Connection::HasDatabase(Session()->ResolveDirectory(databaseName_)))
        return false;
    try {
        return !ConnectionForStructure()->StoredTableName(SqlTableName()).isEmpty();
    } catch (const EDatabaseMissing&) {
        return false; // a server's database without the company's schema yet
    }
}

namespace {

QStringList FieldList(const QString& fields)
{
    QStringList out;
    for (const QString& f : fields.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        out << f.trimmed();
    return out;
}

// The structure of a table cannot change under its own open cursor.
void RefuseWhileOpen(const TTable& table)
{
    if (table.Active())
        throw EDatabaseError(dbmsg::DataSetOpen(table.objectName()));
}

// The name the table is stored under; a table that is not there is told to the user.
QString StoredName(Connection& conn, const TTable& table)
{
    QString stored = conn.StoredTableName(table.SqlTableName());
    if (stored.isEmpty())
        throw EDatabaseError(dbmsg::MissingTable(table.TableName()));
    return stored;
}

} // namespace

QString IndexName(const QString& table, const QString& index)
{
    return table + QLatin1Char('_') + (index.isEmpty() ? QStringLiteral("key") : index);
}

void TTable::CreateTable()
{
    RefuseWhileOpen(*this);
    std::vector<TFieldDef> defs = FieldDefs;
    if (defs.empty()) {
        for (TField* f : DataFields())
            defs.push_back({f->FieldName(), f->DataType(), f->Size(), f->Required()});
    }
    if (defs.empty())
        throw EDatabaseError(dbmsg::TableWithoutFields(tableName_));
    auto conn = ConnectionForStructure(TOpenMode::CreateMissing);
    const QString name = SqlTableName();
    std::vector<TColumnDef> columns;
    columns.reserve(defs.size());
    for (const TFieldDef& d : defs)
        columns.push_back({d.Name, SqlTypeName(d.DataType, d.Size), d.Required});
    QStringList primaryKey;
    for (const TIndexDef& ix : IndexDefs)
        if (ix.Options.testFlag(TIndexOption::Primary))
            primaryKey = FieldList(ix.Fields);
    TTransaction tx(conn);
    const QString old = conn->StoredTableName(name);
    if (!old.isEmpty())
        conn->DropTable(old);
    conn->CreateTable(name, columns, primaryKey);
    for (const TIndexDef& ix : IndexDefs) {
        if (ix.Options.testFlag(TIndexOption::Primary))
            continue;
        conn->CreateIndex(name, IndexName(name, ix.Name), FieldList(ix.Fields), ix.Options.testFlag(TIndexOption::Unique),
                          ix.Options.testFlag(TIndexOption::Descending), ix.Condition);
    }
    tx.Commit();
    conn->Touch();
}

void TTable::DeleteTable()
{
    RefuseWhileOpen(*this);
    auto conn = ConnectionForStructure();
    conn->DropTable(StoredName(*conn, *this));
}

void TTable::EmptyTable()
{
    auto conn = ConnectionForStructure();
    const QString stored = StoredName(*conn, *this);
    conn->Exec(QStringLiteral("DELETE FROM %1").arg(conn->Quote(stored)));
    if (Active())
        Resync(false);
}

bool TTable::HasIndexOn(const QString& fields)
{
    auto conn = ConnectionForStructure();
    const QString stored = StoredName(*conn, *this);
    const QStringList wanted = FieldList(fields);
    for (const QStringList& columns : conn->IndexColumns(stored)) {
        if (columns.size() < wanted.size())
            continue;
        bool leads = true;
        for (int i = 0; i < wanted.size() && leads; ++i)
            leads = columns[i].compare(wanted[i], Qt::CaseInsensitive) == 0;
        if (leads)
            return true;
    }
    return false;
}

bool TTable::HasPartialIndex(const QString& name)
{
    auto conn = ConnectionForStructure();
    const QString stored = StoredName(*conn, *this);
    return conn->HasPartialIndex(stored, IndexName(stored, name));
}

void TTable::AddIndex(const QString& name, const QString& fields, TIndexOptions options, const QString& condition)
{
    RefuseWhileOpen(*this);
    auto conn = ConnectionForStructure();
    const QString stored = StoredName(*conn, *this);
    const QStringList columns = FieldList(fields);
    const std::vector<ColumnInfo> existing = conn->Columns(stored);
    for (const QString& f : columns) {
        const bool found = std::any_of(existing.begin(), existing.end(),
                                       [&](const ColumnInfo& c) { return c.name.compare(f, Qt::CaseInsensitive) == 0; });
        if (!found)
            throw EDatabaseError(dbmsg::MissingColumn(tableName_, f));
    }
    TTransaction tx(conn);
    if (options.testFlag(TIndexOption::Primary))
        conn->AddPrimaryKey(stored, columns);
    else
        conn->CreateIndex(stored, IndexName(stored, name), columns, options.testFlag(TIndexOption::Unique),
                          options.testFlag(TIndexOption::Descending), condition);
    tx.Commit();
    conn->Touch();
}

} // namespace fw

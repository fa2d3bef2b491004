#include "platform/schema/CompanyMigration.h"

#include "platform/core/Exceptions.h"
#include "platform/db/BulkCopy.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/schema/CompanyCopy.h"
#include "platform/schema/CompanyTables.h"

#include <algorithm>

namespace fw {

namespace {

// Where a destination records the moves it took: one row per move, committed with its tables.
const QString kMoveTable = QStringLiteral("fw_migration");

void RecordMove(Connection& to, const QString& moveId, const QString& source)
{
    if (to.StoredTableName(kMoveTable).isEmpty())
        to.CreateTable(kMoveTable, {{QStringLiteral("id"), SqlTypeName(TFieldType::String, 40), true},
                                    {QStringLiteral("source"), SqlTypeName(TFieldType::String, 1000), false}},
                       {});
    to.Exec(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                .arg(to.Quote(kMoveTable), to.Quote(QStringLiteral("id")), to.Quote(QStringLiteral("source"))),
            {moveId, source.left(1000)});
}

struct TSourceTable {
    QString name;
    std::vector<ColumnInfo> columns;
    QStringList key;
    std::vector<QStringList> indexes;
};

bool SameColumns(const QStringList& a, const QStringList& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](const QString& x, const QString& y) {
               return x.compare(y, Qt::CaseInsensitive) == 0;
           });
}

TSourceTable Describe(Connection& from, const QString& name)
{
    TSourceTable t{name, from.Columns(name), {}, {}};
    std::vector<ColumnInfo> keyed;
    std::copy_if(t.columns.begin(), t.columns.end(), std::back_inserter(keyed), [](const ColumnInfo& c) { return c.pkPosition > 0; });
    std::sort(keyed.begin(), keyed.end(), [](const ColumnInfo& a, const ColumnInfo& b) { return a.pkPosition < b.pkPosition; });
    for (const ColumnInfo& c : keyed)
        t.key << c.name;
    for (const QStringList& columns : from.IndexColumns(name))
        if (!SameColumns(columns, t.key) && std::none_of(t.indexes.begin(), t.indexes.end(),
                                                         [&](const QStringList& i) { return SameColumns(i, columns); }))
            t.indexes.push_back(columns);
    return t;
}

void Create(Connection& to, const TSourceTable& t)
{
    std::vector<TColumnDef> columns;
    for (const ColumnInfo& c : t.columns)
        columns.push_back({c.name, c.declType.isEmpty() ? SqlTypeName(c.type, c.size) : c.declType, false});
    to.CreateTable(t.name, columns, t.key);
    for (size_t i = 0; i < t.indexes.size(); ++i)
        to.CreateIndex(t.name, QStringLiteral("%1_ix%2").arg(t.name).arg(i + 1), t.indexes[i], false, false, {});
}

void CopyRows(Connection& from, Connection& to, const TSourceTable& t)
{
    QStringList source, names;
    for (const ColumnInfo& c : t.columns) {
        source << from.Quote(c.name);
        names << c.name;
    }
    const std::unique_ptr<TBulkCopy> batch = to.BulkCopy(t.name, names);
    // In the order the rows were written: a table without a key keeps its order.
    from.ForEachRow(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                        .arg(source.join(QStringLiteral(", ")), from.Quote(t.name), from.RowIdColumn()),
                    {}, [&](const NativeRow& r) {
                        QVariantList values;
                        values.reserve(qsizetype(t.columns.size()));
                        for (size_t i = 0; i < t.columns.size(); ++i) {
                            const TFieldType type = t.columns[i].type;
                            const QVariant v = r.Value(int(i));
                            // Stored the way the layer reads it: an empty text is null, a date a date.
                            values << (type == TFieldType::Unknown ? v : ToSqlValue(type, FromSqlValue(type, v)));
                        }
                        batch->Add(std::move(values));
                    });
    batch->Flush();
}

} // namespace

std::vector<TMigratedTable> MigrateCompany(const QString& fromDirectory, const QString& toDirectory,
                                           const std::function<void(const QString& table)>& progress, const QString& moveId)
{
    QStringList company;
    for (const TTableLayout& t : HostTables())
        company << t.Name;
    auto from = Connection::Open(fromDirectory, TOpenMode::Existing, company);
    auto to = Connection::Open(toDirectory, TOpenMode::CreateMissing);
    if (from == to)
        throw EDatabaseError(dbmsg::MigrationOntoItself());
    if (to->ReadOnly())
        throw EDatabaseError(dbmsg::MigrationTargetReadOnly(to->Describe()));

    TTransaction reading(from); // nobody writes to the source meanwhile
    std::vector<TSourceTable> tables;
    for (const QString& name : from->TableNames()) {
        if (name.compare(kMoveTable, Qt::CaseInsensitive) == 0)
            continue; // a record of the source's own past, not the company's
        if (!to->StoredTableName(name).isEmpty())
            throw EDatabaseError(dbmsg::MigrationTargetHoldsTable(to->Describe(), name));
        tables.push_back(Describe(*from, name));
    }

    std::vector<TMigratedTable> copied;
    TTransaction writing(to);
    for (const TSourceTable& t : tables) {
        if (progress)
            progress(t.name);
        Create(*to, t);
        CopyRows(*from, *to, t);
    }
    for (const TSourceTable& t : tables) {
        const TTableMeasures measures(t.name, t.columns);
        const std::vector<double> source = measures.Measure(*from), target = measures.Measure(*to);
        if (const int i = measures.FirstDifference(source, target); i >= 0)
            throw EDatabaseError(dbmsg::MigrationMismatch(t.name, measures.Names(*from).value(i),
                                                          size_t(i) < source.size() ? source[size_t(i)] : 0.0,
                                                          size_t(i) < target.size() ? target[size_t(i)] : 0.0));
        copied.push_back({t.name, qint64(source.front())});
    }
    if (!moveId.isEmpty())
        RecordMove(*to, moveId, fromDirectory);
    writing.Commit();
    to->Touch();
    // A server plans its reads by what it knows of a table's contents: tell it at once.
    if (to->Engine() == TEngine::PostgreSQL)
        for (const TSourceTable& t : tables)
            to->Exec(QStringLiteral("ANALYZE %1").arg(to->Quote(t.name)));
    return copied;
}

bool HoldsMigration(const QString& directory, const QString& moveId)
{
    std::shared_ptr<Connection> db;
    try {
        db = Connection::Open(directory, TOpenMode::Existing);
    } catch (const EDatabaseMissing&) {
        return false;
    }
    const QString table = db->StoredTableName(kMoveTable);
    return !table.isEmpty()
        && db->ScalarInt(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(db->Quote(table), db->Quote(QStringLiteral("id"))),
                         {moveId})
        > 0;
}

} // namespace fw

#include "platform/schema/CompanyMigration.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/schema/CompanyTables.h"

#include <algorithm>
#include <cmath>

namespace fw {

namespace {

// Rows sent in one statement: a few round trips for a large table, well within what
// either engine takes as values of one statement.
constexpr int kRowsPerStatement = 200;

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
        to.CreateIndex(t.name, QStringLiteral("%1_ix%2").arg(t.name).arg(i + 1), t.indexes[i], false, false);
}

void CopyRows(Connection& from, Connection& to, const TSourceTable& t)
{
    QStringList source, target, marks;
    for (const ColumnInfo& c : t.columns) {
        source << from.Quote(c.name);
        target << to.Quote(c.name);
        marks << QStringLiteral("?");
    }
    const QString row = QLatin1Char('(') + marks.join(QStringLiteral(", ")) + QLatin1Char(')');
    QVariantList values;
    int rows = 0;
    const auto flush = [&] {
        if (rows == 0)
            return;
        QStringList all;
        for (int i = 0; i < rows; ++i)
            all << row;
        to.ForEachRow(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                          .arg(to.Quote(t.name), target.join(QStringLiteral(", ")), all.join(QStringLiteral(", "))),
                      values, {});
        values.clear();
        rows = 0;
    };
    // In the order the rows were written: a table without a key keeps its order.
    from.ForEachRow(QStringLiteral("SELECT %1 FROM %2 ORDER BY %3")
                        .arg(source.join(QStringLiteral(", ")), from.Quote(t.name), from.RowIdColumn()),
                    {}, [&](const NativeRow& r) {
                        for (size_t i = 0; i < t.columns.size(); ++i) {
                            const TFieldType type = t.columns[i].type;
                            const QVariant v = r.Value(int(i));
                            // Stored the way the layer reads it: an empty text is null, a date a date.
                            values << (type == TFieldType::Unknown ? v : ToSqlValue(type, FromSqlValue(type, v)));
                        }
                        if (++rows == kRowsPerStatement)
                            flush();
                    });
    flush();
}

// What both sides of a table are compared by: the rows, the sum of each numeric column,
// and for every other column the rows holding a value and the length of the texts.
QStringList Measures(const Connection& c, const TSourceTable& t)
{
    const bool server = c.Engine() == TEngine::PostgreSQL;
    QStringList parts{QStringLiteral("count(*)")};
    for (const ColumnInfo& col : t.columns) {
        const QString q = c.Quote(col.name);
        switch (col.type) {
        case TFieldType::Float:
        case TFieldType::Currency:
        case TFieldType::Smallint:
        case TFieldType::Integer:
        case TFieldType::Word:
            parts << QStringLiteral("sum(%1)").arg(q);
            break;
        case TFieldType::Boolean:
            parts << (server ? QStringLiteral("sum(CASE WHEN %1 THEN 1 ELSE 0 END)") : QStringLiteral("sum(%1 <> 0)")).arg(q);
            break;
        case TFieldType::String:
        case TFieldType::Unknown:
            parts << QStringLiteral("count(NULLIF(%1, ''))").arg(q) << QStringLiteral("sum(length(%1))").arg(q);
            break;
        default:
            parts << (server ? QStringLiteral("count(%1)") : QStringLiteral("count(NULLIF(%1, ''))")).arg(q);
        }
    }
    return parts;
}

std::vector<double> Measure(Connection& c, const TSourceTable& t)
{
    std::vector<double> out;
    const QStringList parts = Measures(c, t);
    c.ForEachRow(QStringLiteral("SELECT %1 FROM %2").arg(parts.join(QStringLiteral(", ")), c.Quote(t.name)), {},
                 [&](const NativeRow& r) {
                     for (int i = 0; i < parts.size(); ++i)
                         out.push_back(r.Value(i).toDouble());
                 });
    return out;
}

bool Close(double a, double b) { return std::abs(a - b) <= 1e-9 * std::max({1.0, std::abs(a), std::abs(b)}); }

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
        const std::vector<double> source = Measure(*from, t), target = Measure(*to, t);
        const QStringList parts = Measures(*from, t);
        for (size_t i = 0; i < source.size(); ++i)
            if (i >= target.size() || !Close(source[i], target[i]))
                throw EDatabaseError(dbmsg::MigrationMismatch(t.name, parts.value(int(i)), source[i],
                                                              i < target.size() ? target[i] : 0.0));
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

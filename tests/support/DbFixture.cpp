#include "DbFixture.h"

#include "platform/db/Connection.h"

#include <QSqlQuery>

namespace testsupport {

void CreateTable(const QString& dir, const QString& file, const std::vector<fw::TFieldDef>& fields,
                 const std::vector<fw::TIndexDef>& indexes, const std::vector<QVariantList>& rows)
{
    fw::TTable t;
    t.SetDatabaseName(dir);
    t.SetTableName(file);
    t.FieldDefs = fields;
    t.IndexDefs = indexes;
    t.CreateTable();
    if (rows.empty())
        return;
    t.Open();
    for (const QVariantList& row : rows)
        t.AppendRecord(row);
    t.Close();
}

std::unique_ptr<fw::TTable> OpenTable(const QString& dir, const QString& file, const QString& indexFieldNames)
{
    auto t = std::make_unique<fw::TTable>();
    t->SetDatabaseName(dir);
    t->SetTableName(file);
    t->SetIndexFieldNames(indexFieldNames);
    t->Open();
    return t;
}

QStringList Column(fw::TDataSet& ds, const QString& field)
{
    QStringList out;
    ds.First();
    while (!ds.Eof()) {
        out << ds.FieldByName(field)->AsString();
        ds.Next();
    }
    return out;
}

QVariantList RawColumn(const QString& dir, const QString& sql)
{
    auto conn = fw::Connection::Open(dir);
    QSqlQuery q(conn->Database());
    QVariantList out;
    if (!q.exec(sql))
        return out;
    while (q.next())
        out << q.value(0);
    return out;
}

} // namespace testsupport

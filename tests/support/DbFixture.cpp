#include "DbFixture.h"

#include "platform/db/Connection.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <cmath>

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

std::vector<QVariantList> RawRows(const QString& dir, const QString& sql)
{
    auto conn = fw::Connection::Open(dir);
    QSqlQuery q(conn->Database());
    std::vector<QVariantList> out;
    if (!q.exec(sql))
        return out;
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i)
            row << q.value(i);
        out.push_back(row);
    }
    return out;
}

QVariantList RawColumn(const QString& dir, const QString& sql)
{
    QVariantList out;
    for (const QVariantList& row : RawRows(dir, sql))
        out << row.value(0);
    return out;
}

QStringList RawTexts(const QString& dir, const QString& sql, const QString& separator)
{
    QStringList out;
    for (const QVariantList& row : RawRows(dir, sql)) {
        QStringList values;
        for (const QVariant& v : row)
            values << AsText(v);
        out << values.join(separator);
    }
    return out;
}

QString AsText(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("NULL");
    switch (value.typeId()) {
    case QMetaType::Double: {
        const double d = value.toDouble();
        return d == std::floor(d) && std::abs(d) < 1e15 ? QString::number(d, 'f', 1) : QString::number(d, 'g', 15);
    }
    case QMetaType::QDate:
        return value.toDate().toString(Qt::ISODate);
    default:
        return value.toString();
    }
}

} // namespace testsupport

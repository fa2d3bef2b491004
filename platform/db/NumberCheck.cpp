#include "platform/db/NumberCheck.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/DbMessages.h"
#include "platform/db/Field.h"
#include "platform/db/Table.h"

#include <optional>

namespace fw {

namespace {

void OpenAnew(TTable& table)
{
    if (table.Active())
        table.Refresh();
    else
        table.Open();
}

} // namespace

QString NotANumberCondition(const QString& column) { return QStringLiteral("%1 + 0 <> %1").arg(column); }

void RequireNumbers(TTable& table, const QString& field, const QString& where, const QVariantList& values)
{
    OpenAnew(table);
    Connection& engine = *table.GetConnection();
    QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE ").arg(engine.RowIdColumn(), table.SqlTableName());
    if (!where.isEmpty())
        sql += QStringLiteral("(%1) AND ").arg(where);
    sql += NotANumberCondition(field) + QStringLiteral(" ORDER BY %1 LIMIT 1").arg(engine.RowIdColumn());
    std::optional<qint64> row;
    engine.ForEachRow(sql, values, [&](const NativeRow& r) { row = r.Int(0); });
    if (row)
        RaiseUnreadableNumber(table, field, *row);
}

void RaiseUnreadableNumber(TTable& table, const QString& field, qint64 row)
{
    // The dataset reads the row as it reads every row: the value becomes a fault that
    // names the row, raised when asked for.
    OpenAnew(table);
    table.GotoBookmark(row);
    table.FieldByName(field)->AsFloat();
    throw EDatabaseError(dbmsg::UnreadableValue(table.TableName(), field, dbmsg::RowNamed(QString(), row)));
}

} // namespace fw

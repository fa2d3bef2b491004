#include "platform/db/AddedColumn.h"

#include "platform/db/PgConnection.h"
#include "platform/db/SqliteConnection.h"

namespace fw {

void AddColumn(Connection& conn, const QString& table, const TColumnDef& column)
{
    if (auto* server = dynamic_cast<PgConnection*>(&conn))
        server->AddColumn(table, column);
    else
        dynamic_cast<SqliteConnection&>(conn).AddColumn(table, column);
}

} // namespace fw

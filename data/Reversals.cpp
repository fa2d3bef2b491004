#include "data/Reversals.h"

#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"

namespace corvanel {

TReversals ReadReversals(fw::TSession* session, const QString& database)
{
    TReversals reversals;
    fw::TTable table;
    table.SetSession(session);
    table.SetDatabaseName(database);
    table.SetTableName(fw::StornariDB);
    if (!table.Exists())
        return reversals;
    fw::TQuery q;
    q.SetSession(session);
    q.SetDatabaseName(database);
    q.SetSQL({QStringLiteral("SELECT Contor_out, Contor_stornare FROM Stornari")});
    for (q.Open(); !q.Eof(); q.Next()) {
        reversals.ReversedBy[q.Fields(0)->AsFloat()] = q.Fields(1)->AsFloat();
        reversals.Reverses[q.Fields(1)->AsFloat()] = q.Fields(0)->AsFloat();
    }
    return reversals;
}

} // namespace corvanel

#include "reports/FirmName.h"

#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "platform/db/Query.h"

namespace corvanel {

QString ReadFirmName(TProductionContext& context)
{
    fw::TQuery q;
    q.SetSession(context.Session());
    q.SetDatabaseName(KRBPROD);
    q.SetSQL({QStringLiteral("SELECT Denumire FROM \"FIRMDATA.DB\"")});
    q.Open();
    return q.Eof() ? QString() : q.Fields(0)->AsString();
}

} // namespace corvanel

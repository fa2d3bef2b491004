#include "host/LotOutgoings.h"

#include "host/ReceiptLedger.h"
#include "platform/core/Formats.h"
#include "platform/db/Query.h"
#include "platform/schema/DocumentTypes.h"

#include <QStringList>
#include <map>

namespace pelmaris {

QString LotOutgoings(const QString& database, const TReceiptLine& line)
{
    fw::TQuery q;
    q.SetDatabaseName(database);
    q.SetSQL({QStringLiteral("SELECT D.Tip, D.Numar, SUM(I.Cantitate) AS Cant"),
              QStringLiteral("FROM \"Item_out.DB\" I, \"Doc_out.DB\" D"),
              QStringLiteral("WHERE I.Contor = D.Contor AND I.Cod_gestiune = :Gest AND I.Cod_grupa = :Grupa"),
              QStringLiteral(" AND I.Cod_articol = :Articol AND I.Lot = :Lot"),
              QStringLiteral("GROUP BY D.Tip, D.Numar"),
              QStringLiteral("ORDER BY D.Tip, D.Numar")});
    q.ParamByName(QStringLiteral("Gest"))->SetAsString(line.Gestiune);
    q.ParamByName(QStringLiteral("Grupa"))->SetAsString(line.Grupa);
    q.ParamByName(QStringLiteral("Articol"))->SetAsString(line.Articol);
    q.ParamByName(QStringLiteral("Lot"))->SetAsString(line.Lot);
    q.Open();
    struct TKind {
        double Quantity = 0;
        QStringList Documents;
    };
    // Consumption first, as production draws on lots before they are sold.
    std::map<int, TKind> kinds;
    for (q.First(); !q.Eof(); q.Next()) {
        const QString type = q.FieldByName(QStringLiteral("Tip"))->AsString();
        TKind& kind = kinds[type == fw::ConsumptionDocType ? 0 : 1];
        kind.Quantity += q.FieldByName(QStringLiteral("Cant"))->AsFloat();
        kind.Documents << QStringLiteral("%1 nr. %2").arg(type, fw::FloatToStr(q.FieldByName(QStringLiteral("Numar"))->AsFloat()));
    }
    QStringList parts;
    for (const auto& [which, kind] : kinds) {
        parts << QStringLiteral("%1 %2 pe %3")
                     .arg(which == 0 ? QStringLiteral("consum") : QStringLiteral("vanzare"), fw::FloatToStr(kind.Quantity),
                          kind.Documents.join(QStringLiteral(", ")));
    }
    return parts.join(QStringLiteral("; "));
}

} // namespace pelmaris

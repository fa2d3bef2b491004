#include "reports/ExpiringLotsData.h"

#include "data/LotStatus.h"
#include "data/Queries.h"
#include "data/StockLedger.h"
#include "platform/db/Query.h"
#include "platform/schema/CompanyColumns.h"
#include "platform/schema/CompanyTables.h"

#include <algorithm>
#include <tuple>

namespace corvanel {

using namespace fw;

QString TExpiringLot::LotText() const
{
    return State.isEmpty() ? Lot : QStringLiteral("%1 (%2)").arg(Lot, State);
}

std::vector<TExpiringLot> ReadExpiringLots(TSession* session, const QDate& day, int days, const QStringList& warehouses)
{
    TQuery q;
    q.SetSession(session);
    q.SetDatabaseName(KRBPROD);
    // Which of them expire soon is decided here, where dates are counted the same way
    // whatever the engine.
    // A company whose stock could not take the lots' own expiry dates (read only) has none.
    const bool ownExpiry = TableHasColumn(KRBPROD, StocDB, QStringLiteral("Data_expirare"), session);
    q.SetSQL(TStockLedger::LotsWithShelfLifeSql(ownExpiry));
    DeclareFields(q, CompanyTable(StocDB),
                  {"Cod_gestiune", "Cod_grupa", "Cod_articol", "Lot", "Data_intrare", "Cantitate", "Pret_achizitie"});
    if (ownExpiry)
        DeclareFields(q, CompanyTable(StocDB), {"Data_expirare"});
    DeclareFields(q, CompanyTable(CatalogDB), {"Denumire", "Unitate_masura", "ZileValabilitate"});
    q.Open();
    const QDate last = day.addDays(days);
    std::vector<TExpiringLot> lots;
    const auto text = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name))->AsString(); };
    const auto number = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name))->AsFloat(); };
    for (; !q.Eof(); q.Next()) {
        const QString warehouse = text("Cod_gestiune");
        if (!warehouses.isEmpty() && !warehouses.contains(warehouse))
            continue;
        const QDate entry = q.FieldByName(QStringLiteral("Data_intrare"))->AsDate();
        const QDate expiry = ExpiryDate(entry, number("ZileValabilitate"),
                                        ownExpiry ? q.FieldByName(QStringLiteral("Data_expirare"))->AsDate() : QDate());
        if (!expiry.isValid() || expiry > last)
            continue;
        TExpiringLot lot{warehouse, text("Cod_grupa"), text("Cod_articol"), text("Denumire"), text("Unitate_masura"),
                         text("Lot"), entry, expiry, static_cast<int>(day.daysTo(expiry)), number("Cantitate"),
                         number("Pret_achizitie"), 0.0, {}};
        lot.Value = lot.Quantity * lot.Price;
        lots.push_back(std::move(lot));
    }
    // The standings of the articles listed, one statement for all of them.
    std::vector<TMaterialDraw> articles;
    QHash<QString, size_t> articleAt; // "group/code"
    const auto key = [](const TExpiringLot& l) { return l.Group + QLatin1Char('/') + l.Code; };
    for (const TExpiringLot& l : lots)
        if (!articleAt.contains(key(l))) {
            articleAt.insert(key(l), articles.size());
            articles.push_back({l.Group, l.Code, 0});
        }
    const std::vector<QHash<QString, TLotStanding>> held = UnusableLots(*q.GetConnection(), articles);
    for (TExpiringLot& l : lots) {
        const QHash<QString, TLotStanding>& ofArticle = held[articleAt.value(key(l))];
        if (const auto standing = ofArticle.constFind(l.Lot); standing != ofArticle.constEnd())
            l.State = standing->State;
    }
    std::sort(lots.begin(), lots.end(), [](const TExpiringLot& a, const TExpiringLot& b) {
        return std::tie(a.Warehouse, a.Group, a.Code, a.Expiry, a.Lot) < std::tie(b.Warehouse, b.Group, b.Code, b.Expiry, b.Lot);
    });
    return lots;
}

} // namespace corvanel

#include "data/StockLots.h"

#include "data/ProductionData.h"
#include "data/Queries.h"
#include "platform/db/Connection.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace corvanel {

using namespace fw;

namespace {

constexpr double QuantityTolerance = 0.000001;

// The lots a consumption may not draw on are those entered before this day: the day of the
// consumption less the material's shelf life, when expired lots are left out. None else.
std::optional<QDate> EnteredBefore(TProductionData& dm, const QString& group, const QString& code, const QDate& day)
{
    if (dm.Context().Settings.DrawExpiredLots || !day.isValid())
        return std::nullopt;
    const double days = dm.ShelfLife(group, code);
    if (!(days > 0))
        return std::nullopt;
    return day.addDays(-static_cast<qint64>(std::floor(days)));
}

// A query of the company's stock on the data module's connection (and transaction).
void OnStock(TQuery& q, TProductionData& dm, const QStringList& sql, const QString& group, const QString& code,
             const std::optional<QDate>& enteredBefore)
{
    q.SetSession(dm.Session);
    q.SetDatabaseName(KRBPROD);
    q.SetSQL(sql);
    if (!group.isEmpty())
        q.ParamByName(QStringLiteral("Grupa"))->SetAsString(group);
    if (!code.isEmpty())
        q.ParamByName(QStringLiteral("Cod"))->SetAsString(code);
    if (enteredBefore)
        q.ParamByName(QStringLiteral("Intrat"))->SetAsDate(*enteredBefore);
}

// The material's lots, found as the stock table's key search finds them: empty text is no
// value, so an empty group matches the lots without one.
QString MaterialCondition(const QString& group, const QString& code)
{
    return (group.isEmpty() ? QStringLiteral("(Cod_grupa IS NULL)") : QStringLiteral("(Cod_grupa = :Grupa)"))
           + QStringLiteral(" AND ") + (code.isEmpty() ? QStringLiteral("(Cod_articol IS NULL)") : QStringLiteral("(Cod_articol = :Cod)"));
}

const QString kNotExpired = QStringLiteral("((Data_intrare IS NULL) OR (Data_intrare >= :Intrat))");

// Dated before undated; between two dates the earlier.
bool Before(const QDate& a, const QDate& b) { return a.isValid() && (!b.isValid() || a < b); }

} // namespace

QDate ExpiryDate(const QDate& entry, double days)
{
    if (!entry.isValid() || !(days > 0))
        return {};
    return entry.addDays(static_cast<qint64>(std::floor(days)));
}

bool Expired(const TStockLot& lot, const QDate& day) { return lot.Expiry.isValid() && lot.Expiry < day; }

bool ExpiresSoon(const TStockLot& lot, const QDate& day, int days)
{
    return lot.Expiry.isValid() && !Expired(lot, day) && lot.Expiry <= day.addDays(days);
}

void OrderLots(std::vector<TStockLot>& lots, TLotOrder order)
{
    switch (order) {
    case TLotOrder::Table:
        return;
    case TLotOrder::FirstIn:
        std::stable_sort(lots.begin(), lots.end(),
                         [](const TStockLot& a, const TStockLot& b) { return Before(a.Entry, b.Entry); });
        return;
    case TLotOrder::FirstToExpire:
        std::stable_sort(lots.begin(), lots.end(), [](const TStockLot& a, const TStockLot& b) {
            if (a.Expiry != b.Expiry)
                return Before(a.Expiry, b.Expiry);
            return Before(a.Entry, b.Entry);
        });
        return;
    }
}

std::vector<TLotTake> PlanDraw(const std::vector<TStockLot>& lots, double quantity)
{
    std::vector<TLotTake> takes;
    if (lots.empty())
        return takes;
    const double first = lots.front().Quantity;
    if (quantity <= first) {
        takes.push_back({0, quantity, first - quantity, std::abs(first - quantity) <= QuantityTolerance});
        return takes;
    }
    double remaining = quantity;
    for (size_t i = 0; i < lots.size() && remaining > 0; ++i) {
        const double available = lots[i].Quantity;
        if (available <= 0)
            continue;
        const double taken = std::min(available, remaining);
        remaining = available > remaining ? 0 : remaining - available;
        takes.push_back({i, taken, available - taken, !(available > taken)});
    }
    return takes;
}

TMaterialLots ReadMaterialLots(TProductionData& dm, const QString& group, const QString& code, const QDate& day,
                               bool withExpiry)
{
    TMaterialLots read;
    const TProductionSettings& settings = dm.Context().Settings;
    const bool expiryMatters = withExpiry || settings.LotOrder == TLotOrder::FirstToExpire || !settings.DrawExpiredLots;
    const double shelfLife = expiryMatters ? dm.ShelfLife(group, code) : 0.0;
    TTable* stock = dm.StocTable;
    if (!stock->FindKey({group, code}))
        return read;
    TField* quantity = stock->FieldByName(QStringLiteral("Cantitate"));
    TField* warehouse = stock->FieldByName(QStringLiteral("Cod_gestiune"));
    TField* lotName = stock->FieldByName(QStringLiteral("Lot"));
    TField* entry = stock->FieldByName(QStringLiteral("Data_intrare"));
    TField* groupField = stock->FieldByName(QStringLiteral("Cod_grupa"));
    TField* codeField = stock->FieldByName(QStringLiteral("Cod_articol"));
    for (; !stock->Eof() && groupField->AsString() == group && codeField->AsString() == code; stock->Next()) {
        if (!dm.StockLotCounts(warehouse->AsString(), code))
            continue;
        TStockLot lot{stock->GetBookmark(), warehouse->AsString(), lotName->AsString(), quantity->AsFloat(), {}, {}};
        if (!entry->IsNull())
            lot.Entry = entry->AsDate();
        lot.Expiry = ExpiryDate(lot.Entry, shelfLife);
        if (!settings.DrawExpiredLots && Expired(lot, day)) {
            read.ExpiredLeftOut += lot.Quantity;
            continue;
        }
        read.Lots.push_back(std::move(lot));
    }
    OrderLots(read.Lots, settings.LotOrder);
    return read;
}

} // namespace corvanel

namespace corvanel {

TLotTotals LockMaterialLots(TProductionData& dm, const QString& group, const QString& code, const QDate& day)
{
    const std::optional<QDate> enteredBefore = EnteredBefore(dm, group, code, day);
    const Connection& conn = *dm.ProductionDatabase->GetConnection();
    // Every lot of the material is locked, expired or not and whatever its warehouse, as
    // reading them all under the table's locks did; the engine sums them by warehouse
    // (without the entry date, the covering index answers alone).
    const QStringList sql{
        QStringLiteral("SELECT Cod_gestiune, COUNT(*) AS Loturi, SUM(Cantitate) AS Cantitate,"),
        QStringLiteral(" SUM(CASE WHEN Cantitate > 0 THEN Cantitate ELSE 0 END) AS Pozitiv"),
        QStringLiteral("FROM (SELECT Cod_gestiune, Cantitate, Data_intrare FROM \"Stoc.DB\""),
        QStringLiteral(" WHERE ") + MaterialCondition(group, code) + conn.LockRowsClause() + QStringLiteral(") L"),
        enteredBefore ? QStringLiteral("WHERE ") + kNotExpired : QString(),
        QStringLiteral("GROUP BY Cod_gestiune")};
    TQuery q;
    OnStock(q, dm, sql, group, code, enteredBefore);
    q.Open();
    TLotTotals totals;
    for (; !q.Eof(); q.Next()) {
        if (!dm.StockLotCounts(q.Fields(0)->AsString(), code))
            continue;
        totals.Found = totals.Found || q.Fields(1)->AsFloat() > 0;
        totals.OnHand += q.Fields(2)->AsFloat();
        totals.Drawable += q.Fields(3)->AsFloat();
    }
    return totals;
}

std::vector<TStockLot> LotsToDraw(TProductionData& dm, const QString& group, const QString& code, const QDate& day,
                                  double quantity)
{
    const std::optional<QDate> enteredBefore = EnteredBefore(dm, group, code, day);
    const Connection& conn = *dm.ProductionDatabase->GetConnection();
    const QString rowId = conn.RowIdColumn();
    // The stock table's order within a material is its row order (it has no key). First
    // in and first to expire are the same order: one material's lots share a shelf life.
    const QString order = dm.Context().Settings.LotOrder == TLotOrder::Table
                              ? rowId
                              : QStringLiteral("CASE WHEN Data_intrare IS NULL THEN 1 ELSE 0 END, Data_intrare, ") + rowId;
    const QStringList sql{QStringLiteral("SELECT ") + rowId + QStringLiteral(" AS Rand, Cod_gestiune, Lot, Cantitate, Data_intrare"),
                          QStringLiteral("FROM \"Stoc.DB\""),
                          QStringLiteral("WHERE ") + MaterialCondition(group, code)
                              + (enteredBefore ? QStringLiteral(" AND ") + kNotExpired : QString()),
                          QStringLiteral("ORDER BY ") + order};
    // Drawn as PlanDraw draws: the first lot alone when it covers the quantity, else the
    // positive ones in turn until it is covered.
    std::vector<TStockLot> lots;
    double remaining = quantity;
    auto covered = [&](const TStockLot& lot) {
        if (lots.size() == 1 && quantity <= lot.Quantity)
            return true;
        if (lot.Quantity > 0)
            remaining = lot.Quantity > remaining ? 0 : remaining - lot.Quantity;
        return !(remaining > 0);
    };
    const double shelfLife = enteredBefore ? dm.ShelfLife(group, code) : 0.0;
    for (int offset = 0, block = 8;; offset += block, block = 256) {
        TQuery q;
        QStringList text = sql;
        text << QStringLiteral("LIMIT %1 OFFSET %2").arg(block).arg(offset);
        OnStock(q, dm, text, group, code, enteredBefore);
        q.Open();
        int read = 0;
        for (; !q.Eof(); q.Next(), ++read) {
            if (!dm.StockLotCounts(q.Fields(1)->AsString(), code))
                continue;
            TStockLot lot{q.Fields(0)->AsInteger(), q.Fields(1)->AsString(), q.Fields(2)->AsString(),
                          q.Fields(3)->AsFloat(), {}, {}};
            if (!q.Fields(4)->IsNull())
                lot.Entry = q.Fields(4)->AsDate();
            lot.Expiry = ExpiryDate(lot.Entry, shelfLife);
            lots.push_back(std::move(lot));
            if (covered(lots.back()))
                return lots;
        }
        if (read < block)
            return lots;
    }
}

} // namespace corvanel

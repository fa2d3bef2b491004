#include "data/StockLots.h"

#include "data/ProductionData.h"

#include <algorithm>
#include <cmath>

namespace corvanel {

using namespace fw;

namespace {

constexpr double QuantityTolerance = 0.000001;

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

#include "data/StockLots.h"

#include "data/Queries.h"
#include "platform/db/Connection.h"

#include <algorithm>
#include <functional>
#include <cmath>
#include <cstring>

namespace corvanel {

using namespace fw;

namespace {

// Dated before undated; between two dates the earlier.
bool Before(const QDate& a, const QDate& b) { return a.isValid() && (!b.isValid() || a < b); }

} // namespace

int DrawnLotIndex(const char* field)
{
    const auto at = std::find_if(DrawnLotFields.begin(), DrawnLotFields.end(),
                                 [field](const char* name) { return std::strcmp(name, field) == 0; });
    Q_ASSERT(at != DrawnLotFields.end());
    return int(at - DrawnLotFields.begin());
}

QDate StoredDate(const QVariant& stored)
{
    return stored.typeId() == QMetaType::QDate ? stored.toDate() : QDate::fromString(stored.toString(), Qt::ISODate);
}

QDate ExpiryDate(const QDate& entry, double days, const QDate& own)
{
    if (own.isValid())
        return own;
    if (!entry.isValid() || !(days > 0))
        return {};
    return entry.addDays(static_cast<qint64>(std::floor(days)));
}

const QVariant& StoredValue(const TStockLot& lot, const char* field) { return lot.Stored.at(DrawnLotIndex(field)); }

bool Expired(const TStockLot& lot, const QDate& day) { return lot.Expiry.isValid() && lot.Expiry < day; }

bool EnteredAfter(const TStockLot& lot, const QDate& day) { return lot.Entry.isValid() && day.isValid() && lot.Entry > day; }

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


void ForEachCatalogRow(Connection& engine, const QString& columns, const std::vector<TMaterialDraw>& materials,
                       const std::function<void(size_t, const NativeRow&)>& row)
{
    // Materials with a group and a code are joined to the catalog by a list of them, many
    // to a statement (the list's first column their index); the others, which match rows
    // without a group or a code, one by one.
    constexpr size_t kPerStatement = 200;
    std::vector<TStatement> asks;
    std::vector<std::vector<size_t>> materialsOf; // of each statement, by the index it gives
    std::vector<size_t> listed;
    const auto list = [&] {
        TStatement ask;
        QStringList keys;
        for (size_t k = 0; k < listed.size(); ++k) {
            keys << QStringLiteral("(%1, ?, ?)").arg(k);
            ask.values << materials[listed[k]].Group << materials[listed[k]].Code;
        }
        ask.sql = QStringLiteral("SELECT k.column1, %1 FROM (VALUES %2) AS k JOIN CATALOG t ON t.Grupa = k.column2 AND "
                                 "t.Cod = k.column3")
                      .arg(columns, keys.join(QStringLiteral(", ")));
        asks.push_back(std::move(ask));
        materialsOf.push_back(std::move(listed));
        listed.clear();
    };
    for (size_t i = 0; i < materials.size(); ++i) {
        if (materials[i].Group.isEmpty() || materials[i].Code.isEmpty()) {
            TStatement ask;
            ask.sql = QStringLiteral("SELECT 0, %1 FROM CATALOG t WHERE ").arg(columns)
                      + MaterialCondition("t.Grupa", "t.Cod", materials[i].Group, materials[i].Code, ask.values);
            asks.push_back(std::move(ask));
            materialsOf.push_back({i});
            continue;
        }
        listed.push_back(i);
        if (listed.size() == kPerStatement)
            list();
    }
    if (!listed.empty())
        list();
    engine.ForEachRowOf(asks, [&](size_t b, const NativeRow& r) { row(materialsOf[b].at(size_t(r.Int(0))), r); });
}

} // namespace corvanel

#include "data/StockLots.h"

#include "data/ProductionData.h"
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

// The material's lots, found as the stock table's key search finds them: empty text is no
// value, so an empty group matches the lots without one. `values` gets what it binds.
QString MaterialCondition(const QString& group, const QString& code, QVariantList& values)
{
    auto match = [&](const char* column, const QString& value) {
        if (value.isEmpty())
            return QStringLiteral("%1 IS NULL").arg(QLatin1String(column));
        values << value;
        return QStringLiteral("%1 = ?").arg(QLatin1String(column));
    };
    const QString byGroup = match("Cod_grupa", group); // bound first
    return byGroup + QStringLiteral(" AND ") + match("Cod_articol", code);
}

// Statements of their own on the data module's connection (inside the writer's
// transaction): straight to the engine, one round trip each, prepared once per text.
Connection& Engine(TProductionData& dm) { return *dm.ProductionDatabase->GetConnection(); }

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

TLotTotals MaterialLotTotals(TProductionData& dm, const QString& group, const QString& code, const QDate& day)
{
    const std::optional<QDate> enteredBefore = EnteredBefore(dm, group, code, day);
    Connection& conn = Engine(dm);
    // The engine sums the lots by warehouse (without the entry date, the covering index
    // answers alone). No lot is locked: every writer of lots holds the counter row first,
    // as the caller does, so these are the committed figures and stay so until it ends.
    QVariantList values;
    QString sql = QStringLiteral("SELECT Cod_gestiune, COUNT(*), SUM(Cantitate), SUM(CASE WHEN Cantitate > 0 THEN "
                                 "Cantitate ELSE 0 END) FROM Stoc WHERE ")
                  + MaterialCondition(group, code, values);
    if (enteredBefore) {
        sql += QStringLiteral(" AND (Data_intrare IS NULL OR Data_intrare >= ?)");
        values << *enteredBefore;
    }
    sql += QStringLiteral(" GROUP BY Cod_gestiune");
    TLotTotals totals;
    conn.ForEachRow(sql, values, [&](const NativeRow& row) {
        if (!dm.StockLotCounts(row.Value(0).toString(), code))
            return;
        totals.Found = totals.Found || row.Int(1) > 0;
        totals.OnHand += row.Value(2).toDouble();
        totals.Drawable += row.Value(3).toDouble();
    });
    return totals;
}

std::vector<TStockLot> LotsToDraw(TProductionData& dm, const QString& group, const QString& code, const QDate& day,
                                  double quantity)
{
    const std::optional<QDate> enteredBefore = EnteredBefore(dm, group, code, day);
    Connection& conn = Engine(dm);
    const QString rowId = conn.RowIdColumn();
    QVariantList values;
    QString sql = QStringLiteral("SELECT ") + rowId + QStringLiteral(", Cod_gestiune, Lot, Cantitate, Data_intrare FROM Stoc WHERE ")
                  + MaterialCondition(group, code, values);
    if (enteredBefore) {
        sql += QStringLiteral(" AND (Data_intrare IS NULL OR Data_intrare >= ?)");
        values << *enteredBefore;
    }
    // The stock table's order within a material is its row order (it has no key). First
    // in and first to expire are the same order: one material's lots share a shelf life.
    sql += QStringLiteral(" ORDER BY ")
           + (dm.Context().Settings.LotOrder == TLotOrder::Table
                  ? rowId
                  : QStringLiteral("CASE WHEN Data_intrare IS NULL THEN 1 ELSE 0 END, Data_intrare, ") + rowId);
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
    bool done = false;
    for (int offset = 0, block = 8; !done; offset += block, block = 256) {
        int read = 0;
        conn.ForEachRow(sql + QStringLiteral(" LIMIT %1 OFFSET %2").arg(block).arg(offset), values, [&](const NativeRow& row) {
            ++read;
            if (done || !dm.StockLotCounts(row.Value(1).toString(), code))
                return;
            // A value that is no number is met by the stock table when the lot is drawn.
            TStockLot lot{row.Int(0), row.Value(1).toString(), row.Value(2).toString(), row.Value(3).toDouble(), {}, {}};
            const QVariant entry = row.Value(4);
            lot.Entry = entry.typeId() == QMetaType::QDate ? entry.toDate() : QDate::fromString(entry.toString(), Qt::ISODate);
            lot.Expiry = ExpiryDate(lot.Entry, shelfLife);
            lots.push_back(std::move(lot));
            done = covered(lots.back());
        });
        done = done || read < block;
    }
    return lots;
}

} // namespace corvanel

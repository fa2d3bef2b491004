#include "data/StockLots.h"

#include "data/ProductionData.h"
#include "data/Queries.h"
#include "platform/db/Connection.h"
#include "platform/db/NumberCheck.h"

#include <QSet>

#include <algorithm>
#include <functional>
#include <cmath>
#include <cstring>
#include <optional>

namespace corvanel {

using namespace fw;

namespace {

constexpr double QuantityTolerance = 0.000001;

// The expired lots a consumption may not draw on are those entered before this day: the
// day of the consumption less the material's shelf life, when it has one and the settings
// leave expired lots out. None else.
std::optional<QDate> EnteredBefore(const TProductionSettings& settings, const QDate& day, double shelfLife)
{
    if (settings.DrawExpiredLots || !day.isValid() || !(shelfLife > 0))
        return std::nullopt;
    return day.addDays(-static_cast<qint64>(std::floor(shelfLife)));
}

// Statements of their own on the data module's connection (inside the writer's
// transaction): straight to the engine, prepared once per text.
Connection& Engine(TProductionData& dm) { return *dm.ProductionDatabase->GetConnection(); }

// Where a field stands among DrawnLotFields.
int DrawnLotIndex(const char* field)
{
    const auto at = std::find_if(DrawnLotFields.begin(), DrawnLotFields.end(),
                                 [field](const char* name) { return std::strcmp(name, field) == 0; });
    Q_ASSERT(at != DrawnLotFields.end());
    return int(at - DrawnLotFields.begin());
}

// A quantity as the engine gave it is a number to use, or none.
bool IsNumberOrNull(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return true;
    const int type = v.typeId();
    return (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int) && std::isfinite(v.toDouble());
}

// Dated before undated; between two dates the earlier.
bool Before(const QDate& a, const QDate& b) { return a.isValid() && (!b.isValid() || a < b); }

} // namespace

QDate ExpiryDate(const QDate& entry, double days)
{
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

void RequireLotQuantities(TProductionData& dm, const QString& group, const QString& code, const QString& warehouse)
{
    QVariantList values;
    QString where = MaterialCondition("Cod_grupa", "Cod_articol", group, code, values);
    if (warehouse.isEmpty()) {
        where += QStringLiteral(" AND Cod_gestiune IS NULL");
    } else {
        where += QStringLiteral(" AND Cod_gestiune = ?");
        values << warehouse;
    }
    RequireNumbers(*dm.StocTable, QStringLiteral("Cantitate"), where, values);
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
        TStockLot lot{stock->GetBookmark(), warehouse->AsString(), lotName->AsString(), quantity->AsFloat(), {}, {}, {}};
        if (!entry->IsNull())
            lot.Entry = entry->AsDate();
        lot.Expiry = ExpiryDate(lot.Entry, shelfLife);
        if (EnteredAfter(lot, day)) {
            read.EnteredLater.push_back(std::move(lot));
            continue;
        }
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

namespace {

// Each material's shelf life (0: none) for a consumption dated `day`, which both leaves out
// and asks about expired lots: the catalog asked once for all of them.
std::vector<double> ShelfLives(TProductionData& dm, const std::vector<TMaterialDraw>& materials, const QDate& day)
{
    std::vector<double> days(materials.size(), 0.0);
    if (!day.isValid())
        return days;
    // As TProductionData::ShelfLife: a material without group or code keeps none.
    std::vector<TMaterialDraw> asked;
    std::vector<size_t> at;
    for (size_t i = 0; i < materials.size(); ++i)
        if (!materials[i].Group.isEmpty() && !materials[i].Code.isEmpty()) {
            asked.push_back(materials[i]);
            at.push_back(i);
        }
    ForEachCatalogRow(Engine(dm), QStringLiteral("t.ZileValabilitate"), asked, [&](size_t m, const NativeRow& row) {
        const double read = row.Value(1).toDouble();
        days[at[m]] = read > 0 ? read : 0.0;
    });
    return days;
}

// Which of a material's lots a condition asks for: all it may draw on, or those of them
// with an entry date, or those without one.
enum class TEntry { Any, Dated, Undated };

// The lots of a material a consumption dated `day` may draw on, its shelf life that given
// by ShelfLives: their condition, bound in `values`. The dated ones are a range of the
// index on article and entry date: from the first day not expired to the day itself (a
// lot that entered after it did not exist yet for that document).
QString DrawableLots(const TProductionData& dm, const TMaterialDraw& material, const QDate& day, double shelfLife,
                     QVariantList& values, TEntry entry = TEntry::Any)
{
    QString sql = MaterialCondition("Cod_grupa", "Cod_articol", material.Group, material.Code, values);
    sql += dm.CountedWarehouses(material.Code, values); // bound after the article
    if (entry == TEntry::Undated)
        return sql + QStringLiteral(" AND Data_intrare IS NULL");
    QStringList range;
    if (const std::optional<QDate> enteredBefore = EnteredBefore(dm.Context().Settings, day, shelfLife)) {
        range << QStringLiteral("Data_intrare >= ?");
        values << *enteredBefore;
    }
    if (day.isValid()) {
        range << QStringLiteral("Data_intrare <= ?");
        values << day;
    }
    if (range.isEmpty())
        return entry == TEntry::Dated ? sql + QStringLiteral(" AND Data_intrare IS NOT NULL") : sql;
    const QString dated = range.join(QStringLiteral(" AND "));
    return sql + (entry == TEntry::Dated ? QStringLiteral(" AND ") + dated
                                         : QStringLiteral(" AND (Data_intrare IS NULL OR (%1))").arg(dated));
}

// Whether the lots read so far, the last one (the `index`th) just added, cover `quantity`
// as PlanDraw draws it: the first lot alone when it covers it, else the positive ones in
// turn. `remaining` is what they have not covered yet.
bool Covered(size_t index, const TStockLot& lot, double quantity, double& remaining)
{
    if (index == 0 && quantity <= lot.Quantity)
        return true;
    if (lot.Quantity > 0)
        remaining = lot.Quantity > remaining ? 0 : remaining - lot.Quantity;
    return !(remaining > 0);
}

// Whether lots in their order cover `quantity` as PlanDraw draws it.
bool LotsCover(const std::vector<TStockLot>& lots, double quantity)
{
    double remaining = quantity;
    for (size_t i = 0; i < lots.size(); ++i)
        if (Covered(i, lots[i], quantity, remaining))
            return true;
    return false;
}

// The articles that have a lot below nothing anywhere (the stock's partial index on
// them answers), a lot without an article under the empty code.
QSet<QString> ArticlesWithNegativeLots(TProductionData& dm)
{
    QSet<QString> articles;
    Engine(dm).ForEachRow(QStringLiteral("SELECT DISTINCT Cod_articol FROM Stoc WHERE Cantitate < 0"), {},
                          [&](const NativeRow& row) { articles.insert(row.Value(0).toString()); });
    return articles;
}

} // namespace

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

std::vector<TLotTotals> MaterialLotTotals(TProductionData& dm, const std::vector<TMaterialDraw>& materials,
                                          const QDate& day)
{
    // The engine sums the lots by warehouse (without the entry date, the covering index
    // answers alone). No lot is locked: every writer of lots holds the counter row first,
    // as the caller does, so these are the committed figures and stay so until it ends.
    const std::vector<double> shelfLives = ShelfLives(dm, materials, day);
    std::vector<TStatement> sums;
    sums.reserve(materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        TStatement sum;
        sum.sql = QStringLiteral("SELECT Cod_gestiune, COUNT(*), SUM(Cantitate), SUM(CASE WHEN Cantitate > 0 THEN "
                                 "Cantitate ELSE 0 END), SUM(CASE WHEN %1 THEN 1 ELSE 0 END) FROM Stoc WHERE ")
                      .arg(NotANumberCondition(QStringLiteral("Cantitate")))
                  + DrawableLots(dm, materials[i], day, shelfLives[i], sum.values) + QStringLiteral(" GROUP BY Cod_gestiune");
        sums.push_back(std::move(sum));
    }
    std::vector<TLotTotals> totals(materials.size());
    std::optional<std::pair<size_t, QString>> damaged; // a material's warehouse with a quantity that is no number
    Engine(dm).ForEachRowOf(sums, [&](size_t i, const NativeRow& row) {
        if (!dm.StockLotCounts(row.Value(0).toString(), materials[i].Code))
            return;
        TLotTotals& t = totals[i];
        t.Found = t.Found || row.Int(1) > 0;
        t.OnHand += row.Value(2).toDouble();
        t.Drawable += row.Value(3).toDouble();
        if (row.Int(4) > 0 && !damaged)
            damaged.emplace(i, row.Value(0).toString());
    });
    // The engine summed it as 0: the material would be taken for short, and left out.
    if (damaged)
        RequireLotQuantities(dm, materials[damaged->first].Group, materials[damaged->first].Code, damaged->second);
    return totals;
}

std::vector<std::vector<TStockLot>> LotsToDraw(TProductionData& dm, const std::vector<TMaterialDraw>& draws,
                                               const QDate& day)
{
    Connection& conn = Engine(dm);
    const QString rowId = conn.RowIdColumn();
    QString select = QStringLiteral("SELECT ") + rowId;
    for (const char* field : DrawnLotFields)
        select += QStringLiteral(", ") + QLatin1String(field);
    // The stock table's order within a material is its row order (it has no key). First
    // in and first to expire are the same order: one material's lots share a shelf life.
    // The dated lots by entry date, then the undated ones, each part read in the order of
    // the index on article and entry date (which ends in the row identity).
    const bool byEntry = dm.Context().Settings.LotOrder != TLotOrder::Table;
    const QString byRow = QStringLiteral(" ORDER BY ") + rowId;
    const QString byEntryDate =
        QStringLiteral(" ORDER BY ") + conn.OrderTerm(QStringLiteral("Data_intrare"), false) + QStringLiteral(", ") + rowId;
    constexpr int kColumn = 1; // where DrawnLotFields start in a row read
    const auto column = [](const char* field) { return kColumn + DrawnLotIndex(field); };
    const int warehouse = column("Cod_gestiune"), lotName = column("Lot"), quantity = column("Cantitate"),
              entry = column("Data_intrare");

    struct TReading {
        std::vector<TStatement> parts; // read one after the other
        size_t part = 0;
        int offset = 0; // within the part
        double shelfLife = 0;
        double remaining = 0;
        bool done = false;
    };
    const std::vector<double> shelfLives = ShelfLives(dm, draws, day);
    std::vector<TReading> readings(draws.size());
    for (size_t i = 0; i < draws.size(); ++i) {
        TReading& r = readings[i];
        const auto part = [&](TEntry entry, const QString& order) {
            TStatement query;
            query.sql = select + QStringLiteral(" FROM Stoc WHERE ")
                        + DrawableLots(dm, draws[i], day, shelfLives[i], query.values, entry) + order;
            r.parts.push_back(std::move(query));
        };
        if (byEntry) {
            part(TEntry::Dated, byEntryDate);
            part(TEntry::Undated, byRow);
        } else {
            part(TEntry::Any, byRow);
        }
        r.shelfLife = shelfLives[i];
        r.remaining = draws[i].Quantity;
    }
    std::vector<std::vector<TStockLot>> lots(draws.size());
    // Blocks grow: the first lot or two usually cover a row, and a material drawn across
    // many lots is read in a few rounds, never much beyond what it needs.
    for (int block = 2;; block = std::min(block * 8, 1024)) {
        // The next block of every material its lots read so far do not cover.
        std::vector<size_t> asked;
        std::vector<TStatement> blocks;
        for (size_t i = 0; i < readings.size(); ++i) {
            const TReading& r = readings[i];
            if (r.done)
                continue;
            asked.push_back(i);
            blocks.push_back({r.parts[r.part].sql + QStringLiteral(" LIMIT %1 OFFSET %2").arg(block).arg(r.offset),
                              r.parts[r.part].values});
        }
        if (blocks.empty())
            return lots;
        std::vector<int> read(blocks.size(), 0);
        std::optional<qint64> damaged; // a lot whose quantity is no number
        conn.ForEachRowOf(blocks, [&](size_t b, const NativeRow& row) {
            ++read[b];
            const size_t i = asked[b];
            TReading& r = readings[i];
            if (r.done || !dm.StockLotCounts(row.Value(warehouse).toString(), draws[i].Code))
                return;
            // Such a lot would be read as 0 and passed over, or drawn and written over.
            if (!IsNumberOrNull(row.Value(quantity)) && !damaged)
                damaged = row.Int(0);
            TStockLot lot{row.Int(0), row.Value(warehouse).toString(), row.Value(lotName).toString(),
                          row.Value(quantity).toDouble(), {}, {}, {}};
            const QVariant entered = row.Value(entry);
            lot.Entry = entered.typeId() == QMetaType::QDate ? entered.toDate()
                                                             : QDate::fromString(entered.toString(), Qt::ISODate);
            lot.Expiry = ExpiryDate(lot.Entry, r.shelfLife);
            lot.Stored.reserve(qsizetype(DrawnLotFields.size()));
            for (int c = kColumn; c < kColumn + int(DrawnLotFields.size()); ++c)
                lot.Stored << row.Stored(c);
            lots[i].push_back(std::move(lot));
            r.done = Covered(lots[i].size() - 1, lots[i].back(), draws[i].Quantity, r.remaining);
        });
        if (damaged)
            RaiseUnreadableNumber(*dm.StocTable, QStringLiteral("Cantitate"), *damaged);
        for (size_t b = 0; b < asked.size(); ++b) {
            TReading& r = readings[asked[b]];
            r.offset += block;
            if (!r.done && read[b] < block) {
                // This part is read to its end: the next one from its start.
                r.offset = 0;
                r.done = ++r.part == r.parts.size();
            }
        }
    }
}

std::vector<TMaterialStock> ReadMaterialStock(TProductionData& dm, const std::vector<TMaterialDraw>& materials,
                                              const QDate& day)
{
    std::vector<TMaterialStock> stock(materials.size());
    // Without a lot below nothing, lots that cover a quantity leave the sum of all of them
    // no shorter than it: those lots, read for the draw anyway, decide alone.
    const QSet<QString> negative = ArticlesWithNegativeLots(dm);
    std::vector<TMaterialDraw> tried;
    std::vector<size_t> triedAt;
    for (size_t i = 0; i < materials.size(); ++i) {
        if (negative.contains(materials[i].Code))
            continue;
        if (materials[i].Quantity == 0)
            stock[i].Covered = stock[i].Read = true;
        else if (materials[i].Quantity > 0) {
            tried.push_back(materials[i]);
            triedAt.push_back(i);
        }
    }
    std::vector<std::vector<TStockLot>> lots = LotsToDraw(dm, tried, day);
    for (size_t k = 0; k < tried.size(); ++k) {
        TMaterialStock& s = stock[triedAt[k]];
        s.Covered = LotsCover(lots[k], tried[k].Quantity);
        s.Read = true;
        s.Lots = std::move(lots[k]);
    }
    std::vector<TMaterialDraw> summed;
    std::vector<size_t> summedAt;
    for (size_t i = 0; i < materials.size(); ++i)
        if (!stock[i].Covered) {
            summed.push_back(materials[i]);
            summedAt.push_back(i);
        }
    const std::vector<TLotTotals> totals = MaterialLotTotals(dm, summed, day);
    for (size_t k = 0; k < summed.size(); ++k)
        stock[summedAt[k]].Totals = totals[k];
    return stock;
}

} // namespace corvanel

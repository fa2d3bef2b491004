#include "data/StockLedger.h"

#include "data/Queries.h"
#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"
#include "platform/db/NumberCheck.h"
#include "platform/db/Table.h"

#include <algorithm>
#include <cmath>

namespace corvanel {

using namespace fw;

namespace {

const QString kStock = QStringLiteral("Stoc");

// A quantity as the engine gave it is a number to use, or none.
bool IsNumberOrNull(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return true;
    const int type = v.typeId();
    return (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int) && std::isfinite(v.toDouble());
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

} // namespace

// ---------------------------------------------------------------- the rule

TLotRule TLotRule::Of(const TProductionSettings& settings, const QDate& day)
{
    return {.RawWarehousePrefix = settings.RawWarehousePrefix,
            .RawMaterialPrefix = settings.RawMaterialPrefix,
            .SemiFinishedPrefix = settings.SemiFinishedPrefix,
            .Order = settings.LotOrder,
            .DrawExpired = settings.DrawExpiredLots,
            .Day = day};
}

bool TLotRule::Counts(const QString& warehouse, const QString& article) const
{
    return (StartsWithPrefix(warehouse, RawWarehousePrefix) && StartsWithPrefix(article, RawMaterialPrefix))
           || StartsWithPrefix(article, SemiFinishedPrefix);
}

QString TLotRule::CountedWarehouses(const QString& article, QVariantList& values, bool summed, const QString& column) const
{
    if (StartsWithPrefix(article, SemiFinishedPrefix) || !StartsWithPrefix(article, RawMaterialPrefix)
        || RawWarehousePrefix.isNull() || RawWarehousePrefix.isSurrogate())
        return {};
    if (!summed) {
        // Read in the row order of the index on article alone, the first few at a time: a
        // range here would have the engine sort every lot of the material first.
        values << QString(RawWarehousePrefix);
        return QStringLiteral(" AND substr(%1, 1, 1) = ?").arg(column);
    }
    // Summed: a range of the index on article and warehouse, not a test of each lot's
    // warehouse. Text compares by code point on both engines (binary on SQLite, collation
    // "C" on the server), so the codes that begin with the prefix lie from it to the next
    // character (past the surrogates, which no character is).
    const char32_t prefix = RawWarehousePrefix.unicode();
    const char32_t next = prefix == 0xD7FF ? 0xE000 : prefix + 1;
    values << QString(RawWarehousePrefix) << QString::fromUcs4(&next, 1);
    return QStringLiteral(" AND %1 >= ? AND %1 < ?").arg(column);
}

std::optional<QDate> TLotRule::ExpiredBefore(double shelfLife) const
{
    if (DrawExpired || !Day.isValid() || !(shelfLife > 0))
        return std::nullopt;
    return Day.addDays(-static_cast<qint64>(std::floor(shelfLife)));
}

QString TLotRule::ExpiryCondition(double shelfLife, bool ownDates, bool expired, QVariantList& values) const
{
    if (DrawExpired || !Day.isValid())
        return {};
    const std::optional<QDate> enteredBefore = ExpiredBefore(shelfLife);
    if (!ownDates) {
        if (!enteredBefore)
            return {};
        values << *enteredBefore;
        return expired ? QStringLiteral("Data_intrare < ?") : QStringLiteral("Data_intrare >= ?");
    }
    // A lot's own date wins; a lot without one expires by its entry date, as above, and
    // never without a shelf life or an entry date.
    values << Day;
    if (!enteredBefore)
        return expired ? QStringLiteral("Data_expirare < ?") : QStringLiteral("(Data_expirare IS NULL OR Data_expirare >= ?)");
    values << *enteredBefore;
    return expired ? QStringLiteral("(Data_expirare < ? OR (Data_expirare IS NULL AND Data_intrare < ?))")
                   : QStringLiteral("(Data_expirare >= ? OR (Data_expirare IS NULL AND (Data_intrare IS NULL OR Data_intrare >= ?)))");
}

namespace {

// Whether a lot of that shelf life can be left out as expired on the rule's day, by its
// entry date or by an own expiry date (which can expire it even without a shelf life).
bool ExpiryJudged(const TLotRule& rule, double shelfLife)
{
    QVariantList unused;
    return !rule.ExpiryCondition(shelfLife, true, true, unused).isEmpty();
}

} // namespace

// ---------------------------------------------------------------- the condition

TStockLedger::TStockLedger(Connection& engine, TTable& stock, TLotRule rule)
    : engine_(engine), stock_(stock), rule_(std::move(rule))
{
}

QString TStockLedger::Lots(const TMaterialDraw& material, double shelfLife, bool ownDates, QVariantList& values,
                           TLotsAsked asked, const QHash<QString, TLotStanding>& held, bool summed) const
{
    QString sql = MaterialCondition("Cod_grupa", "Cod_articol", material.Group, material.Code, values);
    sql += rule_.CountedWarehouses(material.Code, values, summed); // bound after the article
    if (asked == TLotsAsked::Any)
        return sql;
    // Usually none is held: the statement stays one the article's indexes answer alone.
    if (!held.isEmpty()) {
        QStringList names = held.keys();
        names.sort(); // the same text for the same lots, for the engine's statement cache
        for (const QString& name : names)
            values << name;
        sql += QStringLiteral(" AND (Lot IS NULL OR Lot NOT IN (%1))")
                   .arg(QStringList(names.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
    }
    // A material some of whose lots carry their own expiry date is judged by both dates,
    // after the rest; the others keep the range of the index on article and entry date.
    QVariantList ownValues;
    const QString notExpiredOwn =
        ownDates && asked != TLotsAsked::ExpiredToo ? rule_.ExpiryCondition(shelfLife, true, false, ownValues) : QString();
    const auto judged = [&](const QString& text) {
        if (notExpiredOwn.isEmpty())
            return text;
        values << ownValues;
        return text + QStringLiteral(" AND ") + notExpiredOwn;
    };
    if (asked == TLotsAsked::DrawableUndated)
        return judged(sql + QStringLiteral(" AND Data_intrare IS NULL"));
    // The dated lots: from the first day not expired to the rule's day (a lot that entered
    // after it did not exist yet for that document).
    QStringList range;
    if (asked != TLotsAsked::ExpiredToo && !ownDates)
        if (const QString notExpired = rule_.ExpiryCondition(shelfLife, false, false, values); !notExpired.isEmpty())
            range << notExpired;
    if (rule_.Day.isValid()) {
        range << QStringLiteral("Data_intrare <= ?");
        values << rule_.Day;
    }
    const bool dated = asked == TLotsAsked::DrawableDated;
    if (range.isEmpty())
        return judged(dated ? sql + QStringLiteral(" AND Data_intrare IS NOT NULL") : sql);
    const QString within = range.join(QStringLiteral(" AND "));
    // An undated lot passes: the range gives it no answer. Said as "no answer counts as
    // yes" rather than "IS NULL OR": from that OR a server's statement kept prepared (a
    // plan for any values) makes two ranges of the index on article and entry date, reads
    // every lot of the material in them and sorts them, where a few in row order were
    // wanted (a material of 200 lots: 0.6 ms a read instead of 0.01). Both engines now
    // read the index on article alone, in row order.
    return judged(sql + (dated ? QStringLiteral(" AND ") + within
                               : QStringLiteral(" AND coalesce(%1, 1 = 1)").arg(within)));
}

std::vector<QHash<QString, TLotStanding>> TStockLedger::Held(const std::vector<TMaterialDraw>& materials) const
{
    if (!rule_.LotStates)
        return std::vector<QHash<QString, TLotStanding>>(materials.size());
    return UnusableLots(engine_, materials);
}

std::vector<bool> TStockLedger::OwnDates(const std::vector<TMaterialDraw>& materials) const
{
    std::vector<bool> own(materials.size(), false);
    if (!rule_.OwnExpiry || materials.empty())
        return own;
    QSet<QString> articles; // "group/code"
    engine_.ForEachRow(QStringLiteral("SELECT DISTINCT Cod_grupa, Cod_articol FROM Stoc%1 WHERE Data_expirare IS NOT NULL")
                           .arg(rule_.OwnDatesIndex.isEmpty() ? QString() : QStringLiteral(" INDEXED BY ") + engine_.Quote(rule_.OwnDatesIndex)),
                       {},
                       [&](const NativeRow& row) {
                           articles.insert(row.Value(0).toString() + QLatin1Char('/') + row.Value(1).toString());
                       });
    for (size_t i = 0; i < materials.size(); ++i)
        own[i] = articles.contains(materials[i].Group + QLatin1Char('/') + materials[i].Code);
    return own;
}

std::vector<double> TStockLedger::ShelfLives(const std::vector<TMaterialDraw>& materials) const
{
    std::vector<double> days(materials.size(), 0.0);
    if (!rule_.Day.isValid())
        return days;
    // As TProductionData::ShelfLife: a material without group or code keeps none.
    std::vector<TMaterialDraw> asked;
    std::vector<size_t> at;
    for (size_t i = 0; i < materials.size(); ++i)
        if (!materials[i].Group.isEmpty() && !materials[i].Code.isEmpty()) {
            asked.push_back(materials[i]);
            at.push_back(i);
        }
    ForEachCatalogRow(engine_, QStringLiteral("t.ZileValabilitate"), asked, [&](size_t m, const NativeRow& row) {
        const double read = row.Value(1).toDouble();
        days[at[m]] = read > 0 ? read : 0.0;
    });
    return days;
}

// ---------------------------------------------------------------- reads

void TStockLedger::RequireQuantities(const QString& group, const QString& code, const QString& warehouse) const
{
    QVariantList values;
    QString where = MaterialCondition("Cod_grupa", "Cod_articol", group, code, values);
    if (warehouse.isEmpty()) {
        where += QStringLiteral(" AND Cod_gestiune IS NULL");
    } else {
        where += QStringLiteral(" AND Cod_gestiune = ?");
        values << warehouse;
    }
    RequireNumbers(stock_, QStringLiteral("Cantitate"), where, values);
}

void TStockLedger::RaiseUnreadableQuantity(qint64 row) const
{
    RaiseUnreadableNumber(stock_, QStringLiteral("Cantitate"), row);
}

namespace {

// The requirement's figures of a material per warehouse: what its lots hold, the part that
// entered before the day given (expired by then), how many quantities are no number.
const QString kFiguresColumns = QStringLiteral("SELECT Cod_gestiune, SUM(Cantitate) AS Cantitate,");
const QString kExpiredColumn = QStringLiteral(" SUM(CASE WHEN Data_intrare < %1 THEN Cantitate ELSE 0 END) AS Expirat,");
const QString kNotANumberColumn =
    QStringLiteral(" SUM(CASE WHEN %1 THEN 1 ELSE 0 END) AS Nenumeric").arg(NotANumberCondition(QStringLiteral("Cantitate")));
const QString kFiguresGroups = QStringLiteral("GROUP BY Cod_gestiune");
const QString kMaterialParams = QStringLiteral("WHERE (Cod_grupa = :Grupa) AND (Cod_articol = :Cod)");

} // namespace

const QStringList& StockByWarehouseSql()
{
    static const QStringList sql{kFiguresColumns, kExpiredColumn.arg(QStringLiteral(":Intrat")), kNotANumberColumn,
                                 QStringLiteral("FROM \"Stoc.DB\""), kMaterialParams, kFiguresGroups};
    return sql;
}

const QStringList& UnexpiredStockByWarehouseSql()
{
    static const QStringList sql{kFiguresColumns, kNotANumberColumn, QStringLiteral("FROM \"Stoc.DB\""), kMaterialParams,
                                 kFiguresGroups};
    return sql;
}

TStockFigures TStockLedger::Figures(const QString& group, const QString& code, double shelfLife) const
{
    // The engine sums the material's lots per warehouse, the expired part apart (asked
    // only where some lot can be expired: otherwise one column of the covering index is
    // summed per lot); the stock rule decides which warehouses count. Whether any of the
    // material's lots is not usable comes with the sums (a subquery the engine answers
    // once): only then are they summed again without those lots. The requirement asks
    // this for each of its rows, so the usual case stays one statement.
    // The same goes for lots with their own expiry date: only where the summed lots hold
    // some is the expired part summed again by both dates.
    const bool expiryJudged = ExpiryJudged(rule_, shelfLife);
    struct TSeen {
        bool Held = false;
        bool OwnDates = false;
    };
    const auto summed = [&](const QHash<QString, TLotStanding>& held, bool ownDates, bool ask, TSeen& seen) {
        TStatement sum;
        const QString expiredLot = rule_.ExpiryCondition(shelfLife, ownDates, true, sum.values);
        sum.sql = kFiguresColumns
                  + (expiredLot.isEmpty() ? QStringLiteral(" 0 AS Expirat,")
                                          : QStringLiteral(" SUM(CASE WHEN %1 THEN Cantitate ELSE 0 END) AS Expirat,").arg(expiredLot))
                  + kNotANumberColumn;
        int column = 4;
        const int heldColumn = ask && rule_.LotStates ? column++ : -1;
        if (heldColumn >= 0) {
            sum.sql += QStringLiteral(", ") + UnusableCountSql(group, code, rule_.ReleaseKept, sum.values)
                       + QStringLiteral(" AS Neutilizabile");
        }
        const int ownColumn = ask && rule_.OwnExpiry && expiryJudged ? column++ : -1;
        if (ownColumn >= 0) {
            // Counted over the lots summed, from the covering index: no second lookup.
            sum.sql += QStringLiteral(", SUM(CASE WHEN Data_expirare IS NOT NULL THEN 1 ELSE 0 END) AS Proprii");
        }
        sum.sql += QStringLiteral(" FROM Stoc WHERE ")
                   + Lots({group, code, 0}, shelfLife, false, sum.values, TLotsAsked::ExpiredToo, held, true) + QLatin1Char(' ')
                   + kFiguresGroups;
        double stock = 0.0, expired = 0.0;
        std::optional<QString> damaged; // a counted warehouse holding a quantity that is no number
        engine_.ForEachRow(sum.sql, sum.values, [&](const NativeRow& row) {
            seen.Held = seen.Held || (heldColumn >= 0 && row.Int(heldColumn) > 0);
            seen.OwnDates = seen.OwnDates || (ownColumn >= 0 && row.Int(ownColumn) > 0);
            const QString warehouse = row.Value(0).toString();
            if (!rule_.Counts(warehouse, code))
                return;
            stock += row.Value(1).toDouble();
            expired += row.Value(2).toDouble();
            if (row.Value(3).toDouble() > 0 && !damaged)
                damaged = warehouse;
        });
        // The engine summed such a quantity as 0: the figure would be wrong, not short.
        if (damaged)
            RequireQuantities(group, code, *damaged);
        return TStockFigures{stock - expired, expired};
    };
    if (rule_.StockTotals)
        if (const std::optional<TStockFigures> kept = FiguresFromTotals(group, code, shelfLife))
            return *kept;
    TSeen seen;
    const TStockFigures all = summed({}, false, true, seen);
    if (!seen.Held && !seen.OwnDates)
        return all;
    return summed(seen.Held ? Held({{group, code, 0}}).front() : QHash<QString, TLotStanding>{}, seen.OwnDates, false, seen);
}

std::optional<TStockFigures> TStockLedger::FiguresFromTotals(const QString& group, const QString& code, double shelfLife) const
{
    // The totals hold every lot of the article in a warehouse; from them go the lots that
    // entered after the day, and apart the expired ones, both ranges of the index on
    // article, warehouse and entry date, so that only the lots the day leaves out are read.
    // The statement's values in the order of its text: the columns', then the condition's.
    if (group.isEmpty() || code.isEmpty())
        return std::nullopt;
    TStatement sum;
    sum.sql = QStringLiteral("SELECT t.Cod_gestiune, t.Cantitate + t.Corectie, t.Nenumerice, t.Proprii");
    if (rule_.LotStates)
        sum.sql += QStringLiteral(", ") + UnusableCountSql(group, code, rule_.ReleaseKept, sum.values);
    else
        sum.sql += QStringLiteral(", 0");
    const QString lotsOf = QStringLiteral(", (SELECT SUM(s.Cantitate) FROM Stoc s WHERE s.Cod_grupa = t.Cod_grupa AND "
                                          "s.Cod_articol = t.Cod_articol AND s.Cod_gestiune = t.Cod_gestiune AND s.Data_intrare %1 ?)");
    int column = 5;
    const int laterColumn = rule_.Day.isValid() ? column++ : -1;
    if (laterColumn >= 0) {
        sum.sql += lotsOf.arg(QLatin1Char('>'));
        sum.values << rule_.Day;
    }
    const std::optional<QDate> expiredBefore = rule_.ExpiredBefore(shelfLife);
    const int expiredColumn = expiredBefore ? column++ : -1;
    if (expiredBefore) {
        sum.sql += lotsOf.arg(QLatin1Char('<'));
        sum.values << *expiredBefore;
    }
    sum.sql += QStringLiteral(" FROM StocTotal t WHERE t.Cod_grupa = ? AND t.Cod_articol = ?");
    sum.values << group << code;
    sum.sql += rule_.CountedWarehouses(code, sum.values, true, QStringLiteral("t.Cod_gestiune"));
    const bool ownDatesJudged = rule_.OwnExpiry && ExpiryJudged(rule_, shelfLife);
    double stock = 0.0, expired = 0.0;
    bool lotsAnswer = false; // the lots must be read after all
    engine_.ForEachRow(sum.sql, sum.values, [&](const NativeRow& row) {
        const QString warehouse = row.Value(0).toString();
        // A lot without a warehouse is kept under none (''), which the ranges do not reach.
        if (warehouse.isEmpty() || row.Int(4) > 0 || (row.Int(3) > 0 && ownDatesJudged))
            lotsAnswer = true;
        if (lotsAnswer || !rule_.Counts(warehouse, code))
            return;
        // A quantity that is no number, or a total no longer finite (lots near the largest
        // number): the lots say which.
        const QVariant total = row.Value(1);
        if (row.Int(2) > 0 || total.isNull() || !std::isfinite(total.toDouble())) {
            lotsAnswer = true;
            return;
        }
        stock += total.toDouble() - (laterColumn >= 0 ? row.Value(laterColumn).toDouble() : 0.0);
        if (expiredColumn >= 0)
            expired += row.Value(expiredColumn).toDouble();
    });
    if (lotsAnswer)
        return std::nullopt;
    return TStockFigures{stock - expired, expired};
}

TMaterialLots TStockLedger::MaterialLots(const QString& group, const QString& code, double shelfLife) const
{
    // Every lot the stock rule counts, in the table's order; which of them the day leaves
    // out is decided as the draw decides it.
    TMaterialLots read;
    TStatement all;
    all.sql = QStringLiteral("SELECT %1, Cod_gestiune, Lot, Cantitate, Data_intrare%2 FROM Stoc WHERE ")
                  .arg(engine_.RowIdColumn(), rule_.OwnExpiry ? QStringLiteral(", Data_expirare") : QString());
    all.sql += Lots({group, code, 0}, shelfLife, false, all.values, TLotsAsked::Any, {}) + QStringLiteral(" ORDER BY ")
               + engine_.RowIdColumn();
    const QHash<QString, TLotStanding> held = Held({{group, code, 0}}).front();
    std::optional<qint64> damaged;
    engine_.ForEachRow(all.sql, all.values, [&](const NativeRow& row) {
        const QString warehouse = row.Value(1).toString();
        if (damaged || !rule_.Counts(warehouse, code))
            return;
        if (!IsNumberOrNull(row.Value(3))) {
            damaged = row.Int(0);
            return;
        }
        TStockLot lot{row.Int(0), warehouse, row.Value(2).toString(), row.Value(3).toDouble(), StoredDate(row.Value(4)), {}, {}};
        lot.Expiry = ExpiryDate(lot.Entry, shelfLife, rule_.OwnExpiry ? StoredDate(row.Value(5)) : QDate());
        if (const auto standing = held.constFind(lot.Lot); !lot.Lot.isEmpty() && standing != held.constEnd()) {
            read.Held.push_back({std::move(lot), standing->State, standing->Reason});
            return;
        }
        if (EnteredAfter(lot, rule_.Day)) {
            read.EnteredLater.push_back(std::move(lot));
            return;
        }
        if (!rule_.DrawExpired && Expired(lot, rule_.Day)) {
            read.ExpiredLeftOut += lot.Quantity;
            return;
        }
        read.Lots.push_back(std::move(lot));
    });
    if (damaged)
        RaiseUnreadableQuantity(*damaged);
    OrderLots(read.Lots, rule_.Order);
    return read;
}

std::vector<TLotTotals> TStockLedger::Totals(const std::vector<TMaterialDraw>& materials) const
{
    // The engine sums the lots by warehouse (without the entry date, the covering index
    // answers alone). No lot is locked: every writer of lots holds the counter row first,
    // as the caller does, so these are the committed figures and stay so until it ends.
    const std::vector<double> shelfLives = ShelfLives(materials);
    const std::vector<bool> ownDates = OwnDates(materials);
    const std::vector<QHash<QString, TLotStanding>> held = Held(materials);
    std::vector<TStatement> sums;
    sums.reserve(materials.size());
    for (size_t i = 0; i < materials.size(); ++i) {
        TStatement sum;
        sum.sql = QStringLiteral("SELECT Cod_gestiune, COUNT(*), SUM(Cantitate), SUM(CASE WHEN Cantitate > 0 THEN "
                                 "Cantitate ELSE 0 END), SUM(CASE WHEN %1 THEN 1 ELSE 0 END) FROM Stoc WHERE ")
                      .arg(NotANumberCondition(QStringLiteral("Cantitate")))
                  + Lots(materials[i], shelfLives[i], ownDates[i], sum.values, TLotsAsked::Drawable, held[i], true)
                  + QStringLiteral(" GROUP BY Cod_gestiune");
        sums.push_back(std::move(sum));
    }
    std::vector<TLotTotals> totals(materials.size());
    std::optional<std::pair<size_t, QString>> damaged; // a material's warehouse with a quantity that is no number
    engine_.ForEachRowOf(sums, [&](size_t i, const NativeRow& row) {
        if (!rule_.Counts(row.Value(0).toString(), materials[i].Code))
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
        RequireQuantities(materials[damaged->first].Group, materials[damaged->first].Code, damaged->second);
    return totals;
}

std::vector<std::vector<TStockLot>> TStockLedger::ToDraw(const std::vector<TMaterialDraw>& draws) const
{
    constexpr int kDrawnColumn = 1; // where DrawnLotFields start in a row read
    const QString rowId = engine_.RowIdColumn();
    QString select = QStringLiteral("SELECT ") + rowId;
    for (const char* field : DrawnLotFields)
        select += QStringLiteral(", ") + QLatin1String(field);
    const int ownExpiry = kDrawnColumn + int(DrawnLotFields.size()); // read after them, where the stock keeps it
    if (rule_.OwnExpiry)
        select += QStringLiteral(", Data_expirare");
    // The stock table's order within a material is its row order (it has no key). First
    // in and first to expire are the same order where one material's lots share a shelf
    // life: the dated lots by entry date, then the undated ones, each part read in the
    // order of the index on article and entry date (which ends in the row identity). A
    // material with lots of their own expiry date is read whole and ordered here: those
    // are few (cultures, rennet), and their order is no column's.
    const bool byEntry = rule_.Order != TLotOrder::Table;
    const QString byRow = QStringLiteral(" ORDER BY ") + rowId;
    const QString byEntryDate =
        QStringLiteral(" ORDER BY ") + engine_.OrderTerm(QStringLiteral("Data_intrare"), false) + QStringLiteral(", ") + rowId;
    constexpr int kColumn = kDrawnColumn;
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
        bool whole = false; // read to the end, then ordered and cut to what covers the quantity
    };
    const std::vector<double> shelfLives = ShelfLives(draws);
    const std::vector<bool> ownDates = OwnDates(draws);
    const std::vector<QHash<QString, TLotStanding>> held = Held(draws);
    std::vector<TReading> readings(draws.size());
    for (size_t i = 0; i < draws.size(); ++i) {
        TReading& r = readings[i];
        const auto part = [&](TLotsAsked asked, const QString& order) {
            TStatement query;
            query.sql = select + QStringLiteral(" FROM Stoc WHERE ")
                        + Lots(draws[i], shelfLives[i], ownDates[i], query.values, asked, held[i]) + order;
            r.parts.push_back(std::move(query));
        };
        if (byEntry) {
            part(TLotsAsked::DrawableDated, byEntryDate);
            part(TLotsAsked::DrawableUndated, byRow);
        } else {
            part(TLotsAsked::Drawable, byRow);
        }
        r.shelfLife = shelfLives[i];
        r.remaining = draws[i].Quantity;
        r.whole = ownDates[i] && rule_.Order == TLotOrder::FirstToExpire;
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
            break;
        std::vector<int> read(blocks.size(), 0);
        std::optional<qint64> damaged; // a lot whose quantity is no number
        engine_.ForEachRowOf(blocks, [&](size_t b, const NativeRow& row) {
            ++read[b];
            const size_t i = asked[b];
            TReading& r = readings[i];
            if (r.done || !rule_.Counts(row.Value(warehouse).toString(), draws[i].Code))
                return;
            // Such a lot would be read as 0 and passed over, or drawn and written over.
            if (!IsNumberOrNull(row.Value(quantity)) && !damaged)
                damaged = row.Int(0);
            TStockLot lot{row.Int(0), row.Value(warehouse).toString(), row.Value(lotName).toString(),
                          row.Value(quantity).toDouble(), StoredDate(row.Value(entry)), {}, {}};
            lot.Expiry = ExpiryDate(lot.Entry, r.shelfLife, rule_.OwnExpiry ? StoredDate(row.Value(ownExpiry)) : QDate());
            lot.Stored.reserve(qsizetype(DrawnLotFields.size()));
            for (int c = kColumn; c < kColumn + int(DrawnLotFields.size()); ++c)
                lot.Stored << row.Stored(c);
            lots[i].push_back(std::move(lot));
            r.done = !r.whole && Covered(lots[i].size() - 1, lots[i].back(), draws[i].Quantity, r.remaining);
        });
        if (damaged)
            RaiseUnreadableQuantity(*damaged);
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
    for (size_t i = 0; i < readings.size(); ++i) {
        if (!readings[i].whole)
            continue;
        OrderLots(lots[i], rule_.Order);
        double remaining = draws[i].Quantity;
        for (size_t k = 0; k < lots[i].size(); ++k)
            if (Covered(k, lots[i][k], draws[i].Quantity, remaining)) {
                lots[i].resize(k + 1);
                break;
            }
    }
    return lots;
}

std::vector<TMaterialStock> TStockLedger::Stock(const std::vector<TMaterialDraw>& materials) const
{
    std::vector<TMaterialStock> stock(materials.size());
    // Without a lot below nothing, lots that cover a quantity leave the sum of all of them
    // no shorter than it: those lots, read for the draw anyway, decide alone. The articles
    // with such a lot anywhere come from the stock's partial index on them (a lot without
    // an article under the empty code).
    QSet<QString> negative;
    engine_.ForEachRow(QStringLiteral("SELECT DISTINCT Cod_articol FROM Stoc WHERE Cantitate < 0"), {},
                       [&](const NativeRow& row) { negative.insert(row.Value(0).toString()); });
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
    std::vector<std::vector<TStockLot>> lots = ToDraw(tried);
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
    const std::vector<TLotTotals> totals = Totals(summed);
    for (size_t k = 0; k < summed.size(); ++k)
        stock[summedAt[k]].Totals = totals[k];
    return stock;
}

// ---------------------------------------------------------------- writes

std::vector<std::optional<TStockLot>> TStockLedger::LotsOfLines(const std::vector<std::pair<double, double>>& lines) const
{
    QString select = QStringLiteral("SELECT ") + engine_.RowIdColumn();
    for (const char* field : DrawnLotFields)
        select += QStringLiteral(", ") + QLatin1String(field);
    select += QStringLiteral(" FROM Stoc WHERE Contor_in = ? AND Contor_secundar_in = ? ORDER BY %1 LIMIT 1").arg(engine_.RowIdColumn());
    std::vector<TStatement> reads;
    reads.reserve(lines.size());
    for (const auto& [receipt, line] : lines)
        reads.push_back({select, {receipt, line}});
    const auto column = [](const char* field) { return 1 + DrawnLotIndex(field); };
    std::vector<std::optional<TStockLot>> lots(lines.size());
    std::optional<qint64> damaged;
    engine_.ForEachRowOf(reads, [&](size_t i, const NativeRow& row) {
        if (!IsNumberOrNull(row.Value(column("Cantitate"))) && !damaged)
            damaged = row.Int(0);
        TStockLot lot{row.Int(0), row.Value(column("Cod_gestiune")).toString(), row.Value(column("Lot")).toString(),
                      row.Value(column("Cantitate")).toDouble(), StoredDate(row.Value(column("Data_intrare"))), {}, {}};
        for (int c = 1; c < 1 + int(DrawnLotFields.size()); ++c)
            lot.Stored << row.Stored(c);
        lots[i] = std::move(lot);
    });
    if (damaged)
        RaiseUnreadableQuantity(*damaged);
    return lots;
}

TStatement TStockLedger::Take(const TStockLot& lot, const TLotTake& take) const
{
    const QString lotRow =
        engine_.RowIdColumn() + QStringLiteral(" = ? AND Cantitate") + engine_.NullSafeEqual() + QLatin1Char('?');
    const QVariant& was = StoredValue(lot, "Cantitate");
    if (take.Removed)
        return {QStringLiteral("DELETE FROM Stoc WHERE ") + lotRow, {lot.Row, was}};
    return {QStringLiteral("UPDATE Stoc SET Cantitate = ? WHERE ") + lotRow, {take.Left, lot.Row, was}};
}

TStatement TStockLedger::SetQuantity(qint64 row, double now, const QVariant& was) const
{
    return {QStringLiteral("UPDATE Stoc SET Cantitate = ? WHERE %1 = ? AND Cantitate%2?")
                .arg(engine_.RowIdColumn(), engine_.NullSafeEqual()),
            {now, row, was}};
}

std::vector<TStatement> TStockLedger::Insert(const QStringList& columns, const QVariantList& values) const
{
    return InsertStatements(kStock, columns, {values});
}

TStatement TStockLedger::FindRow(const std::vector<std::pair<const char*, QVariant>>& fields) const
{
    TStatement find;
    find.sql = QStringLiteral("SELECT %1, Cantitate FROM Stoc WHERE 1 = 1").arg(engine_.RowIdColumn());
    for (const auto& [field, value] : fields) {
        find.sql += QStringLiteral(" AND ") + QLatin1String(field);
        if (value.isNull()) {
            find.sql += QStringLiteral(" IS NULL");
            continue;
        }
        find.sql += QStringLiteral(" = ?"); // which the server's indexes answer, as they do not a null-safe one
        find.values << value;
    }
    find.sql += QStringLiteral(" ORDER BY %1 LIMIT 1").arg(engine_.RowIdColumn());
    return find;
}

void TStockLedger::Touch() const { engine_.Touch(kStock); }

void RequireEachLotWritten(const std::vector<int>& written, std::size_t from)
{
    for (std::size_t i = from; i < written.size(); ++i)
        if (written[i] != 1)
            throw EDatabaseError(dbmsg::EditChanged());
}

// ---------------------------------------------------------------- outside production

QStringList TStockLedger::ArticlesOfLotSql()
{
    return {QStringLiteral("SELECT DISTINCT Cod_grupa, Cod_articol FROM Stoc"), QStringLiteral("WHERE (Lot = :Lot)")};
}

namespace {

// The stock is indexed by group and article: a null group is asked for as such.
QStringList OfArticle(const QString& group, const QString& select, const QString& tail)
{
    return {select, QStringLiteral("FROM Stoc"),
            group.isEmpty() ? QStringLiteral("WHERE (Cod_grupa IS NULL) AND (Cod_articol = :Cod)")
                            : QStringLiteral("WHERE (Cod_grupa = :Grupa) AND (Cod_articol = :Cod)"),
            tail};
}

} // namespace

QStringList TStockLedger::StockOfLotsSql(const QString& group)
{
    return OfArticle(group, QStringLiteral("SELECT Lot, SUM(Cantitate + 0) AS Stoc"),
                     QStringLiteral(" AND (Lot IS NOT NULL) GROUP BY Lot"));
}

QStringList TStockLedger::LotRowsSql(const QString& group)
{
    return OfArticle(group, QStringLiteral("SELECT COUNT(*) AS Randuri"), QStringLiteral(" AND (Lot = :Lot)"));
}

QStringList TStockLedger::LotEntrySql(bool ownExpiry)
{
    return {QStringLiteral("SELECT COUNT(*) AS Linii, SUM(Cantitate) AS Cantitate, MIN(Data_intrare) AS Data_intrare")
                + (ownExpiry ? QStringLiteral(", MIN(Data_expirare) AS Data_expirare") : QString()),
            QStringLiteral("FROM Stoc WHERE (Cod_grupa = :Grupa) AND (Cod_articol = :Cod) AND (Lot = :Lot)")};
}

std::array<QString, 3> TStockLedger::LotsStockByWarehouseSql(bool grouped)
{
    return {QStringLiteral("SELECT Cod_grupa, Cod_articol, Lot, Cod_gestiune, SUM(Cantitate + 0) AS Stoc FROM Stoc WHERE"),
            grouped ? QStringLiteral("(Cod_grupa = :Grupa# AND Cod_articol = :Cod# AND Lot = :Lot#)")
                    : QStringLiteral("(Cod_grupa IS NULL AND Cod_articol = :Cod# AND Lot = :Lot#)"),
            QStringLiteral("GROUP BY Cod_grupa, Cod_articol, Lot, Cod_gestiune")};
}

qint64 TStockLedger::LotRows(Connection& engine, const QString& group, const QString& code, const QString& lot)
{
    QVariantList values;
    const QString where = MaterialCondition("Cod_grupa", "Cod_articol", group, code, values);
    values << lot;
    return engine.ScalarInt(QStringLiteral("SELECT COUNT(*) FROM Stoc WHERE ") + where + QStringLiteral(" AND Lot = ?"), values);
}

QStringList TStockLedger::LotsWithShelfLifeSql(bool ownExpiry)
{
    if (!ownExpiry)
        return {QStringLiteral("SELECT S.Cod_gestiune, S.Cod_grupa, S.Cod_articol, C.Denumire, C.Unitate_masura, S.Lot,"),
                QStringLiteral(" S.Data_intrare, C.ZileValabilitate, S.Cantitate, S.Pret_achizitie"),
                QStringLiteral("FROM Stoc S, CATALOG C"),
                QStringLiteral("WHERE (C.Grupa = S.Cod_grupa) AND (C.Cod = S.Cod_articol)"),
                QStringLiteral(" AND (C.ZileValabilitate > 0) AND (S.Data_intrare IS NOT NULL) AND (S.Cantitate > 0)")};
    return {QStringLiteral("SELECT S.Cod_gestiune, S.Cod_grupa, S.Cod_articol, C.Denumire, C.Unitate_masura, S.Lot,"),
            QStringLiteral(" S.Data_intrare, C.ZileValabilitate, S.Cantitate, S.Pret_achizitie, S.Data_expirare"),
            QStringLiteral("FROM Stoc S, CATALOG C"),
            QStringLiteral("WHERE (C.Grupa = S.Cod_grupa) AND (C.Cod = S.Cod_articol) AND (S.Cantitate > 0)"),
            QStringLiteral(" AND ((C.ZileValabilitate > 0 AND S.Data_intrare IS NOT NULL) OR S.Data_expirare IS NOT NULL)")};
}

} // namespace corvanel

#include "data/LotStatus.h"

#include "data/Messages.h"
#include "data/ProductionData.h"
#include "data/ReleaseRequired.h"
#include "data/StockLedger.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"

#include <QMultiHash>
#include <array>
#include <utility>

namespace corvanel {

using namespace fw;

namespace {

constexpr std::array<std::pair<TLotState, const char*>, 4> kStateNames{{
    {TLotState::Released, "Eliberat"},
    {TLotState::Held, "Blocat"},
    {TLotState::NonConforming, "Neconform"},
    {TLotState::Awaiting, "In asteptare"},
}};

const QString kColumns = QStringLiteral("Cod_grupa, Cod_articol, Lot, Stare, Motiv, Agent, Moment");

// The condition on a lot's key, bound in `values`.
QString LotCondition(const TLotId& lot, QVariantList& values)
{
    values << lot.Group << lot.Code << lot.Lot;
    return QStringLiteral("Cod_grupa = ? AND Cod_articol = ? AND Lot = ?");
}

} // namespace

// A lot in stock, or received once (a lot drawn to its end is still held for a recall).
bool KnownLot(Connection& engine, const TLotId& lot)
{
    QVariantList values;
    const QString where = LotCondition(lot, values);
    return TStockLedger::LotRows(engine, lot.Group, lot.Code, lot.Lot) > 0
           || engine.ScalarInt(QStringLiteral("SELECT COUNT(*) FROM Item_in WHERE ") + where, values) > 0;
}

bool ArticleExists(Connection& engine, const QString& group, const QString& code)
{
    return engine.ScalarInt(QStringLiteral("SELECT COUNT(*) FROM CATALOG WHERE Grupa = ? AND Cod = ?"), {group, code}) > 0;
}

void LockLotWriters(Connection& engine)
{
    // The counter row first, as every writer of lots takes it: a consumption deciding now
    // has drawn on the lot by the time this goes on, or decides after this commits.
    engine.ForEachRow(QStringLiteral("SELECT NewCounterOut FROM COUNTER") + engine.LockRowsClause(), {}, [](const NativeRow&) {});
}

QString LotStateName(TLotState state)
{
    for (const auto& [s, name] : kStateNames)
        if (s == state)
            return QLatin1String(name);
    return {};
}

std::optional<TLotState> LotStateNamed(const QString& name)
{
    for (const auto& [s, stored] : kStateNames)
        if (name == QLatin1String(stored))
            return s;
    return std::nullopt;
}

std::vector<QHash<QString, TLotStanding>> UnusableLots(Connection& engine, const std::vector<TMaterialDraw>& materials)
{
    std::vector<QHash<QString, TLotStanding>> held(materials.size());
    // A standing is kept only for a lot of an article with group and code: the others are
    // never asked for. Many materials to a statement, by the index on the article; the
    // group is matched here.
    QMultiHash<QString, size_t> byCode;
    for (size_t i = 0; i < materials.size(); ++i)
        if (!materials[i].Group.isEmpty() && !materials[i].Code.isEmpty())
            byCode.insert(materials[i].Code, i);
    if (byCode.isEmpty())
        return held;
    constexpr qsizetype kPerStatement = 200;
    const QStringList codes = byCode.uniqueKeys();
    std::vector<TStatement> asks;
    for (qsizetype from = 0; from < codes.size(); from += kPerStatement) {
        TStatement ask;
        const QStringList part = codes.mid(from, kPerStatement);
        ask.values << LotStateName(TLotState::Released);
        for (const QString& code : part)
            ask.values << code;
        ask.sql = QStringLiteral("SELECT Cod_grupa, Cod_articol, Lot, Stare, Motiv FROM StareLot WHERE Stare <> ? AND "
                                 "Cod_articol IN (%1)")
                      .arg(QStringList(part.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
        asks.push_back(std::move(ask));
    }
    engine.ForEachRowOf(asks, [&](size_t, const NativeRow& row) {
        const QString group = row.Value(0).toString();
        for (auto it = byCode.constFind(row.Value(1).toString()); it != byCode.constEnd() && it.key() == row.Value(1).toString();
             ++it)
            if (materials[it.value()].Group == group)
                held[it.value()].insert(row.Value(2).toString(), {row.Value(3).toString(), row.Value(4).toString()});
    });
    AddAwaitingLots(engine, materials, held);
    return held;
}

QString UnusableCountSql(const QString& group, const QString& code, bool releaseKept, QVariantList& values)
{
    values << group << code << LotStateName(TLotState::Released);
    QString sql = QStringLiteral("(SELECT COUNT(*) FROM StareLot WHERE Cod_grupa = ? AND Cod_articol = ? AND Stare <> ?)");
    if (!releaseKept)
        return sql;
    values << group << code;
    return sql + QStringLiteral(" + (SELECT COUNT(*) FROM EliberareObligatorie WHERE Cod_grupa = ? AND Cod_articol = ?)");
}

TLotStanding LotStandingOf(Connection& engine, const TLotId& lot)
{
    TLotStanding standing;
    QVariantList values;
    const QString where = LotCondition(lot, values);
    bool stored = false;
    engine.ForEachRow(QStringLiteral("SELECT Stare, Motiv FROM StareLot WHERE ") + where, values, [&](const NativeRow& row) {
        standing = {row.Value(0).toString(), row.Value(1).toString()};
        stored = true;
    });
    if (stored)
        return standing;
    std::vector<QHash<QString, TLotStanding>> awaiting(1);
    AddAwaitingLots(engine, {{lot.Group, lot.Code, 0}}, awaiting);
    return awaiting.front().value(lot.Lot, standing);
}

std::vector<TLotStateChange> LotStateHistory(Connection& engine, const TLotId& lot)
{
    std::vector<TLotStateChange> changes;
    QVariantList values;
    const QString where = LotCondition(lot, values);
    engine.ForEachRow(QStringLiteral("SELECT Stare, Motiv, Agent, Moment FROM IstoricStareLot WHERE %1 ORDER BY %2")
                          .arg(where, engine.RowIdColumn()),
                      values, [&](const NativeRow& row) {
                          changes.push_back({row.Value(0).toString(), row.Value(1).toString(), row.Value(2).toString(),
                                             row.Value(3).toString()});
                      });
    return changes;
}

void RecordLotState(Connection& engine, const TLotId& lot, TLotState state, const QString& reason, const QString& agent,
                    const QDateTime& at)
{
    const QVariantList row{lot.Group, lot.Code, lot.Lot, LotStateName(state), reason.trimmed(), agent,
                           at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
    std::vector<TStatement> writes;
    QVariantList key;
    writes.push_back({QStringLiteral("DELETE FROM StareLot WHERE ") + LotCondition(lot, key), key});
    const QStringList columns = kColumns.split(QStringLiteral(", "));
    for (const QString& table : {QStringLiteral("StareLot"), QStringLiteral("IstoricStareLot")})
        for (TStatement& insert : InsertStatements(table, columns, {row}))
            writes.push_back(std::move(insert));
    engine.ForEachRowOf(writes, {});
    engine.Touch(QStringLiteral("StareLot"));
    engine.Touch(QStringLiteral("IstoricStareLot"));
}

void ChangeLotState(TProductionData& dm, const TLotId& lot, TLotState state, const QString& reason, const QString& agent,
                    const QDateTime& at)
{
    if (lot.Group.isEmpty() || lot.Code.isEmpty() || lot.Lot.isEmpty())
        throw ELotStateRefused(msg::LotStateNeedsLot());
    if (reason.trimmed().isEmpty())
        throw ELotStateRefused(msg::LotStateNeedsReason());
    Connection& engine = *dm.ProductionDatabase->GetConnection();
    TTransaction tx(*dm.ProductionDatabase);
    LockLotWriters(engine);
    if (!KnownLot(engine, lot))
        throw ELotStateRefused(msg::LotNotFound(lot.Lot, lot.Group + QLatin1Char('/') + lot.Code));
    if (LotStandingOf(engine, lot).State == LotStateName(state))
        throw ELotStateRefused(msg::LotAlreadyInState(lot.Lot, LotStateName(state)));
    RecordLotState(engine, lot, state, reason, agent, at);
    tx.Commit();
}

} // namespace corvanel

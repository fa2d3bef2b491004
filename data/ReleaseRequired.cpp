#include "data/ReleaseRequired.h"

#include "data/Messages.h"
#include "data/ProductionData.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"

#include <QMultiHash>
#include <QStringList>

namespace corvanel {

using namespace fw;

namespace {

const QString kTable = QStringLiteral("EliberareObligatorie");

} // namespace

std::vector<TReleaseRequired> ReleaseRequiredArticles(Connection& engine)
{
    std::vector<TReleaseRequired> articles;
    if (engine.StoredTableName(kTable).isEmpty())
        return articles;
    engine.ForEachRow(QStringLiteral("SELECT Cod_grupa, Cod_articol, Din_data, Agent FROM %1 ORDER BY Cod_grupa, Cod_articol")
                          .arg(kTable),
                      {}, [&](const NativeRow& row) {
                          articles.push_back({row.Value(0).toString(), row.Value(1).toString(), StoredDate(row.Value(2)),
                                              row.Value(3).toString()});
                      });
    return articles;
}

void AddAwaitingLots(Connection& engine, const std::vector<TMaterialDraw>& materials,
                     std::vector<QHash<QString, TLotStanding>>& held)
{
    // The setting is kept for a handful of articles: read whole, it tells which materials
    // need the stock asked at all (usually none, and the batch costs this one read).
    const std::vector<TReleaseRequired> required = ReleaseRequiredArticles(engine);
    if (required.empty())
        return;
    std::vector<TStatement> asks;
    std::vector<size_t> askedFor;
    const TLotStanding awaiting{LotStateName(TLotState::Awaiting), msg::AwaitingReleaseReason()};
    for (size_t i = 0; i < materials.size(); ++i)
        for (const TReleaseRequired& r : required) {
            if (r.Group != materials[i].Group || r.Code != materials[i].Code)
                continue;
            // A lot is as old as its first row: one received before the setting was
            // turned on and moved since stays as it was.
            asks.push_back({QStringLiteral("SELECT Lot FROM Stoc WHERE Cod_grupa = ? AND Cod_articol = ? AND Lot IS NOT NULL "
                                           "AND Lot NOT IN (SELECT Lot FROM StareLot WHERE Cod_grupa = ? AND Cod_articol = ?) "
                                           "GROUP BY Lot HAVING MIN(Data_intrare) >= ?"),
                            {r.Group, r.Code, r.Group, r.Code, r.Since}});
            askedFor.push_back(i);
        }
    if (asks.empty())
        return;
    engine.ForEachRowOf(asks, [&](size_t a, const NativeRow& row) { held[askedFor[a]].insert(row.Value(0).toString(), awaiting); });
}

void SetReleaseRequired(TProductionData& dm, const QString& group, const QString& code, bool on, const QString& agent,
                        const QDate& since)
{
    if (group.isEmpty() || code.isEmpty())
        throw ELotStateRefused(msg::ReleaseNeedsArticle());
    const QString article = group + QLatin1Char('/') + code;
    Connection& engine = *dm.ProductionDatabase->GetConnection();
    TTransaction tx(*dm.ProductionDatabase);
    LockLotWriters(engine);
    if (!ArticleExists(engine, group, code))
        throw ELotStateRefused(msg::ArticleNotInCatalog(article));
    const bool was = engine.ScalarInt(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Cod_grupa = ? AND Cod_articol = ?").arg(kTable),
                                      {group, code})
                     > 0;
    if (was == on)
        throw ELotStateRefused(msg::ReleaseAlreadySo(article, on));
    if (on)
        engine.ForEachRowOf(InsertStatements(kTable, {QStringLiteral("Cod_grupa"), QStringLiteral("Cod_articol"),
                                                      QStringLiteral("Din_data"), QStringLiteral("Agent")},
                                             {{group, code, since, agent}}),
                            {});
    else
        engine.ForEachRow(QStringLiteral("DELETE FROM %1 WHERE Cod_grupa = ? AND Cod_articol = ?").arg(kTable), {group, code}, {});
    engine.Touch(kTable);
    tx.Commit();
}

} // namespace corvanel

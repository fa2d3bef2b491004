#include "reports/DashboardData.h"

#include "data/LotStatus.h"
#include "data/Queries.h"
#include "data/ReleaseRequired.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"
#include "reports/BatchDraws.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <utility>

namespace corvanel {

using namespace fw;

namespace {

// A document that is neither reversed nor a reversal, `counter` naming it in the outer query.
QString NotReversed(const QString& counter)
{
    return QStringLiteral("NOT EXISTS (SELECT S.Contor_out FROM Stornari S WHERE S.Contor_out = %1)"
                          " AND NOT EXISTS (SELECT S.Contor_out FROM Stornari S WHERE S.Contor_stornare = %1)")
        .arg(counter);
}

// The production receipts since a day whose product has a recipe and that no standing
// consumption is tied to: by the genealogy, or, older, by number and date. Each receipt is
// looked up by its own keys (indexes on Doc_in's type and date, the genealogy's product,
// Doc_out's number and date, Stornari's two counters), so the work follows the receipts of
// the period, not the documents of every year before. A company without Stornari (one the
// user may only read) has reversed nothing.
QStringList UnconsumedReceiptsSql(bool reversals)
{
    const auto standing = [reversals](const QString& counter) {
        return reversals ? QStringLiteral(" AND ") + NotReversed(counter) : QString();
    };
    return {QStringLiteral("SELECT D.Contor, D.Numar, D.Data FROM Doc_in D"),
            QStringLiteral("WHERE (D.Tip = '%1') AND (D.Data >= :Since)").arg(ProductionDocType),
            QStringLiteral(" AND EXISTS (SELECT I.Contor FROM Item_in I, Reteta R WHERE (I.Contor = D.Contor) AND (R.Cod = I.Cod_articol))"),
            QStringLiteral(" AND NOT EXISTS (SELECT G.Contor_out FROM Genealogie G WHERE (G.Contor_produs = D.Contor)%1)")
                .arg(standing(QStringLiteral("G.Contor_out"))),
            QStringLiteral(" AND NOT EXISTS (SELECT O.Contor FROM Doc_out O WHERE (O.Numar = D.Numar) AND (O.Data = D.Data)"
                           " AND (O.Tip = '%1')%2)")
                .arg(ConsumptionDocType, standing(QStringLiteral("O.Contor"))),
            QStringLiteral("ORDER BY D.Data DESC, D.Contor DESC")};
}

// The standings kept are those ever set; a released lot may not be left out of production.
const QStringList& StoppedLotsSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT S.Cod_grupa, S.Cod_articol, C.Denumire, S.Lot, S.Stare, S.Motiv"),
        QStringLiteral("FROM StareLot S LEFT JOIN Catalog C ON (C.Grupa = S.Cod_grupa) AND (C.Cod = S.Cod_articol)"),
        QStringLiteral("WHERE (S.Stare <> :Eliberat)"), QStringLiteral("ORDER BY S.Cod_grupa, S.Cod_articol, S.Lot")};
    return sql;
}

void Prepare(TQuery& q, TSession* session, const QStringList& sql)
{
    q.SetSession(session);
    q.SetDatabaseName(KRBPROD);
    q.SetSQL(sql);
}

// The lots that wait for a release have no stored standing: they are found as the stock
// ledger finds them (AddAwaitingLots), for the articles that keep the setting, and placed
// among the stored ones in the same order.
void AddAwaiting(TSession* session, std::vector<TStoppedLot>& stopped)
{
    Connection& engine = *session->ConnectionFor(KRBPROD);
    std::vector<TMaterialDraw> articles;
    for (const TReleaseRequired& r : ReleaseRequiredArticles(engine))
        articles.push_back({r.Group, r.Code, 0});
    if (articles.empty())
        return;
    std::vector<QHash<QString, TLotStanding>> awaiting(articles.size());
    AddAwaitingLots(engine, articles, awaiting);
    for (size_t i = 0; i < articles.size(); ++i) {
        if (awaiting[i].isEmpty())
            continue;
        QString name;
        engine.ForEachRow(QStringLiteral("SELECT Denumire FROM Catalog WHERE Grupa = ? AND Cod = ?"),
                          {articles[i].Group, articles[i].Code}, [&name](const NativeRow& row) { name = row.Value(0).toString(); });
        for (auto lot = awaiting[i].constBegin(); lot != awaiting[i].constEnd(); ++lot)
            stopped.push_back({articles[i].Group, articles[i].Code, name, lot.key(), lot->State, lot->Reason});
    }
    std::stable_sort(stopped.begin(), stopped.end(), [](const TStoppedLot& a, const TStoppedLot& b) {
        return std::tie(a.Group, a.Code, a.Lot) < std::tie(b.Group, b.Code, b.Lot);
    });
}

std::vector<TStoppedLot> ReadStopped(TSession* session)
{
    // A company the user may only read may lack the table: no lot of it was ever held.
    TTable standings;
    standings.SetSession(session);
    standings.SetDatabaseName(KRBPROD);
    standings.SetTableName(fw::StareLotDB);
    if (!standings.Exists())
        return {};
    TQuery q;
    Prepare(q, session, StoppedLotsSql());
    q.ParamByName(QStringLiteral("Eliberat"))->SetAsString(LotStateName(TLotState::Released));
    std::vector<TStoppedLot> out;
    for (q.Open(); !q.Eof(); q.Next()) {
        const auto text = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name))->AsString(); };
        out.push_back({text("Cod_grupa"), text("Cod_articol"), text("Denumire"), text("Lot"), text("Stare"), text("Motiv")});
    }
    AddAwaiting(session, out);
    return out;
}

std::vector<TMonthProduction> ReadProduction(TSession* session, const QDate& day)
{
    const QDate first(day.year(), day.month(), 1);
    const QDate before = first.addMonths(-1);
    std::map<std::pair<QString, QString>, TMonthProduction> products;
    const auto add = [&](const TBatchPeriod& period, double TMonthProduction::*month) {
        for (const TBatchLine& line : ReadBatchLines(session, period)) {
            TMonthProduction& p = products[{line.Group, line.Code}];
            p.Group = line.Group;
            p.Code = line.Code;
            p.Name = line.Name;
            p.Unit = line.Unit;
            p.*month += line.Quantity;
        }
    };
    add({first, day}, &TMonthProduction::ThisMonth);
    add({before, first.addDays(-1)}, &TMonthProduction::LastMonth);
    std::vector<TMonthProduction> out;
    out.reserve(products.size());
    for (auto& [key, p] : products)
        out.push_back(std::move(p));
    return out;
}

} // namespace

std::vector<TUnconsumedReceipt> ReadUnconsumedReceipts(TSession* session, const QDate& since)
{
    TTable reversals;
    reversals.SetSession(session);
    reversals.SetDatabaseName(KRBPROD);
    reversals.SetTableName(fw::StornariDB);
    TQuery receipts;
    Prepare(receipts, session, UnconsumedReceiptsSql(reversals.Exists()));
    receipts.ParamByName(QStringLiteral("Since"))->SetAsDate(since);
    DeclareFields(receipts, CompanyTable(DocInDB), {"Contor", "Numar", "Data"});
    std::vector<TUnconsumedReceipt> unconsumed;
    for (receipts.Open(); !receipts.Eof(); receipts.Next())
        unconsumed.push_back({receipts.Fields(0)->AsFloat(), receipts.Fields(1)->AsFloat(), receipts.Fields(2)->AsDate()});
    return unconsumed;
}

TDashboard ReadDashboard(TSession* session, const QDate& day, int expiringDays)
{
    const QDate yearStart = QDate(day.year(), day.month(), 1).addMonths(-11);
    return {ReadExpiringLots(session, day, expiringDays, {}), ReadStopped(session), ReadUnconsumedReceipts(session, yearStart),
            ReadProduction(session, day), ReadPeriodFigures(session, {yearStart, day})};
}

} // namespace corvanel

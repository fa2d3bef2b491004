#include "reports/DashboardData.h"

#include "data/LotStatus.h"
#include "data/Queries.h"
#include "data/Reversals.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"
#include "reports/BatchDraws.h"

#include <map>
#include <set>
#include <utility>

namespace corvanel {

using namespace fw;

namespace {

const QStringList& ProductionReceiptsSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT D.Contor, D.Numar, D.Data FROM Doc_in D"),
        QStringLiteral("WHERE (D.Tip = '%1')").arg(ProductionDocType),
        QStringLiteral(" AND EXISTS (SELECT I.Contor FROM Item_in I, Reteta R WHERE (I.Contor = D.Contor) AND (R.Cod = I.Cod_articol))"),
        QStringLiteral("ORDER BY D.Data DESC, D.Contor DESC")};
    return sql;
}

const QStringList& ConsumptionsSql()
{
    static const QStringList sql{QStringLiteral("SELECT Contor, Numar, Data FROM Doc_out WHERE Tip = '%1'").arg(ConsumptionDocType)};
    return sql;
}

const QStringList& GenealogyReceiptsSql()
{
    static const QStringList sql{QStringLiteral("SELECT DISTINCT Contor_out, Contor_produs FROM Genealogie")};
    return sql;
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
    return out;
}

std::vector<TUnconsumedReceipt> ReadUnconsumed(TSession* session)
{
    const TReversals reversals = ReadReversals(session, KRBPROD);
    std::set<std::pair<double, QDate>> byNumber;
    std::set<double> byGenealogy;
    TQuery documents;
    Prepare(documents, session, ConsumptionsSql());
    DeclareFields(documents, CompanyTable(DocOutDB), {"Contor", "Numar", "Data"});
    for (documents.Open(); !documents.Eof(); documents.Next())
        if (!reversals.Involves(documents.Fields(0)->AsFloat()))
            byNumber.insert({documents.Fields(1)->AsFloat(), documents.Fields(2)->AsDate()});
    TQuery genealogy;
    Prepare(genealogy, session, GenealogyReceiptsSql());
    DeclareFields(genealogy, CompanyTable(GenealogieDB), {"Contor_out", "Contor_produs"});
    for (genealogy.Open(); !genealogy.Eof(); genealogy.Next())
        if (!reversals.Involves(genealogy.Fields(0)->AsFloat()) && !genealogy.Fields(1)->IsNull())
            byGenealogy.insert(genealogy.Fields(1)->AsFloat());
    TQuery receipts;
    Prepare(receipts, session, ProductionReceiptsSql());
    DeclareFields(receipts, CompanyTable(DocInDB), {"Contor", "Numar", "Data"});
    std::vector<TUnconsumedReceipt> unconsumed;
    for (receipts.Open(); !receipts.Eof(); receipts.Next()) {
        const TUnconsumedReceipt r{receipts.Fields(0)->AsFloat(), receipts.Fields(1)->AsFloat(), receipts.Fields(2)->AsDate()};
        if (!byGenealogy.contains(r.Receipt) && !byNumber.contains({r.Number, r.Date}))
            unconsumed.push_back(r);
    }
    return unconsumed;
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

TDashboard ReadDashboard(TSession* session, const QDate& day, int expiringDays)
{
    return {ReadExpiringLots(session, day, expiringDays, {}), ReadStopped(session), ReadUnconsumed(session),
            ReadProduction(session, day),
            ReadPeriodFigures(session, {QDate(day.year(), day.month(), 1).addMonths(-11), day})};
}

} // namespace corvanel

#include "reports/BatchDraws.h"

#include "data/Queries.h"
#include "data/Reversals.h"
#include "platform/db/Query.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"

namespace corvanel {

using namespace fw;

namespace {

// The finished-goods lines: those something was drawn for (whatever the receipt's type, as
// the requirement works on any receipt), and the lines of products with a recipe on a
// receipt from production, which were meant to draw something even when nothing was (the
// consumption reversed, or not written yet): listed with no cost rather than left out. A
// product with a recipe bought from a supplier is no batch.
const QStringList& BatchLinesSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT D.Contor, D.Numar, D.Data, I.Contor_secundar, I.Cod_grupa, I.Cod_articol, I.Lot, I.Cantitate,"),
        QStringLiteral(" C.Denumire, C.Unitate_masura"),
        QStringLiteral("FROM Doc_in D JOIN Item_in I ON (I.Contor = D.Contor)"),
        QStringLiteral(" LEFT JOIN Catalog C ON (C.Grupa = I.Cod_grupa) AND (C.Cod = I.Cod_articol)"),
        QStringLiteral("WHERE (D.Data >= :FromDate) AND (D.Data <= :ToDate)"),
        QStringLiteral(" AND (((D.Tip = '%1') AND EXISTS (SELECT R.Cod FROM Reteta R WHERE R.Cod = I.Cod_articol))")
            .arg(ProductionDocType),
        QStringLiteral("  OR EXISTS (SELECT G.Contor_out FROM Genealogie G"),
        QStringLiteral("   WHERE (G.Contor_produs = I.Contor) AND (G.Contor_secundar_produs = I.Contor_secundar)))"),
        QStringLiteral("ORDER BY D.Data, D.Contor, I.Contor_secundar")};
    return sql;
}

const QStringList& BatchDrawsSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT G.Contor_out, G.Contor_produs, G.Contor_secundar_produs, G.Cod_grupa, G.Cod_articol, G.Lot,"),
        QStringLiteral(" G.Cantitate, G.Pret_achizitie"),
        QStringLiteral("FROM Doc_in D JOIN Genealogie G ON (G.Contor_produs = D.Contor)"),
        QStringLiteral("WHERE (D.Data >= :FromDate) AND (D.Data <= :ToDate)"),
        QStringLiteral("ORDER BY G.Contor_produs, G.Contor_secundar_produs, G.Cod_grupa, G.Cod_articol, G.Lot")};
    return sql;
}

void OpenForPeriod(TQuery& q, TSession* session, const QStringList& sql, const TBatchPeriod& period)
{
    q.SetSession(session);
    q.SetDatabaseName(KRBPROD);
    q.SetSQL(sql);
    q.ParamByName(QStringLiteral("FromDate"))->SetAsDate(period.From);
    q.ParamByName(QStringLiteral("ToDate"))->SetAsDate(period.To);
}

} // namespace

std::vector<TBatchLine> ReadBatchLines(TSession* session, const TBatchPeriod& period)
{
    TQuery q;
    OpenForPeriod(q, session, BatchLinesSql(), period);
    DeclareFields(q, CompanyTable(DocInDB), {"Contor", "Numar", "Data"});
    DeclareFields(q, CompanyTable(ItemInDB), {"Contor_secundar", "Cod_grupa", "Cod_articol", "Lot", "Cantitate"});
    DeclareFields(q, CompanyTable(CatalogDB), {"Denumire", "Unitate_masura"});
    q.Open();
    const auto f = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name)); };
    std::vector<TBatchLine> lines;
    for (; !q.Eof(); q.Next())
        lines.push_back({f("Contor")->AsFloat(), f("Contor_secundar")->AsFloat(), f("Numar")->AsFloat(), f("Data")->AsDate(),
                         f("Cod_grupa")->AsString(), f("Cod_articol")->AsString(), f("Denumire")->AsString(),
                         f("Unitate_masura")->AsString(), f("Lot")->AsString(), f("Cantitate")->AsFloat()});
    return lines;
}

std::vector<TBatchDraw> ReadBatchDraws(TSession* session, const TBatchPeriod& period)
{
    const TReversals reversals = ReadReversals(session, KRBPROD);
    TQuery q;
    OpenForPeriod(q, session, BatchDrawsSql(), period);
    DeclareFields(q, CompanyTable(GenealogieDB), {"Contor_out", "Contor_produs", "Contor_secundar_produs", "Cod_grupa",
                                                   "Cod_articol", "Lot", "Cantitate", "Pret_achizitie"});
    q.Open();
    const auto f = [&q](const char* name) { return q.FieldByName(QString::fromLatin1(name)); };
    std::vector<TBatchDraw> draws;
    for (; !q.Eof(); q.Next()) {
        const double document = f("Contor_out")->AsFloat();
        if (reversals.Involves(document))
            continue;
        TField* price = f("Pret_achizitie");
        draws.push_back({document, f("Contor_produs")->AsFloat(), f("Contor_secundar_produs")->AsFloat(),
                         f("Cod_grupa")->AsString(), f("Cod_articol")->AsString(), f("Lot")->AsString(),
                         f("Cantitate")->AsFloat(), price->AsFloat(), !price->IsNull()});
    }
    return draws;
}

} // namespace corvanel

#include "reports/YieldVariance.h"

#include "data/Queries.h"
#include "platform/db/Query.h"
#include "platform/schema/CompanyTables.h"

#include <cmath>
#include <limits>
#include <map>
#include <tuple>
#include <utility>

namespace corvanel {

using namespace fw;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The requirement's terms (as the requirement itself computes them for one receipt) for
// every receipt of a period. A yield of 0 asks nothing: the requirement names such
// products and counts none of them, and a server would refuse the division.
const QStringList& PlannedTermsSql()
{
    static const QStringList sql{
        QStringLiteral("SELECT I.Contor, I.Contor_secundar, R.Cod_Grupa, R.Cod_MatPrim,"),
        QStringLiteral(" (I.Cantitate * R.Cant_MatPrim / C.CantReteta) AS Cant"),
        QStringLiteral("FROM Doc_in D, Item_in I, Reteta R, Catalog C"),
        QStringLiteral("WHERE (D.Data >= :FromDate) AND (D.Data <= :ToDate) AND (I.Contor = D.Contor)"),
        QStringLiteral(" AND (R.Cod = I.Cod_articol) AND (C.Cod = R.Cod) AND (C.Grupa = I.Cod_grupa)"),
        QStringLiteral(" AND (C.CantReteta <> 0)")};
    return sql;
}

double PerCent(double variance, double plan) { return plan != 0 ? variance / plan * 100 : kNaN; }

using TMaterialKey = std::pair<QString, QString>;
using TProductKey = std::tuple<double, QString, QString>; // receipt, group, code

} // namespace

double TMaterialVariance::QuantityPercent() const { return PerCent(QuantityVariance(), Planned); }
double TMaterialVariance::ValuePercent() const { return PerCent(ValueVariance(), PlannedValue); }

std::vector<TProductVariance> YieldVariances(const std::vector<TBatchLine>& lines, const std::vector<TPlannedTerm>& terms,
                                             const std::vector<TBatchDraw>& draws)
{
    // Each receipt line belongs to one product of its receipt.
    std::map<std::pair<double, double>, TProductKey> productOf;
    std::map<TProductKey, size_t> index;
    std::vector<TProductVariance> products;
    std::vector<std::map<TMaterialKey, TMaterialVariance>> materials;
    for (const TBatchLine& l : lines) {
        const TProductKey key{l.Receipt, l.Group, l.Code};
        productOf[{l.Receipt, l.Line}] = key;
        auto [it, added] = index.try_emplace(key, products.size());
        if (added) {
            products.push_back({l.Receipt, l.Number, l.Date, l.Group, l.Code, l.Name, l.Unit, 0, {}, {}});
            materials.emplace_back();
        }
        products[it->second].Quantity += l.Quantity;
    }
    const auto material = [&](double receipt, double line, const QString& group, const QString& code) -> TMaterialVariance* {
        const auto p = productOf.find({receipt, line});
        if (p == productOf.end())
            return nullptr;
        TMaterialVariance& m = materials[index.at(p->second)][{group, code}];
        m.Group = group;
        m.Code = code;
        return &m;
    };
    for (const TPlannedTerm& t : terms)
        if (TMaterialVariance* m = material(t.Receipt, t.Line, t.Group, t.Code))
            m->Planned += t.Quantity;
    // The period's quantity and value of each material, for plans whose batch drew none of it.
    std::map<TMaterialKey, std::pair<double, double>> period;
    for (const TBatchDraw& d : draws) {
        if (TMaterialVariance* m = material(d.Receipt, d.Line, d.Group, d.Code)) {
            m->Actual += d.Quantity;
            m->ActualValue += d.Quantity * d.Price;
        }
        auto& [quantity, value] = period[{d.Group, d.Code}];
        quantity += d.Quantity;
        value += d.Quantity * d.Price;
    }
    for (size_t i = 0; i < products.size(); ++i) {
        TMaterialVariance& total = products[i].Total;
        for (auto& [key, m] : materials[i]) {
            if (m.Actual != 0)
                m.Price = m.ActualValue / m.Actual;
            else if (const auto p = period.find(key); p != period.end() && p->second.first != 0)
                m.Price = p->second.second / p->second.first;
            else
                m.Price = m.Planned != 0 ? kNaN : 0; // nothing planned is worth 0 at any price
            m.PlannedValue = m.Planned * m.Price;
            total.Planned += m.Planned;
            total.Actual += m.Actual;
            total.ActualValue += m.ActualValue;
            total.PlannedValue += m.PlannedValue;
            products[i].Materials.push_back(m);
        }
        total.Price = kNaN; // materials of different prices have none together
    }
    return products;
}

std::vector<TPlannedTerm> ReadPlannedTerms(TSession* session, const TBatchPeriod& period)
{
    TQuery q;
    q.SetSession(session);
    q.SetDatabaseName(KRBPROD);
    q.SetSQL(PlannedTermsSql());
    q.ParamByName(QStringLiteral("FromDate"))->SetAsDate(period.From);
    q.ParamByName(QStringLiteral("ToDate"))->SetAsDate(period.To);
    DeclareFields(q, CompanyTable(ItemInDB), {"Contor", "Contor_secundar"});
    DeclareFields(q, CompanyTable(RetetaDB), {"Cod_Grupa", "Cod_MatPrim"});
    q.AddField(QStringLiteral("Cant"), TFieldType::Float);
    q.Open();
    std::vector<TPlannedTerm> terms;
    for (; !q.Eof(); q.Next())
        terms.push_back({q.Fields(0)->AsFloat(), q.Fields(1)->AsFloat(), q.Fields(2)->AsString(), q.Fields(3)->AsString(),
                         q.Fields(4)->AsFloat()});
    return terms;
}

std::vector<TRecipeProduct> ReadRecipeProducts(TSession* session)
{
    TQuery q;
    q.SetSession(session);
    q.SetDatabaseName(KRBPROD);
    q.SetSQL({QStringLiteral("SELECT C.Cod, C.Denumire FROM Catalog C"),
              QStringLiteral("WHERE EXISTS (SELECT R.Cod FROM Reteta R WHERE R.Cod = C.Cod)"),
              QStringLiteral("ORDER BY C.Cod, C.Grupa")});
    DeclareFields(q, CompanyTable(CatalogDB), {"Cod", "Denumire"});
    std::vector<TRecipeProduct> products;
    for (q.Open(); !q.Eof(); q.Next())
        if (products.empty() || products.back().Code != q.Fields(0)->AsString())
            products.push_back({q.Fields(0)->AsString(), q.Fields(1)->AsString()});
    return products;
}

std::vector<TProductVariance> ReadYieldVariances(TSession* session, const TBatchPeriod& period, const QStringList& products)
{
    std::vector<TBatchLine> lines = ReadBatchLines(session, period);
    if (!products.isEmpty())
        std::erase_if(lines, [&](const TBatchLine& l) { return !products.contains(l.Code); });
    return YieldVariances(lines, ReadPlannedTerms(session, period), ReadBatchDraws(session, period));
}

} // namespace corvanel

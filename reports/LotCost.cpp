#include "reports/LotCost.h"

#include <cmath>
#include <limits>
#include <map>
#include <utility>

namespace corvanel {

std::vector<TLotCost> LotCosts(const std::vector<TBatchLine>& lines, const std::vector<TBatchDraw>& draws)
{
    // Per receipt line, per material: what was drawn and what it cost.
    std::map<std::pair<double, double>, std::map<std::pair<QString, QString>, TMaterialCost>> drawn;
    for (const TBatchDraw& d : draws) {
        TMaterialCost& m = drawn[{d.Receipt, d.Line}][{d.Group, d.Code}];
        m.Group = d.Group;
        m.Code = d.Code;
        m.Quantity += d.Quantity;
        // Each lot at its own price: two lots of one material at two prices are two terms.
        m.Cost += d.Quantity * d.Price;
        m.Unpriced += d.Priced ? 0 : 1;
    }
    std::vector<TLotCost> costs;
    costs.reserve(lines.size());
    for (const TBatchLine& line : lines) {
        TLotCost c{line, 0, 0, 0, {}};
        if (const auto it = drawn.find({line.Receipt, line.Line}); it != drawn.end())
            for (const auto& [key, material] : it->second) {
                c.Materials.push_back(material);
                c.MaterialCost += material.Cost;
                c.Unpriced += material.Unpriced;
            }
        for (TMaterialCost& m : c.Materials)
            m.Share = c.MaterialCost != 0 ? m.Cost / c.MaterialCost * 100 : 0;
        c.UnitCost = line.Quantity > 0 ? c.MaterialCost / line.Quantity : std::numeric_limits<double>::quiet_NaN();
        costs.push_back(std::move(c));
    }
    return costs;
}

std::vector<TLotCost> ReadLotCosts(fw::TSession* session, const TBatchPeriod& period)
{
    return LotCosts(ReadBatchLines(session, period), ReadBatchDraws(session, period));
}

} // namespace corvanel

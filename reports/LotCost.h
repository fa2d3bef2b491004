#pragma once

// What each finished lot cost in materials: the raw-material lots drawn for it at their own
// purchase prices, in total, per unit made, and each material's share of the total.

#include "reports/BatchDraws.h"

#include <QDate>
#include <QString>
#include <vector>

namespace fw {
class TSession;
}

namespace corvanel {

struct TMaterialCost {
    QString Group;
    QString Code;
    double Quantity = 0;
    double Cost = 0;
    double Share = 0;      // per cent of the lot's material cost; 0 when that cost is 0
    int Unpriced = 0;      // lots drawn that had no purchase price (counted at 0)
};

struct TLotCost {
    TBatchLine Batch;
    double MaterialCost = 0;
    // MaterialCost / quantity made; NaN when nothing (or less than nothing) was made.
    double UnitCost = 0;
    int Unpriced = 0; // over all its materials
    std::vector<TMaterialCost> Materials; // by group and code
};

// The cost of each line from the draws (any order), lines in their order.
std::vector<TLotCost> LotCosts(const std::vector<TBatchLine>& lines, const std::vector<TBatchDraw>& draws);

// Reads and works out the cost of the finished lots of a period. EDatabaseError when the
// company cannot be read.
std::vector<TLotCost> ReadLotCosts(fw::TSession* session, const TBatchPeriod& period);

} // namespace corvanel

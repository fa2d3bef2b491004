#include "requirement/LotPreview.h"

#include "data/ProductionData.h"
#include "data/StockLedger.h"

#include <algorithm>

namespace corvanel {

TLotPreview PreviewDraw(TProductionData& dm, const QString& group, const QString& code, double quantity, const QDate& day)
{
    const TMaterialLots read = dm.Ledger(day).MaterialLots(group, code, dm.Requirement().ShelfLife(group, code));
    const std::vector<TStockLot>& lots = read.Lots;
    const int soon = dm.Context().Settings.ExpiringWithinDays;
    TLotPreview preview;
    double onHand = 0, drawable = 0;
    for (const TStockLot& lot : lots) {
        preview.Lines.push_back({lot.Lot, lot.Warehouse, lot.Entry, lot.Expiry, lot.Quantity, 0, false, Expired(lot, day),
                                 ExpiresSoon(lot, day, soon)});
        onHand += lot.Quantity;
        drawable += std::max(lot.Quantity, 0.0);
    }
    // The shortage rule of generation: a negative final stock, or lots that cannot give it.
    preview.Short = !lots.empty() && (FinalStock(onHand, quantity) < 0 || drawable < quantity - QuantityTolerance);
    if (!preview.Short && quantity != 0) {
        for (const TLotTake& take : PlanDraw(lots, quantity)) {
            preview.Lines[take.Lot].Taken = take.Quantity;
            preview.Lines[take.Lot].Drawn = true;
        }
    }
    for (const TStockLot& lot : read.EnteredLater) {
        TLotPreviewLine line{lot.Lot, lot.Warehouse, lot.Entry, lot.Expiry, lot.Quantity, 0, false, false, false};
        line.EnteredLater = true;
        preview.Lines.push_back(std::move(line));
    }
    return preview;
}

} // namespace corvanel

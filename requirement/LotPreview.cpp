#include "requirement/LotPreview.h"

#include "data/ProductionData.h"
#include "data/StockLedger.h"

#include <algorithm>

namespace corvanel {

namespace {

// A lot as the preview lists it, drawn on by nothing yet.
TLotPreviewLine LineOf(const TStockLot& lot)
{
    TLotPreviewLine line;
    line.Lot = lot.Lot;
    line.Warehouse = lot.Warehouse;
    line.Entry = lot.Entry;
    line.Expiry = lot.Expiry;
    line.OnHand = lot.Quantity;
    return line;
}

} // namespace

TLotPreview PreviewDraw(TProductionData& dm, const QString& group, const QString& code, double quantity, const QDate& day)
{
    const TMaterialLots read = dm.Ledger(day).MaterialLots(group, code, dm.Requirement().ShelfLife(group, code));
    const std::vector<TStockLot>& lots = read.Lots;
    const int soon = dm.Context().Settings.ExpiringWithinDays;
    TLotPreview preview;
    double onHand = 0, drawable = 0;
    for (const TStockLot& lot : lots) {
        TLotPreviewLine& line = preview.Lines.emplace_back(LineOf(lot));
        line.Expired = Expired(lot, day);
        line.ExpiresSoon = ExpiresSoon(lot, day, soon);
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
    for (const THeldLot& held : read.Held) {
        TLotPreviewLine& line = preview.Lines.emplace_back(LineOf(held.Lot));
        line.State = held.State;
        line.Reason = held.Reason;
    }
    for (const TStockLot& lot : read.EnteredLater)
        preview.Lines.emplace_back(LineOf(lot)).EnteredLater = true;
    return preview;
}

} // namespace corvanel

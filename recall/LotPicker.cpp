#include "recall/LotPicker.h"

#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "platform/ui/Application.h"
#include "platform/core/Readable.h"
#include "platform/ui/Guard.h"
#include "platform/ui/RowChoice.h"
#include "recall/LotRecall.h"

#include <memory>

namespace corvanel {

namespace {

// The lots to choose from, dates and numbers in the context's formats; a double click
// chooses.
fw::TRowChoice LotChoice(const TProductionContext& context, const std::vector<TLotSummary>& lots)
{
    fw::TRowChoice choice;
    choice.Name = QStringLiteral("LotPickerDlg");
    choice.Caption = QStringLiteral("Alegeti lotul");
    choice.GridName = QStringLiteral("LotGrid");
    choice.Headings = {QStringLiteral("Lot"), QStringLiteral("Prima intrare"), QStringLiteral("Intrat"),
                       QStringLiteral("In stoc")};
    choice.RightAligned = {2, 3};
    choice.OkCaption = QStringLiteral("&Alege");
    choice.DoubleClickChooses = true;
    choice.Size = QSize(460, 360);
    for (const TLotSummary& l : lots)
        choice.Rows.push_back({l.Lot, fw::DateText(l.FirstReceived, context.Formats),
                               fw::QuantityToStr(l.Received, context.Formats), fw::QuantityToStr(l.InStock, context.Formats)});
    return choice;
}

} // namespace

bool ExecuteLotPicker(TProductionContext& context, QWidget* owner, const QString& group, const QString& article,
                      QString& lot)
{
    std::vector<TLotSummary> lots;
    {
        const fw::THourGlass wait(context.Screen);
        TLotWalk walk(context.Session(), KRBPROD);
        lots = walk.LotsOf(group, article);
    }
    const auto dlg = std::make_unique<fw::TRowChoiceDlg>(LotChoice(context, lots), owner);
    if (dlg->ShowModal() != fw::TModalResult::OK || dlg->chosenRow() < 0)
        return false;
    lot = lots[size_t(dlg->chosenRow())].Lot;
    return true;
}

} // namespace corvanel

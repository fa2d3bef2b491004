#include "recall/LotPicker.h"

#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "platform/ui/Application.h"
#include "platform/ui/Guard.h"
#include "platform/core/Readable.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvanel {

TLotPickerDlg::TLotPickerDlg(const TProductionContext& context, const std::vector<TLotSummary>& lots, QWidget* owner)
    : fw::TForm(owner)
{
    setObjectName(QStringLiteral("LotPickerDlg"));
    SetCaption(QStringLiteral("Alegeti lotul"));
    SetPosition(fw::TPosition::OwnerFormCenter);

    LotGrid = new QTableWidget(int(lots.size()), 4, this);
    LotGrid->setObjectName(QStringLiteral("LotGrid"));
    LotGrid->setHorizontalHeaderLabels(
        {QStringLiteral("Lot"), QStringLiteral("Prima intrare"), QStringLiteral("Intrat"), QStringLiteral("In stoc")});
    LotGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    LotGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    LotGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LotGrid->verticalHeader()->hide();
    LotGrid->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < int(lots.size()); ++row) {
        const TLotSummary& l = lots[size_t(row)];
        const QString texts[] = {
            l.Lot, fw::DateText(l.FirstReceived, context.Formats), fw::QuantityToStr(l.Received, context.Formats),
            fw::QuantityToStr(l.InStock, context.Formats)};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c >= 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            LotGrid->setItem(row, c, item);
        }
    }
    LotGrid->resizeColumnsToContents();
    if (!lots.empty())
        LotGrid->setCurrentCell(0, 0);

    OkBtn = new QPushButton(QStringLiteral("&Alege"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setDefault(true);
    OkBtn->setEnabled(!lots.empty());
    CancelBtn = new QPushButton(QStringLiteral("&Renunta"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    SetButtonModalResult(OkBtn, fw::TModalResult::OK);
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);
    connect(LotGrid, &QTableWidget::cellDoubleClicked, this,
            fw::GuardedSlot(this, [this] { SetModalResult(fw::TModalResult::OK); }));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LotGrid);
    layout->addLayout(buttons);
    resize(460, 360);
}

QString TLotPickerDlg::ChosenLot() const
{
    const int row = LotGrid->currentRow();
    return row < 0 ? QString() : LotGrid->item(row, 0)->text();
}

bool ExecuteLotPicker(TProductionContext& context, QWidget* owner, const QString& group, const QString& article,
                      QString& lot)
{
    std::vector<TLotSummary> lots;
    {
        const fw::THourGlass wait(context.Screen);
        TLotWalk walk(context.Session(), KRBPROD);
        lots = walk.LotsOf(group, article);
    }
    const auto dlg = std::make_unique<TLotPickerDlg>(context, lots, owner);
    if (dlg->ShowModal() != fw::TModalResult::OK || dlg->ChosenLot().isEmpty())
        return false;
    lot = dlg->ChosenLot();
    return true;
}

} // namespace corvanel

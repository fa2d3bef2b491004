#include "requirement/LotPreviewPanel.h"
#include "platform/core/Readable.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvanel {

namespace {

enum TColumn { ColLot, ColWarehouse, ColEntry, ColExpiry, ColOnHand, ColTaken, ColNote, ColumnCount };

} // namespace

TLotPreviewPanel::TLotPreviewPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LotPreviewPanel"));
    Caption = new QLabel(this);
    Caption->setObjectName(QStringLiteral("LotsCaption"));
    LotsGrid = new QTableWidget(0, ColumnCount, this);
    LotsGrid->setObjectName(QStringLiteral("LotsGrid"));
    LotsGrid->setHorizontalHeaderLabels({QStringLiteral("Lot"), QStringLiteral("Gestiune"), QStringLiteral("Data intrarii"),
                                         QStringLiteral("Expira"), QStringLiteral("Stoc lot"), QStringLiteral("De consumat"),
                                         QStringLiteral("Observatii")});
    LotsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LotsGrid->setSelectionMode(QAbstractItemView::NoSelection);
    LotsGrid->setFocusPolicy(Qt::NoFocus);
    LotsGrid->verticalHeader()->hide();
    LotsGrid->horizontalHeader()->setStretchLastSection(true);
    LotsGrid->setFixedHeight(120);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addWidget(Caption);
    layout->addWidget(LotsGrid);
    Clear();
}

void TLotPreviewPanel::Clear()
{
    Caption->setText(QStringLiteral("Loturile din care se consuma materialul randului curent"));
    LotsGrid->setRowCount(0);
}

void TLotPreviewPanel::Show(const QString& material, const TLotPreview& preview, const fw::TFormatSettings& formats)
{
    Caption->setText(preview.Short ? QStringLiteral("Loturile materialului %1: nu acopera cantitatea, randul nu intra in "
                                                    "document")
                                         .arg(material)
                                   : QStringLiteral("Loturile din care se consuma %1, in ordinea consumului").arg(material));
    LotsGrid->setRowCount(int(preview.Lines.size()));
    for (int r = 0; r < int(preview.Lines.size()); ++r) {
        const TLotPreviewLine& l = preview.Lines[size_t(r)];
        const QString note = !l.State.isEmpty() ? QStringLiteral("%1 (%2), nu se consuma").arg(l.State, l.Reason)
                             : l.EnteredLater    ? QStringLiteral("intrat dupa receptie, nu se consuma")
                             : l.Expired    ? QStringLiteral("expirat")
                             : l.ExpiresSoon ? QStringLiteral("expira curand")
                                             : QString();
        const QString cells[ColumnCount] = {l.Lot,
                                            l.Warehouse,
                                            fw::DateText(l.Entry, formats),
                                            fw::DateText(l.Expiry, formats),
                                            fw::QuantityToStr(l.OnHand, formats),
                                            l.Drawn ? fw::QuantityToStr(l.Taken, formats) : QString(),
                                            note};
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == ColOnHand || c == ColTaken)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!l.State.isEmpty())
                item->setForeground(QColor(200, 0, 0));
            else if (l.EnteredLater)
                item->setForeground(QColor(128, 128, 128));
            else if (l.Expired || l.ExpiresSoon)
                item->setForeground(l.Expired ? QColor(200, 0, 0) : QColor(170, 100, 0));
            if (l.Drawn) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            LotsGrid->setItem(r, c, item);
        }
    }
}

} // namespace corvanel

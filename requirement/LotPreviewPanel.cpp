#include "requirement/LotPreviewPanel.h"
#include "platform/core/Readable.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace corvanel {

namespace {

enum TColumn { ColLot, ColWarehouse, ColEntry, ColExpiry, ColOnHand, ColTaken, ColNote, ColumnCount };

// What the last column says of a lot: why it is not drawn, or what to mind in drawing it.
QString LotNote(const TLotPreviewLine& l)
{
    if (!l.State.isEmpty())
        return QStringLiteral("%1 (%2), nu se consuma").arg(l.State, l.Reason);
    if (l.EnteredLater)
        return QStringLiteral("intrat dupa receptie, nu se consuma");
    if (l.Expired)
        return QStringLiteral("expirat");
    return l.ExpiresSoon ? QStringLiteral("expira curand") : QString();
}

// The colour the lot's line stands out in, as its note reads; invalid for a lot drawn as usual.
QColor LotColour(const TLotPreviewLine& l)
{
    const QColor red(200, 0, 0);
    if (!l.State.isEmpty())
        return red;
    if (l.EnteredLater)
        return QColor(128, 128, 128);
    if (l.Expired)
        return red;
    return l.ExpiresSoon ? QColor(170, 100, 0) : QColor();
}

} // namespace

struct TLotPreviewPanel::Ui {
    QLabel* caption = nullptr;
    QTableWidget* lots = nullptr;
};

TLotPreviewPanel::TLotPreviewPanel(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("LotPreviewPanel"));
    Ui& u = *ui_;
    u.caption = new QLabel(this);
    u.caption->setObjectName(QStringLiteral("LotsCaption"));
    u.lots = new QTableWidget(0, ColumnCount, this);
    u.lots->setObjectName(QStringLiteral("LotsGrid"));
    u.lots->setHorizontalHeaderLabels({QStringLiteral("Lot"), QStringLiteral("Gestiune"), QStringLiteral("Data intrarii"),
                                       QStringLiteral("Expira"), QStringLiteral("Stoc lot"), QStringLiteral("De consumat"),
                                       QStringLiteral("Observatii")});
    u.lots->setEditTriggers(QAbstractItemView::NoEditTriggers);
    u.lots->setSelectionMode(QAbstractItemView::NoSelection);
    u.lots->setFocusPolicy(Qt::NoFocus);
    u.lots->verticalHeader()->hide();
    u.lots->horizontalHeader()->setStretchLastSection(true);
    u.lots->setFixedHeight(120);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addWidget(u.caption);
    layout->addWidget(u.lots);
    clearLots();
}

TLotPreviewPanel::~TLotPreviewPanel() = default;

void TLotPreviewPanel::clearLots()
{
    ui_->caption->setText(QStringLiteral("Loturile din care se consuma materialul randului curent"));
    ui_->lots->setRowCount(0);
}

void TLotPreviewPanel::showLots(const QString& material, const TLotPreview& preview, const fw::TFormatSettings& formats)
{
    Ui& u = *ui_;
    u.caption->setText(preview.Short ? QStringLiteral("Loturile materialului %1: nu acopera cantitatea, randul nu intra in "
                                                      "document")
                                           .arg(material)
                                     : QStringLiteral("Loturile din care se consuma %1, in ordinea consumului").arg(material));
    u.lots->setRowCount(int(preview.Lines.size()));
    for (int r = 0; r < int(preview.Lines.size()); ++r) {
        const TLotPreviewLine& l = preview.Lines[size_t(r)];
        const QString cells[ColumnCount] = {l.Lot,
                                            l.Warehouse,
                                            fw::DateText(l.Entry, formats),
                                            fw::DateText(l.Expiry, formats),
                                            fw::QuantityToStr(l.OnHand, formats),
                                            l.Drawn ? fw::QuantityToStr(l.Taken, formats) : QString(),
                                            LotNote(l)};
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == ColOnHand || c == ColTaken)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (const QColor colour = LotColour(l); colour.isValid())
                item->setForeground(colour);
            if (l.Drawn) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            u.lots->setItem(r, c, item);
        }
    }
}

} // namespace corvanel

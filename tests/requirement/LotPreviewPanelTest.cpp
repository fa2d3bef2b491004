// The lots under the requirement grid: what each says of itself, and how it stands out.
#include "Named.h"
#include "requirement/LotPreviewPanel.h"

#include <QLabel>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace corvanel;
using testsupport::Named;

namespace {

TLotPreviewLine Lot(const char* name, bool drawn, double taken)
{
    TLotPreviewLine l;
    l.Lot = QString::fromLatin1(name);
    l.Warehouse = QStringLiteral("01");
    l.Entry = QDate(2026, 11, 2);
    l.Expiry = QDate(2026, 12, 20);
    l.OnHand = 1234.5;
    l.Drawn = drawn;
    l.Taken = taken;
    return l;
}

TEST(LotPreviewPanel, EachLotSaysWhyItIsOrIsNotDrawnAndStandsOutSo)
{
    TLotPreviewPanel panel(nullptr);
    TLotPreview preview;
    TLotPreviewLine soon = Lot("L1", true, 10.25);
    soon.ExpiresSoon = true;
    TLotPreviewLine expired = Lot("L2", true, 3);
    expired.Expired = expired.ExpiresSoon = true; // expired says more than expiring
    TLotPreviewLine plain = Lot("L3", false, 0);
    plain.Expiry = QDate();
    TLotPreviewLine held = Lot("L4", false, 0);
    held.State = QStringLiteral("Blocat");
    held.Reason = QStringLiteral("analiza");
    held.EnteredLater = true; // the standing says more than the day it entered
    TLotPreviewLine later = Lot("L5", false, 0);
    later.EnteredLater = true;
    preview.Lines = {soon, expired, plain, held, later};
    panel.showLots(QStringLiteral("01 .A"), preview, fw::TFormatSettings());

    const struct {
        QStringList Cells;
        QColor Colour; // invalid: the grid's own
        bool Bold;
    } rows[] = {
        {{"L1", "01", "02/11/2026", "20/12/2026", "1,234.5", "10.25", "expira curand"}, QColor(170, 100, 0), true},
        {{"L2", "01", "02/11/2026", "20/12/2026", "1,234.5", "3", "expirat"}, QColor(200, 0, 0), true},
        {{"L3", "01", "02/11/2026", "", "1,234.5", "", ""}, QColor(), false},
        {{"L4", "01", "02/11/2026", "20/12/2026", "1,234.5", "", "Blocat (analiza), nu se consuma"}, QColor(200, 0, 0), false},
        {{"L5", "01", "02/11/2026", "20/12/2026", "1,234.5", "", "intrat dupa receptie, nu se consuma"},
         QColor(128, 128, 128), false},
    };
    auto* grid = Named<QTableWidget>(&panel, "LotsGrid");
    ASSERT_EQ(grid->rowCount(), int(std::size(rows)));
    for (int r = 0; r < grid->rowCount(); ++r) {
        const auto& want = rows[r];
        for (int c = 0; c < grid->columnCount(); ++c) {
            const QTableWidgetItem* item = grid->item(r, c);
            EXPECT_EQ(item->text(), want.Cells.value(c)) << r << "," << c;
            EXPECT_EQ(item->font().bold(), want.Bold) << r << "," << c;
            if (want.Colour.isValid())
                EXPECT_EQ(item->foreground().color(), want.Colour) << r << "," << c;
            else
                EXPECT_EQ(item->foreground().style(), Qt::NoBrush) << r << "," << c;
        }
        // The quantities line up on the right.
        EXPECT_TRUE(grid->item(r, 4)->textAlignment() & Qt::AlignRight) << r;
        EXPECT_TRUE(grid->item(r, 5)->textAlignment() & Qt::AlignRight) << r;
        EXPECT_FALSE(grid->item(r, 0)->textAlignment() & Qt::AlignRight) << r;
    }
}

TEST(LotPreviewPanel, TheCaptionSaysWhetherTheLotsCoverTheRowAndClearingEmptiesThePanel)
{
    TLotPreviewPanel panel(nullptr);
    auto* caption = Named<QLabel>(&panel, "LotsCaption");
    auto* grid = Named<QTableWidget>(&panel, "LotsGrid");
    EXPECT_EQ(caption->text(), "Loturile din care se consuma materialul randului curent");
    TLotPreview preview;
    preview.Lines = {Lot("L1", true, 2)};
    panel.showLots(QStringLiteral("01 .A"), preview, fw::TFormatSettings());
    EXPECT_EQ(caption->text(), "Loturile din care se consuma 01 .A, in ordinea consumului");
    preview.Short = true;
    panel.showLots(QStringLiteral("01 .B"), preview, fw::TFormatSettings());
    EXPECT_EQ(caption->text(), "Loturile materialului 01 .B: nu acopera cantitatea, randul nu intra in document");
    EXPECT_EQ(grid->rowCount(), 1);
    panel.clearLots();
    EXPECT_EQ(caption->text(), "Loturile din care se consuma materialul randului curent");
    EXPECT_EQ(grid->rowCount(), 0);
}

} // namespace

// The requirement's stock figures of a material read from the totals the engine keeps: the
// lots the document's day leaves out (entered after it, expired) come off them, and they
// follow the lots as they are written.
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "RequirementCompany.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

// The receipt is dated 7 December 2026; .M keeps 30 days, so a lot that entered before
// 7 November has expired. Quantities are powers of two: every sum names its lots.
//   _MP1: L1 entered 1.11 (expired) 1; L2 20.11 2; L3 8.12, after the receipt, 4; L4 undated 8;
//   _MP2: L5 7.12, the receipt's day, 16; L6 6.11 (expired, the day before the limit) 32;
//   PF1, not a raw materials' warehouse: L7 64.
// Counted on the day: 1 + 2 + 8 + 16 + 32 = 59, of which 1 + 32 = 33 expired.
struct FiguresCompany : RequirementCompany {
    explicit FiguresCompany(bool drawExpired)
    {
        production.Context.Settings.FixedDirectory = iniDir.Path();
        production.Context.Settings.DrawExpiredLots = drawExpired;
        company.Add(fw::CatalogDB, {{"01", ".M", "Lapte", QVariant(), QString(), "kg", 10.0, "RON", 19.0, 0.0, "371", "607",
                                     "4426", "4427", "446", "378", "707", 0.0, 30.0}});
        Lot("_MP1", 1, "L1", QDate(2026, 11, 1));
        Lot("_MP1", 2, "L2", QDate(2026, 11, 20));
        Lot("_MP1", 4, "L3", QDate(2026, 12, 8));
        Lot("_MP1", 8, "L4", {});
        Lot("_MP2", 16, "L5", QDate(2026, 12, 7));
        Lot("_MP2", 32, "L6", QDate(2026, 11, 6));
        Lot("PF1", 64, "L7", QDate(2026, 12, 1));
        Receipt(1, {});
    }
    void Lot(const char* warehouse, double quantity, const char* lot, const QVariant& entry)
    {
        company.Add(fw::StocDB, {{quantity, ".M", "01", warehouse, 2.5, lot, "ADM", 1.0, 1.0, entry}});
    }
    // Receipt 1's requirement with one row of 5 of .M: "exist/final/expired".
    std::string Figures()
    {
        PrepareRequirement(*dm, 1);
        TTable* temp = dm->Requirement().TempTable();
        temp->AppendRecord({"01", ".M", 5.0});
        temp->First();
        auto text = [&](const char* field) { return temp->FieldByName(field)->AsString(); };
        return (text("StocExist") + "/" + text("StocFin") + "/" + text("StocExpirat")).toStdString();
    }
    testsupport::TempDir iniDir;
};

TEST(RequirementFigures, TheLotsTheDayLeavesOutComeOffTheKeptTotals)
{
    {
        FiguresCompany c(false);
        EXPECT_EQ(c.Figures(), "26/21/33");
        // Written by another program, straight to the engine: the totals follow.
        testsupport::RawColumn(c.company.Dir(), "UPDATE Stoc SET Cantitate = 3 WHERE Lot = 'L2'");   // +1
        testsupport::RawColumn(c.company.Dir(), "UPDATE Stoc SET Data_intrare = '2026-12-06' WHERE Lot = 'L3'"); // entered before now: +4
        testsupport::RawColumn(c.company.Dir(), "UPDATE Stoc SET Cod_gestiune = 'PF1' WHERE Lot = 'L5'"); // out of the counted: -16
        testsupport::RawColumn(c.company.Dir(), "DELETE FROM Stoc WHERE Lot = 'L6'");                    // expired gone: 33 -> 1
        EXPECT_EQ(c.Figures(), "15/10/1");
    }
    {
        FiguresCompany c(true); // expired lots drawn: nothing is expired
        EXPECT_EQ(c.Figures(), "59/54/");
    }
}

} // namespace

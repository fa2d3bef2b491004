// What a consumption document records of the receipt lines each of its lines fed, and how a
// quantity is shared among them.
#include "data/Genealogy.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "RequirementCompany.h"

#include <gtest/gtest.h>
#include <map>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

TEST(GenealogyShare, SharesAddUpToTheQuantityInMillionths)
{
    // 1 in thirds: 333333.33 millionths each, the one left over to the first of equals.
    EXPECT_EQ(ShareOut(1, {1, 1, 1}), (std::vector<double>{0.333334, 0.333333, 0.333333}));
    // 30 as 26:20: 16956521.74 and 13043478.26 millionths; the first lost most.
    EXPECT_EQ(ShareOut(30, {26, 20}), (std::vector<double>{16.956522, 13.043478}));
    EXPECT_EQ(ShareOut(-5, {200, 50}), (std::vector<double>{-4, -1}));
    // Nothing to share by: nothing shared.
    EXPECT_EQ(ShareOut(5, {0, 0}), (std::vector<double>{0, 0}));
}

TEST(Genealogy, EachFinishedLineGetsOnlyItsOwnShareOfEachLotAndTheSharesSumToTheDocument)
{
    TMessageRecorder messages;
    RequirementCompany c;
    c.company.Article("01", ".LAPTE", "Lapte");
    c.company.Article("01", ".CULT", "Cultura");
    c.company.Article("01", ".SARE", "Sare"); // in no recipe: the user types it
    c.company.Article("02", "IAURT", "Iaurt", 100.0);
    c.company.Article("02", "SMANT", "Smantana", 100.0);
    c.company.RecipeRow("IAURT", ".LAPTE", "01", 13);
    c.company.RecipeRow("IAURT", ".CULT", "01", 0.5);
    c.company.RecipeRow("SMANT", ".LAPTE", "01", 40);
    // Two lots of milk, each naming the receipt line it came from.
    c.company.Add(fw::StocDB, {{30.0, ".LAPTE", "01", "_FRG", 2.5, "LC-1", "ADM", 90.0, 3.0, QDate(2026, 11, 2)},
                               {100.0, ".LAPTE", "01", "_FRG", 2.0, "LC-2", "ADM", 91.0, 1.0, QDate(2026, 11, 3)}});
    c.company.Lot("01", ".CULT", "_FRG", 10, "CU-1");
    c.company.Lot("01", ".SARE", "_MP", 10, "SA-1");
    // Yoghurt 200 asks 26 of milk and 1 of culture; cream 50 asks 20 of milk.
    c.Receipt(5, {{"02", "IAURT", 200}, {"02", "SMANT", 50}});
    PrepareRequirement(*c.dm, 5);
    c.dm->Requirement().TempTable()->AppendRecord({"01", ".SARE", 5.0});
    ASSERT_EQ(GenerateConsumption(*c.dm, 5, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    ASSERT_EQ(J(c.Lines()), "1 01/.CULT CU-1 1.0 | 2 01/.LAPTE LC-1 30.0 | 3 01/.LAPTE LC-2 16.0 | 4 01/.SARE SA-1 5.0");

    // LC-1's 30 as 26:20, LC-2's 16 as 26:20, the salt by the lines' quantities 200:50.
    EXPECT_EQ(c.Joined("SELECT Contor_out, Contor_secundar_out, Contor_produs, Contor_secundar_produs, Cantitate, "
                       "Cod_grupa, Cod_articol, Lot, Cod_gestiune, Pret_achizitie, Agent, Contor_in, Contor_secundar_in, "
                       "Data_intrare FROM Genealogie ORDER BY Contor_secundar_out, Contor_secundar_produs"),
              (QStringList{"8.0|1.0|5.0|1.0|1.0|01|.CULT|CU-1|_FRG|2.5|ADM|NULL|NULL|NULL",
                           "8.0|2.0|5.0|1.0|16.956522|01|.LAPTE|LC-1|_FRG|2.5|ADM|90.0|3.0|2026-11-02",
                           "8.0|2.0|5.0|2.0|13.043478|01|.LAPTE|LC-1|_FRG|2.5|ADM|90.0|3.0|2026-11-02",
                           "8.0|3.0|5.0|1.0|9.043478|01|.LAPTE|LC-2|_FRG|2.0|ADM|91.0|1.0|2026-11-03",
                           "8.0|3.0|5.0|2.0|6.956522|01|.LAPTE|LC-2|_FRG|2.0|ADM|91.0|1.0|2026-11-03",
                           "8.0|4.0|5.0|1.0|4.0|01|.SARE|SA-1|_MP|2.5|ADM|NULL|NULL|NULL",
                           "8.0|4.0|5.0|2.0|1.0|01|.SARE|SA-1|_MP|2.5|ADM|NULL|NULL|NULL"}));
    // The yoghurt line got exactly its 26 of milk, the cream line its 20.
    std::map<QString, double> milk;
    for (const QVariantList& r : c.Rows("SELECT Contor_secundar_produs, Cantitate FROM Genealogie WHERE Cod_articol = '.LAPTE'"))
        milk[testsupport::AsText(r[0])] += r[1].toDouble();
    EXPECT_NEAR(milk["1.0"], 26, 1e-9);
    EXPECT_NEAR(milk["2.0"], 20, 1e-9);
    EXPECT_EQ(messages.Count(), 0);
}

TEST(Genealogy, AReceiptWithoutLinesStillKeepsTheLotDrawn)
{
    TMessageRecorder messages;
    RequirementCompany c;
    c.company.Article("01", ".A", "A");
    c.company.Lot("01", ".A", "_MP", 5, "L1");
    c.Receipt(1, {});
    PrepareRequirement(*c.dm, 1);
    c.dm->Requirement().TempTable()->AppendRecord({"01", ".A", 5.0});
    ASSERT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    // The lot is gone from the stock, and kept here.
    EXPECT_EQ(J(c.Lots()), "");
    EXPECT_EQ(c.Joined("SELECT Contor_secundar_out, Contor_produs, Cantitate, Lot FROM Genealogie"),
              QStringList{"1.0|NULL|5.0|L1"});
}

} // namespace

// Following a lot through the genealogy the consumption documents wrote, and through
// consumption documents written without one, against a real company database.
#include "RecallPlant.h"

#include <gtest/gtest.h>
#include <map>

using namespace corvanel;

namespace {

// Texts compared as std::string, which a failure prints as text.
const std::string Heading = "Nivel;Tip;Numar;Data;Partener;Cod_grupa;Cod_articol;Lot;Cantitate;Estimat;Cota\n";

// Milk LC-1 (bought from FERMA1) makes the starter M-1 (receipt 100), the starter makes
// yoghurt I-1 and cream S-1 (receipt 110); the yoghurt is sold to two customers in parts.
struct RecallCompany : TRecallPlant {
    RecallCompany()
    {
        company.Add(fw::FurnDB, {{"FERMA1", "Ferma Unu"}});
        company.Article("01", ".LAPTE", "Lapte crud");
        company.Article("03", "MAIA", "Maia");
        company.Article("02", "IAURT", "Iaurt", 100.0);
        company.Article("02", "SMANT", "Smantana");
        company.Add(fw::DocInDB, {{90.0, QDate(2026, 11, 1), 11.0, "NIR", QDate(2026, 11, 1), "FERMA1"},
                                  {100.0, QDate(2026, 11, 5), 20.0, "PRD", QDate(2026, 11, 5), "MPO"},
                                  {110.0, QDate(2026, 11, 6), 30.0, "PRD", QDate(2026, 11, 6), "MPO"}});
        company.Add(fw::ItemInDB, {{90.0, 1.0, "_FRG", "01", ".LAPTE", "LC-1", 500.0},
                                   {100.0, 1.0, "_FRG", "03", "MAIA", "M-1", 30.0},
                                   {110.0, 1.0, "PF", "02", "IAURT", "I-1", 200.0},
                                   {110.0, 2.0, "PF", "02", "SMANT", "S-1", 50.0}});
        Document(8, "BMC", 20, QDate(2026, 11, 5), "", {{"01", ".LAPTE", "LC-1", 30}});
        Document(9, "BMC", 30, QDate(2026, 11, 6), "", {{"03", "MAIA", "M-1", 30}});
        Fed(8, 1, 100, 1, 30, {"01", ".LAPTE", "LC-1"}, 90);
        Fed(9, 1, 110, 1, 20, {"03", "MAIA", "M-1"}, 100);
        Fed(9, 1, 110, 2, 10, {"03", "MAIA", "M-1"}, 100);
        Document(12, "FAC", 501, QDate(2026, 11, 7), "CLIENT A", {{"02", "IAURT", "I-1", 120}});
        Document(13, "FAC", 502, QDate(2026, 11, 8), "CLIENT B", {{"02", "IAURT", "I-1", 80}});
        dm = &production.Connect(company);
    }
    TProductionData* dm = nullptr;
};

TEST(Recall, ForwardReachesEveryLevelAndEveryShipmentWithItsQuantity)
{
    RecallCompany c;
    EXPECT_EQ(c.Csv("LC-1", TRecallDirection::Forward),
              Heading + "1;PRD;20;2026-11-05;MPO;03;MAIA;M-1;30;0;30\n"
                        "2;PRD;30;2026-11-06;MPO;02;IAURT;I-1;20;0;20\n"
                        "2;FAC;501;2026-11-07;CLIENT A;02;IAURT;I-1;120;0;12\n"
                        "2;FAC;502;2026-11-08;CLIENT B;02;IAURT;I-1;80;0;8\n"
                        "2;PRD;30;2026-11-06;MPO;02;SMANT;S-1;10;0;10\n");
    TLotWalk walk(c.production.Context.Session(), QStringLiteral("KRBPROD"));
    const std::vector<TRecallTotal> totals = RecallTotals(walk.Follow(walk.FindLots("LC-1"), TRecallDirection::Forward));
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ((totals[0].Partner + " " + QString::number(totals[0].Quantity)).toStdString(), "CLIENT A 12");
    EXPECT_EQ((totals[1].Partner + " " + QString::number(totals[1].Quantity)).toStdString(), "CLIENT B 8");
}

TEST(Recall, BackwardReachesTheRawMaterialAndItsSupplier)
{
    RecallCompany c;
    EXPECT_EQ(c.Csv("I-1", TRecallDirection::Backward),
              Heading + "1;PRD;20;2026-11-05;MPO;03;MAIA;M-1;20;0;20\n"
                        "2;NIR;11;2026-11-01;FERMA1;01;.LAPTE;LC-1;30;0;20\n");
    TLotWalk walk(c.production.Context.Session(), QStringLiteral("KRBPROD"));
    const TRecall recall = walk.Follow(walk.FindLots("I-1"), TRecallDirection::Backward);
    const std::vector<TRecallTotal> totals = RecallTotals(recall);
    ASSERT_EQ(totals.size(), 2u);
    EXPECT_EQ((totals[0].Partner + " " + totals[0].Article + " " + QString::number(totals[0].Quantity)).toStdString(),
              "Ferma Unu .LAPTE 20");
}

TEST(Recall, ALotNotReleasedSaysSoInTheTreeButNotInTheCsv)
{
    RecallCompany c;
    ChangeLotState(*c.dm, {"03", "MAIA", "M-1"}, TLotState::Held, "suspect contaminare", "ana");
    ChangeLotState(*c.dm, {"02", "SMANT", "S-1"}, TLotState::NonConforming, "NTG", "lab");
    TLotWalk walk(c.production.Context.Session(), QStringLiteral("KRBPROD"));
    const TRecall recall = walk.Follow(walk.FindLots("LC-1"), TRecallDirection::Forward);
    std::map<std::string, std::string> elements;
    for (const TRecallLine& line : RecallLines(recall, fw::TFormatSettings()))
        if (line.Node->Kind == TRecallKind::Lot)
            elements[line.Node->Lot.Lot.toStdString()] = line.Element.toStdString();
    EXPECT_EQ(elements["LC-1"], "Lot LC-1  01/.LAPTE  Lapte crud, 500 kg");
    EXPECT_EQ(elements["M-1"], "Lot M-1  03/MAIA  Maia, 30 kg (Blocat: suspect contaminare)");
    EXPECT_EQ(elements["I-1"], "Lot I-1  02/IAURT  Iaurt, 200 kg");
    EXPECT_EQ(elements["S-1"], "Lot S-1  02/SMANT  Smantana, 50 kg (Neconform: NTG)");
    EXPECT_EQ(RecallCsv(recall).count(QStringLiteral("Blocat")), 0);
}

TEST(Recall, ACycleStopsWithAMark)
{
    RecallCompany c;
    // Some of the yoghurt went back into the starter.
    c.Document(14, "BMC", 20, QDate(2026, 11, 9), "", {{"02", "IAURT", "I-1", 5}});
    c.Fed(14, 1, 100, 1, 5, {"02", "IAURT", "I-1"}, 110);
    TLotWalk walk(c.production.Context.Session(), QStringLiteral("KRBPROD"));
    const TRecall recall = walk.Follow(walk.FindLots("M-1"), TRecallDirection::Forward);
    const QString text = RecallText(recall, c.production.Context.Formats);
    EXPECT_TRUE(text.contains("ciclu")) << text.toStdString();
    EXPECT_EQ(c.Csv("M-1", TRecallDirection::Forward),
              Heading + "1;PRD;30;2026-11-06;MPO;02;IAURT;I-1;20;0;20\n"
                        "1;FAC;501;2026-11-07;CLIENT A;02;IAURT;I-1;120;0;12\n"
                        "1;FAC;502;2026-11-08;CLIENT B;02;IAURT;I-1;80;0;8\n"
                        "2;PRD;20;2026-11-05;MPO;03;MAIA;M-1;5;0;0.5\n"
                        "1;PRD;30;2026-11-06;MPO;02;SMANT;S-1;10;0;10\n");
}

TEST(Recall, ADocumentWithoutGenealogyIsTiedToItsReceiptAndEstimated)
{
    RecallCompany c;
    // Culture drawn for receipt 110 (number 30 of 2026-11-06) before genealogy was kept:
    // shared by the recipes, yoghurt 200 x 0.5 / 100 = 1, cream asks none.
    c.company.Article("01", ".CULT", "Cultura");
    c.company.RecipeRow("IAURT", ".CULT", "01", 0.5);
    c.company.Add(fw::DocInDB, {{80.0, QDate(2026, 10, 1), 7.0, "NIR", QDate(2026, 10, 1), "FERMA1"}});
    c.company.Add(fw::ItemInDB, {{80.0, 1.0, "_FRG", "01", ".CULT", "CU-1", 5.0}});
    c.Document(15, "BMC", 30, QDate(2026, 11, 6), "", {{"01", ".CULT", "CU-1", 1.5}});
    EXPECT_EQ(c.Csv("CU-1", TRecallDirection::Forward),
              Heading + "1;PRD;30;2026-11-06;MPO;02;IAURT;I-1;1.5;1;1.5\n"
                        "1;FAC;501;2026-11-07;CLIENT A;02;IAURT;I-1;120;0;0.9\n"
                        "1;FAC;502;2026-11-08;CLIENT B;02;IAURT;I-1;80;0;0.6\n");
    EXPECT_EQ(c.Csv("I-1", TRecallDirection::Backward),
              Heading + "1;PRD;20;2026-11-05;MPO;03;MAIA;M-1;20;0;20\n"
                        "2;NIR;11;2026-11-01;FERMA1;01;.LAPTE;LC-1;30;0;20\n"
                        "1;NIR;7;2026-10-01;FERMA1;01;.CULT;CU-1;1.5;1;1.5\n");
}

TEST(Recall, LotsAreFoundByNameOrByArticle)
{
    RecallCompany c;
    TLotWalk walk(c.production.Context.Session(), QStringLiteral("KRBPROD"));
    EXPECT_TRUE(walk.FindLots("NU-EXISTA").empty());
    EXPECT_TRUE(walk.FindLots("I-1", "02", "SMANT").empty());
    ASSERT_EQ(walk.FindLots("I-1", "02", "IAURT").size(), 1u);
    const std::vector<TLotSummary> lots = walk.LotsOf("02", "IAURT");
    ASSERT_EQ(lots.size(), 1u);
    EXPECT_EQ(lots[0].Lot, "I-1");
    EXPECT_EQ(lots[0].Received, 200);
    // The day of its first receipt, not day 0 (30.12.1899), whatever form the engine gives
    // the earliest date in.
    EXPECT_EQ(lots[0].FirstReceived, QDate(2026, 11, 6));
}

TEST(Recall, ALevelOfManyLotsIsReadWholeBothWays)
{
    // The milk goes into eleven yoghurt lots, each on a receipt of its own, and each of those
    // is shipped: more lots on one level than the walk asks about in one small statement.
    RecallCompany c;
    QString forward = QString::fromStdString(Heading) + "1;PRD;20;2026-11-05;MPO;03;MAIA;M-1;30;0;30\n"
                                "2;PRD;30;2026-11-06;MPO;02;IAURT;I-1;20;0;20\n"
                                "2;FAC;501;2026-11-07;CLIENT A;02;IAURT;I-1;120;0;12\n"
                                "2;FAC;502;2026-11-08;CLIENT B;02;IAURT;I-1;80;0;8\n"
                                "2;PRD;30;2026-11-06;MPO;02;SMANT;S-1;10;0;10\n";
    for (int i = 1; i <= 11; ++i) {
        const double receipt = 200 + i;
        const QString lot = QStringLiteral("IM-%1").arg(i);
        c.company.Add(fw::DocInDB, {{receipt, QDate(2026, 11, 10), receipt, "PRD", QDate(2026, 11, 10), "MPO"}});
        c.company.Add(fw::ItemInDB, {{receipt, 1.0, "PF", "02", "IAURT", lot, 10.0 * i}});
        c.Document(300 + i, "BMC", receipt, QDate(2026, 11, 10), "", {{"01", ".LAPTE", "LC-1", double(i)}});
        c.Fed(300 + i, 1, receipt, 1, i, {"01", ".LAPTE", "LC-1"}, 90);
        c.Document(400 + i, "FAC", 600 + i, QDate(2026, 11, 11), QStringLiteral("CLIENT %1").arg(i),
                   {{"02", "IAURT", lot, 5.0 * i}});
        // Lot IM-i holds i of the milk in 10 i, and half of it is shipped.
        forward += QStringLiteral("1;PRD;%1;2026-11-10;MPO;02;IAURT;%2;%3;0;%3\n").arg(receipt).arg(lot).arg(i);
        forward += QStringLiteral("1;FAC;%1;2026-11-11;CLIENT %2;02;IAURT;%3;%4;0;%5\n")
                       .arg(600 + i).arg(i).arg(lot).arg(5 * i).arg(i / 2.0);
    }
    EXPECT_EQ(c.Csv("LC-1", TRecallDirection::Forward), forward.toStdString());
    EXPECT_EQ(c.Csv("IM-11", TRecallDirection::Backward), Heading + "1;NIR;11;2026-11-01;FERMA1;01;.LAPTE;LC-1;11;0;11\n");
}

} // namespace

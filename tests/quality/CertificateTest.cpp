// The certificate of analysis of a finished lot: its results against the norms in force and
// the lots it was made from, one step back, each once, with their supplier and standing.
#include "data/LabResults.h"
#include "quality/Certificate.h"
#include "recall/RecallPlant.h"

#include <gtest/gtest.h>

using namespace corvanel;

namespace {

std::string Lines(const TCertificateLot& lot)
{
    std::string out = (lot.Lot.Group + "/" + lot.Lot.Code + " " + lot.Lot.Lot + " " + lot.Name + " | " + lot.Supplier + " | "
                       + lot.Standing + "\n")
                          .toStdString();
    for (const TCertificateResult& r : lot.Results)
        out += QStringList{r.Parameter, r.Value, r.Unit, r.Norm, r.Verdict, r.Date}.join(" | ").toStdString() + "\n";
    return out;
}

// Yoghurt I-1 (receipt 110) made from milk LC-1, bought from FERMA1 and drawn twice, and
// cultures CU-1 that no supplier brought (opening stock) and nobody analysed.
TEST(Certificate, TheLotsResultsAgainstTheirNormsAndEachRawLotOnceWithItsOwn)
{
    TRecallPlant p;
    p.company.Add(fw::FurnDB, {{"FERMA1", "Ferma Unu"}});
    p.company.Article("01", ".LAPTE", "Lapte crud");
    p.company.Article("01", ".CULTI", "Culturi");
    p.company.Article("02", "IAURT", "Iaurt", 100.0);
    p.Receipt(90, 11, "NIR", QDate(2026, 11, 1), "FERMA1", {{"01", ".LAPTE", "LC-1", 500}});
    p.Receipt(95, 12, "NIR", QDate(2026, 11, 1), "", {{"01", ".CULTI", "CU-1", 1}});
    p.Receipt(110, 30, "PRD", QDate(2026, 11, 6), "MPO", {{"02", "IAURT", "I-1", 200}});
    p.Document(8, "BMC", 30, QDate(2026, 11, 6), "", {{"01", ".LAPTE", "LC-1", 150}, {"01", ".CULTI", "CU-1", 0.1}});
    p.Document(9, "BMC", 31, QDate(2026, 11, 6), "", {{"01", ".LAPTE", "LC-1", 50}});
    p.Fed(8, 1, 110, 1, 150, {"01", ".LAPTE", "LC-1"}, 90);
    p.Fed(8, 2, 110, 1, 0.1, {"01", ".CULTI", "CU-1"}, 95);
    p.Fed(9, 1, 110, 1, 50, {"01", ".LAPTE", "LC-1"}, 90);
    // The article's own norm for fat, the group's for pH and listeria, none for acidity.
    p.company.Add(fw::NormeCalitateDB, {{"02", "IAURT", "GRASIME", 3.0, 3.6, QVariant()},
                                        {"02", QVariant(), "PH", 4.0, QVariant(), QVariant()},
                                        {"02", QVariant(), "LISTERIA", QVariant(), QVariant(), "absent"},
                                        {"01", QVariant(), "NTG", QVariant(), 100000.0, QVariant()}});
    TProductionData& dm = p.production.Connect(p.company);
    fw::Connection& engine = *dm.ProductionDatabase->GetConnection();
    RecordLabResults(dm,
                     ReadLabCsv(engine, "Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Data\n"
                                        "02;IAURT;I-1;GRASIME;3.4;2026-11-07\n"
                                        "02;IAURT;I-1;PH;4.2;2026-11-07\n"
                                        "02;IAURT;I-1;LISTERIA;absent;2026-11-08\n"
                                        "02;IAURT;I-1;ACIDITATE;95;2026-11-07\n"
                                        "01;.LAPTE;LC-1;NTG;120000;2026-11-02\n"),
                     "MPO", QDateTime(QDate(2026, 11, 8), QTime(9, 0)));

    TLotWalk walk(p.production.Context.Session(), QStringLiteral("KRBPROD"));
    const TCertificate c = ReadCertificate(walk, engine, {"02", "IAURT", "I-1"});
    EXPECT_EQ(Lines(c.Product), "02/IAURT I-1 Iaurt |  | Eliberat\n"
                                "Grasime | 3.4 | % | 3 - 3.6 | conform | 2026-11-07\n"
                                "pH | 4.2 |  | >= 4 | conform | 2026-11-07\n"
                                "Listeria monocytogenes | absent | in 25 g | absent | conform | 2026-11-08\n"
                                "Aciditate | 95 | °T | fara norma | conform | 2026-11-07\n");
    ASSERT_EQ(c.Materials.size(), 2u);
    EXPECT_EQ(Lines(c.Materials[0]), "01/.LAPTE LC-1 Lapte crud | Ferma Unu | Neconform: In afara normei: NTG=120000\n"
                                     "Numar total de germeni la 30 °C | 120000 | germeni/ml | <= 100000 | neconform | 2026-11-02\n");
    EXPECT_EQ(Lines(c.Materials[1]), "01/.CULTI CU-1 Culturi | Stoc initial | Eliberat\n");
}

} // namespace

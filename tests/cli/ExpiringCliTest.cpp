// "expiring": the lots near or past their expiry, as CSV and as text.
#include "CliFixture.h"
#include "platform/db/Connection.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace clitest;

namespace {

TEST(ExpiringCli, ListsTheLotsNearOrPastExpiryAsCsvAndText)
{
    TDairy dairy;
    fw::Connection::Open(dairy.Dir())->Exec("UPDATE CATALOG SET ZileValabilitate = 3 WHERE Cod = '.LAPTE'");
    dairy.c.Add(fw::StocDB, {{10.0, ".LAPTE", "01", "_FRG", 2.5, "LC-9", "ADM", 1.0, 1.0, QDate(2026, 12, 5)},
                             {7.0, ".LAPTE", "01", "_FRG", 2.5, "LC-8", "ADM", 1.0, 2.0, QDate(2026, 12, 1)},
                             {3.0, ".LAPTE", "01", "_MP", 2.5, "LC-7", "ADM", 1.0, 3.0, QDate(2026, 12, 4)}});
    ASSERT_EQ(Corvanel({"lot-status", "--company", dairy.Dir(), "--article", "01/.LAPTE", "--lot", "LC-8", "--hold",
                        "--reason", "Expirat"})
                  .Status,
              0);
    const TRun csv = Corvanel({"expiring", "--company", dairy.Dir(), "--date", "2026-12-07", "--days", "1",
                               "--warehouses", "_FRG", "--csv"});
    EXPECT_EQ(csv.Status, 0) << Said(csv);
    // 1.12 + 3 days expired on 4.12; 5.12 + 3 expires on 8.12, within the one day.
    EXPECT_EQ(csv.Out, "Cod_gestiune;Cod_grupa;Cod_articol;Denumire;Unitate_masura;Lot;Data_intrare;Data_expirare;"
                       "Zile_ramase;Cantitate;Pret_achizitie;Valoare;Stare\n"
                       "_FRG;01;.LAPTE;Lapte crud;kg;LC-8;2026-12-01;2026-12-04;-3;7;2.5;17.5;Blocat\n"
                       "_FRG;01;.LAPTE;Lapte crud;kg;LC-9;2026-12-05;2026-12-08;1;10;2.5;25;Eliberat\n");
    const TRun text = Corvanel({"expiring", "--company", dairy.Dir(), "--date", "2026-12-07", "--days", "1"});
    EXPECT_EQ(text.Status, 0) << Said(text);
    EXPECT_TRUE(text.Out.contains("Gestiunea _FRG\n") && text.Out.contains("Gestiunea _MP\n")) << Said(text);
    EXPECT_TRUE(text.Out.contains("lot LC-8 (Blocat)") && text.Out.contains("expirat de 3 zile")) << Said(text);
    testsupport::TempDir out;
    const QString pdf = out.File("expira.pdf");
    const TRun report = Corvanel({"expiring", "--company", dairy.Dir(), "--date", "2026-12-07", "--pdf", pdf});
    EXPECT_EQ(report.Status, 0) << Said(report);
    EXPECT_TRUE(QFile(pdf).size() > 1000) << Said(report);
    const TRun wrong = Corvanel({"expiring", "--company", dairy.Dir(), "--days", "-1"});
    EXPECT_EQ(wrong.Status, 3) << Said(wrong);
}

} // namespace

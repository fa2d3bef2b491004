// "quality": a laboratory's CSV imported from a script, all of it or none, and listed.
#include "CliFixture.h"

#include "TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace clitest;

namespace {

TEST(QualityCli, ImportsAllRowsOrNoneAndListsThemWithTheirNorms)
{
    TDairy dairy;
    const QString dir = dairy.Dir();
    dairy.c.Add(fw::NormeCalitateDB, {{"01", ".LAPTE", "NTG", QVariant(), 100000.0, QVariant()}});
    const QString csv = dir + "/../analize.csv";
    const auto write = [&](const QByteArray& text) {
        QFile f(csv);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Data\n" + text);
    };
    write("01;.LAPTE;LC-1;NTG;120000;2026-11-02\n01;.LAPTE;LC-2;NTG;abc;2026-11-02\n");
    const TRun refused = Corvanel({"quality", "import", "--company", dir, "--csv", csv});
    EXPECT_EQ(refused.Status, 3) << Said(refused);
    EXPECT_TRUE(refused.Err.contains("Randul 3: valoarea <abc> a parametrului NTG nu este un numar")) << Said(refused);
    EXPECT_EQ(Corvanel({"quality", "list", "--company", dir, "--csv", "-"}).Out.count('\n'), 1); // the header alone

    write("01;.LAPTE;LC-1;NTG;120000;2026-11-02\n01;.LAPTE;LC-2;NTG;100000;2026-11-02\n");
    const TRun imported = Corvanel({"quality", "import", "--company", dir, "--csv", csv});
    EXPECT_EQ(imported.Status, 0) << Said(imported);
    EXPECT_TRUE(imported.Err.contains("01/.LAPTE LC-1")) << Said(imported);
    const TRun listed = Corvanel({"quality", "list", "--company", dir, "--csv", "-", "--article", "01/.LAPTE", "--lot", "LC-2"});
    EXPECT_EQ(listed.Out, "Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Unitate;Minim;Maxim;Asteptat;Conform;Data;Agent\n"
                          "01;.LAPTE;LC-2;NTG;100000;germeni/ml;;100000;;da;2026-11-02;ADM\n")
        << Said(listed);
    EXPECT_TRUE(Corvanel({"lot-status", "--company", dir, "--article", "01/.LAPTE", "--lot", "LC-1", "--show"})
                    .Out.startsWith("Neconform: In afara normei: NTG=120000\n"));
}

} // namespace

namespace {

// The demo's raw milk is judged by its real norms: a result exactly at a limit passes, one
// just past it stops the lot.
TEST(QualityCli, TheDemosRawMilkIsJudgedByItsNorms)
{
    testsupport::TempDir temp;
    const QString dir = temp.SubDir("demo");
    ASSERT_EQ(Corvanel({"demo", dir}).Status, 0);
    const QString csv = temp.Path() + "/analize.csv";
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Data\n"
            "01;.LAPTE;LC-0901;NCS;400000;2026-09-01\n"
            "01;.LAPTE;LC-0901;PUNCT_CRIOSCOPIC;-0.520;2026-09-01\n"
            "01;.LAPTE;LC-0901;INHIBITORI;negativ;2026-09-01\n"
            "01;.LAPTE;LC-1184;GRASIME;3.19;2026-09-01\n");
    f.close();
    const TRun imported = Corvanel({"quality", "import", "--company", dir, "--csv", csv});
    EXPECT_EQ(imported.Status, 0) << Said(imported);
    const QStringList lot{"lot-status", "--company", dir, "--article", "01/.LAPTE", "--show", "--lot"};
    EXPECT_EQ(Corvanel(lot + QStringList{"LC-0901"}).Out, "Eliberat\n");
    EXPECT_EQ(Corvanel(lot + QStringList{"LC-1184"}).Out.section('\n', 0, 0), "Neconform: In afara normei: GRASIME=3.19");
}

} // namespace

namespace {

// The yoghurt L-01 made from milk LC-1: its certificate names both lots with their results.
TEST(QualityCli, TheCertificateOfALotAndTheMilkItWasMadeFrom)
{
    TDairy dairy;
    const QString dir = dairy.Dir();
    dairy.c.Add(fw::GenealogieDB, {{5.0, 1.0, 1.0, 1.0, 26.0, "01", ".LAPTE", "LC-1", "_FRG", 2.5, "ADM", 0.0, 0.0,
                                    QDate(2026, 11, 3)}});
    dairy.c.Add(fw::NormeCalitateDB, {{"01", ".LAPTE", "NTG", QVariant(), 100000.0, QVariant()},
                                      {"02", "IAURT", "GRASIME", 3.0, 3.6, QVariant()}});
    testsupport::TempDir out;
    const QString csv = out.File("analize.csv");
    QFile f(csv);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("Cod_grupa;Cod_articol;Lot;Parametru;Valoare;Data\n"
            "02;IAURT;L-01;GRASIME;3.4;2026-11-04\n"
            "01;.LAPTE;LC-1;NTG;90000;2026-11-02\n");
    f.close();
    ASSERT_EQ(Corvanel({"quality", "import", "--company", dir, "--csv", csv}).Status, 0);

    const QString pdf = out.File("buletin.pdf");
    const QStringList lot{"quality", "certificate", "--company", dir, "--article", "02/IAURT", "--pdf", pdf, "--lot"};
    const TRun written = Corvanel(lot + QStringList{"L-01"});
    ASSERT_EQ(written.Status, 0) << Said(written);
    const QString text = PdfText(pdf);
    for (const char* said : {"Buletin de analiza", "Lactate SRL", "Produs finit: lot L-01, 02/IAURT Iaurt; stare Eliberat",
                             "Materie prima: lot LC-1, 01/.LAPTE Lapte crud", "<= 100000", "3 - 3.6", "conform"})
        EXPECT_TRUE(text.contains(said)) << said << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("neconform")) << text.toStdString();

    // A lot the company does not have: refused, nothing written.
    QFile::remove(pdf);
    const TRun refused = Corvanel(lot + QStringList{"NU-1"});
    EXPECT_EQ(refused.Status, 3) << Said(refused);
    EXPECT_TRUE(refused.Err.contains("Lotul <NU-1> al articolului <02/IAURT> nu exista")) << Said(refused);
    EXPECT_FALSE(QFile::exists(pdf));
}

} // namespace

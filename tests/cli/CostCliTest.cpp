// "cost" and "variance": the batches of a period as CSV, a workbook and a PDF report.
#include "CliFixture.h"
#include "TempDir.h"

#include <QFile>
#include <QImage>
#include <gtest/gtest.h>

using namespace clitest;

namespace {

TEST(CostCli, ListsEachBatchWithItsMaterialCostBeforeAndAfterItsConsumption)
{
    TDairy dairy;
    const QStringList november{"--company", dairy.Dir(), "--from", "2026-11-01", "--to", "2026-11-30"};
    // Not consumed yet: both batches of the production receipt, at nothing.
    const TRun before = Corvanel(QStringList{"cost"} + november + QStringList{"--csv"});
    EXPECT_EQ(before.Status, 0) << Said(before);
    EXPECT_EQ(before.Out, "Contor;Numar;Data;Cod_grupa;Cod_articol;Lot;Cantitate;Cost_materiale;Cost_unitar;Denumire;"
                          "Loturi_fara_pret\n"
                          "1;1001;2026-11-03;02;IAURT;L-01;2000;0;0;Iaurt;0\n"
                          "1;1001;2026-11-03;02;BRANZA;L-02;100;0;0;Branza;0\n");

    ASSERT_EQ(Corvanel({"consume", "--company", dairy.Dir(), "--counter", "1", "--yes"}).Status, 0);
    // 810 of milk from LC-1 at 2.50, 260 for the yoghurt and 550 for the cheese (the starter,
    // short, left out): 650 for 2000, 1375 for 100.
    const TRun after = Corvanel(QStringList{"cost"} + november + QStringList{"--csv"});
    EXPECT_EQ(after.Status, 0) << Said(after);
    EXPECT_EQ(after.Out.split('\n').mid(1), (QStringList{"1;1001;2026-11-03;02;IAURT;L-01;2000;650;0.325;Iaurt;0",
                                                         "1;1001;2026-11-03;02;BRANZA;L-02;100;1375;13.75;Branza;0", ""}))
        << Said(after);
    // The recipe asked 15 of starter and none was drawn in the period: no price to value the
    // plan at, so its value and the total's are left empty, never 0.
    const TRun variance = Corvanel(QStringList{"variance"} + november + QStringList{"--products", "IAURT", "--csv"});
    EXPECT_EQ(variance.Status, 0) << Said(variance);
    EXPECT_EQ(variance.Out.split('\n').mid(1), (QStringList{"1;1001;2026-11-03;02;IAURT;2000;01;.LAPTE;260;260;0;0;2.5;650;650;0;0",
                                                            "1;1001;2026-11-03;02;IAURT;2000;04;\";MAIA\";15;0;-15;-100;;;0;;",
                                                            "1;1001;2026-11-03;02;IAURT;2000;;TOTAL;275;260;-15;-5.454545454545454;;;650;;",
                                                            ""}))
        << Said(variance);

    testsupport::TempDir out;
    for (const QString& command : {QStringLiteral("cost"), QStringLiteral("variance")})
        for (const QString& option : {QStringLiteral("--xlsx"), QStringLiteral("--pdf")}) {
            const QString file = out.File(command + option.mid(1));
            const TRun written = Corvanel(QStringList{command} + november + QStringList{option, file});
            EXPECT_EQ(written.Status, 0) << Said(written);
            EXPECT_GT(QFile(file).size(), 1000) << Said(written);
        }
    // The products asked for are named under the title, as the menu's report names them.
    const TRun named = Corvanel(QStringList{"variance"} + november + QStringList{"--products", "IAURT", "--pdf", out.File("named.pdf")});
    EXPECT_EQ(named.Status, 0) << Said(named);
    EXPECT_TRUE(PdfText(out.File("named.pdf")).contains("produsele IAURT")) << PdfText(out.File("named.pdf")).toStdString();
    EXPECT_TRUE(PdfText(out.File("variance-pdf")).contains("Necesar"));
    EXPECT_FALSE(PdfText(out.File("variance-pdf")).contains("produsele"));
    const TRun two = Corvanel(QStringList{"cost"} + november + QStringList{"--csv", "--xlsx", out.File("x.xlsx")});
    EXPECT_EQ(two.Status, 3) << Said(two);
    EXPECT_FALSE(QFile::exists(out.File("x.xlsx")));
}

TEST(ChartCli, DrawsTheChartAskedAsAPictureOfTheSizeAsked)
{
    TDairy dairy;
    ASSERT_EQ(Corvanel({"consume", "--company", dairy.Dir(), "--counter", "1", "--yes"}).Status, 0);
    testsupport::TempDir out;
    const QStringList november{"--company", dairy.Dir(), "--from", "2026-11-01", "--to", "2026-11-30"};
    for (const QString& kind : {QStringLiteral("production"), QStringLiteral("unit-cost"), QStringLiteral("variance")}) {
        const QString file = out.File(kind + ".png");
        const TRun drawn = Corvanel(QStringList{"chart"} + november +
                                    QStringList{"--kind", kind, "--png", file, "--width", "640", "--height", "400"});
        EXPECT_EQ(drawn.Status, 0) << Said(drawn);
        EXPECT_EQ(QImage(file).size(), QSize(640, 400)) << kind.toStdString();
    }
    const TRun unknown = Corvanel(QStringList{"chart"} + november + QStringList{"--kind", "pie", "--png", out.File("x.png")});
    EXPECT_EQ(unknown.Status, 3) << Said(unknown);
    EXPECT_FALSE(QFile::exists(out.File("x.png")));
}

} // namespace

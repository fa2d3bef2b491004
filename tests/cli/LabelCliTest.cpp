// "label": a finished lot's GS1 labels as a PDF, and what it refuses before writing any.
#include "CliFixture.h"
#include "platform/schema/CompanyTables.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace clitest;

namespace {

int PdfPages(const QString& file) { return int(PdfText(file).count('\f')); }

// The dairy with a cheese that has a GTIN and keeps 45 days, made on 8 December 2026.
struct TCheeseDairy : TDairy {
    TCheeseDairy()
    {
        c.Add(fw::CatalogDB, {{"02", "CAS", "Cas proaspat", 100.0, QString(), "kg", 24.0, "RON", 9.0, 0.0, "345", "607",
                               "4426", "4427", "446", "378", "701", 0.0, 45.0, "9501101530003"}});
        c.Add(fw::DocInDB, {{2.0, QDate(2026, 12, 8), 1002.0, "BP", QDate(2026, 12, 8), "PROD"}});
        c.Add(fw::ItemInDB, {{2.0, 1.0, "PF", "02", "CAS", "C-1208", 12.5}});
        c.Add(fw::StocDB, {{12.5, "CAS", "02", "PF", 14.4, "C-1208", "ADM", 2.0, 1.0, QDate(2026, 12, 8)}});
    }
};

TEST(LabelCli, TheLabelsOfALotWithoutADisplay)
{
    TCheeseDairy dairy;
    const QString pdf = dairy.c.PrivateDir() + "/etichete.pdf";
    const QStringList lot{"label", "--company", dairy.Dir(), "--article", "02/CAS", "--lot", "C-1208", "--pdf", pdf};
    const TRun printed = Corvanel(lot + QStringList{"--copies", "2"});
    ASSERT_EQ(printed.Status, 0) << Said(printed);
    const QString text = PdfText(pdf);
    EXPECT_EQ(PdfPages(pdf), 2);
    for (const char* said : {"Lactate SRL", "Cas proaspat", "Lot: C-1208", "Data productiei: 08.12.2026",
                             "A se consuma pina la: 22.01.2027", "Cantitate neta: 12,50 kg",
                             "(01)09501101530003(11)261208(17)270122(3102)001250(10)C-1208"})
        EXPECT_TRUE(text.contains(said)) << said << "\n" << text.toStdString();

    // Twelve on A4 sheets of ten; one package of 2 kg.
    const TRun sheets = Corvanel(lot + QStringList{"--size", "A4", "--copies", "12", "--quantity", "2"});
    ASSERT_EQ(sheets.Status, 0) << Said(sheets);
    EXPECT_EQ(PdfPages(pdf), 2);
    EXPECT_EQ(PdfText(pdf).count("(3102)000200(10)C-1208"), 12);

    // Refusals, status 3, and the file left as it was: an article without a GTIN, a lot GS1
    // does not allow, a lot the company does not have, bad options.
    QFile::remove(pdf);
    const struct {
        QStringList args;
        QString said;
    } refused[] = {
        {{"--article", "02/IAURT", "--lot", "L-01"}, "Articolul 02/IAURT (Iaurt) nu are cod de bare (GTIN) in catalog"},
        {{"--article", "02/CAS", "--lot", "C 1208"}, "Lotul \"C 1208\" contine caracterul \" \""},
        {{"--article", "02/CAS", "--lot", "C-1209"}, "Lotul \"C-1209\" al articolului 02/CAS nu exista in firma."},
        {{"--article", "CAS", "--lot", "C-1208"}, "'CAS' nu este un articol pentru --article"},
        {{"--article", "02/CAS", "--lot", "C-1208", "--copies", "0"}, "'0' nu este un numar de etichete valid"},
        {{"--article", "02/CAS", "--lot", "C-1208", "--size", "A5"}, "'A5' nu este o marime de eticheta"},
        {{"--article", "02/CAS", "--lot", "C-1208", "--quantity", "10000"}, "Cantitatea neta 10000.00 kg nu poate fi"},
    };
    for (const auto& r : refused) {
        const TRun run = Corvanel(QStringList{"label", "--company", dairy.Dir(), "--pdf", pdf} + r.args);
        EXPECT_EQ(run.Status, 3) << Said(run);
        EXPECT_TRUE(run.Err.contains(r.said)) << Said(run);
    }
    EXPECT_FALSE(QFile::exists(pdf));
}

// Each of the demo's finished products prints, whatever its unit.
TEST(LabelCli, TheDemosFinishedLotsPrintAsTheyAre)
{
    testsupport::TempDir temp;
    const QString dir = temp.SubDir("demo");
    ASSERT_EQ(Corvanel({"demo", dir}).Status, 0);
    const QVariantList lots = testsupport::RawColumn(
        dir, "SELECT Cod_articol || '|' || MIN(Lot) FROM Stoc WHERE Cod_grupa = '02' GROUP BY Cod_articol ORDER BY 1");
    ASSERT_GE(lots.size(), 6);
    for (const QVariant& lot : lots) {
        const QStringList article = lot.toString().split('|');
        const QString pdf = temp.File(article[0] + ".pdf");
        const TRun run = Corvanel({"label", "--company", dir, "--article", "02/" + article[0], "--lot", article[1], "--pdf", pdf});
        EXPECT_EQ(run.Status, 0) << lot.toString().toStdString() << Said(run);
        EXPECT_TRUE(PdfText(pdf).contains("(10)" + article[1])) << lot.toString().toStdString();
    }
}

} // namespace

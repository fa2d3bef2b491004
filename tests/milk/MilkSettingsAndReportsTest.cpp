// The milk's settings kept in KRBDEF.INI whole or refused, and the statement laid out one
// page per farmer.
#include "Company.h"
#include "ProductionFixture.h"
#include "TempDir.h"
#include "milk/MilkReports.h"
#include "milk/MilkSettings.h"
#include "platform/core/Exceptions.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace corvanel;

namespace {

void Write(const QString& dir, const QByteArray& text)
{
    QFile file(dir + "/KRBDEF.INI");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(MilkSettings, SavedAndReadBackAndAnUnreadableValueRefusesTheWholeSection)
{
    testsupport::TempDir temp;
    const QString dir = temp.SubDir("firma");
    Write(dir, "[Productie]\r\nIndGest=_\r\n");
    TMilkSettings saved;
    saved.Group = "01";
    saved.Article = ".LAPTE";
    saved.Warehouse = "_FRG";
    saved.BasePrice = 2.15;
    saved.PricePerLitre = true;
    saved.FatBonus = -0.5;
    saved.GermClasses = {{100000, 0.05}, {300000, 0.1}};
    saved.Save(dir);
    TMilkSettings read;
    read.Load(dir);
    EXPECT_EQ(read.Article.toStdString(), ".LAPTE");
    EXPECT_DOUBLE_EQ(read.BasePrice, 2.15);
    EXPECT_TRUE(read.PricePerLitre);
    EXPECT_DOUBLE_EQ(read.FatBonus, -0.5);
    EXPECT_EQ(ClassesText(read.GermClasses).toStdString(), "100000:0.05;300000:0.1");
    // The production's section is left as it was.
    QFile file(dir + "/KRBDEF.INI");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().startsWith("[Productie]\r\nIndGest=_\r\n"));

    for (const char* bad : {"PretBaza=2,15", "UnitatePret=tona", "Densitate=0", "ClaseNCS=400000:0.1;300000:0.2"}) {
        Write(dir, QByteArray("[Lapte]\r\nArticol=.X\r\n") + bad + "\r\n");
        TMilkSettings kept = read;
        EXPECT_THROW(kept.Load(dir), fw::EInOutError) << bad;
        EXPECT_EQ(kept.Article.toStdString(), ".LAPTE") << bad; // nothing of the section taken
    }
}

TEST(MilkReports, TheStatementHasAPageForEachFarmerAndTheQualityOneTable)
{
    testsupport::TestCompany company;
    testsupport::TProduction production;
    production.Connect(company);
    TMilkSettings settings;
    std::vector<TFarmerStatement> statements(3);
    std::vector<TFarmerQuality> quality(3);
    for (int i = 0; i < 3; ++i) {
        statements[size_t(i)].Farmer = quality[size_t(i)].Farmer = QString("F%1").arg(i);
        statements[size_t(i)].Month = quality[size_t(i)].Month = QDate(2026, 11, 1);
        statements[size_t(i)].Amount = 100.0 * (i + 1);
    }
    TMilkStatementReport statement(production.Context, "Firma", settings, statements, nullptr);
    const fw::TReportDocument pages = statement.Report->Generate();
    ASSERT_EQ(pages.PageCount(), 3);
    quality[1].Germs.Mean = 120000;
    quality[1].Cells.Mean = 455500;
    TMilkQualityReport table(production.Context, "Firma", QDate(2026, 11, 1), quality, nullptr);
    const fw::TReportDocument tablePages = table.Report->Generate();
    ASSERT_EQ(tablePages.PageCount(), 1);
    // The table ends with the month's means as bars, a farmer without a mean at 0.
    EXPECT_EQ(tablePages.Pages[0].Pictures.size(), 1u);
    const TBarChartData bars = MilkQualityChart(quality);
    EXPECT_EQ(bars.Categories.join(' ').toStdString(), "F0 F1 F2");
    EXPECT_EQ(bars.Series[0].Values, (std::vector<double>{0, 120, 0}));
    EXPECT_EQ(bars.Series[1].Values, (std::vector<double>{0, 455.5, 0}));
    TMilkStatementReport none(production.Context, "Firma", settings, {}, nullptr);
    EXPECT_EQ(none.Report->Generate().PageCount(), 0);
}

} // namespace

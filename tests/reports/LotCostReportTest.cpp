// The report "Costul loturilor fabricate" as a page model: a group a lot, its materials with
// their shares, its cost and cost per unit, and the cost of all lots.
#include "ReportFormats.h"
#include "platform/report/ReportTestSupport.h"
#include "reports/LotCostReport.h"
#include "reports/ProductionCharts.h"
#include "ProductionFixture.h"

#include <gtest/gtest.h>
#include <limits>

using namespace corvanel;
using reporttest::TextsNamed;

namespace {

TEST(LotCostReport, EachLotIsAGroupOfItsMaterialsUnderItsCostAndTheLotsAddUp)
{
    testsupport::TProduction production;
    testsupport::UsePointAndDottedDates(production.Context.Formats);
    TLotCostReport report(production.Context, nullptr);
    report.FirmName = "Lactate Izvoare SRL";
    report.Period = {QDate(2026, 12, 1), QDate(2026, 12, 31)};
    TLotCost yoghurt{{5, 1, 125, QDate(2026, 12, 7), "02", "IAURT", "Iaurt", "kg", "P1", 2000}, 1020.5, 0.51025, 1, {}};
    yoghurt.Materials = {{"01", ".CULT", 1, 40, 3.919647, 1}, {"01", ".LAPTE", 26, 980.5, 96.080353, 0}};
    const TLotCost reversed{{6, 1, 126, QDate(2026, 12, 8), "02", "IAURT", "Iaurt", "kg", "P2", 0}, 0,
                            std::numeric_limits<double>::quiet_NaN(), 0, {}};
    report.SetCosts({yoghurt, reversed});
    const fw::TReportDocument doc = report.Report->Generate();
    EXPECT_EQ(TextsNamed(doc, "Firma"), QStringList{"Lactate Izvoare SRL"});
    EXPECT_EQ(TextsNamed(doc, "Product"), (QStringList{"Receptia nr. 125 din 07.12.2026: 02 IAURT Iaurt, lot P1, 2,000 kg",
                                                  "Receptia nr. 126 din 08.12.2026: 02 IAURT Iaurt, lot P2, 0 kg"}));
    // A lot drawn without a purchase price says so beside its material.
    EXPECT_EQ(TextsNamed(doc, "Material"), (QStringList{"01 .CULT (fara pret de achizitie)", "01 .LAPTE", "(nimic consumat)"}));
    EXPECT_EQ(TextsNamed(doc, "Cost"), (QStringList{"40.00", "980.50", "0.00"}));
    EXPECT_EQ(TextsNamed(doc, "Procent"), (QStringList{"3.9", "96.1", ""}));
    EXPECT_EQ(TextsNamed(doc, "LotCost"), (QStringList{"1,020.50", "0.00"}));
    EXPECT_EQ(TextsNamed(doc, "UnitCost"), (QStringList{"Cost materiale, pe unitate: 0.5103 lei", "Cost materiale, pe unitate: - lei"}));
    EXPECT_EQ(TextsNamed(doc, "TotalCost"), QStringList{"1,020.50"});
    // The unit cost over time under the total, across the page: one lot has a figure.
    const fw::TReportPage& last = doc.Pages.back();
    ASSERT_EQ(last.Pictures.size(), 1u);
    EXPECT_EQ(last.Pictures[0].Rect.width(), report.Report->ContentWidth());
    EXPECT_EQ(last.Pictures[0].Rect.height(), ReportChartHeight);
    EXPECT_GT(last.Pictures[0].Rect.top(), last.TextsNamed("TotalCost")[0]->Rect.bottom());
    // Drawn at print resolution: 95 mm at 300 dpi.
    EXPECT_EQ(last.Pictures[0].Image.height(), 1122);
    // Lots with no unit cost draw no chart, and leave no room for one.
    report.SetCosts({reversed});
    EXPECT_TRUE(report.Report->Generate().Pages.back().Pictures.empty());
    report.SetCosts({});
    EXPECT_EQ(report.Report->Generate().PageCount(), 0);
}

} // namespace

// What the production charts show, worked out with no drawing, and the charts saved as
// pictures. CORVANEL_CHART_DIR, when set, keeps the pictures there for a person to look at.
#include "platform/core/Exceptions.h"
#include "reports/ProductionCharts.h"
#include "TempDir.h"

#include <QChart>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace corvanel;

namespace {

TBatchLine Batch(double receipt, const QDate& day, const QString& code, double quantity)
{
    return {receipt, 1, receipt, day, "02", code, code == "IAURT" ? "Iaurt" : "Branza", "kg", "P", quantity};
}

TEST(ProductionCharts, EachMonthHoldsWhatEachProductMadeInIt)
{
    const std::vector<TBatchLine> lines{Batch(1, QDate(2026, 10, 31), "IAURT", 200), Batch(2, QDate(2026, 11, 1), "IAURT", 150),
                                        Batch(3, QDate(2026, 11, 20), "BRANZA", 40), Batch(4, QDate(2026, 11, 30), "IAURT", 50),
                                        Batch(5, QDate(2026, 9, 30), "IAURT", 999)}; // before the first month: left out
    const TBarChartData data = MonthlyProduction(lines, QDate(2026, 10, 15), QDate(2026, 12, 10));
    EXPECT_EQ(data.Categories, (QStringList{"10.2026", "11.2026", "12.2026"}));
    ASSERT_EQ(data.Series.size(), 2u);
    EXPECT_EQ(data.Series[0].Name, "IAURT");
    EXPECT_EQ(data.Series[0].Values, (std::vector<double>{200, 200, 0}));
    EXPECT_EQ(data.Series[1].Name, "BRANZA");
    EXPECT_EQ(data.Series[1].Values, (std::vector<double>{0, 40, 0}));
}

TEST(ProductionCharts, LinesFollowEachProductByDayAndLeaveOutWhatHasNoFigure)
{
    const double none = std::numeric_limits<double>::quiet_NaN();
    const std::vector<TMaterialCost> milk{{"01", ".LAPTE", 1, 1, 100, 0}};
    std::vector<TLotCost> costs{{Batch(2, QDate(2026, 11, 5), "IAURT", 100), 60, 0.6, 0, milk},
                                {Batch(1, QDate(2026, 11, 2), "IAURT", 200), 102, 0.51, 0, milk},
                                {Batch(3, QDate(2026, 11, 3), "IAURT", 0), 0, none, 0, milk}, // nothing made
                                {Batch(4, QDate(2026, 11, 4), "IAURT", 50), 0, 0, 0, {}}};   // nothing drawn yet
    const std::vector<TLineSeries> unit = UnitCostOverTime(costs);
    ASSERT_EQ(unit.size(), 1u);
    ASSERT_EQ(unit[0].Points.size(), 2u);
    EXPECT_EQ(unit[0].Points[0].Day, QDate(2026, 11, 2));
    EXPECT_EQ(unit[0].Points[0].Value, 0.51);
    EXPECT_EQ(unit[0].Points[1].Value, 0.6);

    TProductVariance planned{1, 1, QDate(2026, 11, 2), "02", "IAURT", "Iaurt", "kg", 200, {}, {}};
    planned.Total.Planned = 26;
    planned.Total.Actual = 28;
    TProductVariance unplanned = planned; // a product without yield: nothing planned
    unplanned.Date = QDate(2026, 11, 3);
    unplanned.Total.Planned = 0;
    TProductVariance waiting = planned; // not consumed yet
    waiting.Date = QDate(2026, 11, 4);
    waiting.Total.Actual = 0;
    const std::vector<TLineSeries> variance = YieldVarianceOverTime({planned, unplanned, waiting});
    ASSERT_EQ(variance.size(), 1u);
    ASSERT_EQ(variance[0].Points.size(), 1u);
    EXPECT_NEAR(variance[0].Points[0].Value, 7.6923076923, 1e-9);
}

// Pictures in the locale the test runs in (run it as C.UTF-8 and as ro_RO.UTF-8 to see both).
TEST(ProductionCharts, EachChartIsSavedAsAPictureOfTheSizeAsked)
{
    testsupport::TempDir temp;
    const QString dir = qEnvironmentVariableIsSet("CORVANEL_CHART_DIR") ? qEnvironmentVariable("CORVANEL_CHART_DIR") : temp.Path();
    const QString locale = QLocale().name();
    const std::vector<TBatchLine> lines{Batch(1, QDate(2026, 10, 3), "IAURT", 1200.5), Batch(2, QDate(2026, 11, 4), "IAURT", 1500),
                                        Batch(3, QDate(2026, 11, 20), "BRANZA", 340.25)};
    const std::vector<TLineSeries> unit{{"02 IAURT Iaurt", {{QDate(2026, 10, 3), 0.51}, {QDate(2026, 11, 4), 0.5475}}}};
    const std::vector<TLineSeries> variance{{"02 IAURT Iaurt", {{QDate(2026, 10, 3), 7.5}, {QDate(2026, 11, 4), -2.25}}}};
    const std::pair<const char*, std::unique_ptr<QChart>> charts[] = {
        {"productie", MakeBarChart("Productia pe luni si produse", "Cantitate",
                                   MonthlyProduction(lines, QDate(2026, 10, 1), QDate(2026, 11, 30)))},
        {"cost-unitar", MakeLineChart("Costul materialelor pe unitate de produs", "lei / unitate", unit)},
        {"abatere", MakeLineChart("Consumul fata de necesarul retetei", "abatere (%)", variance)},
    };
    for (const auto& [name, chart] : charts) {
        const QString file = dir + "/" + name + "-" + locale + ".png";
        SaveChartPng(*chart, file, QSize(900, 500));
        const QImage image(file);
        EXPECT_EQ(image.size(), QSize(900, 500)) << name;
        // Something was drawn: a hundredth of the picture at least is not background.
        int drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                drawn += image.pixel(x, y) != image.pixel(0, 0);
        EXPECT_GT(drawn, image.width() * image.height() / 100) << name;
    }
    EXPECT_THROW(SaveChartPng(*charts[0].second, dir + "/nu-exista/x.png", QSize(100, 100)), fw::EInOutError);
}

} // namespace

#pragma once

// The production's figures as charts: what was made per month and product, what a unit
// cost over time, and how far batches strayed from their recipes over time. What each
// chart shows is worked out first, with no drawing (so it can be checked); the chart and
// its picture are made from that.

#include "platform/core/Formats.h"
#include "reports/LotCost.h"
#include "reports/YieldVariance.h"

#include <QDate>
#include <QImage>
#include <QSize>
#include <QStringList>
#include <memory>
#include <vector>

class QChart;

namespace fw {
class TReport;
class TReportPicture;
class TSession;
}

namespace corvanel {

// Bars: one value per category in each series.
struct TBarSeries {
    QString Name;
    std::vector<double> Values;
};
struct TBarChartData {
    QStringList Categories;
    std::vector<TBarSeries> Series;
};

// Lines: points in time.
struct TTimePoint {
    QDate Day;
    double Value = 0;
};
struct TLineSeries {
    QString Name;
    std::vector<TTimePoint> Points; // by day
};

// The quantity made of each product (a series, "group code name") in each month from the
// month of `from` to that of `to` (categories "MM.yyyy").
TBarChartData MonthlyProduction(const std::vector<TBatchLine>& lines, const QDate& from, const QDate& to);
// Each product's material cost per unit, a point per lot; lots of nothing, and lots nothing
// was drawn for, are left out.
std::vector<TLineSeries> UnitCostOverTime(const std::vector<TLotCost>& costs);
// Each product's variance in quantity, in per cent of its plan, a point per receipt;
// receipts with nothing planned, or nothing drawn, are left out.
std::vector<TLineSeries> YieldVarianceOverTime(const std::vector<TProductVariance>& variances);

// The charts, numbers and dates written as the locale writes them.
std::unique_ptr<QChart> MakeBarChart(const QString& title, const QString& valueTitle, const TBarChartData& data);
std::unique_ptr<QChart> MakeLineChart(const QString& title, const QString& valueTitle, const std::vector<TLineSeries>& data);

// What the charts of a period are drawn from: its batches, their costs and their variances.
struct TPeriodFigures {
    TBatchPeriod Period;
    std::vector<TBatchLine> Batches;
    std::vector<TLotCost> Costs;
    std::vector<TProductVariance> Variances;
};
// EDatabaseError when the company cannot be read.
TPeriodFigures ReadPeriodFigures(fw::TSession* session, const TBatchPeriod& period);

enum class TChartKind { Production, UnitCost, Variance };
// The chart of that kind, titled; production starts with the first month that made
// something (the months before would only crowd it).
std::unique_ptr<QChart> MakeChart(TChartKind kind, const TPeriodFigures& figures);
// Its short name, for a tab.
QString ChartCaption(TChartKind kind);

// The chart drawn for a report page: laid out for a box of `sizeMm` as a screen would show
// it, drawn at the report engine's print resolution (fw::PictureDpi).
QImage ChartPicture(QChart& chart, const QSizeF& sizeMm);

// A chart at the end of a report: its picture element, the report's width and
// ReportChartHeight tall, under `top` mm of its band (the summary).
constexpr double ReportChartHeight = 95; // mm
fw::TReportPicture* AddReportChart(fw::TReport& report, double top);
// The chart of that kind drawn into that picture; a chart with nothing to show leaves the
// picture out (it takes no room).
void DrawReportChart(fw::TReportPicture& picture, TChartKind kind, const TPeriodFigures& figures);

// The chart drawn as a PNG picture of `size` pixels, written whole or not at all;
// fw::EInOutError, in the user's words, when it cannot be written.
void SaveChartPng(QChart& chart, const QString& fileName, const QSize& size);
// The chart of that kind (MakeChart) saved so.
void SaveChartPng(TChartKind kind, const TPeriodFigures& figures, const QString& fileName, const QSize& size);

} // namespace corvanel

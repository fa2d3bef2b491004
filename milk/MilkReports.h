#pragma once

// The farmers' quality for a month as a table, and the monthly statement one page per
// farmer, laid out for the context's print settings and written to PDF as every report of
// the add-on.

#include "milk/MilkQuality.h"
#include "milk/MilkStatement.h"
#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "reports/ProductionCharts.h"

#include <QObject>

namespace corvanel {

struct TProductionContext;

class TMilkQualityReport final : public QObject {
public:
    TMilkQualityReport(TProductionContext& context, const QString& firmName, const QDate& month,
                       const std::vector<TFarmerQuality>& rows, QObject* owner);
    fw::TReport* Report;

private:
    fw::TMemoryReportData rows_;
};

class TMilkStatementReport final : public QObject {
public:
    TMilkStatementReport(TProductionContext& context, const QString& firmName, const TMilkSettings& settings,
                         const std::vector<TFarmerStatement>& rows, QObject* owner);
    fw::TReport* Report;

private:
    fw::TMemoryReportData rows_;
};

// The month's means by farmer as bars, in thousands per ml so that germs and cells share an
// axis; a mean without enough samples is a missing bar (0).
TBarChartData MilkQualityChart(const std::vector<TFarmerQuality>& rows);

// Samples per month as people read them: "2 + 3" (oldest month first).
QString SamplesText(const TRollingMean& mean);

} // namespace corvanel

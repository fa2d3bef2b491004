#pragma once

// The report "Necesar fata de consum": per receipt and product, each material's plan by the
// recipe against what was drawn, the variance in quantity, per cent and value, and the
// product's total.

#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "reports/YieldVariance.h"

#include <QObject>
#include <QStringList>
#include <memory>

class QWidget;

namespace corvanel {

struct TProductionContext;

// Holds the report over the variances it is given; never shown.
class TYieldVarianceReport final : public QObject {
public:
    // Laid out for the context's print settings; dates and numbers in its formats.
    TYieldVarianceReport(TProductionContext& context, QObject* owner);
    ~TYieldVarianceReport() override;

    fw::TReport* Report;
    TBatchPeriod Period;
    QStringList Products; // the products asked for, named under the title; none: every one
    QString FirmName;     // at the head of each page

    void SetVariances(const std::vector<TProductVariance>& variances);

private:
    void BuildReport();

    fw::TMemoryReportData rows_;
    fw::TReportPicture* chart_ = nullptr; // the variance over time, after the last product
};

// Reads the variances of the period, of the products named by code (none: every one), and
// lays the report out over them; null, after telling the user, when the database could not
// be read.
std::unique_ptr<TYieldVarianceReport> OpenYieldVarianceReport(TProductionContext& context, QWidget* owner,
                                                              const TBatchPeriod& period, const QStringList& products = {});

// The command: the period, the products and the print settings asked in turn (a cancel ends
// it quietly), then the report previewed or printed. The period is given back as the user
// left it.
void ExecuteYieldVarianceReport(TProductionContext& context, QWidget* owner, fw::TDateTime& from, fw::TDateTime& to,
                                QStringList& products);

} // namespace corvanel

#pragma once

// The report "Costul loturilor fabricate": each finished lot of a period with the materials
// drawn for it, their cost and share, the lot's material cost and its cost per unit.

#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "reports/LotCost.h"

#include <QObject>

namespace corvanel {

struct TProductionContext;

// Holds the report over the lots it is given; never shown.
class TLotCostReport final : public QObject {
public:
    // Laid out for the context's print settings; dates and numbers in its formats.
    TLotCostReport(TProductionContext& context, QObject* owner);
    ~TLotCostReport() override;

    fw::TReport* Report;
    TBatchPeriod Period;
    QString FirmName; // at the head of each page

    void SetCosts(const std::vector<TLotCost>& costs);

private:
    void BuildReport();

    fw::TMemoryReportData rows_;
};

} // namespace corvanel

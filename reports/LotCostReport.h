#pragma once

// The report "Costul loturilor fabricate": each finished lot of a period with the materials
// drawn for it, their cost and share, the lot's material cost and its cost per unit.

#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "reports/LotCost.h"

#include <QObject>
#include <memory>

class QWidget;

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
    fw::TReportPicture* chart_ = nullptr; // the unit cost over time, under the total
};

// Reads the costs of the period and lays the report out over them; null, after telling the
// user, when the database could not be read.
std::unique_ptr<TLotCostReport> OpenLotCostReport(TProductionContext& context, QWidget* owner, const TBatchPeriod& period);

// The command: the period and the print settings asked in turn (a cancel ends it quietly),
// then the report previewed or printed. The period is given back as the user left it.
void ExecuteLotCostReport(TProductionContext& context, QWidget* owner, fw::TDateTime& from, fw::TDateTime& to);

} // namespace corvanel

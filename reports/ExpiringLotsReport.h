#pragma once

// The report "Loturi care expira": the lots that have expired or expire within some days,
// by warehouse and article, with quantity and value, and the value of each warehouse.

#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "reports/ExpiringLotsData.h"

#include <QObject>
#include <memory>

class QWidget;

namespace corvanel {

struct TPrintSettings;
struct TProductionContext;

// Holds the report over the lots it is given; never shown.
class TExpiringLotsReport final : public QObject {
public:
    // Laid out for the context's print settings; dates and numbers in its formats.
    TExpiringLotsReport(TProductionContext& context, QObject* owner);
    ~TExpiringLotsReport() override;

    fw::TReport* Report;
    // The day the days are counted from, and how many.
    QDate Day;
    int Days = 7;
    // The company, at the head of each page.
    QString FirmName;

    void SetLots(const std::vector<TExpiringLot>& lots);

private:
    void BuildReport();

    fw::TMemoryReportData rows_;
};

// The print settings the report starts from: the traceability report's (Arial 8, A4 portrait).
void PresetExpiringLotsPrintSettings(TPrintSettings& settings);

// Reads the lots and lays the report out over them; null, after telling the user, when the
// database could not be read.
std::unique_ptr<TExpiringLotsReport> OpenExpiringLotsReport(TProductionContext& context, QWidget* owner, const QDate& day,
                                                            int days, const QStringList& warehouses);

// The command: warehouses, the days ahead and the print settings asked in turn (any cancel
// ends it quietly), then the report previewed or printed. The days and the warehouse list
// are given back as the user left them.
void ExecuteExpiringLotsReport(TProductionContext& context, QWidget* owner, int& days, QString& warehouseList);

} // namespace corvanel

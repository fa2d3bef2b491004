#pragma once

// The certificate of analysis printed: a table of results under a heading per lot, the
// finished lot first, then each lot it was made from. Laid out for the context's print
// settings; written to PDF as every report of the add-on.

#include "platform/report/Report.h"
#include "platform/report/ReportData.h"
#include "quality/Certificate.h"

#include <QObject>

namespace corvanel {

struct TProductionContext;

class TCertificateReport final : public QObject {
public:
    // The company's name is read for the page header.
    TCertificateReport(TProductionContext& context, const TCertificate& certificate, QObject* owner);
    ~TCertificateReport() override;

    fw::TReport* Report;

private:
    void AddLot(int index, const QString& heading, const TCertificateLot& lot);
    void BuildReport(const QString& firmName, const QString& subtitle);

    fw::TMemoryReportData rows_;
};

// The title of the certificate: "Buletin de analiza".
QString CertificateTitle();

} // namespace corvanel

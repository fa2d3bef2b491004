// What a report is made into: pages generated, then shown, printed or written to PDF.
#include "platform/report/Report.h"

#include "platform/print/Printer.h"
#include "platform/report/ReportPainter.h"
#include "platform/report/ReportPreview.h"

#include <QPrinter>

namespace fw {

void TReport::Preview(QWidget* owner)
{
    TReportDocument document = Generate();
    if (document.Pages.empty())
        return;
    TReportPreview preview(this, std::move(document), owner);
    ExecPrintModal(preview);
}

bool TReport::Print()
{
    const TReportDocument document = Generate();
    if (document.Pages.empty())
        return false;
    return PrintDocument(document, Printer().DeviceFor(document.Title), PrinterSettings);
}

bool TReport::ExportPdf(const QString& fileName) { return fw::ExportPdf(*this, fileName); }

} // namespace fw

#pragma once

// A report over the receipts of a period (the lots' cost, the recipes against the
// consumption) written as a PDF file, laid out as the program prints it.

#include "cli/Command.h"
#include "data/ProductionContext.h"
#include "reports/BatchDraws.h"
#include "reports/FirmName.h"
#include "reports/PrintSettings.h"
#include "reports/TraceabilityReport.h"

#include <QGuiApplication>

namespace corvanel::cli {

// The report `TForm` over `rows` (handed over by `set`) in the traceability report's page
// and font, dates with four-digit years; ERefused, and no file, when the period had no
// receipt of finished goods.
template <class TForm, class TRows>
int WritePeriodReportPdf(TProductionContext& context, const TBatchPeriod& period, const QString& file,
                         void (TForm::*set)(const TRows&), const TRows& rows)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw fw::EInOutError(QStringLiteral("Raportul nu poate fi desenat fara fonturi."));
    PresetTraceabilityPrintSettings(PrintSettingsOf(context));
    UseFourDigitYearDates(context.Formats);
    TForm report(context, nullptr);
    report.FirmName = ReadFirmName(context);
    report.Period = period;
    (report.*set)(rows);
    if (!report.Report->ExportPdf(file))
        throw ERefused(QStringLiteral("Nicio receptie de produse in perioada: raportul nu are nicio pagina, fisierul nu a fost scris."));
    return ExitDone;
}

} // namespace corvanel::cli

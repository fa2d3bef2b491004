#pragma once

// A report over the receipts of a period (the lots' cost, the recipes against the
// consumption) written as a PDF file, laid out as the program prints it.

#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "platform/db/OutputFile.h"
#include "reports/CostTables.h"
#include "data/ProductionContext.h"
#include "reports/BatchDraws.h"
#include "reports/FirmName.h"
#include "reports/PrintSettings.h"
#include "reports/TraceabilityReport.h"

#include <QGuiApplication>
#include <functional>
#include <vector>

namespace corvanel::cli {

// The report `TForm` over `rows` (handed over by `set`) in the traceability report's page
// and font, dates with four-digit years; ERefused, and no file, when the period had no
// receipt of finished goods. `prepare`, when given, sets what else the report shows (the
// products asked for, under the title).
template <class TForm, class TRows>
int WritePeriodReportPdf(TProductionContext& context, const TBatchPeriod& period, const QString& file,
                         void (TForm::*set)(const TRows&), const TRows& rows, const std::function<void(TForm&)>& prepare = {})
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw fw::EInOutError(QStringLiteral("Raportul nu poate fi desenat fara fonturi."));
    PresetTraceabilityPrintSettings(PrintSettingsOf(context));
    UseFourDigitYearDates(context.Formats);
    TForm report(context, nullptr);
    report.FirmName = ReadFirmName(context);
    report.Period = period;
    if (prepare)
        prepare(report);
    (report.*set)(rows);
    if (!report.Report->ExportPdf(file))
        throw ERefused(QStringLiteral("Nicio receptie de produse in perioada: raportul nu are nicio pagina, fisierul nu a fost scris."));
    return ExitDone;
}

// A period's table command: the period, the output chosen and the company from the
// arguments, the output file checked before anything is read, the rows read (`read`) and
// written as CSV (the first of `sheets`), XLSX (every sheet), the PDF report, or text.
template <class TForm, class TRows>
int RunPeriodTable(const TArgs& args, const std::function<TRows(TCompanySession&, const TBatchPeriod&)>& read,
                   const std::function<std::vector<TSheet>(const TRows&)>& sheets, void (TForm::*set)(const TRows&),
                   const std::function<QString(const TRows&, const TBatchPeriod&, const fw::TFormatSettings&)>& text,
                   const std::function<void(TForm&)>& prepare = {})
{
    const TPeriod chosen = Period(args);
    const TBatchPeriod period{chosen.From, chosen.To};
    const TOutput output = ChosenOutput(args);
    TCompanySession company(Required(args, QStringLiteral("company")));
    if (!output.File.isEmpty())
        fw::CheckOutputFile(output.File);
    const TRows rows = ReadForReport([&] { return read(company, period); });
    switch (output.Kind) {
    case TOutput::Csv:
        Out(CsvText(sheets(rows).front()));
        return ExitDone;
    case TOutput::Xlsx:
        WriteXlsx(output.File, sheets(rows));
        return ExitDone;
    case TOutput::Pdf:
        return WritePeriodReportPdf(company.Context(), period, output.File, set, rows, prepare);
    case TOutput::Text:
        break;
    }
    Out(text(rows, period, company.Context().Formats));
    return ExitDone;
}

} // namespace corvanel::cli

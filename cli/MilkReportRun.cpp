#include "cli/MilkReportRun.h"

#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "milk/MilkIntake.h"
#include "milk/MilkQuality.h"
#include "milk/MilkSettings.h"
#include "platform/db/Database.h"
#include "platform/db/OutputFile.h"
#include "platform/report/Report.h"
#include "reports/FirmName.h"
#include "reports/PrintSettings.h"

#include <QGuiApplication>

namespace corvanel::cli {

std::vector<TOption> MilkReportOptions()
{
    return {CompanyOption(),
            {QStringLiteral("month"), QStringLiteral("AAAA-LL"), QStringLiteral("Luna (de exemplu 2026-11).")},
            {QStringLiteral("csv"), QString(), QStringLiteral("Scrie tabelul in format CSV pe iesirea standard.")},
            {QStringLiteral("pdf"), QStringLiteral("FISIER"), QStringLiteral("Scrie raportul in fisierul PDF.")}};
}

int RunMilkReport(const TArgs& args, const std::function<QString(const TMilkRun&)>& csv,
                  const std::function<std::unique_ptr<QObject>(const TMilkRun&, fw::TReport*&)>& pdf)
{
    const bool asCsv = args.isSet(QStringLiteral("csv")), asPdf = args.isSet(QStringLiteral("pdf"));
    if (asCsv == asPdf)
        throw ERefused(QStringLiteral("Alegeti una dintre --csv si --pdf FISIER."));
    QDate month;
    try {
        month = MonthOf(Required(args, QStringLiteral("month")));
    } catch (const EMilkRefused& e) {
        throw ERefused(e.Message());
    }
    const QString file = asPdf ? Required(args, QStringLiteral("pdf")) : QString();
    if (asPdf && !qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw fw::EInOutError(QStringLiteral("Raportul nu poate fi desenat fara fonturi."));
    const QString directory = Required(args, QStringLiteral("company"));
    TCompanySession company(directory);
    if (asPdf)
        fw::CheckOutputFile(file);
    TMilkSettings settings;
    settings.Load(directory);
    TProductionContext& context = company.Context();
    const TMilkRun run{*company.DataModule().ProductionDatabase->GetConnection(), context, settings, month,
                       asPdf ? ReadFirmName(context) : QString()};
    if (asCsv) {
        Out(ReadForReport([&] { return csv(run); }));
        return ExitDone;
    }
    PresetA4Arial8(PrintSettingsOf(context), QPageLayout::Portrait);
    UseFourDigitYearDates(context.Formats);
    fw::TReport* report = nullptr;
    const std::unique_ptr<QObject> owner = ReadForReport([&] { return pdf(run, report); });
    if (!report->ExportPdf(file))
        throw ERefused(QStringLiteral("Nicio livrare de lapte in luna aleasa: raportul nu are nicio pagina, fisierul nu a fost scris."));
    return ExitDone;
}

} // namespace corvanel::cli

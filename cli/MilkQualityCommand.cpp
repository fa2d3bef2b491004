// corvanel milk-quality: each farmer's rolling means of germs and somatic cells for a month.
#include "cli/MilkReportRun.h"
#include "milk/MilkQuality.h"
#include "milk/MilkReports.h"

namespace corvanel::cli {

namespace {

int Run(const TArgs& args)
{
    return RunMilkReport(
        args, [](const TMilkRun& run) { return FarmersQualityCsv(ReadFarmersQuality(run.Engine, run.Month)); },
        [](const TMilkRun& run, fw::TReport*& report) {
            auto made = std::make_unique<TMilkQualityReport>(run.Context, run.FirmName, run.Month,
                                                             ReadFarmersQuality(run.Engine, run.Month), nullptr);
            report = made->Report;
            return std::unique_ptr<QObject>(std::move(made));
        });
}

} // namespace

extern const TCommand MilkQualityCommand{
    .Name = QStringLiteral("milk-quality"),
    .Summary = QStringLiteral("Calitatea laptelui pe furnizori: mediile geometrice NTG si NCS ale unei luni"),
    .Usage = QStringLiteral("milk-quality --company DIR --month AAAA-LL (--csv | --pdf FISIER)"),
    .Details = QStringLiteral(
        "Pentru fiecare furnizor care a livrat lapte in luna: media geometrica a tuturor rezultatelor\n"
        "NTG din luna si din cea dinainte (cel putin doua probe in fiecare luna) si a rezultatelor NCS\n"
        "din luna si din cele doua dinainte (cel putin o proba in fiecare luna), rotunjite la unitati.\n"
        "O medie fara destule probe este goala, iar furnizorul este neconform. Conform: NTG cel mult\n"
        "100000/ml si NCS cel mult 400000/ml (o medie egala cu limita este conforma). Cu --csv:\n"
        "Furnizor;Luna;NTG_medie;NTG_probe;NCS_medie;NCS_probe;Conform (probele: toate probele\n"
        "perioadei; Conform: da/nu). Cu --pdf: raportul \"Calitatea laptelui pe furnizori\"."),
    .Options = MilkReportOptions(),
    .NeedsFonts = GivesPdf,
    .Run = Run,
};

} // namespace corvanel::cli

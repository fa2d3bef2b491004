// corvanel milk-statement: each farmer's monthly statement, for the accountant or the farmer.
#include "cli/MilkReportRun.h"
#include "milk/MilkReports.h"
#include "milk/MilkStatement.h"

namespace corvanel::cli {

namespace {

int Run(const TArgs& args)
{
    return RunMilkReport(
        args,
        [](const TMilkRun& run) {
            return FarmersStatementsCsv(ReadFarmersStatements(run.Engine, run.Month, run.Settings), run.Settings);
        },
        [](const TMilkRun& run, fw::TReport*& report) {
            auto made = std::make_unique<TMilkStatementReport>(
                run.Context, run.FirmName, run.Settings, ReadFarmersStatements(run.Engine, run.Month, run.Settings), nullptr);
            report = made->Report;
            return std::unique_ptr<QObject>(std::move(made));
        });
}

} // namespace

extern const TCommand MilkStatementCommand{
    .Name = QStringLiteral("milk-statement"),
    .Summary = QStringLiteral("Decontul lunar al laptelui, pe furnizori"),
    .Usage = QStringLiteral("milk-statement --company DIR --month AAAA-LL (--csv | --pdf FISIER)"),
    .Details = QStringLiteral(
        "Pentru fiecare furnizor care a livrat lapte in luna: cantitatea livrata (in unitatea pretului),\n"
        "grasimea si proteina medii ponderate cu cantitatea platita, pretul dupa setarile din KRBDEF.INI,\n"
        "sectiunea [Lapte] (PretBaza la GrasimeReferinta si ProteinaReferinta, BonusGrasime si\n"
        "BonusProteina pe fiecare 0,1 puncte peste referinta - sub ea se scad -, deducerile claselor\n"
        "ClaseNTG si ClaseNCS dupa media geometrica a rezultatelor lunii) si valoarea. Livrarile cu\n"
        "inhibitori nu se platesc. Cu --csv: o linie pe furnizor (Furnizor;Nume;Luna;Livrari;Cantitate;\n"
        "Unitate;Neplatite;Cantitate_neplatita;Cantitate_platita;Grasime;Proteina;NTG;NCS;Pret_baza;\n"
        "Bonus_grasime;Bonus_proteina;Deducere_NTG;Deducere_NCS;Pret;Valoare), numerele cu punct\n"
        "zecimal. Cu --pdf: \"Decont lunar lapte\", o pagina pentru fiecare furnizor."),
    .Options = MilkReportOptions(),
    .NeedsFonts = GivesPdf,
    .Run = Run,
};

} // namespace corvanel::cli

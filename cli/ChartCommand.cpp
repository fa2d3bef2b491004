// corvanel chart: one of the production's charts over a period, saved as a PNG picture.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "data/ProductionContext.h"
#include "platform/db/OutputFile.h"
#include "reports/ProductionCharts.h"


namespace corvanel::cli {

namespace {

TChartKind Kind(const TArgs& args)
{
    const QString kind = Required(args, QStringLiteral("kind"));
    if (kind == QLatin1String("production"))
        return TChartKind::Production;
    if (kind == QLatin1String("unit-cost"))
        return TChartKind::UnitCost;
    if (kind == QLatin1String("variance"))
        return TChartKind::Variance;
    throw ERefused(QStringLiteral("'%1' nu este un grafic cunoscut pentru --kind (production, unit-cost sau variance).").arg(kind));
}

int Pixels(const TArgs& args, const QString& option, int fallback)
{
    if (!args.isSet(option))
        return fallback;
    const double n = Number(args, option);
    if (n < 100 || n > 10000 || n != static_cast<int>(n))
        throw ERefused(QStringLiteral("--%1 cere un numar intreg de pixeli, de la 100 la 10000.").arg(option));
    return static_cast<int>(n);
}

int Run(const TArgs& args)
{
    const TPeriod chosen = Period(args);
    const TChartKind kind = Kind(args);
    const QSize size(Pixels(args, QStringLiteral("width"), 1200), Pixels(args, QStringLiteral("height"), 700));
    const QString file = Required(args, QStringLiteral("png"));
    TCompanySession company(Required(args, QStringLiteral("company")));
    fw::CheckOutputFile(file);
    const TPeriodFigures figures =
        ReadForReport([&] { return ReadPeriodFigures(company.Context().Session(), {chosen.From, chosen.To}); });
    SaveChartPng(kind, figures, file, size);
    return ExitDone;
}

// Charts are drawn through a graphics scene, with fonts.
bool AlwaysDraws(const QStringList&) { return true; }

} // namespace

extern const TCommand ChartCommand{
    .Name = QStringLiteral("chart"),
    .Summary = QStringLiteral("Un grafic al productiei, salvat ca imagine PNG"),
    .Usage = QStringLiteral("chart --company DIR --from AAAA-LL-ZZ --to AAAA-LL-ZZ --kind production|unit-cost|variance "
                            "--png FISIER [--width N] [--height N]"),
    .Details = QStringLiteral(
        "Deseneaza unul dintre graficele tabloului de bord pentru receptiile de produse din perioada:\n"
        "production - productia pe luni si produse; unit-cost - costul materialelor pe unitate, pe\n"
        "loturi; variance - consumul fata de necesarul retetei, in procente, pe receptii. Loturile\n"
        "pentru care nu s-a consumat nimic (inca, sau consum stornat) nu apar in ultimele doua.\n"
        "Numerele se scriu dupa limba sistemului."),
    .Options =
        {
            CompanyOption(),
            FromDayOption(),
            ToDayOption(),
            {QStringLiteral("kind"), QStringLiteral("GRAFIC"), QStringLiteral("production, unit-cost sau variance.")},
            {QStringLiteral("png"), QStringLiteral("FISIER"), QStringLiteral("Fisierul PNG scris.")},
            {QStringLiteral("width"), QStringLiteral("N"), QStringLiteral("Latimea imaginii in pixeli (implicit 1200).")},
            {QStringLiteral("height"), QStringLiteral("N"), QStringLiteral("Inaltimea imaginii in pixeli (implicit 700).")},
        },
    .NeedsFonts = AlwaysDraws,
    .Run = Run,
};

} // namespace corvanel::cli

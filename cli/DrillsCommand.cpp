// corvanel drills: the recall drills on record, with the time each step took.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "platform/core/Exceptions.h"
#include "recall/RecallDrill.h"

namespace corvanel::cli {

namespace {

int Run(const TArgs& args)
{
    TCompanySession company(Required(args, QStringLiteral("company")));
    std::vector<TDrill> drills;
    try {
        drills = ReadDrills(company.Context().Session(), KRBPROD);
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::DatabaseError(e.Message()));
    }
    if (args.isSet(QStringLiteral("csv"))) {
        Out(DrillsCsv(drills));
        return ExitDone;
    }
    if (drills.empty())
        Out(QStringLiteral("Niciun exercitiu de retragere inregistrat.\n"));
    for (const TDrill& d : drills)
        Out(QStringLiteral("%1 UTC  %2  lot %3, %4: total %5 ms (cautare %6, arbore %7, bilant %8, raport %9)\n")
                .arg(d.Start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), d.Operator, d.Lot,
                     d.Direction == TRecallDirection::Forward ? QStringLiteral("inainte") : QStringLiteral("inapoi"))
                .arg(d.Total())
                .arg(d.Search)
                .arg(d.Tree)
                .arg(d.Balance)
                .arg(d.Report));
    return ExitDone;
}

} // namespace

extern const TCommand DrillsCommand{
    .Name = QStringLiteral("drills"),
    .Summary = QStringLiteral("Exercitiile de retragere inregistrate, cu durata fiecarui pas"),
    .Usage = QStringLiteral("drills --company DIR [--csv]"),
    .Details = QStringLiteral(
        "Exercitiile de retragere facute cu corvanel recall --drill sau din fereastra de urmarire a\n"
        "lotului, cele mai noi intai. Cu --csv scrie campurile\n"
        "Inceput;Lot;Cod_grupa;Cod_articol;Directie;Operator;Cautare;Arbore;Bilant;Raport;Total;Loturi;\n"
        "Clienti;Diferenta, timpii in milisecunde, inceputul AAAA-LL-ZZTHH:MM:SS.zzzZ (UTC)."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("csv"), QString(), QStringLiteral("Scrie exercitiile in format CSV.")},
        },
    .Run = Run,
};

} // namespace corvanel::cli

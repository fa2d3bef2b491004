// corvanel lot-status: a lot held or released, with a reason, or its standing and history shown.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "data/LotStatus.h"
#include "data/Messages.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"

namespace corvanel::cli {

namespace {

// --article GROUP/CODE (both given: a standing is kept for an article with its group).
TLotId ChosenLot(const TArgs& args)
{
    const QString text = Required(args, QStringLiteral("article"));
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == text.size() - 1)
        throw ERefused(msg::LotStateNeedsLot());
    return {text.left(slash), text.mid(slash + 1), Required(args, QStringLiteral("lot"))};
}

void Show(fw::Connection& engine, const TLotId& lot)
{
    const TLotStanding standing = LotStandingOf(engine, lot);
    Out(standing.Reason.isEmpty() ? standing.State + QLatin1Char('\n')
                                  : QStringLiteral("%1: %2\n").arg(standing.State, standing.Reason));
    for (const TLotStateChange& change : LotStateHistory(engine, lot))
        Out(CsvRecord({change.Moment, change.State, change.Agent, change.Reason}));
}

int Run(const TArgs& args)
{
    const int asked = int(args.isSet(QStringLiteral("hold"))) + int(args.isSet(QStringLiteral("release")))
                      + int(args.isSet(QStringLiteral("show")));
    if (asked != 1)
        throw ERefused(QStringLiteral("Alegeti una dintre optiunile --hold, --release si --show."));
    const TLotId lot = ChosenLot(args);
    TCompanySession company(Required(args, QStringLiteral("company")));
    TProductionData& dm = company.DataModule();
    fw::Connection& engine = *dm.ProductionDatabase->GetConnection();
    try {
        if (args.isSet(QStringLiteral("show"))) {
            Show(engine, lot);
            return ExitDone;
        }
        const TLotState state = args.isSet(QStringLiteral("hold")) ? TLotState::Held : TLotState::Released;
        ChangeLotState(dm, lot, state, args.value(QStringLiteral("reason")), dm.Requirement().AgentInitials());
        fw::MessageDlg(msg::LotStateChanged(lot.Group + QLatin1Char('/') + lot.Code, lot.Lot, LotStateName(state)),
                       fw::TMsgDlgType::Information);
    } catch (const ELotStateRefused& e) {
        throw ERefused(e.Message());
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::LotStateNotWritten(e.Message()));
    }
    return ExitDone;
}

} // namespace

extern const TCommand LotStatusCommand{
    .Name = QStringLiteral("lot-status"),
    .Summary = QStringLiteral("Blocheaza sau elibereaza un lot, cu motivul, ori ii arata starea si istoricul"),
    .Usage = QStringLiteral("lot-status --company DIR --article GRUPA/COD --lot L (--hold --reason TEXT | --release --reason "
                            "TEXT | --show)"),
    .Details = QStringLiteral(
        "Un lot blocat (\"Blocat\") sau neconform (\"Neconform\") nu se consuma si nu se numara in stocul\n"
        "necesarului; el ramane in stoc pana este eliberat (\"Eliberat\"). Fiecare schimbare se scrie in\n"
        "istoricul lotului cu agentul, momentul si motivul ei, sub aceeasi blocare ca un consum: un consum\n"
        "care se decide in acelasi timp fie a luat din lot inainte, fie nu il mai vede. --show scrie starea\n"
        "lotului pe prima linie, apoi istoricul ca CSV (moment;stare;agent;motiv), in ordinea schimbarilor.\n"
        "Un lot necunoscut, un motiv lipsa sau o stare pe care lotul o are deja sunt refuzate (starea 3)."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("article"), QStringLiteral("GRUPA/COD"), QStringLiteral("Articolul lotului.")},
            {QStringLiteral("lot"), QStringLiteral("L"), QStringLiteral("Numele lotului.")},
            {QStringLiteral("hold"), QString(), QStringLiteral("Blocheaza lotul.")},
            {QStringLiteral("release"), QString(), QStringLiteral("Elibereaza lotul.")},
            {QStringLiteral("reason"), QStringLiteral("TEXT"), QStringLiteral("Motivul schimbarii (obligatoriu).")},
            {QStringLiteral("show"), QString(), QStringLiteral("Arata starea si istoricul lotului.")},
        },
    .Run = Run,
};

} // namespace corvanel::cli

// corvanel lot-status: a lot held or released, with a reason, or its standing and history shown;
// an article's new lots made to wait for a release, or no longer.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "data/LotStatus.h"
#include "data/Messages.h"
#include "data/ProductionData.h"
#include "data/ReleaseRequired.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"

namespace corvanel::cli {

namespace {

// --article GROUP/CODE (both given: a standing is kept for an article with its group).
TLotId ChosenArticle(const TArgs& args, const QString& refusal)
{
    const QString text = Required(args, QStringLiteral("article"));
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash <= 0 || slash == text.size() - 1)
        throw ERefused(refusal);
    return {text.left(slash), text.mid(slash + 1), {}};
}

TLotId ChosenLot(const TArgs& args)
{
    TLotId lot = ChosenArticle(args, msg::LotStateNeedsLot());
    lot.Lot = Required(args, QStringLiteral("lot"));
    return lot;
}

// --require-release on|off: whether the article's new lots wait for a release.
int SetReleaseSetting(const TArgs& args)
{
    const QString asked = args.value(QStringLiteral("require-release"));
    if (asked != QLatin1String("on") && asked != QLatin1String("off"))
        throw ERefused(QStringLiteral("--require-release primeste on sau off, nu <%1>.").arg(asked));
    if (args.isSet(QStringLiteral("lot")) || args.isSet(QStringLiteral("reason")))
        throw ERefused(QStringLiteral("--require-release priveste un articol: fara --lot si --reason."));
    const TLotId article = ChosenArticle(args, msg::ReleaseNeedsArticle());
    const bool on = asked == QLatin1String("on");
    TCompanySession company(Required(args, QStringLiteral("company")));
    TProductionData& dm = company.DataModule();
    const QDate today = QDate::currentDate();
    try {
        SetReleaseRequired(dm, article.Group, article.Code, on, dm.Requirement().AgentInitials(), today);
    } catch (const ELotStateRefused& e) {
        throw ERefused(e.Message());
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::ReleaseSettingNotWritten(e.Message()));
    }
    fw::MessageDlg(msg::ReleaseSettingChanged(article.Group + QLatin1Char('/') + article.Code, on,
                                              today.toString(QStringLiteral("dd.MM.yyyy"))),
                   fw::TMsgDlgType::Information);
    return ExitDone;
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
                      + int(args.isSet(QStringLiteral("show"))) + int(args.isSet(QStringLiteral("require-release")));
    if (asked != 1)
        throw ERefused(QStringLiteral("Alegeti una dintre optiunile --hold, --release, --show si --require-release."));
    if (args.isSet(QStringLiteral("require-release")))
        return SetReleaseSetting(args);
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
    .Usage = QStringLiteral("lot-status --company DIR --article GRUPA/COD (--lot L (--hold --reason TEXT | --release --reason "
                            "TEXT | --show) | --require-release on|off)"),
    .Details = QStringLiteral(
        "Un lot blocat (\"Blocat\") sau neconform (\"Neconform\") nu se consuma si nu se numara in stocul\n"
        "necesarului; el ramane in stoc pana este eliberat (\"Eliberat\"). Fiecare schimbare se scrie in\n"
        "istoricul lotului cu agentul, momentul si motivul ei, sub aceeasi blocare ca un consum: un consum\n"
        "care se decide in acelasi timp fie a luat din lot inainte, fie nu il mai vede. --show scrie starea\n"
        "lotului pe prima linie, apoi istoricul ca CSV (moment;stare;agent;motiv), in ordinea schimbarilor.\n"
        "Un lot necunoscut, un motiv lipsa sau o stare pe care lotul o are deja sunt refuzate (starea 3).\n"
        "--require-release on face ca loturile articolului intrate de azi inainte sa fie \"In asteptare\": nu se\n"
        "consuma si nu se numara pana nu sunt eliberate cu --release; off renunta la aceasta."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("article"), QStringLiteral("GRUPA/COD"), QStringLiteral("Articolul lotului.")},
            {QStringLiteral("lot"), QStringLiteral("L"), QStringLiteral("Numele lotului.")},
            {QStringLiteral("hold"), QString(), QStringLiteral("Blocheaza lotul.")},
            {QStringLiteral("release"), QString(), QStringLiteral("Elibereaza lotul.")},
            {QStringLiteral("reason"), QStringLiteral("TEXT"), QStringLiteral("Motivul schimbarii (obligatoriu).")},
            {QStringLiteral("show"), QString(), QStringLiteral("Arata starea si istoricul lotului.")},
            {QStringLiteral("require-release"), QStringLiteral("on|off"),
             QStringLiteral("Loturile noi ale articolului asteapta eliberarea (on) sau nu (off).")},
        },
    .Run = Run,
};

} // namespace corvanel::cli

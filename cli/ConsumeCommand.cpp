// corvanel consume: the consumption document of an incoming document, as the requirement
// form's button writes it.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "cli/RequirementWork.h"
#include "data/Messages.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"

namespace corvanel::cli {

namespace {

int Run(const TArgs& args)
{
    const double counter = Number(args, QStringLiteral("counter"));
    TCompanySession company(Required(args, QStringLiteral("company")));
    TProductionData& dm = company.DataModule();
    std::optional<double> written;
    bool refused = false;
    {
        const TPreparedDocument prepared(dm, counter);
        // What the form leaves the button disabled for: a document of nothing but the header.
        if (dm.Requirement().TempTable()->IsEmpty())
            throw ERefused(QStringLiteral("Documentul de intrare cu contorul %1 nu are materii prime de consumat.")
                               .arg(CounterText(counter)));
        TTextPresenter answers;
        answers.SetAnswer(args.isSet(QStringLiteral("yes")) ? fw::TModalResult::Yes : fw::TModalResult::No);
        answers.SetAnswerTo(msg::SecondConsumptionOpening(),
                            args.isSet(QStringLiteral("again")) ? fw::TModalResult::Yes : fw::TModalResult::No);
        answers.SetAnswerTo(msg::ExpiredLotsOpening(),
                            args.isSet(QStringLiteral("expired")) ? fw::TModalResult::Yes : fw::TModalResult::No);
        try {
            written = GenerateConsumption(dm, counter, dm.Requirement().AgentInitials());
        } catch (const fw::EDatabaseError& e) {
            throw fw::EDatabaseError(msg::GenerationFailed(e.Message()));
        }
        refused = answers.Refused();
    }
    if (!written)
        return refused ? ExitStopped : ExitRefused;
    fw::MessageDlg(msg::ConsumptionWritten(ConsumptionDocumentLabel(dm, *written)), fw::TMsgDlgType::Information);
    Out(CounterText(*written) + QLatin1Char('\n'));
    return ExitDone;
}

} // namespace

extern const TCommand ConsumeCommand{
    .Name = QStringLiteral("consume"),
    .Summary = QStringLiteral("Genereaza documentul de consum (BMC) al unui document de intrare"),
    .Usage = QStringLiteral("consume --company DIR --counter N [--yes] [--again] [--expired]"),
    .Details =
        QStringLiteral("Calculeaza necesarul tehnic al documentului de intrare cu contorul N si genereaza din el\n"
                       "documentul de iesire de tip BMC, ca butonul \"Genereaza document iesire \": scade din stoc,\n"
                       "lot cu lot, materiile prime consumate. Scrie pe iesirea standard contorul documentului nou.\n"
                       "Cand ar rezulta stocuri negative, intrebarea formularului primeste raspunsul Da cu --yes\n"
                       "(materialele respective nu intra in document), altfel Nu (nu se scrie nimic, starea 1).\n"
                       "Cand documentul de intrare are deja documente de consum, se genereaza inca unul doar cu\n"
                       "--again, altfel nu se scrie nimic (starea 1).\n"
                       "Cand setarile consuma loturile expirate si documentul ar lua din ele, se scrie doar cu\n"
                       "--expired, altfel nu se scrie nimic (starea 1).\n"
                       "Loturile intrate dupa data documentului de intrare nu se consuma.\n"
                       "Cand nu ramane niciun material de consumat, documentul nu se scrie (starea 3).\n"
                       "Ordinea in care se consuma loturile si soarta loturilor expirate le dau setarile de productie\n"
                       "din KRBDEF.INI al firmei (sectiunea [Productie], cheile OrdineLoturi si LoturiExpirate)."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("counter"), QStringLiteral("N"), QStringLiteral("Contorul documentului de intrare.")},
            {QStringLiteral("yes"), QString(), QStringLiteral("Raspunde Da la intrebarea despre stocurile negative.")},
            {QStringLiteral("again"), QString(),
             QStringLiteral("Raspunde Da la intrebarea despre un nou document de consum al aceluiasi document de intrare.")},
            {QStringLiteral("expired"), QString(),
             QStringLiteral("Raspunde Da la intrebarea despre consumul din loturi expirate.")},
        },
    .Run = Run,
};

} // namespace corvanel::cli

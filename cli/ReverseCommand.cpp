// corvanel reverse: a consumption document reversed, as "Anuleaza consumul" does it.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "cli/RequirementWork.h"
#include "data/Messages.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "requirement/Reversal.h"

namespace corvanel::cli {

namespace {

// The one consumption document the options name: by --counter, or by --document (its
// number, that of its receipt) with --date when the number alone is not enough.
double ChosenDocument(TProductionData& dm, const TArgs& args)
{
    const bool byCounter = args.isSet(QStringLiteral("counter"));
    if (byCounter == args.isSet(QStringLiteral("document")))
        throw ERefused(QStringLiteral("Alegeti una dintre optiunile --document N si --counter C."));
    if (byCounter)
        return Number(args, QStringLiteral("counter"));
    const double number = Number(args, QStringLiteral("document"));
    const QDate date = args.isSet(QStringLiteral("date")) ? IsoDate(args, QStringLiteral("date")) : QDate();
    const std::vector<TConsumptionDocument> all = ConsumptionDocumentsNumbered(dm, number, date);
    std::vector<TConsumptionDocument> open;
    for (const TConsumptionDocument& d : all)
        if (!d.Reversed)
            open.push_back(d);
    if (open.size() == 1)
        return open.front().Counter;
    if (open.empty()) {
        if (all.empty())
            throw ERefused(QStringLiteral("Nu exista niciun document de consum (BMC) nr. %1%2.")
                               .arg(CounterText(number),
                                    date.isValid() ? QStringLiteral(" din ") + date.toString(QStringLiteral("dd.MM.yyyy")) : QString()));
        return all.front().Counter; // reversed or a reversal: the reversal says which
    }
    QStringList named;
    for (const TConsumptionDocument& d : open)
        named << QStringLiteral("%1 (contor %2)").arg(d.Label, CounterText(d.Counter));
    throw ERefused(QStringLiteral("Mai multe documente de consum au numarul %1: %2. Precizati data cu --date sau documentul "
                                  "cu --counter.")
                       .arg(CounterText(number), named.join(QStringLiteral(", "))));
}

int Run(const TArgs& args)
{
    TCompanySession company(Required(args, QStringLiteral("company")));
    TProductionData& dm = company.DataModule();
    double reversing = 0;
    QString reversed, written;
    try {
        const double document = ChosenDocument(dm, args);
        reversed = ConsumptionDocumentLabel(dm, document);
        reversing = ReverseConsumption(dm, document, dm.Requirement().AgentInitials());
        written = ConsumptionDocumentLabel(dm, reversing);
    } catch (const EReversalRefused& e) {
        throw ERefused(e.Message());
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::DatabaseError(e.Message()));
    }
    fw::MessageDlg(msg::ReversalWritten(reversed, written), fw::TMsgDlgType::Information);
    Out(CounterText(reversing) + QLatin1Char('\n'));
    return ExitDone;
}

} // namespace

extern const TCommand ReverseCommand{
    .Name = QStringLiteral("reverse"),
    .Summary = QStringLiteral("Anuleaza un document de consum (BMC) printr-un document de stornare"),
    .Usage = QStringLiteral("reverse --company DIR (--document N [--date AAAA-LL-ZZ] | --counter C)"),
    .Details = QStringLiteral(
        "Anuleaza documentul de consum ales, ca \"Anuleaza consumul\": scrie documentul de stornare (tip BMC,\n"
        "fiecare linie cu cantitatea opusa), intoarce fiecare cantitate in lotul din care a fost luata\n"
        "(un lot golit si sters intre timp este refacut din genealogie) si marcheaza documentul ca anulat,\n"
        "totul intr-o singura tranzactie. Scrie pe iesirea standard contorul documentului de stornare.\n"
        "Documentul se alege dupa numarul sau (al documentului de intrare consumat), cu --date cand\n"
        "numarul nu ajunge, sau dupa contor. Un numar care ramane ambiguu, un document deja anulat, o\n"
        "stornare sau un document fara genealogie al carui lot nu mai exista sunt refuzate (starea 3)."),
    .Options =
        {
            CompanyOption(),
            {QStringLiteral("document"), QStringLiteral("N"), QStringLiteral("Numarul documentului de consum.")},
            {QStringLiteral("date"), QStringLiteral("AAAA-LL-ZZ"),
             QStringLiteral("Data documentului de consum, cand mai multe au acelasi numar.")},
            {QStringLiteral("counter"), QStringLiteral("C"), QStringLiteral("Contorul documentului de consum.")},
        },
    .Run = Run,
};

} // namespace corvanel::cli

// corvanel demo: the demo company as the host makes it, with its production: the
// consumption of its finished-goods receipts written by the add-on's own generation.
#include "cli/Command.h"
#include "cli/CompanySession.h"
#include "cli/Console.h"
#include "cli/DemoMilk.h"
#include "cli/RequirementWork.h"
#include "data/Messages.h"
#include "data/ProductionData.h"
#include "host/DemoCompany.h"
#include "platform/core/Exceptions.h"
#include "requirement/Requirement.h"

#include <QDir>

namespace corvanel::cli {

namespace {

// The consumption of every receipt but the latest, whose kefir-grain shortage the demo
// shows on purpose: each document as the requirement form would write it untouched.
void WriteProduction(const QString& dir, const QDate& today, const std::vector<double>& receipts)
{
    const TCompanySession company(dir, TCompanySession::THold::AlreadyAlone);
    TProductionData& dm = company.DataModule();
    // The demo's opening stock of milk and curd is older than their shelf lives by the time
    // the first productions draw on it: its clerk agreed to each such document.
    TTextPresenter answers;
    answers.SetAnswerTo(msg::ExpiredLotsOpening(), fw::TModalResult::Yes);
    for (size_t i = 0; i + 1 < receipts.size(); ++i) {
        const TPreparedDocument prepared(dm, receipts[i]);
        std::optional<double> written;
        try {
            written = GenerateConsumption(dm, receipts[i], dm.Requirement().AgentInitials());
        } catch (const fw::EDatabaseError& e) {
            throw fw::EDatabaseError(msg::GenerationFailed(e.Message()));
        }
        // The demo's stock covers these receipts; a question here means it no longer does.
        if (!written)
            throw fw::EDatabaseError(
                QStringLiteral("Consumul documentului de intrare cu contorul %1 nu a putut fi generat.")
                    .arg(CounterText(receipts[i])));
    }
    try {
        WriteDemoMilk(dm, dir, today);
    } catch (const fw::EDatabaseError& e) {
        throw fw::EDatabaseError(msg::DatabaseError(e.Message()));
    }
}

int Run(const TArgs& args)
{
    const QString given = args.positionalArguments().constFirst();
    // An empty name would be the current directory, which the user did not name.
    if (given.trimmed().isEmpty())
        throw ERefused(QStringLiteral("Numele directorului firmei demonstrative este gol: dati un director (de exemplu "
                                      "/tmp/demo)."));
    const QString dir = QDir::cleanPath(QDir(given).absolutePath());
    // Making the demo wipes the demo: never a directory that holds anything else.
    if (const QString refusal = pelmaris::DemoRefusal(dir); !refusal.isEmpty())
        throw ERefused(refusal);
    const QDate today = QDate::currentDate();
    if (!pelmaris::CreateDemoCompany(dir, today,
                                     [&dir, &today](const std::vector<double>& receipts) { WriteProduction(dir, today, receipts); }))
        throw EInUse(QStringLiteral("Firma din directorul <%1> este deschisa in alt program: nu a fost creata din nou.")
                         .arg(QDir::toNativeSeparators(dir)));
    return ExitDone;
}

} // namespace

extern const TCommand DemoCommand{
    .Name = QStringLiteral("demo"),
    .Summary = QStringLiteral("Creeaza firma demonstrativa, cu productia ei"),
    .Usage = QStringLiteral("demo DIR"),
    .Details =
        QStringLiteral("Creeaza din nou firma demonstrativa in directorul DIR, ca pelmaris --demo: o fabrica de\n"
                       "lactate cu materii prime, retete, receptii si vanzari. Directorul este facut daca lipseste;\n"
                       "se sterg doar fisierele firmei demonstrative, iar un director care contine si altceva este\n"
                       "refuzat (starea 3). Pentru fiecare predare de produse finite, in afara de ultima (care arata\n"
                       "o lipsa de stoc), genereaza documentul de consum al materiilor prime; adauga un trimestru de\n"
                       "livrari de lapte de la trei furnizori, cu analizele lor. O firma deschisa in\n"
                       "alt program nu este atinsa (starea 4)."),
    .Options = {},
    .Run = Run,
    .Argument = QStringLiteral("DIR"),
};

} // namespace corvanel::cli

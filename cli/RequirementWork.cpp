#include "cli/RequirementWork.h"

#include "cli/Command.h"
#include "cli/Console.h"
#include "data/Messages.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"

namespace corvanel::cli {

namespace {

void Release(TProductionData& dm)
{
    try {
        CloseRequirement(dm);
    } catch (const fw::EDatabaseError& e) {
        // Only the working table of this run is left; the work itself is done.
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
    }
}

} // namespace

QString CounterText(double counter) { return CsvNumber(counter); }

TPreparedDocument::TPreparedDocument(TProductionData& dm, double counter) : dm_(dm)
{
    TPreparedRequirement prepared;
    try {
        prepared = PrepareRequirement(dm, counter);
    } catch (const fw::EDatabaseError& e) {
        Release(dm);
        throw fw::EDatabaseError(msg::PreparationFailed(e.Message()));
    }
    if (!prepared.ReceiptFound) {
        Release(dm);
        throw ERefused(QStringLiteral("Documentul de intrare cu contorul %1 nu exista.").arg(CounterText(counter)));
    }
    for (const QString& warning : PreparationWarnings(prepared))
        fw::MessageDlg(warning, fw::TMsgDlgType::Warning);
}

TPreparedDocument::~TPreparedDocument() { Release(dm_); }

} // namespace corvanel::cli

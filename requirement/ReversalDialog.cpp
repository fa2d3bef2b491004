#include "requirement/ReversalDialog.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/ui/MessageDlg.h"
#include "platform/ui/RowChoice.h"
#include "requirement/Requirement.h"

#include <memory>

namespace corvanel {

namespace {

// The receipt's documents to choose from, the latest current (the likeliest mistake);
// Enter means "Renunta", since choosing leads to a reversal.
fw::TRowChoice DocumentChoice(const std::vector<TConsumptionDocument>& documents)
{
    fw::TRowChoice choice;
    choice.Name = QStringLiteral("ReversalDlg");
    choice.Caption = QStringLiteral("Anuleaza consumul");
    choice.Prompt = QStringLiteral("Documentul de consum de anulat:");
    choice.GridName = QStringLiteral("DocumentGrid");
    choice.Headings = {QStringLiteral("Numar"), QStringLiteral("Data"), QStringLiteral("Contor")};
    choice.RightAligned = {0, 2};
    choice.Current = int(documents.size()) - 1;
    choice.OkCaption = QStringLiteral("&Anuleaza consumul");
    choice.OkIsDefault = false;
    choice.Size = QSize(380, 260);
    for (const TConsumptionDocument& d : documents)
        choice.Rows.push_back({DocumentNumberText(d.Number), d.Date.toString(QStringLiteral("dd.MM.yyyy")),
                               DocumentNumberText(d.Counter)});
    return choice;
}

} // namespace

bool ExecuteReversal(TProductionContext& context, QWidget* owner, double receipt)
{
    TProductionData& dm = *context.Data;
    std::vector<TConsumptionDocument> documents;
    try {
        documents = ReversibleDocumentsOf(dm, receipt);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
        return false;
    }
    if (documents.empty()) {
        fw::MessageDlg(msg::NothingToReverse(), fw::TMsgDlgType::Warning);
        return false;
    }
    const auto dlg = std::make_unique<fw::TRowChoiceDlg>(DocumentChoice(documents), owner);
    if (dlg->ShowModal() != fw::TModalResult::OK || dlg->chosenRow() < 0)
        return false;
    const TConsumptionDocument chosen = documents[size_t(dlg->chosenRow())];
    return AskAndReverse(dm, chosen);
}

} // namespace corvanel

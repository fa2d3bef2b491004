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
    fw::TRowChoice choice{.Name = QStringLiteral("ReversalDlg"),
                          .Caption = QStringLiteral("Anuleaza consumul"),
                          .Prompt = QStringLiteral("Documentul de consum de anulat:"),
                          .GridName = QStringLiteral("DocumentGrid"),
                          .Headings = {QStringLiteral("Numar"), QStringLiteral("Data"), QStringLiteral("Contor")},
                          .RightAligned = {0, 2},
                          .Current = int(documents.size()) - 1,
                          .OkCaption = QStringLiteral("&Anuleaza consumul"),
                          .OkIsDefault = false,
                          .Size = QSize(380, 260)};
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

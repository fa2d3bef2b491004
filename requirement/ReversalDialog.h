#pragma once

// "Anuleaza consumul" for one receipt: its consumption documents not yet reversed, one to
// choose, then the question and the reversal.

#include "platform/ui/Form.h"
#include "requirement/Reversal.h"

#include <vector>

class QPushButton;
class QTableWidget;

namespace corvanel {

struct TProductionContext;

class TReversalDlg final : public fw::TForm {
public:
    TReversalDlg(const std::vector<TConsumptionDocument>& documents, QWidget* owner);

    QTableWidget* DocumentGrid;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;

    // The document of the current row; null when there is none.
    const TConsumptionDocument* Chosen() const;

private:
    std::vector<TConsumptionDocument> documents_;
};

// Lets the user choose one of the consumption documents of incoming document `receipt`
// and reverses it after the question (AskAndReverse). A receipt without any is told so.
// True when a reversal was written. Database errors reading the documents are shown.
bool ExecuteReversal(TProductionContext& context, QWidget* owner, double receipt);

} // namespace corvanel

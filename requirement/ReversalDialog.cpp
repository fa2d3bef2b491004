#include "requirement/ReversalDialog.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <memory>

namespace corvanel {

TReversalDlg::TReversalDlg(const std::vector<TConsumptionDocument>& documents, QWidget* owner)
    : fw::TForm(owner), documents_(documents)
{
    setObjectName(QStringLiteral("ReversalDlg"));
    SetCaption(QStringLiteral("Anuleaza consumul"));
    SetPosition(fw::TPosition::OwnerFormCenter);

    auto* label = new QLabel(QStringLiteral("Documentul de consum de anulat:"), this);
    DocumentGrid = new QTableWidget(int(documents.size()), 3, this);
    DocumentGrid->setObjectName(QStringLiteral("DocumentGrid"));
    DocumentGrid->setHorizontalHeaderLabels({QStringLiteral("Numar"), QStringLiteral("Data"), QStringLiteral("Contor")});
    DocumentGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    DocumentGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    DocumentGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DocumentGrid->verticalHeader()->hide();
    DocumentGrid->horizontalHeader()->setStretchLastSection(true);
    for (int row = 0; row < int(documents.size()); ++row) {
        const TConsumptionDocument& d = documents[size_t(row)];
        const QString texts[] = {DocumentNumberText(d.Number), d.Date.toString(QStringLiteral("dd.MM.yyyy")),
                                 DocumentNumberText(d.Counter)};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (c != 1)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            DocumentGrid->setItem(row, c, item);
        }
    }
    DocumentGrid->resizeColumnsToContents();
    if (!documents.empty())
        DocumentGrid->setCurrentCell(int(documents.size()) - 1, 0); // the latest is the likeliest mistake

    OkBtn = new QPushButton(QStringLiteral("&Anuleaza consumul"), this);
    OkBtn->setObjectName(QStringLiteral("OkBtn"));
    OkBtn->setEnabled(!documents.empty());
    CancelBtn = new QPushButton(QStringLiteral("&Renunta"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    CancelBtn->setDefault(true);
    SetButtonModalResult(OkBtn, fw::TModalResult::OK);
    SetButtonModalResult(CancelBtn, fw::TModalResult::Cancel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OkBtn);
    buttons->addWidget(CancelBtn);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(DocumentGrid);
    layout->addLayout(buttons);
    resize(380, 260);
}

const TConsumptionDocument* TReversalDlg::Chosen() const
{
    const int row = DocumentGrid->currentRow();
    return row < 0 ? nullptr : &documents_[size_t(row)];
}

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
    const auto dlg = std::make_unique<TReversalDlg>(documents, owner);
    if (dlg->ShowModal() != fw::TModalResult::OK || !dlg->Chosen())
        return false;
    const TConsumptionDocument chosen = *dlg->Chosen();
    return AskAndReverse(dm, chosen);
}

} // namespace corvanel

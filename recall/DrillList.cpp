#include "recall/DrillList.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "data/Queries.h"
#include "platform/core/Exceptions.h"
#include "platform/print/Printer.h"
#include "platform/ui/MessageDlg.h"
#include "recall/RecallDrill.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace corvanel {

void ShowDrills(TProductionContext& context, QWidget* owner)
{
    std::vector<TDrill> drills;
    try {
        drills = ReadDrills(context.Session(), KRBPROD);
    } catch (const fw::EDatabaseError& e) {
        fw::MessageDlg(msg::DatabaseError(e.Message()), fw::TMsgDlgType::Error);
        return;
    }
    QDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("DrillList"));
    dialog.setWindowTitle(QStringLiteral("Exercitii de retragere"));
    auto* list = new QTreeWidget(&dialog);
    list->setObjectName(QStringLiteral("DrillTree"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("Inceput (UTC)"), QStringLiteral("Operator"), QStringLiteral("Lot"),
                           QStringLiteral("Directie"), QStringLiteral("Cautare ms"), QStringLiteral("Arbore ms"),
                           QStringLiteral("Bilant ms"), QStringLiteral("Raport ms"), QStringLiteral("Total ms"),
                           QStringLiteral("Loturi"), QStringLiteral("Clienti")});
    for (const TDrill& d : drills) {
        auto* item = new QTreeWidgetItem(
            list, {d.Start.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), d.Operator, d.Lot,
                   d.Direction == TRecallDirection::Forward ? QStringLiteral("inainte") : QStringLiteral("inapoi"),
                   QString::number(d.Search), QString::number(d.Tree), QString::number(d.Balance), QString::number(d.Report),
                   QString::number(d.Total()), QString::number(d.Lots), QString::number(d.Customers)});
        for (int c = 4; c < item->columnCount(); ++c)
            item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
    }
    for (int c = 0; c < list->columnCount(); ++c)
        list->resizeColumnToContents(c);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(900, 400);
    // Runs as the printing dialogs do, so that a test can look at it and close it.
    fw::ExecPrintModal(dialog);
}

} // namespace corvanel

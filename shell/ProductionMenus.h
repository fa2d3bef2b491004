#pragma once

// The menus module: the two menus the add-on hands to the host, built from the table of
// the add-on's commands (ProductionMenus.cpp), what those commands do, and what the host
// handed over for them. It makes the data module and owns it.

#include "platform/config/IniFile.h"
#include "platform/core/Formats.h"
#include "platform/db/DataSet.h"
#include "platform/ui/Form.h"
#include "platform/ui/Menus.h"

#include <QObject>
#include <QPointer>
#include <memory>

namespace corvanel {

struct TProductionContext;

class TProductionMenus final : public QObject {
public:
    // Reads the host's settings file (its network control directory) first, so that a
    // file that cannot be read leaves nothing half made, then makes the data module.
    TProductionMenus(TProductionContext& context, QObject* owner);
    ~TProductionMenus() override;

    TProductionContext& Context() const { return context_; }

    fw::TMainMenu* MainMenu;  // merged into the host's main window
    fw::TMainMenu* DocInMenu; // merged into the host's receipt window while it is active
    // The command or menu of that name (the names of the command table), or null.
    fw::TMenuItem* Item(const QString& name) const;

    // What the host handed over for the document menu (not owned): the receipt window
    // last opened and its header dataset.
    QPointer<QObject> ReceiptWindow;
    QPointer<fw::TDataSet> ReceiptHeaders;
    // The traceability report's period and warehouse selection, kept between runs.
    fw::TDateTime TraceabilityFrom = 0;
    fw::TDateTime TraceabilityTo = 0;
    QString TraceabilityWarehouses;
    // The expiring lots report's days ahead and warehouse selection, kept between runs.
    int ExpiringDays = 7;
    QString ExpiringWarehouses;
    // The lot cost and variance reports' period, kept between runs.
    fw::TDateTime CostFrom = 0;
    fw::TDateTime CostTo = 0;
    // The products last chosen for the variance report (empty: all), offered again.
    QStringList VarianceProducts;

    // The commands.
    // "Retete de productie": the recipe editor, at most one, brought back when open.
    void OpenRecipeEditor();
    // "&Configurare productie": the settings dialog, modal.
    void OpenSettings();
    // "Trasabilitate produse": the report, after its questions.
    void RunTraceabilityReport();
    // "Loturi care expira": the report, after its questions.
    void RunExpiringLotsReport();
    // "Calcul necesar tehnic": the requirement of the receipt the host's window stands on.
    void OpenRequirement();
    // "Anuleaza consumul": one of the current receipt's consumption documents reversed.
    void ReverseConsumption();
    // "Urmarire lot": following a lot, at most one window, brought back when open.
    void OpenRecall();
    // "Etichete lot": a finished lot's GS1 labels printed or saved, in a modal dialog.
    void PrintLotLabels();
    // "Analize laborator": a lot's results against their norms, a result entered, the lot
    // held or released, in a modal dialog.
    void OpenLabResults();
    // "Eliberare obligatorie": the articles whose new lots wait for a release, in a modal
    // dialog.
    void OpenReleaseRequired();
    // "Receptie lapte", "Calitatea laptelui pe furnizori", "Decont lunar lapte": modal dialogs.
    void OpenMilkIntake();
    void OpenMilkSettings();
    void OpenMilkQuality();
    void OpenMilkStatement();
    // "Costul loturilor fabricate": the report, after its questions.
    void RunLotCostReport();
    // "Necesar fata de consum": the report, after its questions.
    void RunYieldVarianceReport();
    // "Tablou de bord": the dashboard, at most one window, brought back when open.
    void OpenDashboard();

private:
    void BuildMenus();
    void RefreshReceipts();
    void StartCostPeriod();
    // The requirement of one receipt, its window owned by `owner`, run to its end.
    void RunRequirement(double receipt, QWidget* owner);

    TProductionContext& context_;
    std::unique_ptr<fw::TIniFile> hostIniFile_;
    QPointer<fw::TForm> recallForm_;
    QPointer<fw::TForm> dashboardForm_;
};

} // namespace corvanel

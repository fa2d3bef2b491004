#pragma once

// "Tablou de bord": what a manager looks at first. The lots expiring within the settings'
// days, the receipts of finished goods still waiting for their consumption, and this
// month's production against last month's; each a click away from the window that deals
// with it.

#include "platform/ui/Form.h"

#include <functional>
#include <memory>

namespace corvanel {

struct TProductionContext;
struct TDashboard;

// The windows the dashboard leads to, given by whoever opens it (the menus): the
// dashboard knows no window of the requirement or of the reports' questions.
struct TDashboardActions {
    std::function<void()> OpenExpiringLots;
    std::function<void(double receipt)> OpenRequirement; // of the receipt (its Contor)
    // The laboratory's window on a lot (group, article, lot name).
    std::function<void(const QString& group, const QString& article, const QString& lot)> OpenLabResults;
};

class TDashboardForm final : public fw::TForm {
public:
    // A child window of the host's main window, which frees itself when closed; reads
    // what it shows at once (a database error is told, the lists left empty).
    TDashboardForm(TProductionContext& context, QWidget* owner, TDashboardActions actions);
    ~TDashboardForm() override;

    // Reads everything again.
    void refresh();
    // What was read last.
    const TDashboard& dashboard() const;

private:
    void showDashboard();
    void openExpiringLots();
    void openSelectedReceipt();
    void openSelectedLotsResults();
    void updateButtons();
    void showCharts();
    // Asks for a file and saves the chart shown as a PNG picture there.
    void saveChartPng();

    struct Ui;
    std::unique_ptr<Ui> ui_;
    TProductionContext& context_;
    TDashboardActions actions_;
};

} // namespace corvanel

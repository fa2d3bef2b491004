#pragma once

// A month's figures per farmer in a window: "Calitatea laptelui pe furnizori" (with the
// chosen farmer's year as a chart) or "Decont lunar lapte"; each saved as PDF or CSV.

#include <QDialog>
#include <memory>

namespace corvanel {

struct TProductionContext;

enum class TMilkMonthKind { Quality, Statement };

class TMilkMonthForm final : public QDialog {
    Q_OBJECT
public:
    TMilkMonthForm(TProductionContext& context, TMilkMonthKind kind, QWidget* parent);
    ~TMilkMonthForm() override;

    // The month's figures read again.
    void showMonth();

private:
    void buildControls();
    void showFarmerYear();
    void savePdf();
    void saveCsv();

    struct Ui;
    TProductionContext& context_;
    TMilkMonthKind kind_;
    std::unique_ptr<Ui> ui_;
};

void ExecuteMilkMonth(TProductionContext& context, TMilkMonthKind kind, QWidget* owner);

} // namespace corvanel

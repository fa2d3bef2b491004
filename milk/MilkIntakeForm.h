#pragma once

// "Receptie lapte": the day's deliveries by farmer, a delivery entered with its results,
// and the deliveries ticked emptied into a tank lot.

#include <QDialog>
#include <memory>

namespace fw {
class Connection;
}

namespace corvanel {

struct TProductionContext;

class TMilkIntakeForm final : public QDialog {
    Q_OBJECT
public:
    TMilkIntakeForm(TProductionContext& context, QWidget* parent);
    ~TMilkIntakeForm() override;

    // The day's deliveries read again.
    void showDay();

private:
    void buildControls();
    void offerSuppliers(fw::Connection& engine);
    void addDelivery();
    void emptyIntoTank();
    bool loadSettings();

    struct Ui;
    TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
};

// Shows the window, modal, over the owner.
void ExecuteMilkIntake(TProductionContext& context, QWidget* owner);

} // namespace corvanel

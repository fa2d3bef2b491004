#pragma once

// "Analize laborator": a lot chosen by article and lot, its standing and its laboratory
// results against their norms; a result entered (judged as the import judges it), the lot
// held or released with a reason.

#include <QDialog>
#include <memory>

namespace corvanel {

struct TProductionContext;

class TLabResultsDialog final : public QDialog {
    Q_OBJECT
public:
    TLabResultsDialog(TProductionContext& context, QWidget* parent);
    ~TLabResultsDialog() override;

    // The lot shown: its standing and results read again.
    void showLot();
    // Shows that lot (group, article, lot name), as if typed.
    void showLot(const QString& group, const QString& article, const QString& lot);

private:
    void buildControls();
    void addResult();
    void holdLot();
    void releaseLot();
    void changeStanding(bool hold);

    struct Ui;
    TProductionContext& context_;
    std::unique_ptr<Ui> ui_;
};

// Shows the window, modal, over the owner; on the lot given, when one is.
void ExecuteLabResults(TProductionContext& context, QWidget* owner, const QString& group = QString(),
                       const QString& article = QString(), const QString& lot = QString());

} // namespace corvanel

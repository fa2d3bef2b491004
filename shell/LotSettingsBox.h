#pragma once

// The lot settings in the production settings dialog: the order lots are drawn in, whether
// expired lots are drawn, how many days ahead a lot counts as expiring, and the decimals
// the requirement counts in.

#include <QFrame>
#include <memory>

namespace corvanel {

struct TProductionSettings;

class TLotSettingsBox final : public QFrame {
public:
    explicit TLotSettingsBox(QWidget* parent);
    ~TLotSettingsBox() override;

    void showSettings(const TProductionSettings& settings);
    void takeSettings(TProductionSettings& settings) const;
    // Puts the box's controls in the Tab order after `before`; returns the last of them.
    QWidget* chainTabOrder(QWidget* before);

private:
    struct Ui;
    std::unique_ptr<Ui> ui_;
};

} // namespace corvanel

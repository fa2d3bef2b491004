#pragma once

// The lot settings in the production settings dialog: the order lots are drawn in, whether
// expired lots are drawn, how many days ahead a lot counts as expiring, and the decimals
// the requirement counts in.

#include <QFrame>

class QComboBox;
class QSpinBox;

namespace corvanel {

struct TProductionSettings;

class TLotSettingsBox final : public QFrame {
public:
    explicit TLotSettingsBox(QWidget* parent);

    QComboBox* LotOrderCombo;
    QComboBox* ExpiredLotsCombo;
    QSpinBox* ExpiringDaysEdit;
    QSpinBox* DecimalsEdit;

    void Show(const TProductionSettings& settings);
    void Take(TProductionSettings& settings) const;
    // The last of the box's controls in the Tab order, after `before`.
    QWidget* ChainTabOrder(QWidget* before);
};

} // namespace corvanel

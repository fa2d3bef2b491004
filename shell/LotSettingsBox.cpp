#include "shell/LotSettingsBox.h"

#include "data/ProductionSettings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

namespace corvanel {

TLotSettingsBox::TLotSettingsBox(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("LotSettingsBox"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(12);
    auto row = [&](const QString& text, QWidget* edit, int at) {
        auto* label = new QLabel(text, this);
        label->setWordWrap(true);
        label->setBuddy(edit);
        grid->addWidget(label, at, 0);
        grid->addWidget(edit, at, 1, Qt::AlignVCenter);
    };
    LotOrderCombo = new QComboBox(this);
    LotOrderCombo->setObjectName(QStringLiteral("LotOrderCombo"));
    // In the order of TLotOrder.
    LotOrderCombo->addItems({QStringLiteral("In ordinea din tabela de stocuri"),
                             QStringLiteral("Primul intrat, primul iesit (FIFO)"),
                             QStringLiteral("Primul care expira (FEFO)")});
    row(QStringLiteral("Ordinea in care se consuma loturile unui material:"), LotOrderCombo, 0);
    ExpiredLotsCombo = new QComboBox(this);
    ExpiredLotsCombo->setObjectName(QStringLiteral("ExpiredLotsCombo"));
    ExpiredLotsCombo->addItems({QStringLiteral("Se consuma"), QStringLiteral("Nu se consuma si nu intra in stoc")});
    row(QStringLiteral("Loturile expirate la data documentului:"), ExpiredLotsCombo, 1);
    ExpiringDaysEdit = new QSpinBox(this);
    ExpiringDaysEdit->setObjectName(QStringLiteral("ExpiringDaysEdit"));
    ExpiringDaysEdit->setRange(0, MaxExpiringDays);
    row(QStringLiteral("Se semnaleaza loturile care expira in cel mult (zile):"), ExpiringDaysEdit, 2);
    DecimalsEdit = new QSpinBox(this);
    DecimalsEdit->setObjectName(QStringLiteral("DecimalsEdit"));
    DecimalsEdit->setRange(0, MaxRequirementDecimals);
    row(QStringLiteral("Zecimale necesar:"), DecimalsEdit, 3);
}

void TLotSettingsBox::Show(const TProductionSettings& settings)
{
    LotOrderCombo->setCurrentIndex(static_cast<int>(settings.LotOrder));
    ExpiredLotsCombo->setCurrentIndex(settings.DrawExpiredLots ? 0 : 1);
    ExpiringDaysEdit->setValue(settings.ExpiringWithinDays);
    DecimalsEdit->setValue(settings.RequirementDecimals);
}

void TLotSettingsBox::Take(TProductionSettings& settings) const
{
    settings.LotOrder = static_cast<TLotOrder>(LotOrderCombo->currentIndex());
    settings.DrawExpiredLots = ExpiredLotsCombo->currentIndex() == 0;
    settings.ExpiringWithinDays = ExpiringDaysEdit->value();
    settings.RequirementDecimals = DecimalsEdit->value();
}

QWidget* TLotSettingsBox::ChainTabOrder(QWidget* before)
{
    QWidget::setTabOrder(before, LotOrderCombo);
    QWidget::setTabOrder(LotOrderCombo, ExpiredLotsCombo);
    QWidget::setTabOrder(ExpiredLotsCombo, ExpiringDaysEdit);
    QWidget::setTabOrder(ExpiringDaysEdit, DecimalsEdit);
    return DecimalsEdit;
}

} // namespace corvanel

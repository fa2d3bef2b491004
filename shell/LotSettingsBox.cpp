#include "shell/LotSettingsBox.h"

#include "data/ProductionSettings.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QSpinBox>

namespace corvanel {

struct TLotSettingsBox::Ui {
    QComboBox* lotOrder = nullptr;
    QComboBox* expiredLots = nullptr;
    QSpinBox* expiringDays = nullptr;
    QSpinBox* decimals = nullptr;
};

TLotSettingsBox::TLotSettingsBox(QWidget* parent) : QFrame(parent), ui_(std::make_unique<Ui>())
{
    setObjectName(QStringLiteral("LotSettingsBox"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    const auto combo = [this](const char* name, const QStringList& items) {
        auto* c = new QComboBox(this);
        c->setObjectName(QLatin1String(name));
        c->addItems(items);
        return c;
    };
    const auto spin = [this](const char* name, int maximum) {
        auto* s = new QSpinBox(this);
        s->setObjectName(QLatin1String(name));
        s->setRange(0, maximum);
        return s;
    };
    Ui& u = *ui_;
    // In the order of TLotOrder.
    u.lotOrder = combo("LotOrderCombo", {QStringLiteral("In ordinea din tabela de stocuri"),
                                         QStringLiteral("Primul intrat, primul iesit (FIFO)"),
                                         QStringLiteral("Primul care expira (FEFO)")});
    u.expiredLots = combo("ExpiredLotsCombo",
                          {QStringLiteral("Se consuma"), QStringLiteral("Nu se consuma si nu intra in stoc")});
    u.expiringDays = spin("ExpiringDaysEdit", MaxExpiringDays);
    u.decimals = spin("DecimalsEdit", MaxRequirementDecimals);

    // The questions wrap in a column that takes the width; the answers keep theirs.
    auto* grid = new QGridLayout(this);
    grid->setColumnStretch(0, 1);
    grid->setHorizontalSpacing(12);
    const std::pair<QString, QWidget*> rows[] = {
        {QStringLiteral("Ordinea in care se consuma loturile unui material:"), u.lotOrder},
        {QStringLiteral("Loturile expirate la data documentului:"), u.expiredLots},
        {QStringLiteral("Se semnaleaza loturile care expira in cel mult (zile):"), u.expiringDays},
        {QStringLiteral("Zecimale necesar:"), u.decimals}};
    int row = 0;
    for (const auto& [question, answer] : rows) {
        auto* label = new QLabel(question, this);
        label->setWordWrap(true);
        label->setBuddy(answer);
        grid->addWidget(label, row, 0);
        grid->addWidget(answer, row++, 1, Qt::AlignVCenter);
    }
}

TLotSettingsBox::~TLotSettingsBox() = default;

void TLotSettingsBox::showSettings(const TProductionSettings& settings)
{
    Ui& u = *ui_;
    u.lotOrder->setCurrentIndex(static_cast<int>(settings.LotOrder));
    u.expiredLots->setCurrentIndex(settings.DrawExpiredLots ? 0 : 1);
    u.expiringDays->setValue(settings.ExpiringWithinDays);
    u.decimals->setValue(settings.RequirementDecimals);
}

void TLotSettingsBox::takeSettings(TProductionSettings& settings) const
{
    const Ui& u = *ui_;
    settings.LotOrder = static_cast<TLotOrder>(u.lotOrder->currentIndex());
    settings.DrawExpiredLots = u.expiredLots->currentIndex() == 0;
    settings.ExpiringWithinDays = u.expiringDays->value();
    settings.RequirementDecimals = u.decimals->value();
}

QWidget* TLotSettingsBox::chainTabOrder(QWidget* before)
{
    const Ui& u = *ui_;
    QWidget::setTabOrder(before, u.lotOrder);
    QWidget::setTabOrder(u.lotOrder, u.expiredLots);
    QWidget::setTabOrder(u.expiredLots, u.expiringDays);
    QWidget::setTabOrder(u.expiringDays, u.decimals);
    return u.decimals;
}

} // namespace corvanel

#include "reports/ProductFilterDialog.h"

#include "data/ProductionContext.h"
#include "platform/print/Printer.h"
#include "reports/TableReport.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace corvanel {

namespace {

constexpr int kCodeRole = Qt::UserRole;

} // namespace

TProductFilterDialog::TProductFilterDialog(const std::vector<TRecipeProduct>& products, const QStringList& chosen,
                                           QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ProductFilterDialog"));
    setWindowTitle(QStringLiteral("Produsele raportului"));
    buildControls(products, chosen);
    showWhatCanBeChosen();
}

void TProductFilterDialog::buildControls(const std::vector<TRecipeProduct>& products, const QStringList& chosen)
{
    everyProduct_ = new QCheckBox(QStringLiteral("&Toate produsele"), this);
    everyProduct_->setObjectName(QStringLiteral("EveryProductCheck"));
    products_ = new QListWidget(this);
    products_->setObjectName(QStringLiteral("ProductList"));
    // A choice kept from an earlier run whose products are all gone (another company, a
    // recipe deleted) is no choice: every product then, rather than an empty list.
    bool anyKnown = false;
    for (const TRecipeProduct& p : products) {
        anyKnown = anyKnown || chosen.contains(p.Code);
        auto* item = new QListWidgetItem(p.Code + QStringLiteral("  ") + p.Name, products_);
        item->setData(kCodeRole, p.Code);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(chosen.contains(p.Code) ? Qt::Checked : Qt::Unchecked);
    }
    everyProduct_->setChecked(!anyKnown);
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons_->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Deschide"));
    buttons_->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Renunta"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(everyProduct_);
    layout->addWidget(new QLabel(QStringLiteral("Produsele cu reteta (bifati-le pe cele dorite):"), this));
    layout->addWidget(products_);
    layout->addWidget(buttons_);

    connect(everyProduct_, &QCheckBox::toggled, this, [this] { showWhatCanBeChosen(); });
    connect(products_, &QListWidget::itemChanged, this, [this] { showWhatCanBeChosen(); });
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TProductFilterDialog::showWhatCanBeChosen()
{
    products_->setEnabled(!everyProduct_->isChecked());
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(everyProduct_->isChecked() || !chosenProducts().isEmpty());
}

QStringList TProductFilterDialog::chosenProducts() const
{
    QStringList codes;
    if (everyProduct_->isChecked())
        return codes;
    for (int i = 0; i < products_->count(); ++i)
        if (products_->item(i)->checkState() == Qt::Checked)
            codes << products_->item(i)->data(kCodeRole).toString();
    return codes;
}

bool AskReportProducts(TProductionContext& context, QWidget* owner, QStringList& products)
{
    std::vector<TRecipeProduct> recipes;
    if (!ReadReportRows(context, owner, [&] { recipes = ReadRecipeProducts(context.Session()); }))
        return false;
    TProductFilterDialog dialog(recipes, products, owner);
    // Run as the other modal windows of reports are, so that a script can answer it.
    if (fw::ExecPrintModal(dialog) != QDialog::Accepted)
        return false;
    products = dialog.chosenProducts();
    return true;
}

} // namespace corvanel

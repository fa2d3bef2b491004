#pragma once

// Which products a report is about: every one, or those ticked in a list of the products
// that have a recipe.

#include "reports/YieldVariance.h"

#include <QDialog>
#include <QStringList>
#include <vector>

class QCheckBox;
class QDialogButtonBox;
class QListWidget;

namespace corvanel {

struct TProductionContext;

class TProductFilterDialog final : public QDialog {
public:
    // `chosen` ticked to start with; none: every product.
    TProductFilterDialog(const std::vector<TRecipeProduct>& products, const QStringList& chosen, QWidget* parent);

    // The codes ticked, in the list's order; empty for every product.
    QStringList chosenProducts() const;

private:
    void buildControls(const std::vector<TRecipeProduct>& products, const QStringList& chosen);
    // The list is for choosing only while "every product" is cleared, and the choice can be
    // confirmed only when it names at least one product.
    void showWhatCanBeChosen();

    QCheckBox* everyProduct_ = nullptr;
    QListWidget* products_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

// Reads the products with a recipe (telling the user when the database cannot be read) and
// asks which of them; false when that failed or was cancelled. `products` is given back as
// the user left it.
bool AskReportProducts(TProductionContext& context, QWidget* owner, QStringList& products);

} // namespace corvanel

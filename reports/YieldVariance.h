#pragma once

// Planned against actual: per receipt and product, what the recipes asked at the product's
// yield against what the consumption documents drew for it (the clerk may have changed the
// requirement before writing the consumption), per material and in total, in quantity,
// value and per cent.

#include "reports/BatchDraws.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace fw {
class TSession;
}

namespace corvanel {

// One recipe term of a receipt line: line quantity x recipe quantity / the product's yield.
struct TPlannedTerm {
    double Receipt = 0;
    double Line = 0;
    QString Group;
    QString Code;
    double Quantity = 0;
};

struct TMaterialVariance {
    QString Group; // both empty on the total of a product
    QString Code;
    double Planned = 0;
    double Actual = 0;
    double ActualValue = 0; // what was drawn, at its lots' prices
    // What the plan is valued at: the price this batch paid for the material, or the
    // period's average price of it when the batch drew none; NaN when the period drew none.
    double Price = 0;
    double PlannedValue = 0; // Planned x Price; NaN with it

    double QuantityVariance() const { return Actual - Planned; }
    double ValueVariance() const { return ActualValue - PlannedValue; }
    // Variance per cent of the plan; NaN when nothing was planned.
    double QuantityPercent() const;
    double ValuePercent() const;
};

struct TProductVariance {
    double Receipt = 0;
    double Number = 0;
    QDate Date;
    QString Group;
    QString Code;
    QString Name;
    QString Unit;
    double Quantity = 0; // made, over the receipt's lines of the product
    std::vector<TMaterialVariance> Materials; // by group and code
    TMaterialVariance Total;                  // sums; a value NaN when one material's is
};

// The variances from what was read: terms and draws in any order, products in the order
// of their first line.
std::vector<TProductVariance> YieldVariances(const std::vector<TBatchLine>& lines, const std::vector<TPlannedTerm>& terms,
                                             const std::vector<TBatchDraw>& draws);

// The recipe terms of the receipts of the period (products without a yield have none).
std::vector<TPlannedTerm> ReadPlannedTerms(fw::TSession* session, const TBatchPeriod& period);

// A product the variance may be asked for: one with a recipe.
struct TRecipeProduct {
    QString Code;
    QString Name;
};
// The products with a recipe, by code, each code once (named by its first catalog row).
// EDatabaseError when the company cannot be read.
std::vector<TRecipeProduct> ReadRecipeProducts(fw::TSession* session);

// Reads and works out the variances of the period, of the products named by code (none:
// every one). EDatabaseError when the company cannot be read.
std::vector<TProductVariance> ReadYieldVariances(fw::TSession* session, const TBatchPeriod& period,
                                                 const QStringList& products);

} // namespace corvanel

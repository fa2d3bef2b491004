#pragma once

// The production data module: the session and the company database, the rules on articles
// and the refusals of a recipe or requirement line, and the two parts whose datasets those
// rules are about: the recipe editor's (TRecipeData) and the requirement's
// (TRequirementSession). It shows nothing: a check gives its verdict, and a refusal's
// warning is shown by whoever puts windows over the module (ShowWarning).

#include "data/ProductionContext.h"
#include "data/RecipeData.h"
#include "data/RequirementSession.h"
#include "data/StockLedger.h"
#include "platform/db/Database.h"

#include <QDate>
#include <QObject>
#include <functional>
#include <optional>

namespace corvanel {

class TProductionData final : public QObject {
public:
    // Becomes the context's data module.
    TProductionData(TProductionContext& context, QObject* owner);
    ~TProductionData() override;

    TProductionContext& Context() const { return context_; }

    // The add-on's own database session and the component that defines KRBPROD.
    fw::TSession* Session;
    fw::TDatabase* ProductionDatabase;

    // Points KRBPROD at a company directory (disconnect, one parameter "PATH=<dir>" exactly
    // as given, connect) and makes sure the add-on's own tables and the indexes the
    // add-on seeks by are there.
    void ConnectTo(const QString& directory);
    // Creates the add-on's own tables (genealogy, reversals, lots' standings) the company
    // lacks (not on a company the user may only read: one without the standings' table
    // counts every lot as released).
    void EnsureAddOnTables();

    // The recipe editor's datasets and the requirement's session.
    TRecipeData& Recipes() const { return *recipes_; }
    TRequirementSession& Requirement() const { return *requirement_; }

    // The stock as a document of `day` sees it (invalid: every lot, whenever it entered),
    // under the settings' rule; on the production connection.
    TStockLedger Ledger(const QDate& day);

    // The rules on articles, by the production settings' prefixes.
    // The product rule: products are the articles that are not raw materials.
    bool IsProduct(const QString& code) const;
    // The material rule: raw materials and semi-finished products.
    bool IsMaterial(const QString& code) const;

    // The checks of a recipe line and of a requirement line: the warning that refuses the
    // material or the row, or nothing when it is accepted.
    std::optional<QString> RecipeMaterialRefusal(const QString& group, const QString& code);
    std::optional<QString> RequirementMaterialRefusal(const QString& group, const QString& code);
    std::optional<QString> RecipeLineRefusal(const fw::TDataSet& line) const;
    std::optional<QString> RequirementLineRefusal(const fw::TDataSet& line) const;

    // Shows a refusal's warning before the silent abort that refuses the value or the row;
    // set by whoever puts windows over the module (the menus module, the tool, a test).
    // Unset, a refusal is an error with the warning's text, never a silent one.
    std::function<void(const QString& warning)> ShowWarning;
    // The warning, then the silent abort.
    [[noreturn]] void Refuse(const QString& warning) const;

private:
    // A line's material is accepted when the view (raw materials and semi-finished
    // products) holds it under the line's group; a line without group or code yet is not
    // checked.
    bool MaterialAccepted(fw::TTable* materials, const QString& group, const QString& code) const;

    TProductionContext& context_;
    TRecipeData* recipes_;
    TRequirementSession* requirement_;
    bool lotStates_ = true; // false only for a company found without the lots' standings table
    bool releaseKept_ = true; // false only for one found without the articles that require a release
    bool ownExpiry_ = true; // false only for one whose stock could not take the lots' own expiry dates
    // Whether the engine keeps each article's total per warehouse: made sure of when the
    // add-on connects (EnsureStockTotals), else asked once of the connection.
    std::optional<bool> stockTotals_;
    std::optional<QString> ownDatesIndex_; // TLotRule::OwnDatesIndex, asked once per connection
};

// What is left of a stock once `need` is taken, to hundredths (halves to even): the grid's
// final stock, and what the consumption document decides a shortage by.
double FinalStock(double onHand, double need);

} // namespace corvanel

#pragma once

// The production data module: every dataset the recipe editor, the requirement form and the
// consumption document work on, the links between them, and the rules on their data. It
// shows nothing: a check gives its verdict, and a refusal's warning is shown by whoever
// puts windows over the module (ShowWarning).

#include "data/ProductionContext.h"
#include "data/StockLedger.h"
#include "platform/db/BatchMove.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QDate>
#include <QObject>
#include <QPointer>
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
    // Creates the add-on's own tables (genealogy, reversals) the company lacks (not on a
    // company the user may only read).
    void EnsureAddOnTables();

    fw::TTable* ProductTable;             // products: CATALOG.DB without raw materials
    fw::TTable* RetetaTable;              // the recipe of the current product
    fw::TTable* RequirementMaterialTable; // raw materials and semi-finished products (requirement)
    fw::TTable* RecipeMaterialTable;      // raw materials and semi-finished products (recipes)
    fw::TTable* StocTable;
    fw::TTable* TempTable;                // the requirement of one incoming document (temp.DB)
    fw::TTable* DocInTable;
    fw::TTable* ItemInTable;
    fw::TTable* DocOutTable;
    fw::TTable* ItemOutTable;
    fw::TTable* CounterTable;
    fw::TTable* AgentsTable;
    fw::TQuery* RequirementTermsQuery;
    fw::TQuery* RequirementSumQuery;
    fw::TQuery* RecipeRowsQuery;
    fw::TQuery* NoYieldQuery; // products of a receipt whose recipe cannot be counted
    fw::TQuery* ShelfLifeQuery;
    fw::TBatchMove* TempBatchMove;

    fw::TDataSource* ProductSource;
    fw::TDataSource* RetetaSource;
    fw::TDataSource* DocInSource;
    fw::TDataSource* ItemInSource;
    fw::TDataSource* RequirementTermsSource;
    fw::TDataSource* TempSource;
    fw::TDataSource* StocSource;
    fw::TDataSource* CounterSource;
    fw::TDataSource* DocOutSource;
    fw::TDataSource* ItemOutSource;
    fw::TDataSource* AgentsSource;

    // The reactions the datasets call.
    void ProductTableFilterRecord(fw::TDataSet* dataSet, bool& accept);
    void RequirementMaterialTableFilterRecord(fw::TDataSet* dataSet, bool& accept);
    void RecipeMaterialTableFilterRecord(fw::TDataSet* dataSet, bool& accept);
    void RetetaTableCod_MatPrimValidate(fw::TField* sender);
    void RetetaTableBeforePost(fw::TDataSet* dataSet);
    void TempTableCod_MatPrimValidate(fw::TField* sender);
    void TempTableBeforePost(fw::TDataSet* dataSet);
    void TempTableCalcFields(fw::TDataSet* dataSet);
    void TempSourceStateChange(fw::TDataSource* sender);
    void TempSourceDataChange(fw::TDataSource* sender, fw::TField* field);
    void ProductSourceDataChange(fw::TDataSource* sender, fw::TField* field);

    // Stock on hand of a material: the lots of that group and code that the stock rule
    // lets count and that entered by `day` (or have no entry date; invalid: every lot), less
    // those expired on `day` when the settings leave expired lots out (their quantity in
    // `expiredLeftOut`).
    double StockOnHand(const QString& group, const QString& code, const QDate& day, double* expiredLeftOut = nullptr);
    // Opens the requirement's rows with their stock figures judged on `day`, its receipt's
    // date (invalid: every lot); the rows keep that day until they are opened again.
    void OpenRequirementRows(const QDate& day);
    // The initials of the agent a document is written under: the agents table's current
    // row, the first user as the table opens (opened for the question and closed again when
    // it is not open); empty when there is no user.
    QString AgentInitials();
    // An article's shelf life in days; 0 when it keeps none.
    double ShelfLife(const QString& group, const QString& code);

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

    // Empties the product search and shows the empty text where the recipe editor shows it.
    void ClearProductSearch();
    // The recipe editor tells the module how its label follows the search text, since the
    // module does not know the window. Removing names the view, so that an editor going
    // away cannot take the place of the one opened after it.
    void SetProductSearchView(QObject* view, std::function<void()> show);
    void RemoveProductSearchView(QObject* view);

    // Told whether the requirement has rows each time its data changes, while the
    // requirement form is open (the form registers it; it enables its generate button).
    std::function<void(bool hasRows)> RequirementRowsChanged;

private:
    // A line's material is accepted when the view (raw materials and semi-finished
    // products) holds it under the line's group; a line without group or code yet is not
    // checked.
    bool MaterialAccepted(fw::TTable* materials, const QString& group, const QString& code) const;
    // The warning, then the silent abort.
    [[noreturn]] void Refuse(const QString& warning) const;

    fw::TTable* NewTable(const QString& name, const QString& database, const QString& file);
    fw::TQuery* NewQuery(const QString& name, const QString& database, const QStringList& sql);
    fw::TDataSource* NewSource(const QString& name, fw::TDataSet* dataSet);

    TProductionContext& context_;
    // The day the open requirement rows' stock figures are judged on.
    QDate rowsDay_;
    // Where the search text is shown, while a recipe editor is open.
    QPointer<QObject> searchView_;
    std::function<void()> showSearch_;
};

// What is left of a stock once `need` is taken, to hundredths (halves to even): the grid's
// final stock, and what the consumption document decides a shortage by.
double FinalStock(double onHand, double need);

} // namespace corvanel

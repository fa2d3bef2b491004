#pragma once

// The production data module: every dataset the recipe editor, the requirement form and the
// consumption document work on, the links between them, and the rules on their data.

#include "platform/db/BatchMove.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QObject>
#include <functional>

namespace corvanel {

class TProductionData final : public QObject {
public:
    explicit TProductionData(QObject* owner);
    ~TProductionData() override;

    // The add-on's own database session and the component that defines KRBPROD.
    fw::TSession* Session;
    fw::TDatabase* ProductionDatabase;

    // Points KRBPROD at a company directory (disconnect, one parameter "PATH=<dir>" exactly
    // as given, connect) and makes sure the indexes the add-on seeks by are there.
    void ConnectTo(const QString& directory);

    fw::TTable* ProductTable;  // products: CATALOG.DB without raw materials
    fw::TTable* RetetaTable;   // the recipe of the current product
    fw::TTable* RequirementMaterialTable; // raw materials and semi-finished products (requirement)
    fw::TTable* RecipeMaterialTable; // raw materials and semi-finished products (recipes)
    fw::TTable* StocTable;
    fw::TTable* TempTable;     // the requirement of one incoming document (temp.DB)
    fw::TTable* DocInTable;
    fw::TTable* ItemInTable;
    fw::TTable* DocOutTable;
    fw::TTable* ItemOutTable;
    fw::TTable* CounterTable;
    fw::TTable* AgentsTable;
    fw::TQuery* RequirementTermsQuery;
    fw::TQuery* RequirementSumQuery;
    fw::TQuery* RecipeRowsQuery;
    fw::TQuery* StockQuery;    // stock of one material by warehouse
    fw::TQuery* NoYieldQuery;  // products of a receipt whose recipe cannot be counted
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
    // lets count.
    double StockOnHand(const QString& group, const QString& code);

    // Told whether the requirement has rows each time its data changes, while the
    // requirement form is open (the form registers it; it enables its generate button).
    std::function<void(bool hasRows)> RequirementRowsChanged;

private:
    fw::TTable* NewTable(const QString& name, const QString& database, const QString& file);
    fw::TQuery* NewQuery(const QString& name, const QString& database, const QStringList& sql);
    fw::TDataSource* NewSource(const QString& name, fw::TDataSet* dataSet);
};

// The one instance, created and owned by the menus module.
extern TProductionData* ProductionData;

// Process-wide state the rules read and write.
extern bool NegativeStockShown;   // a negative stock figure was painted since the requirement last changed state
extern bool CatalogSearchActive;  // the recipe editor's search is moving the product list
extern QString CatalogSearchText; // the recipe editor's typed search text

// Empties the search text and shows the empty text where the recipe editor shows it.
void ClearCatalogSearch();
// The recipe editor tells the module how its label follows the search text, since the
// module must not know the window. Removing names the view, so that an editor going away
// cannot take the place of the one opened after it.
void SetCatalogSearchView(QObject* view, std::function<void()> show);
void RemoveCatalogSearchView(QObject* view);

// The product rule: products are the articles that are not raw materials.
bool IsProduct(const QString& code);
// The material rule: raw materials and semi-finished products.
bool IsMaterial(const QString& code);
// The stock rule: a stock lot counts for production when it lies in a raw-material
// warehouse and holds a raw material, or holds a semi-finished product (wherever it lies).
bool StockLotCounts(const QString& warehouse, const QString& article);
// What is left of a stock once `need` is taken, to hundredths (halves to even): the grid's
// final stock, and what the consumption document decides a shortage by.
double FinalStock(double onHand, double need);

// The common form in which the add-on reports a database error: the lead text, a line
// break, and the engine's message between "<" and "> !".
QString DbAccessErrorText(const QString& message);

// The database session of the add-on (that of the data module); the default session
// while there is no data module.
fw::TSession* AddOnSession();

} // namespace corvanel

#pragma once

// The recipe editor's part of the production data module: the products, the recipe of the
// current product, the materials a recipe line may name, and their reactions (the
// products-only filter, the checks of a recipe line, the product search following the
// current product). It shows nothing; a refusal goes through the data module.

#include "platform/db/DataSet.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QObject>
#include <QPointer>
#include <functional>

namespace corvanel {

class TProductionData;

class TRecipeData final : public QObject {
public:
    explicit TRecipeData(TProductionData& dm);
    ~TRecipeData() override;

    // The datasets the recipe editor's grids and lookups bind to.
    fw::TTable* ProductTable() const { return productTable_; }         // products: CATALOG.DB without raw materials
    fw::TTable* RetetaTable() const { return retetaTable_; }           // the recipe of the current product
    fw::TTable* RecipeMaterialTable() const { return materialTable_; } // raw materials and semi-finished products
    fw::TQuery* RecipeRowsQuery() const { return rowsQuery_; }
    fw::TDataSource* ProductSource() const { return productSource_; }
    fw::TDataSource* RetetaSource() const { return retetaSource_; }

    // Empties the product search and shows the empty text where the recipe editor shows it.
    void ClearProductSearch();
    // The recipe editor tells the module how its label follows the search text, since the
    // module does not know the window. Removing names the view, so that an editor going
    // away cannot take the place of the one opened after it.
    void SetProductSearchView(QObject* view, std::function<void()> show);
    void RemoveProductSearchView(QObject* view);

private:
    void ProductSourceDataChange(fw::TField* field);
    void RetetaTableCod_MatPrimValidate(fw::TField* sender);
    void RetetaTableBeforePost(fw::TDataSet* dataSet);

    TProductionData& dm_;
    fw::TTable* productTable_;
    fw::TTable* retetaTable_;
    fw::TTable* materialTable_;
    fw::TQuery* rowsQuery_;
    fw::TDataSource* productSource_;
    fw::TDataSource* retetaSource_;
    // Where the search text is shown, while a recipe editor is open.
    QPointer<QObject> searchView_;
    std::function<void()> showSearch_;
};

} // namespace corvanel

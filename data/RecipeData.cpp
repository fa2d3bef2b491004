#include "data/RecipeData.h"

#include "data/DataSetFactory.h"
#include "data/ProductionData.h"
#include "data/Queries.h"

#include <optional>

namespace corvanel {

using namespace fw;

TRecipeData::TRecipeData(TProductionData& dm) : QObject(&dm), dm_(dm)
{
    setObjectName(QStringLiteral("RecipeData"));
    TSession* session = dm.Session;
    const auto isProduct = [this](TDataSet* ds, bool& accept) {
        accept = dm_.IsProduct(ds->FieldByName(QStringLiteral("Cod"))->AsString());
    };
    // Products, with their recipe yield.
    productTable_ = NewTable(this, session, QStringLiteral("ProductTable"), KRBPROD, CatalogDB);
    Declare(productTable_, CatalogDB,
            {QStringLiteral("Grupa"), QStringLiteral("Cod"), QStringLiteral("Denumire"), QStringLiteral("CantReteta")});
    productTable_->OnFilterRecord = isProduct;
    productTable_->SetFiltered(true);
    productSource_ = NewSource(this, QStringLiteral("ProductSource"), productTable_);
    productSource_->OnDataChange = [this](TDataSource*, TField* f) { ProductSourceDataChange(f); };

    // The read-only view of raw materials and semi-finished products a recipe line names.
    materialTable_ = NewTable(this, session, QStringLiteral("RecipeMaterialTable"), KRBPROD, CatalogDB);
    materialTable_->SetReadOnly(true);
    Declare(materialTable_, CatalogDB, {QStringLiteral("Grupa"), QStringLiteral("Cod"), QStringLiteral("Denumire")});
    materialTable_->OnFilterRecord = [this](TDataSet* ds, bool& accept) {
        accept = dm_.IsMaterial(ds->FieldByName(QStringLiteral("Cod"))->AsString());
    };
    materialTable_->SetFiltered(true);

    // The recipe of the current product.
    retetaTable_ = NewTable(this, session, QStringLiteral("RetetaTable"), KRBPROD, RetetaDB);
    Declare(retetaTable_, RetetaDB, RetetaFields());
    retetaTable_->FieldByName(QStringLiteral("Cod"))->SetVisible(false);
    retetaTable_->FieldByName(QStringLiteral("Cod_MatPrim"))->OnValidate = [this](TField* f) {
        RetetaTableCod_MatPrimValidate(f);
    };
    retetaTable_->AddLookupField(QStringLiteral("DenMat_Prim"), 255, QStringLiteral("Cod_MatPrim"), materialTable_,
                                 QStringLiteral("Cod"), QStringLiteral("Denumire"));
    retetaTable_->SetIndexFieldNames(QStringLiteral("Cod"));
    retetaTable_->SetMasterSource(productSource_);
    retetaTable_->SetMasterFields(QStringLiteral("Cod"));
    retetaTable_->BeforePost = [this](TDataSet* ds) { RetetaTableBeforePost(ds); };
    retetaSource_ = NewSource(this, QStringLiteral("RetetaSource"), retetaTable_);

    rowsQuery_ = NewQuery(this, session, QStringLiteral("RecipeRowsQuery"), KRBPROD, RecipeRowsSql());
    Declare(rowsQuery_, RetetaDB,
            {QStringLiteral("Cod"), QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod_Grupa"), QStringLiteral("Cant_MatPrim")});
}

TRecipeData::~TRecipeData()
{
    // Closed while the rules it calls still exist.
    retetaTable_->Close();
}

void TRecipeData::SetProductSearchView(QObject* view, std::function<void()> show)
{
    searchView_ = view;
    showSearch_ = std::move(show);
}

void TRecipeData::RemoveProductSearchView(QObject* view)
{
    if (searchView_ != view)
        return;
    searchView_ = nullptr;
    showSearch_ = nullptr;
}

void TRecipeData::ClearProductSearch()
{
    dm_.Context().ProductSearchText.clear();
    if (searchView_ && showSearch_)
        showSearch_();
}

void TRecipeData::RetetaTableCod_MatPrimValidate(TField* sender)
{
    const QString group = retetaTable_->FieldByName(QStringLiteral("Cod_Grupa"))->AsString();
    if (const std::optional<QString> refusal = dm_.RecipeMaterialRefusal(group, sender->AsString()))
        dm_.Refuse(*refusal);
}

void TRecipeData::RetetaTableBeforePost(TDataSet* dataSet)
{
    if (!dataSet->IsEditing())
        return;
    if (const std::optional<QString> refusal = dm_.RecipeLineRefusal(*dataSet))
        dm_.Refuse(*refusal);
}

void TRecipeData::ProductSourceDataChange(TField* field)
{
    if (field || dm_.Context().ProductSearchActive)
        return;
    ClearProductSearch();
}

} // namespace corvanel

#include "data/ProductionData.h"

#include "data/Messages.h"
#include "data/Queries.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/schema/CompanyTables.h"

#include <optional>

namespace corvanel {

using namespace fw;

namespace {

// Declares a table's fields from the company tables' description: the named ones, or all.
void Declare(TDataSet* dataSet, const QString& table, const QStringList& names = {})
{
    DeclareFields(*dataSet, CompanyTable(table), names);
}

} // namespace

bool TProductionData::IsProduct(const QString& code) const
{
    return !StartsWithPrefix(code, context_.Settings.RawMaterialPrefix);
}

bool TProductionData::IsMaterial(const QString& code) const
{
    const TProductionSettings& s = context_.Settings;
    return StartsWithPrefix(code, s.RawMaterialPrefix) || StartsWithPrefix(code, s.SemiFinishedPrefix);
}

TStockLedger TProductionData::Ledger(const QDate& day)
{
    return TStockLedger(*ProductionDatabase->GetConnection(), *StocTable, TLotRule::Of(context_.Settings, day));
}

void TProductionData::SetProductSearchView(QObject* view, std::function<void()> show)
{
    searchView_ = view;
    showSearch_ = std::move(show);
}

void TProductionData::RemoveProductSearchView(QObject* view)
{
    if (searchView_ != view)
        return;
    searchView_ = nullptr;
    showSearch_ = nullptr;
}

void TProductionData::ClearProductSearch()
{
    context_.ProductSearchText.clear();
    if (searchView_ && showSearch_)
        showSearch_();
}

void TProductionData::Refuse(const QString& warning) const
{
    if (!ShowWarning)
        throw Exception(warning);
    ShowWarning(warning);
    Abort();
}

TTable* TProductionData::NewTable(const QString& name, const QString& database, const QString& file)
{
    auto* t = new TTable(this);
    t->setObjectName(name);
    t->SetSession(Session);
    t->SetDatabaseName(database);
    t->SetTableName(file);
    return t;
}

TQuery* TProductionData::NewQuery(const QString& name, const QString& database, const QStringList& sql)
{
    auto* q = new TQuery(this);
    q->setObjectName(name);
    q->SetSession(Session);
    q->SetDatabaseName(database);
    q->SetSQL(sql);
    return q;
}

TDataSource* TProductionData::NewSource(const QString& name, TDataSet* dataSet)
{
    auto* s = new TDataSource(this);
    s->setObjectName(name);
    s->SetDataSet(dataSet);
    return s;
}

TProductionData::TProductionData(TProductionContext& context, QObject* owner) : QObject(owner), context_(context)
{
    setObjectName(QStringLiteral("ProductionData"));
    context_.Data = this;
    Session = new TSession(this, QStringLiteral("Default"));
    ProductionDatabase = new TDatabase(this, Session);
    ProductionDatabase->setObjectName(QStringLiteral("ProductionDatabase"));
    ProductionDatabase->SetDatabaseName(KRBPROD);
    ProductionDatabase->SetDriverName(QStringLiteral("STANDARD"));

    // Products, with their recipe yield.
    ProductTable = NewTable(QStringLiteral("ProductTable"), KRBPROD, CatalogDB);
    Declare(ProductTable, CatalogDB,
            {QStringLiteral("Grupa"), QStringLiteral("Cod"), QStringLiteral("Denumire"), QStringLiteral("CantReteta")});
    ProductTable->OnFilterRecord = [this](TDataSet* ds, bool& accept) { ProductTableFilterRecord(ds, accept); };
    ProductTable->SetFiltered(true);
    ProductSource = NewSource(QStringLiteral("ProductSource"), ProductTable);
    ProductSource->OnDataChange = [this](TDataSource* s, TField* f) { ProductSourceDataChange(s, f); };

    // The two read-only views of raw materials and semi-finished products.
    RequirementMaterialTable = NewTable(QStringLiteral("RequirementMaterialTable"), KRBPROD, CatalogDB);
    RequirementMaterialTable->SetReadOnly(true);
    Declare(RequirementMaterialTable, CatalogDB,
            {QStringLiteral("Grupa"), QStringLiteral("Cont_TVA_Iesiri"), QStringLiteral("Cont_marfa"),
             QStringLiteral("Denumire"), QStringLiteral("Cod"), QStringLiteral("Unitate_masura"), QStringLiteral("Moneda"),
             QStringLiteral("Cont_cheltuieli"), QStringLiteral("Cont_accize"), QStringLiteral("Cont_adaos"),
             QStringLiteral("Cont_venituri")});
    RequirementMaterialTable->OnFilterRecord = [this](TDataSet* ds, bool& accept) {
        RequirementMaterialTableFilterRecord(ds, accept);
    };
    RequirementMaterialTable->SetFiltered(true);

    RecipeMaterialTable = NewTable(QStringLiteral("RecipeMaterialTable"), KRBPROD, CatalogDB);
    RecipeMaterialTable->SetReadOnly(true);
    Declare(RecipeMaterialTable, CatalogDB, {QStringLiteral("Grupa"), QStringLiteral("Cod"), QStringLiteral("Denumire")});
    RecipeMaterialTable->OnFilterRecord = [this](TDataSet* ds, bool& accept) {
        RecipeMaterialTableFilterRecord(ds, accept);
    };
    RecipeMaterialTable->SetFiltered(true);

    // The recipe of the current product.
    RetetaTable = NewTable(QStringLiteral("RetetaTable"), KRBPROD, RetetaDB);
    Declare(RetetaTable, RetetaDB, RetetaFields());
    RetetaTable->FieldByName(QStringLiteral("Cod"))->SetVisible(false);
    RetetaTable->FieldByName(QStringLiteral("Cod_MatPrim"))->OnValidate = [this](TField* f) {
        RetetaTableCod_MatPrimValidate(f);
    };
    RetetaTable->AddLookupField(QStringLiteral("DenMat_Prim"), 255, QStringLiteral("Cod_MatPrim"), RecipeMaterialTable,
                                QStringLiteral("Cod"), QStringLiteral("Denumire"));
    RetetaTable->SetIndexFieldNames(QStringLiteral("Cod"));
    RetetaTable->SetMasterSource(ProductSource);
    RetetaTable->SetMasterFields(QStringLiteral("Cod"));
    RetetaTable->BeforePost = [this](TDataSet* ds) { RetetaTableBeforePost(ds); };
    RetetaSource = NewSource(QStringLiteral("RetetaSource"), RetetaTable);

    StocTable = NewTable(QStringLiteral("StocTable"), KRBPROD, StocDB);
    Declare(StocTable, StocDB, StocFields());
    // The consumption seeks the lots of one material by the stock index; among themselves
    // they keep the table's own order.
    StocTable->SetIndexFieldNames(QStringLiteral("Cod_grupa;Cod_articol"));
    // The lots a consumption draws on are read in its transaction: they stay locked until
    // it ends, so that another workstation drawing on them waits and sees what is left.
    StocTable->SetReadForUpdate(true);
    StocSource = NewSource(QStringLiteral("StocSource"), StocTable);

    // The requirement of one incoming document.
    TempTable = NewTable(QStringLiteral("TempTable"), KRB_PRIV, TempDB);
    TempTable->AddField(QStringLiteral("Cod_grupa"), TFieldType::String, 8);
    TField* tempMaterial = TempTable->AddField(QStringLiteral("Cod_MatPrim"), TFieldType::String, 30);
    tempMaterial->OnValidate = [this](TField* f) { TempTableCod_MatPrimValidate(f); };
    TempTable->AddLookupField(QStringLiteral("Denumire"), 255, QStringLiteral("Cod_MatPrim"), RequirementMaterialTable,
                              QStringLiteral("Cod"), QStringLiteral("Denumire"));
    TempTable->AddField(QStringLiteral("Cant"), TFieldType::Float);
    TempTable->AddCalcField(QStringLiteral("StocExist"), TFieldType::Float);
    TempTable->AddCalcField(QStringLiteral("StocFin"), TFieldType::Float);
    // The quantity of expired lots the stock figures leave out; empty when none is.
    TempTable->AddCalcField(QStringLiteral("StocExpirat"), TFieldType::Float);
    TempTable->BeforePost = [this](TDataSet* ds) { TempTableBeforePost(ds); };
    TempTable->OnCalcFields = [this](TDataSet* ds) { TempTableCalcFields(ds); };
    TempSource = NewSource(QStringLiteral("TempSource"), TempTable);
    TempSource->OnStateChange = [this](TDataSource* s) { TempSourceStateChange(s); };
    TempSource->OnDataChange = [this](TDataSource* s, TField* f) { TempSourceDataChange(s, f); };

    // The host's documents.
    DocInTable = NewTable(QStringLiteral("DocInTable"), KRBPROD, DocInDB);
    Declare(DocInTable, DocInDB);
    DocInSource = NewSource(QStringLiteral("DocInSource"), DocInTable);
    ItemInTable = NewTable(QStringLiteral("ItemInTable"), KRBPROD, ItemInDB);
    Declare(ItemInTable, ItemInDB);
    ItemInTable->SetIndexFieldNames(QStringLiteral("Contor"));
    ItemInTable->SetMasterSource(DocInSource);
    ItemInTable->SetMasterFields(QStringLiteral("Contor"));
    ItemInSource = NewSource(QStringLiteral("ItemInSource"), ItemInTable);
    DocOutTable = NewTable(QStringLiteral("DocOutTable"), KRBPROD, DocOutDB);
    Declare(DocOutTable, DocOutDB);
    DocOutSource = NewSource(QStringLiteral("DocOutSource"), DocOutTable);
    ItemOutTable = NewTable(QStringLiteral("ItemOutTable"), KRBPROD, ItemOutDB);
    Declare(ItemOutTable, ItemOutDB);
    ItemOutSource = NewSource(QStringLiteral("ItemOutSource"), ItemOutTable);
    CounterTable = NewTable(QStringLiteral("CounterTable"), KRBPROD, CounterDB);
    Declare(CounterTable, CounterDB, {QStringLiteral("NewCounterOut")});
    CounterTable->SetReadForUpdate(true);
    CounterSource = NewSource(QStringLiteral("CounterSource"), CounterTable);
    AgentsTable = NewTable(QStringLiteral("AgentsTable"), KRBPROD, UserDB);
    Declare(AgentsTable, UserDB, {QStringLiteral("Init"), QStringLiteral("Name")});
    AgentsSource = NewSource(QStringLiteral("AgentsSource"), AgentsTable);

    // Fixed queries.
    RequirementTermsQuery = NewQuery(QStringLiteral("RequirementTermsQuery"), KRBPROD, RequirementTermsSql());
    RequirementTermsSource = NewSource(QStringLiteral("RequirementTermsSource"), RequirementTermsQuery);
    RequirementSumQuery = NewQuery(QStringLiteral("RequirementSumQuery"), KRB_PRIV, RequirementSumSql());
    RecipeRowsQuery = NewQuery(QStringLiteral("RecipeRowsQuery"), KRBPROD, RecipeRowsSql());
    Declare(RecipeRowsQuery, RetetaDB,
            {QStringLiteral("Cod"), QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod_Grupa"), QStringLiteral("Cant_MatPrim")});
    NoYieldQuery = NewQuery(QStringLiteral("NoYieldQuery"), KRBPROD, NoYieldProductsSql());
    ShelfLifeQuery = NewQuery(QStringLiteral("ShelfLifeQuery"), KRBPROD, ShelfLifeSql());
    TempBatchMove = new TBatchMove(this);
    TempBatchMove->setObjectName(QStringLiteral("TempBatchMove"));
    TempBatchMove->SetMode(TBatchMode::Copy);
    TempBatchMove->SetDestination(TempTable);
}

TProductionData::~TProductionData()
{
    // Close the datasets while the rules they call still exist.
    for (TDataSet* ds : {static_cast<TDataSet*>(RetetaTable), static_cast<TDataSet*>(ItemInTable),
                         static_cast<TDataSet*>(TempTable)})
        ds->Close();
    ProductionDatabase->Close();
}

void TProductionData::ConnectTo(const QString& directory)
{
    if (ProductionDatabase->Connected())
        ProductionDatabase->Close();
    ProductionDatabase->Params().clear();
    ProductionDatabase->Params() << QStringLiteral("PATH=") + directory;
    ProductionDatabase->Open();
    EnsureAddOnTables();
    // The stock figures, the requirement and the traceability report seek by these indexes,
    // and the following of a lot by those of its lines and of the genealogy; a company
    // made by an older host may lack them.
    EnsureIndexes(KRBPROD, {StocDB, ItemInDB, DocOutDB, CatalogDB, ItemOutDB, DocInDB, GenealogieDB, StornariDB}, Session);
}

void TProductionData::EnsureAddOnTables()
{
    for (const TTableLayout* layout : {&GenealogyTable(), &ReversalTable(), &DrillTable()}) {
        TTable table;
        table.SetSession(Session);
        table.SetDatabaseName(KRBPROD);
        table.SetTableName(layout->Name);
        if (table.Exists())
            continue;
        try {
            CreateCompanyTable(KRBPROD, *layout, Session);
        } catch (const EDatabaseError&) {
            // A company the user may only read takes no new table: its documents are
            // followed as estimated, none reversed, and it cannot be written to anyway.
        }
    }
}

// ---------------------------------------------------------------- rules

void TProductionData::ProductTableFilterRecord(TDataSet* dataSet, bool& accept)
{
    accept = IsProduct(dataSet->FieldByName(QStringLiteral("Cod"))->AsString());
}

void TProductionData::RequirementMaterialTableFilterRecord(TDataSet* dataSet, bool& accept)
{
    accept = IsMaterial(dataSet->FieldByName(QStringLiteral("Cod"))->AsString());
}

void TProductionData::RecipeMaterialTableFilterRecord(TDataSet* dataSet, bool& accept)
{
    accept = IsMaterial(dataSet->FieldByName(QStringLiteral("Cod"))->AsString());
}

bool TProductionData::MaterialAccepted(TTable* materials, const QString& group, const QString& code) const
{
    return code.isEmpty() || group.isEmpty() || (IsMaterial(code) && materials->FindKey({group, code}));
}

std::optional<QString> TProductionData::RecipeMaterialRefusal(const QString& group, const QString& code)
{
    if (MaterialAccepted(RecipeMaterialTable, group, code))
        return std::nullopt;
    return msg::NotARecipeMaterial(group, code);
}

std::optional<QString> TProductionData::RequirementMaterialRefusal(const QString& group, const QString& code)
{
    if (MaterialAccepted(RequirementMaterialTable, group, code))
        return std::nullopt;
    return msg::NotARequirementMaterial(code);
}

std::optional<QString> TProductionData::RecipeLineRefusal(const TDataSet& line) const
{
    const bool complete = !line.FieldByName(QStringLiteral("Cod_MatPrim"))->AsString().isEmpty()
                          && !line.FieldByName(QStringLiteral("Cant_MatPrim"))->IsNull()
                          && !line.FieldByName(QStringLiteral("Cod_Grupa"))->AsString().isEmpty();
    if (complete)
        return std::nullopt;
    return msg::IncompleteLine();
}

std::optional<QString> TProductionData::RequirementLineRefusal(const TDataSet& line) const
{
    const bool complete = !line.FieldByName(QStringLiteral("Cod_MatPrim"))->AsString().isEmpty()
                          && !line.FieldByName(QStringLiteral("Cant"))->IsNull();
    if (complete)
        return std::nullopt;
    return msg::IncompleteLine();
}

void TProductionData::RetetaTableCod_MatPrimValidate(TField* sender)
{
    const QString group = RetetaTable->FieldByName(QStringLiteral("Cod_Grupa"))->AsString();
    if (const std::optional<QString> refusal = RecipeMaterialRefusal(group, sender->AsString()))
        Refuse(*refusal);
}

void TProductionData::TempTableCod_MatPrimValidate(TField* sender)
{
    const QString group = TempTable->FieldByName(QStringLiteral("Cod_grupa"))->AsString();
    if (const std::optional<QString> refusal = RequirementMaterialRefusal(group, sender->AsString()))
        Refuse(*refusal);
}

void TProductionData::RetetaTableBeforePost(TDataSet* dataSet)
{
    if (!dataSet->IsEditing())
        return;
    if (const std::optional<QString> refusal = RecipeLineRefusal(*dataSet))
        Refuse(*refusal);
}

void TProductionData::TempTableBeforePost(TDataSet* dataSet)
{
    if (!dataSet->IsEditing())
        return;
    if (const std::optional<QString> refusal = RequirementLineRefusal(*dataSet))
        Refuse(*refusal);
}

double TProductionData::ShelfLife(const QString& group, const QString& code)
{
    if (group.isEmpty() || code.isEmpty())
        return 0.0;
    ShelfLifeQuery->Close();
    ShelfLifeQuery->ParamByName(QStringLiteral("Grupa"))->SetAsString(group);
    ShelfLifeQuery->ParamByName(QStringLiteral("Cod"))->SetAsString(code);
    ShelfLifeQuery->Open();
    const double days = ShelfLifeQuery->Eof() ? 0.0 : ShelfLifeQuery->Fields(0)->AsFloat();
    ShelfLifeQuery->Close();
    return days > 0 ? days : 0.0;
}

double TProductionData::StockOnHand(const QString& group, const QString& code, double* expiredLeftOut)
{
    // The shelf life is asked for only where a lot can be left out as expired.
    const double days = context_.Settings.DrawExpiredLots || !LotsDay.isValid() ? 0.0 : ShelfLife(group, code);
    const TStockFigures figures = Ledger(LotsDay).Figures(group, code, days);
    if (expiredLeftOut)
        *expiredLeftOut = figures.Expired;
    return figures.OnHand;
}

double FinalStock(double onHand, double need) { return RoundHalfEven((onHand - need) * 100) / 100; }

void TProductionData::TempTableCalcFields(TDataSet* dataSet)
{
    const QString code = dataSet->FieldByName(QStringLiteral("Cod_MatPrim"))->AsString();
    const QString group = dataSet->FieldByName(QStringLiteral("Cod_grupa"))->AsString();
    double expired = 0.0;
    const double stock = StockOnHand(group, code, &expired);
    const double need = dataSet->FieldByName(QStringLiteral("Cant"))->AsFloat(); // null counts as 0
    dataSet->FieldByName(QStringLiteral("StocExist"))->SetAsFloat(stock);
    dataSet->FieldByName(QStringLiteral("StocFin"))->SetAsFloat(FinalStock(stock, need));
    if (expired != 0)
        dataSet->FieldByName(QStringLiteral("StocExpirat"))->SetAsFloat(expired);
}

void TProductionData::TempSourceStateChange(TDataSource*) { context_.NegativeStockShown = false; }

void TProductionData::TempSourceDataChange(TDataSource*, TField*)
{
    if (RequirementRowsChanged)
        RequirementRowsChanged(TempTable->Active() && TempTable->RecordCount() > 0);
}

void TProductionData::ProductSourceDataChange(TDataSource*, TField* field)
{
    if (field || context_.ProductSearchActive)
        return;
    ClearProductSearch();
}

} // namespace corvanel

#include "data/ZPFData.h"

#include "data/DbNames.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"
#include "shell/ZPFIndic.h"

#include <QPointer>

namespace corvanel {

using namespace fw;

TZPFDataModule* ZPFDataModule = nullptr;
bool NegativeStockShown = false;
bool CatalogSearchActive = false;
QString CatalogSearchText;

namespace {

// Where the search text is shown, while a recipe editor is open.
QPointer<QObject> searchView;
std::function<void()> showSearch;

// Declares a table's fields from the company tables' description: the named ones, or all.
void Declare(TDataSet* dataSet, const QString& table, const QStringList& names = {})
{
    DeclareFields(*dataSet, CompanyTable(table), names);
}

// Refuses the value or the row being saved: the warning, then the silent abort.
[[noreturn]] void Refuse(const QString& warning)
{
    MessageDlg(warning, TMsgDlgType::Warning, TMsgDlgButtons::OK);
    Abort();
}

} // namespace

bool IsProduct(const QString& code) { return !StartsWithPrefix(code, IndCod); }

bool IsMaterial(const QString& code) { return StartsWithPrefix(code, IndCod) || StartsWithPrefix(code, IndSemi); }

bool StockLotCounts(const QString& warehouse, const QString& article)
{
    return (StartsWithPrefix(warehouse, IndGest) && StartsWithPrefix(article, IndCod))
           || StartsWithPrefix(article, IndSemi);
}

void SetCatalogSearchView(QObject* view, std::function<void()> show)
{
    searchView = view;
    showSearch = std::move(show);
}

void RemoveCatalogSearchView(QObject* view)
{
    if (searchView != view)
        return;
    searchView = nullptr;
    showSearch = nullptr;
}

void ClearCatalogSearch()
{
    CatalogSearchText.clear();
    if (searchView && showSearch)
        showSearch();
}

QString DbAccessErrorText(const QString& message)
{
    return QStringLiteral("Eroare de acces la baza de date!\r<%1> !").arg(message);
}

TSession* AddOnSession() { return ZPFDataModule ? ZPFDataModule->Session : TSession::Default(); }

TTable* TZPFDataModule::NewTable(const QString& name, const QString& database, const QString& file)
{
    auto* t = new TTable(this);
    t->setObjectName(name);
    t->SetSession(Session);
    t->SetDatabaseName(database);
    t->SetTableName(file);
    return t;
}

TQuery* TZPFDataModule::NewQuery(const QString& name, const QString& database, const QStringList& sql)
{
    auto* q = new TQuery(this);
    q->setObjectName(name);
    q->SetSession(Session);
    q->SetDatabaseName(database);
    q->SetSQL(sql);
    return q;
}

TDataSource* TZPFDataModule::NewSource(const QString& name, TDataSet* dataSet)
{
    auto* s = new TDataSource(this);
    s->setObjectName(name);
    s->SetDataSet(dataSet);
    return s;
}

TZPFDataModule::TZPFDataModule(QObject* owner) : QObject(owner)
{
    setObjectName(QStringLiteral("ZPFDataModule"));
    Session = new TSession(this, QStringLiteral("Default"));
    GhostDB = new TDatabase(this, Session);
    GhostDB->setObjectName(QStringLiteral("GhostDB"));
    GhostDB->SetDatabaseName(KRBPROD);
    GhostDB->SetDriverName(QStringLiteral("STANDARD"));

    // Products, with their recipe yield.
    CatalogTable = NewTable(QStringLiteral("CatalogTable"), KRBPROD, CatalogDB);
    Declare(CatalogTable, CatalogDB,
            {QStringLiteral("Grupa"), QStringLiteral("Cod"), QStringLiteral("Denumire"), QStringLiteral("CantReteta")});
    CatalogTable->OnFilterRecord = [this](TDataSet* ds, bool& accept) { CatalogTableFilterRecord(ds, accept); };
    CatalogTable->SetFiltered(true);
    CatalogSource = NewSource(QStringLiteral("CatalogSource"), CatalogTable);
    CatalogSource->OnDataChange = [this](TDataSource* s, TField* f) { CatalogSourceDataChange(s, f); };

    // The two read-only views of raw materials and semi-finished products.
    CatalogTable1 = NewTable(QStringLiteral("CatalogTable1"), KRBPROD, CatalogDB);
    CatalogTable1->SetReadOnly(true);
    Declare(CatalogTable1, CatalogDB,
            {QStringLiteral("Grupa"), QStringLiteral("Cont_TVA_Iesiri"), QStringLiteral("Cont_marfa"),
             QStringLiteral("Denumire"), QStringLiteral("Cod"), QStringLiteral("Unitate_masura"), QStringLiteral("Moneda"),
             QStringLiteral("Cont_cheltuieli"), QStringLiteral("Cont_accize"), QStringLiteral("Cont_adaos"),
             QStringLiteral("Cont_venituri")});
    CatalogTable1->OnFilterRecord = [this](TDataSet* ds, bool& accept) { CatalogTable1FilterRecord(ds, accept); };
    CatalogTable1->SetFiltered(true);

    CatalogTable2 = NewTable(QStringLiteral("CatalogTable2"), KRBPROD, QStringLiteral("Catalog.DB"));
    CatalogTable2->SetReadOnly(true);
    Declare(CatalogTable2, CatalogDB, {QStringLiteral("Grupa"), QStringLiteral("Cod"), QStringLiteral("Denumire")});
    CatalogTable2->OnFilterRecord = [this](TDataSet* ds, bool& accept) { CatalogTable2FilterRecord(ds, accept); };
    CatalogTable2->SetFiltered(true);

    // The recipe of the current product.
    RetetaTable = NewTable(QStringLiteral("RetetaTable"), KRBPROD, RetetaDB);
    Declare(RetetaTable, RetetaDB, RetetaFields());
    RetetaTable->FieldByName(QStringLiteral("Cod"))->SetVisible(false);
    RetetaTable->FieldByName(QStringLiteral("Cod_MatPrim"))->OnValidate = [this](TField* f) {
        RetetaTableCod_MatPrimValidate(f);
    };
    RetetaTable->AddLookupField(QStringLiteral("DenMat_Prim"), 255, QStringLiteral("Cod_MatPrim"), CatalogTable2,
                                QStringLiteral("Cod"), QStringLiteral("Denumire"));
    RetetaTable->SetIndexFieldNames(QStringLiteral("Cod"));
    RetetaTable->SetMasterSource(CatalogSource);
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
    TempTable->AddLookupField(QStringLiteral("Denumire"), 255, QStringLiteral("Cod_MatPrim"), CatalogTable1,
                              QStringLiteral("Cod"), QStringLiteral("Denumire"));
    TempTable->AddField(QStringLiteral("Cant"), TFieldType::Float);
    TempTable->AddCalcField(QStringLiteral("StocExist"), TFieldType::Float);
    TempTable->AddCalcField(QStringLiteral("StocFin"), TFieldType::Float);
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
    DSAgents = NewSource(QStringLiteral("DSAgents"), AgentsTable);

    // Fixed queries.
    CalcNecesQuery = NewQuery(QStringLiteral("CalcNecesQuery"), KRBPROD, CalcNecesQuerySql());
    CalcNecesSource = NewSource(QStringLiteral("CalcNecesSource"), CalcNecesQuery);
    CalcNecesQuery2 = NewQuery(QStringLiteral("CalcNecesQuery2"), KRB_PRIV, CalcNecesQuery2Sql());
    ExtragReteta = NewQuery(QStringLiteral("ExtragReteta"), KRBPROD, ExtragRetetaSql());
    Declare(ExtragReteta, RetetaDB,
            {QStringLiteral("Cod"), QStringLiteral("Cod_MatPrim"), QStringLiteral("Cod_Grupa"), QStringLiteral("Cant_MatPrim")});
    StockQuery = NewQuery(QStringLiteral("StockQuery"), KRBPROD, StockByWarehouseSql());
    NoYieldQuery = NewQuery(QStringLiteral("NoYieldQuery"), KRBPROD, NoYieldProductsSql());
    TempBatchMove = new TBatchMove(this);
    TempBatchMove->setObjectName(QStringLiteral("TempBatchMove"));
    TempBatchMove->SetMode(TBatchMode::Copy);
    TempBatchMove->SetDestination(TempTable);
}

TZPFDataModule::~TZPFDataModule()
{
    // Close the datasets while the rules they call still exist.
    for (TDataSet* ds : {static_cast<TDataSet*>(RetetaTable), static_cast<TDataSet*>(ItemInTable),
                         static_cast<TDataSet*>(TempTable)})
        ds->Close();
    GhostDB->Close();
    if (ZPFDataModule == this)
        ZPFDataModule = nullptr;
}

void TZPFDataModule::ConnectTo(const QString& directory)
{
    if (GhostDB->Connected())
        GhostDB->Close();
    GhostDB->Params().clear();
    GhostDB->Params() << QStringLiteral("PATH=") + directory;
    GhostDB->Open();
    // The stock figures, the requirement and the traceability report seek by these indexes;
    // a company made by an older host may lack them.
    EnsureIndexes(KRBPROD, {StocDB, ItemInDB, DocOutDB, CatalogDB}, Session);
}

// ---------------------------------------------------------------- rules

void TZPFDataModule::CatalogTableFilterRecord(TDataSet* dataSet, bool& accept)
{
    accept = IsProduct(dataSet->FieldByName(QStringLiteral("Cod"))->AsString());
}

void TZPFDataModule::CatalogTable1FilterRecord(TDataSet* dataSet, bool& accept)
{
    accept = IsMaterial(dataSet->FieldByName(QStringLiteral("Cod"))->AsString());
}

void TZPFDataModule::CatalogTable2FilterRecord(TDataSet* dataSet, bool& accept)
{
    accept = IsMaterial(dataSet->FieldByName(QStringLiteral("Cod"))->AsString());
}

void TZPFDataModule::RetetaTableCod_MatPrimValidate(TField* sender)
{
    const QString code = sender->AsString();
    const QString group = RetetaTable->FieldByName(QStringLiteral("Cod_Grupa"))->AsString();
    if (code.isEmpty() || group.isEmpty())
        return;
    if (IsMaterial(code) && CatalogTable2->FindKey({group, code}))
        return;
    Refuse(QStringLiteral("Articolul <%1>  nu este de tip materie prima ! Apasati CTRL-ENTER pentru a selecta din catalog!!")
               .arg(group + QStringLiteral("  ") + code));
}

void TZPFDataModule::TempTableCod_MatPrimValidate(TField* sender)
{
    const QString code = sender->AsString();
    const QString group = TempTable->FieldByName(QStringLiteral("Cod_grupa"))->AsString();
    if (code.isEmpty() || group.isEmpty())
        return;
    if (IsMaterial(code) && CatalogTable1->FindKey({group, code}))
        return;
    Refuse(QStringLiteral("Articolul <%1> nu este de tip materie prima ! Apasati CTRL-ENTER pentru a selecta din stocul existent!!")
               .arg(code));
}

void TZPFDataModule::RetetaTableBeforePost(TDataSet* dataSet)
{
    if (!dataSet->IsEditing())
        return;
    const bool complete = !dataSet->FieldByName(QStringLiteral("Cod_MatPrim"))->AsString().isEmpty()
                          && !dataSet->FieldByName(QStringLiteral("Cant_MatPrim"))->IsNull()
                          && !dataSet->FieldByName(QStringLiteral("Cod_Grupa"))->AsString().isEmpty();
    if (!complete)
        Refuse(QStringLiteral("Completati toate datele articolului!"));
}

void TZPFDataModule::TempTableBeforePost(TDataSet* dataSet)
{
    if (!dataSet->IsEditing())
        return;
    const bool complete = !dataSet->FieldByName(QStringLiteral("Cod_MatPrim"))->AsString().isEmpty()
                          && !dataSet->FieldByName(QStringLiteral("Cant"))->IsNull();
    if (!complete)
        Refuse(QStringLiteral("Completati toate datele articolului!"));
}

namespace {

// The stock query's condition for a group or code left empty. An empty text is stored as
// no value, which "= :Grupa" never matches (the lots of a material without a group would
// never count); such a value is asked for as none.
QStringList StockSqlFor(const QString& group, const QString& code)
{
    QStringList sql = StockByWarehouseSql();
    if (!group.isEmpty() && !code.isEmpty())
        return sql;
    for (QString& line : sql) {
        if (line.startsWith(QLatin1String("WHERE")))
            line = QStringLiteral("WHERE (%1) AND (%2)")
                       .arg(group.isEmpty() ? QStringLiteral("Cod_grupa IS NULL") : QStringLiteral("Cod_grupa = :Grupa"),
                            code.isEmpty() ? QStringLiteral("Cod_articol IS NULL") : QStringLiteral("Cod_articol = :Cod"));
    }
    return sql;
}

} // namespace

double TZPFDataModule::StockOnHand(const QString& group, const QString& code)
{
    // An indexed read of the material's lots, summed per warehouse; the stock rule then
    // decides which warehouses count.
    StockQuery->Close();
    const QStringList sql = StockSqlFor(group, code);
    if (StockQuery->SQL() != sql)
        StockQuery->SetSQL(sql);
    if (TParam* p = StockQuery->FindParam(QStringLiteral("Grupa")))
        p->SetAsString(group);
    if (TParam* p = StockQuery->FindParam(QStringLiteral("Cod")))
        p->SetAsString(code);
    StockQuery->Open();
    double stock = 0.0;
    TField* warehouse = StockQuery->FieldByName(QStringLiteral("Cod_gestiune"));
    TField* quantity = StockQuery->FieldByName(QStringLiteral("Cantitate"));
    while (!StockQuery->Eof()) {
        if (StockLotCounts(warehouse->AsString(), code))
            stock += quantity->AsFloat();
        StockQuery->Next();
    }
    StockQuery->Close();
    return stock;
}

double FinalStock(double onHand, double need) { return RoundHalfEven((onHand - need) * 100) / 100; }

void TZPFDataModule::TempTableCalcFields(TDataSet* dataSet)
{
    const QString code = dataSet->FieldByName(QStringLiteral("Cod_MatPrim"))->AsString();
    const QString group = dataSet->FieldByName(QStringLiteral("Cod_grupa"))->AsString();
    const double stock = StockOnHand(group, code);
    const double need = dataSet->FieldByName(QStringLiteral("Cant"))->AsFloat(); // null counts as 0
    dataSet->FieldByName(QStringLiteral("StocExist"))->SetAsFloat(stock);
    dataSet->FieldByName(QStringLiteral("StocFin"))->SetAsFloat(FinalStock(stock, need));
}

void TZPFDataModule::TempSourceStateChange(TDataSource*) { NegativeStockShown = false; }

void TZPFDataModule::TempSourceDataChange(TDataSource*, TField*)
{
    if (RequirementRowsChanged)
        RequirementRowsChanged(TempTable->Active() && TempTable->RecordCount() > 0);
}

void TZPFDataModule::CatalogSourceDataChange(TDataSource*, TField* field)
{
    if (field || CatalogSearchActive)
        return;
    ClearCatalogSearch();
}

} // namespace corvanel

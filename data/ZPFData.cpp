#include "data/ZPFData.h"

#include "data/DbNames.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/ui/MessageDlg.h"
#include "recipes/ZPFRetet.h"
#include "requirement/ZPFNeces.h"
#include "shell/ZPFIndic.h"

#include <QPushButton>

namespace corvanel {

using namespace fw;

TZPFDataModule* ZPFDataModule = nullptr;
bool NegativeStockShown = false;
bool CatalogSearchActive = false;
QString CatalogSearchText;

namespace {

void AddLayout(TTable* table, const std::vector<TFieldLayout>& layout)
{
    for (const TFieldLayout& f : layout)
        table->AddField(QString::fromLatin1(f.Name), f.Type, f.Size);
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
    CatalogTable->AddField(QStringLiteral("Grupa"), TFieldType::String, 8);
    CatalogTable->AddField(QStringLiteral("Cod"), TFieldType::String, 30);
    CatalogTable->AddField(QStringLiteral("Denumire"), TFieldType::String, 255);
    CatalogTable->AddField(QStringLiteral("CantReteta"), TFieldType::Float);
    CatalogTable->OnFilterRecord = [this](TDataSet* ds, bool& accept) { CatalogTableFilterRecord(ds, accept); };
    CatalogTable->SetFiltered(true);
    CatalogSource = NewSource(QStringLiteral("CatalogSource"), CatalogTable);
    CatalogSource->OnDataChange = [this](TDataSource* s, TField* f) { CatalogSourceDataChange(s, f); };

    // The two read-only views of raw materials and semi-finished products.
    CatalogTable1 = NewTable(QStringLiteral("CatalogTable1"), KRBPROD, CatalogDB);
    CatalogTable1->SetReadOnly(true);
    for (const char* name : {"Grupa", "Cont_TVA_Iesiri", "Cont_marfa", "Denumire", "Cod", "Unitate_masura", "Moneda",
                             "Cont_cheltuieli", "Cont_accize", "Cont_adaos", "Cont_venituri"}) {
        const QString n = QString::fromLatin1(name);
        const int size = n == QLatin1String("Grupa") ? 8
                         : n == QLatin1String("Denumire") ? 255
                         : n == QLatin1String("Cod") ? 30
                         : n == QLatin1String("Unitate_masura") ? 4
                         : n == QLatin1String("Moneda") ? 3
                                                        : 20;
        CatalogTable1->AddField(n, TFieldType::String, size);
    }
    CatalogTable1->OnFilterRecord = [this](TDataSet* ds, bool& accept) { CatalogTable1FilterRecord(ds, accept); };
    CatalogTable1->SetFiltered(true);

    CatalogTable2 = NewTable(QStringLiteral("CatalogTable2"), KRBPROD, QStringLiteral("Catalog.DB"));
    CatalogTable2->SetReadOnly(true);
    CatalogTable2->AddField(QStringLiteral("Grupa"), TFieldType::String, 8);
    CatalogTable2->AddField(QStringLiteral("Cod"), TFieldType::String, 30);
    CatalogTable2->AddField(QStringLiteral("Denumire"), TFieldType::String, 255);
    CatalogTable2->OnFilterRecord = [this](TDataSet* ds, bool& accept) { CatalogTable2FilterRecord(ds, accept); };
    CatalogTable2->SetFiltered(true);

    // The recipe of the current product.
    RetetaTable = NewTable(QStringLiteral("RetetaTable"), KRBPROD, RetetaDB);
    AddLayout(RetetaTable, RetetaLayout());
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
    AddLayout(StocTable, StocLayout());
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
    AddLayout(DocInTable, DocInLayout());
    DocInSource = NewSource(QStringLiteral("DocInSource"), DocInTable);
    ItemInTable = NewTable(QStringLiteral("ItemInTable"), KRBPROD, ItemInDB);
    AddLayout(ItemInTable, ItemInLayout());
    ItemInTable->SetIndexFieldNames(QStringLiteral("Contor"));
    ItemInTable->SetMasterSource(DocInSource);
    ItemInTable->SetMasterFields(QStringLiteral("Contor"));
    ItemInSource = NewSource(QStringLiteral("ItemInSource"), ItemInTable);
    DocOutTable = NewTable(QStringLiteral("DocOutTable"), KRBPROD, DocOutDB);
    AddLayout(DocOutTable, DocOutLayout());
    DocOutSource = NewSource(QStringLiteral("DocOutSource"), DocOutTable);
    ItemOutTable = NewTable(QStringLiteral("ItemOutTable"), KRBPROD, ItemOutDB);
    AddLayout(ItemOutTable, ItemOutLayout());
    ItemOutSource = NewSource(QStringLiteral("ItemOutSource"), ItemOutTable);
    CounterTable = NewTable(QStringLiteral("CounterTable"), KRBPROD, CounterDB);
    CounterTable->AddField(QStringLiteral("NewCounterOut"), TFieldType::Float);
    CounterSource = NewSource(QStringLiteral("CounterSource"), CounterTable);
    AgentsTable = NewTable(QStringLiteral("AgentsTable"), KRBPROD, UserDB);
    AgentsTable->AddField(QStringLiteral("Init"), TFieldType::String, 3);
    AgentsTable->AddField(QStringLiteral("Name"), TFieldType::String, 20);
    DSAgents = NewSource(QStringLiteral("DSAgents"), AgentsTable);

    // Fixed queries.
    CalcNecesQuery = NewQuery(QStringLiteral("CalcNecesQuery"), KRBPROD, CalcNecesQuerySql());
    CalcNecesSource = NewSource(QStringLiteral("CalcNecesSource"), CalcNecesQuery);
    CalcNecesQuery2 = NewQuery(QStringLiteral("CalcNecesQuery2"), KRB_PRIV, CalcNecesQuery2Sql());
    ExtragReteta = NewQuery(QStringLiteral("ExtragReteta"), KRBPROD, ExtragRetetaSql());
    ExtragReteta->AddField(QStringLiteral("Cod"), TFieldType::String, 30);
    ExtragReteta->AddField(QStringLiteral("Cod_MatPrim"), TFieldType::String, 30);
    ExtragReteta->AddField(QStringLiteral("Cod_Grupa"), TFieldType::String, 8);
    ExtragReteta->AddField(QStringLiteral("Cant_MatPrim"), TFieldType::Float);
    StockQuery = NewQuery(QStringLiteral("StockQuery"), KRBPROD, StockByWarehouseSql());
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

void TZPFDataModule::TempTableCalcFields(TDataSet* dataSet)
{
    const QString code = dataSet->FieldByName(QStringLiteral("Cod_MatPrim"))->AsString();
    const QString group = dataSet->FieldByName(QStringLiteral("Cod_grupa"))->AsString();
    const double stock = StockOnHand(group, code);
    const double need = dataSet->FieldByName(QStringLiteral("Cant"))->AsFloat(); // null counts as 0
    dataSet->FieldByName(QStringLiteral("StocExist"))->SetAsFloat(stock);
    dataSet->FieldByName(QStringLiteral("StocFin"))->SetAsFloat(RoundHalfEven((stock - need) * 100) / 100);
}

void TZPFDataModule::TempSourceStateChange(TDataSource*) { NegativeStockShown = false; }

void TZPFDataModule::TempSourceDataChange(TDataSource*, TField*)
{
    if (ZPFNecesarForm && ZPFNecesarForm->GenDocOutBTN)
        ZPFNecesarForm->GenDocOutBTN->setEnabled(TempTable->Active() && TempTable->RecordCount() > 0);
}

void TZPFDataModule::CatalogSourceDataChange(TDataSource*, TField* field)
{
    if (field || CatalogSearchActive)
        return;
    ClearCatalogSearch();
}

} // namespace corvanel

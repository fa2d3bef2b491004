#include "data/RequirementSession.h"

#include "data/DataSetFactory.h"
#include "data/ProductionData.h"
#include "data/Queries.h"

#include <optional>

namespace corvanel {

using namespace fw;

TRequirementSession::TRequirementSession(TProductionData& dm) : QObject(&dm), dm_(dm)
{
    setObjectName(QStringLiteral("RequirementSession"));
    TSession* session = dm.Session;
    // The read-only view of raw materials and semi-finished products a requirement row names.
    materialTable_ = NewTable(this, session, QStringLiteral("RequirementMaterialTable"), KRBPROD, CatalogDB);
    materialTable_->SetReadOnly(true);
    Declare(materialTable_, CatalogDB,
            {QStringLiteral("Grupa"), QStringLiteral("Cont_TVA_Iesiri"), QStringLiteral("Cont_marfa"),
             QStringLiteral("Denumire"), QStringLiteral("Cod"), QStringLiteral("Unitate_masura"), QStringLiteral("Moneda"),
             QStringLiteral("Cont_cheltuieli"), QStringLiteral("Cont_accize"), QStringLiteral("Cont_adaos"),
             QStringLiteral("Cont_venituri")});
    materialTable_->OnFilterRecord = [this](TDataSet* ds, bool& accept) {
        accept = dm_.IsMaterial(ds->FieldByName(QStringLiteral("Cod"))->AsString());
    };
    materialTable_->SetFiltered(true);

    stocTable_ = NewTable(this, session, QStringLiteral("StocTable"), KRBPROD, StocDB);
    Declare(stocTable_, StocDB, StocFields());
    // The consumption seeks the lots of one material by the stock index; among themselves
    // they keep the table's own order.
    stocTable_->SetIndexFieldNames(QStringLiteral("Cod_grupa;Cod_articol"));
    // The lots a consumption draws on are read in its transaction: they stay locked until
    // it ends, so that another workstation drawing on them waits and sees what is left.
    stocTable_->SetReadForUpdate(true);
    NewSource(this, QStringLiteral("StocSource"), stocTable_);

    // The requirement of one incoming document.
    tempTable_ = NewTable(this, session, QStringLiteral("TempTable"), KRB_PRIV, TempDB);
    tempTable_->AddField(QStringLiteral("Cod_grupa"), TFieldType::String, 8);
    TField* tempMaterial = tempTable_->AddField(QStringLiteral("Cod_MatPrim"), TFieldType::String, 30);
    tempMaterial->OnValidate = [this](TField* f) { TempTableCod_MatPrimValidate(f); };
    tempTable_->AddLookupField(QStringLiteral("Denumire"), 255, QStringLiteral("Cod_MatPrim"), materialTable_,
                               QStringLiteral("Cod"), QStringLiteral("Denumire"));
    tempTable_->AddField(QStringLiteral("Cant"), TFieldType::Float);
    tempTable_->AddCalcField(QStringLiteral("StocExist"), TFieldType::Float);
    tempTable_->AddCalcField(QStringLiteral("StocFin"), TFieldType::Float);
    // The quantity of expired lots the stock figures leave out; empty when none is.
    tempTable_->AddCalcField(QStringLiteral("StocExpirat"), TFieldType::Float);
    tempTable_->BeforePost = [this](TDataSet* ds) { TempTableBeforePost(ds); };
    tempTable_->OnCalcFields = [this](TDataSet* ds) { TempTableCalcFields(ds); };
    tempSource_ = NewSource(this, QStringLiteral("TempSource"), tempTable_);
    tempSource_->OnStateChange = [this](TDataSource*) { dm_.Context().NegativeStockShown = false; };
    tempSource_->OnDataChange = [this](TDataSource*, TField*) {
        if (RequirementRowsChanged)
            RequirementRowsChanged(tempTable_->Active() && tempTable_->RecordCount() > 0);
    };

    // The host's documents.
    docInTable_ = NewTable(this, session, QStringLiteral("DocInTable"), KRBPROD, DocInDB);
    Declare(docInTable_, DocInDB);
    TDataSource* docInSource = NewSource(this, QStringLiteral("DocInSource"), docInTable_);
    itemInTable_ = NewTable(this, session, QStringLiteral("ItemInTable"), KRBPROD, ItemInDB);
    Declare(itemInTable_, ItemInDB);
    itemInTable_->SetIndexFieldNames(QStringLiteral("Contor"));
    itemInTable_->SetMasterSource(docInSource);
    itemInTable_->SetMasterFields(QStringLiteral("Contor"));
    NewSource(this, QStringLiteral("ItemInSource"), itemInTable_);
    docOutTable_ = NewTable(this, session, QStringLiteral("DocOutTable"), KRBPROD, DocOutDB);
    Declare(docOutTable_, DocOutDB);
    NewSource(this, QStringLiteral("DocOutSource"), docOutTable_);
    itemOutTable_ = NewTable(this, session, QStringLiteral("ItemOutTable"), KRBPROD, ItemOutDB);
    Declare(itemOutTable_, ItemOutDB);
    NewSource(this, QStringLiteral("ItemOutSource"), itemOutTable_);
    counterTable_ = NewTable(this, session, QStringLiteral("CounterTable"), KRBPROD, CounterDB);
    Declare(counterTable_, CounterDB, {QStringLiteral("NewCounterOut")});
    counterTable_->SetReadForUpdate(true);
    NewSource(this, QStringLiteral("CounterSource"), counterTable_);
    agentsTable_ = NewTable(this, session, QStringLiteral("AgentsTable"), KRBPROD, UserDB);
    Declare(agentsTable_, UserDB, {QStringLiteral("Init"), QStringLiteral("Name")});
    agentsSource_ = NewSource(this, QStringLiteral("AgentsSource"), agentsTable_);

    // Fixed queries.
    termsQuery_ = NewQuery(this, session, QStringLiteral("RequirementTermsQuery"), KRBPROD, RequirementTermsSql());
    NewSource(this, QStringLiteral("RequirementTermsSource"), termsQuery_);
    sumQuery_ = NewQuery(this, session, QStringLiteral("RequirementSumQuery"), KRB_PRIV, RequirementSumSql());
    noYieldQuery_ = NewQuery(this, session, QStringLiteral("NoYieldQuery"), KRBPROD, NoYieldProductsSql());
    shelfLifeQuery_ = NewQuery(this, session, QStringLiteral("ShelfLifeQuery"), KRBPROD, ShelfLifeSql());
    tempBatchMove_ = new TBatchMove(this);
    tempBatchMove_->setObjectName(QStringLiteral("TempBatchMove"));
    tempBatchMove_->SetMode(TBatchMode::Copy);
    tempBatchMove_->SetDestination(tempTable_);
}

TRequirementSession::~TRequirementSession()
{
    // Closed while the rules they call still exist.
    itemInTable_->Close();
    tempTable_->Close();
}

void TRequirementSession::TempTableCod_MatPrimValidate(TField* sender)
{
    const QString group = tempTable_->FieldByName(QStringLiteral("Cod_grupa"))->AsString();
    if (const std::optional<QString> refusal = dm_.RequirementMaterialRefusal(group, sender->AsString()))
        dm_.Refuse(*refusal);
}

void TRequirementSession::TempTableBeforePost(TDataSet* dataSet)
{
    if (!dataSet->IsEditing())
        return;
    if (const std::optional<QString> refusal = dm_.RequirementLineRefusal(*dataSet))
        dm_.Refuse(*refusal);
}

double TRequirementSession::ShelfLife(const QString& group, const QString& code)
{
    if (group.isEmpty() || code.isEmpty())
        return 0.0;
    shelfLifeQuery_->Close();
    shelfLifeQuery_->ParamByName(QStringLiteral("Grupa"))->SetAsString(group);
    shelfLifeQuery_->ParamByName(QStringLiteral("Cod"))->SetAsString(code);
    shelfLifeQuery_->Open();
    const double days = shelfLifeQuery_->Eof() ? 0.0 : shelfLifeQuery_->Fields(0)->AsFloat();
    shelfLifeQuery_->Close();
    return days > 0 ? days : 0.0;
}

double TRequirementSession::StockOnHand(const QString& group, const QString& code, const QDate& day,
                                        double* expiredLeftOut)
{
    // The shelf life is asked for only where a lot can be left out as expired.
    const double days = dm_.Context().Settings.DrawExpiredLots || !day.isValid() ? 0.0 : ShelfLife(group, code);
    const TStockFigures figures = dm_.Ledger(day).Figures(group, code, days);
    if (expiredLeftOut)
        *expiredLeftOut = figures.Expired;
    return figures.OnHand;
}

void TRequirementSession::TempTableCalcFields(TDataSet* dataSet)
{
    const QString code = dataSet->FieldByName(QStringLiteral("Cod_MatPrim"))->AsString();
    const QString group = dataSet->FieldByName(QStringLiteral("Cod_grupa"))->AsString();
    double expired = 0.0;
    const double stock = StockOnHand(group, code, rowsDay_, &expired);
    const double need = dataSet->FieldByName(QStringLiteral("Cant"))->AsFloat(); // null counts as 0
    dataSet->FieldByName(QStringLiteral("StocExist"))->SetAsFloat(stock);
    dataSet->FieldByName(QStringLiteral("StocFin"))->SetAsFloat(FinalStock(stock, need));
    if (expired != 0)
        dataSet->FieldByName(QStringLiteral("StocExpirat"))->SetAsFloat(expired);
}

void TRequirementSession::OpenRequirementRows(const QDate& day)
{
    // Set before the rows are read, so that none is computed twice.
    tempTable_->Close();
    rowsDay_ = day;
    tempTable_->Open();
}

QString TRequirementSession::AgentInitials()
{
    const bool opened = !agentsTable_->Active();
    if (opened)
        agentsTable_->Open();
    QString initials =
        agentsTable_->Eof() ? QString() : agentsTable_->FieldByName(QStringLiteral("Init"))->AsString();
    if (opened)
        agentsTable_->Close();
    return initials;
}

} // namespace corvanel

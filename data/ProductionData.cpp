#include "data/ProductionData.h"

#include "data/Messages.h"
#include "data/Queries.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/db/IndexName.h"
#include "platform/schema/CompanyColumns.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/StockTotals.h"

#include <optional>

namespace corvanel {

using namespace fw;

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
    TLotRule rule = TLotRule::Of(context_.Settings, day);
    rule.LotStates = lotStates_;
    rule.ReleaseKept = lotStates_ && releaseKept_;
    rule.OwnExpiry = ownExpiry_;
    if (!stockTotals_)
        stockTotals_ = StockTotalsKept(*ProductionDatabase->GetConnection());
    rule.StockTotals = *stockTotals_;
    if (!ownDatesIndex_) {
        ownDatesIndex_ = QString();
        Connection& conn = *ProductionDatabase->GetConnection();
        if (conn.Engine() == TEngine::SQLite && requirement_->StocTable()->HasPartialIndex(QStringLiteral("Expirare_proprie")))
            ownDatesIndex_ = IndexName(conn.StoredTableName(QStringLiteral("Stoc")), QStringLiteral("Expirare_proprie"));
    }
    rule.OwnDatesIndex = *ownDatesIndex_;
    return TStockLedger(*ProductionDatabase->GetConnection(), *requirement_->StocTable(), rule);
}

void TProductionData::Refuse(const QString& warning) const
{
    if (!ShowWarning)
        throw Exception(warning);
    ShowWarning(warning);
    Abort();
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

    recipes_ = new TRecipeData(*this);
    requirement_ = new TRequirementSession(*this);
}

TProductionData::~TProductionData()
{
    // The datasets go while the rules they call and the database they read still exist.
    delete requirement_;
    delete recipes_;
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
    // A lot's own expiry date is read from the stock and the receipt lines of a company made
    // before it; one that cannot take the column counts every lot by its shelf life.
    EnsureColumns(KRBPROD, Session);
    ownExpiry_ = TableHasColumn(KRBPROD, StocDB, QStringLiteral("Data_expirare"), Session);
    // The figures read each article's total per warehouse where the engine keeps them.
    stockTotals_ = EnsureStockTotals(ProductionDatabase->GetConnection());
    ownDatesIndex_.reset(); // asked after the indexes below are made sure of
    // The stock figures, the requirement and the traceability report seek by these indexes,
    // and the following of a lot by those of its lines and of the genealogy; a company
    // made by an older host may lack them.
    EnsureIndexes(KRBPROD, {StocDB, ItemInDB, DocOutDB, CatalogDB, ItemOutDB, DocInDB, GenealogieDB, StornariDB, StareLotDB, IstoricStareLotDB, NormeCalitateDB, AnalizeLotDB},
                 Session);
}

void TProductionData::EnsureAddOnTables()
{
    for (const TTableLayout* layout : AddOnOwnTables()) {
        TTable table;
        table.SetSession(Session);
        table.SetDatabaseName(KRBPROD);
        table.SetTableName(layout->Name);
        bool present = table.Exists();
        if (!present) {
            try {
                CreateCompanyTable(KRBPROD, *layout, Session);
                present = true;
            } catch (const EDatabaseError&) {
                // A company the user may only read takes no new table: its documents are
                // followed as estimated, none reversed, no lot held, and it cannot be
                // written to anyway.
            }
        }
        if (layout == &LotStatusTable())
            lotStates_ = present;
        if (layout == &ReleaseRequiredTable())
            releaseKept_ = present;
    }
}

// ---------------------------------------------------------------- rules

bool TProductionData::MaterialAccepted(TTable* materials, const QString& group, const QString& code) const
{
    return code.isEmpty() || group.isEmpty() || (IsMaterial(code) && materials->FindKey({group, code}));
}

std::optional<QString> TProductionData::RecipeMaterialRefusal(const QString& group, const QString& code)
{
    if (MaterialAccepted(recipes_->RecipeMaterialTable(), group, code))
        return std::nullopt;
    return msg::NotARecipeMaterial(group, code);
}

std::optional<QString> TProductionData::RequirementMaterialRefusal(const QString& group, const QString& code)
{
    if (MaterialAccepted(requirement_->RequirementMaterialTable(), group, code))
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

double FinalStock(double onHand, double need) { return RoundHalfEven((onHand - need) * 100) / 100; }

} // namespace corvanel

#pragma once

// The requirement's part of the production data module: the requirement of one incoming
// document (temp.DB) with its stock figures, the materials a requirement row may name, the
// host's documents a consumption reads and writes, the users, the stock, the requirement's
// queries, and their reactions. It shows nothing; a refusal goes through the data module.

#include "platform/db/BatchMove.h"
#include "platform/db/DataSet.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QDate>
#include <QObject>
#include <functional>

namespace corvanel {

class TProductionData;

class TRequirementSession final : public QObject {
public:
    explicit TRequirementSession(TProductionData& dm);
    ~TRequirementSession() override;

    // The datasets the requirement, the consumption and the reversal work on.
    fw::TTable* TempTable() const { return tempTable_; } // the requirement of one incoming document (temp.DB)
    fw::TTable* RequirementMaterialTable() const { return materialTable_; } // raw materials and semi-finished products
    fw::TTable* StocTable() const { return stocTable_; }
    fw::TTable* DocInTable() const { return docInTable_; }
    fw::TTable* ItemInTable() const { return itemInTable_; }
    fw::TTable* DocOutTable() const { return docOutTable_; }
    fw::TTable* ItemOutTable() const { return itemOutTable_; }
    fw::TTable* CounterTable() const { return counterTable_; }
    fw::TTable* AgentsTable() const { return agentsTable_; }
    fw::TQuery* RequirementTermsQuery() const { return termsQuery_; }
    fw::TQuery* RequirementSumQuery() const { return sumQuery_; }
    fw::TQuery* NoYieldQuery() const { return noYieldQuery_; } // products of a receipt whose recipe cannot be counted
    fw::TBatchMove* TempBatchMove() const { return tempBatchMove_; }
    // What the requirement form's grids bind to.
    fw::TDataSource* TempSource() const { return tempSource_; }
    fw::TDataSource* AgentsSource() const { return agentsSource_; }

    // Opens the requirement's rows with their stock figures judged on `day`, its receipt's
    // date (invalid: every lot); the rows keep that day until they are opened again.
    void OpenRequirementRows(const QDate& day);
    // Stock on hand of a material: the lots of that group and code that the stock rule
    // lets count and that entered by `day` (or have no entry date; invalid: every lot), less
    // those expired on `day` when the settings leave expired lots out (their quantity in
    // `expiredLeftOut`).
    double StockOnHand(const QString& group, const QString& code, const QDate& day, double* expiredLeftOut = nullptr);
    // An article's shelf life in days; 0 when it keeps none.
    double ShelfLife(const QString& group, const QString& code);
    // The initials of the agent a document is written under: the agents table's current
    // row, the first user as the table opens (opened for the question and closed again when
    // it is not open); empty when there is no user.
    QString AgentInitials();

    // Told whether the requirement has rows each time its data changes, while the
    // requirement form is open (the form registers it; it enables its generate button).
    std::function<void(bool hasRows)> RequirementRowsChanged;

private:
    void TempTableCalcFields(fw::TDataSet* dataSet);
    void TempTableCod_MatPrimValidate(fw::TField* sender);
    void TempTableBeforePost(fw::TDataSet* dataSet);

    TProductionData& dm_;
    fw::TTable* materialTable_;
    fw::TTable* stocTable_;
    fw::TTable* tempTable_;
    fw::TTable* docInTable_;
    fw::TTable* itemInTable_;
    fw::TTable* docOutTable_;
    fw::TTable* itemOutTable_;
    fw::TTable* counterTable_;
    fw::TTable* agentsTable_;
    fw::TQuery* termsQuery_;
    fw::TQuery* sumQuery_;
    fw::TQuery* noYieldQuery_;
    fw::TQuery* shelfLifeQuery_;
    fw::TBatchMove* tempBatchMove_;
    fw::TDataSource* tempSource_;
    fw::TDataSource* agentsSource_;
    // The day the open requirement rows' stock figures are judged on.
    QDate rowsDay_;
};

} // namespace corvanel

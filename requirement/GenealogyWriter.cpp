#include "requirement/GenealogyWriter.h"

#include "data/ProductionData.h"
#include "data/Queries.h"
#include "platform/schema/CompanyTables.h"

namespace corvanel {

namespace {

// The stock row's fields the genealogy keeps, under the same names.
constexpr const char* kLotFields[] = {"Cod_grupa",      "Cod_articol", "Lot",       "Cod_gestiune",      "Pret_achizitie",
                                      "Agent",          "Contor_in",   "Contor_secundar_in", "Data_intrare"};

} // namespace

TGenealogyWriter::TGenealogyWriter(TProductionData& dm, double receipt)
    : weights_(dm.Session, KRBPROD, {receipt})
{
    table_.SetSession(dm.Session);
    table_.SetDatabaseName(KRBPROD);
    table_.SetTableName(fw::GenealogieDB);
    fw::DeclareFields(table_, fw::GenealogyTable());
    table_.Open();
}

void TGenealogyWriter::Record(double document, double line, double quantity, const fw::TDataSet& lot)
{
    const QString group = lot.FieldByName(QStringLiteral("Cod_grupa"))->AsString();
    const QString code = lot.FieldByName(QStringLiteral("Cod_articol"))->AsString();
    const std::vector<TReceiptWeights::TShare> shares = weights_.Shares(group, code, quantity);
    if (shares.empty())
        Write(document, line, nullptr, quantity, lot);
    for (const TReceiptWeights::TShare& share : shares)
        Write(document, line, &weights_.Lines()[share.Line], share.Quantity, lot);
}

void TGenealogyWriter::Write(double document, double line, const TReceiptWeights::TLine* fed, double share,
                             const fw::TDataSet& lot)
{
    const auto field = [this](const char* name) { return table_.FieldByName(QString::fromLatin1(name)); };
    table_.Insert(); // Append would read the table's end
    field("Contor_out")->SetAsFloat(document);
    field("Contor_secundar_out")->SetAsFloat(line);
    if (fed) {
        field("Contor_produs")->SetAsFloat(fed->Receipt);
        field("Contor_secundar_produs")->SetAsFloat(fed->Line);
    }
    field("Cantitate")->SetAsFloat(share);
    for (const char* name : kLotFields)
        field(name)->SetValue(lot.FieldByName(QString::fromLatin1(name))->Value());
    table_.Post();
}

} // namespace corvanel

#include "requirement/GenealogyWriter.h"

#include "data/ProductionData.h"
#include "data/Queries.h"
#include "data/StockLots.h"

namespace corvanel {

namespace {

// The stock row's fields the genealogy keeps, under the same names.
constexpr const char* kLotFields[] = {"Cod_grupa",      "Cod_articol", "Lot",       "Cod_gestiune",      "Pret_achizitie",
                                      "Agent",          "Contor_in",   "Contor_secundar_in", "Data_intrare"};

// One row of the genealogy: a share of the line and the receipt line it fed (none: null).
QVariantList GenealogyRow(double document, double line, const TReceiptWeights::TLine* fed, double share,
                          const TStockLot& lot)
{
    QVariantList values{document, line, fed ? QVariant(fed->Receipt) : QVariant(), fed ? QVariant(fed->Line) : QVariant(),
                        share};
    for (const char* name : kLotFields)
        values << StoredValue(lot, name);
    return values;
}

} // namespace

TGenealogyWriter::TGenealogyWriter(TProductionData& dm, double receipt)
    : weights_(dm.Session, KRBPROD, {receipt})
{
}

const QStringList& TGenealogyWriter::Columns()
{
    static const QStringList columns = [] {
        QStringList names{QStringLiteral("Contor_out"), QStringLiteral("Contor_secundar_out"), QStringLiteral("Contor_produs"),
                          QStringLiteral("Contor_secundar_produs"), QStringLiteral("Cantitate")};
        for (const char* name : kLotFields)
            names << QLatin1String(name);
        return names;
    }();
    return columns;
}

void TGenealogyWriter::Record(double document, double line, const QString& group, const QString& code, double quantity,
                              const TStockLot& lot, std::vector<QVariantList>& rows) const
{
    const std::vector<TReceiptWeights::TShare> shares = weights_.Shares(group, code, quantity);
    if (shares.empty())
        rows.push_back(GenealogyRow(document, line, nullptr, quantity, lot));
    for (const TReceiptWeights::TShare& share : shares)
        rows.push_back(GenealogyRow(document, line, &weights_.Lines()[share.Line], share.Quantity, lot));
}

} // namespace corvanel

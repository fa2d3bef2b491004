#include "reports/CostTables.h"

#include "platform/core/Csv.h"

#include <cmath>

namespace corvanel {

TSheet LotCostSheet(const std::vector<TLotCost>& costs)
{
    TSheet sheet{QStringLiteral("Cost pe lot"),
                 {QStringLiteral("Contor"), QStringLiteral("Numar"), QStringLiteral("Data"), QStringLiteral("Cod_grupa"),
                  QStringLiteral("Cod_articol"), QStringLiteral("Lot"), QStringLiteral("Cantitate"),
                  QStringLiteral("Cost_materiale"), QStringLiteral("Cost_unitar"), QStringLiteral("Denumire"),
                  QStringLiteral("Loturi_fara_pret")},
                 {}};
    for (const TLotCost& c : costs) {
        const TBatchLine& b = c.Batch;
        sheet.Rows.push_back({b.Receipt, b.Number, b.Date, b.Group, b.Code, b.Lot, b.Quantity, c.MaterialCost, c.UnitCost,
                              b.Name, static_cast<double>(c.Unpriced)});
    }
    return sheet;
}

TSheet LotMaterialSheet(const std::vector<TLotCost>& costs)
{
    TSheet sheet{QStringLiteral("Materiale pe lot"),
                 {QStringLiteral("Contor"), QStringLiteral("Numar"), QStringLiteral("Data"), QStringLiteral("Cod_grupa"),
                  QStringLiteral("Cod_articol"), QStringLiteral("Lot"), QStringLiteral("Grupa_material"),
                  QStringLiteral("Cod_material"), QStringLiteral("Cantitate_material"), QStringLiteral("Cost_material"),
                  QStringLiteral("Procent_din_cost"), QStringLiteral("Loturi_fara_pret")},
                 {}};
    for (const TLotCost& c : costs) {
        const TBatchLine& b = c.Batch;
        for (const TMaterialCost& m : c.Materials)
            sheet.Rows.push_back({b.Receipt, b.Number, b.Date, b.Group, b.Code, b.Lot, m.Group, m.Code, m.Quantity, m.Cost,
                                  m.Share, static_cast<double>(m.Unpriced)});
    }
    return sheet;
}

TSheet YieldVarianceSheet(const std::vector<TProductVariance>& variances)
{
    TSheet sheet{QStringLiteral("Necesar fata de consum"),
                 {QStringLiteral("Contor"), QStringLiteral("Numar"), QStringLiteral("Data"), QStringLiteral("Cod_grupa"),
                  QStringLiteral("Cod_articol"), QStringLiteral("Cantitate"), QStringLiteral("Grupa_material"),
                  QStringLiteral("Cod_material"), QStringLiteral("Necesar"), QStringLiteral("Consumat"),
                  QStringLiteral("Diferenta"), QStringLiteral("Diferenta_procent"), QStringLiteral("Pret"),
                  QStringLiteral("Valoare_necesar"), QStringLiteral("Valoare_consum"), QStringLiteral("Diferenta_valoare"),
                  QStringLiteral("Diferenta_valoare_procent")},
                 {}};
    for (const TProductVariance& p : variances) {
        const auto row = [&](const TMaterialVariance& m, const QString& code) {
            sheet.Rows.push_back({p.Receipt, p.Number, p.Date, p.Group, p.Code, p.Quantity, m.Group, code, m.Planned, m.Actual,
                                  m.QuantityVariance(), m.QuantityPercent(), m.Price, m.PlannedValue, m.ActualValue,
                                  m.ValueVariance(), m.ValuePercent()});
        };
        for (const TMaterialVariance& m : p.Materials)
            row(m, m.Code);
        row(p.Total, QStringLiteral("TOTAL"));
    }
    return sheet;
}

QString CsvText(const TSheet& sheet)
{
    QString out = fw::CsvRecord(sheet.Headings);
    for (const std::vector<TXlsxCell>& cells : sheet.Rows) {
        QStringList fields;
        for (const TXlsxCell& cell : cells) {
            if (const QString* text = std::get_if<QString>(&cell))
                fields << *text;
            else if (const double* number = std::get_if<double>(&cell))
                fields << (std::isfinite(*number) ? fw::CsvNumber(*number) : QString());
            else
                fields << std::get<QDate>(cell).toString(Qt::ISODate);
        }
        out += fw::CsvRecord(fields);
    }
    return out;
}

} // namespace corvanel

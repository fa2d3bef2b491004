#pragma once

// The monthly statement of each farmer's milk: the quantity delivered, the fat and protein
// weighted by quantity, the price the settings make of them (a base price at a reference
// fat and protein, a bonus or deduction per 0.1 point of each, deductions by class of germs
// and of somatic cells) and the amount. Deliveries with inhibitors are not paid. The
// arithmetic is apart from the reading, so it is tested without a database.

#include "milk/MilkIntake.h"
#include "milk/MilkSettings.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <optional>
#include <vector>

namespace corvanel {

struct TFarmerStatement {
    QString Farmer;
    QString Name;
    QDate Month;
    int Deliveries = 0;
    double Quantity = 0;        // delivered, in the price's unit
    int Unpaid = 0;             // deliveries with inhibitors
    double UnpaidQuantity = 0;
    double PaidQuantity = 0;
    std::optional<double> Fat;     // % weighted by the paid quantity, two decimals; none without a result
    std::optional<double> Protein;
    std::optional<double> Germs;   // geometric mean of the month's results; none without one
    std::optional<double> Cells;
    double BasePrice = 0;  // lei per unit
    double FatBonus = 0;   // lei per unit, negative for a deduction
    double ProteinBonus = 0;
    double GermDeduction = 0;
    double CellDeduction = 0;
    double Price = 0;  // lei per unit, four decimals
    double Amount = 0; // lei, two decimals
};

// Each farmer who delivered in `month` (first day), by code, from that month's deliveries.
std::vector<TFarmerStatement> FarmersStatements(const std::vector<TDeliveryRow>& deliveries, const QDate& month,
                                                const TMilkSettings& settings, const QMap<QString, QString>& names);
std::vector<TFarmerStatement> ReadFarmersStatements(fw::Connection& engine, const QDate& month,
                                                    const TMilkSettings& settings);

// The columns the accountant reads, a header line first, numbers with "." and full digits.
QStringList FarmersStatementColumns();
QStringList FarmersStatementFields(const TFarmerStatement& s, const TMilkSettings& settings);
QString FarmersStatementsCsv(const std::vector<TFarmerStatement>& rows, const TMilkSettings& settings);

} // namespace corvanel

#include "milk/MilkStatement.h"

#include "milk/MilkQuality.h"
#include "platform/core/Csv.h"

#include <cmath>

namespace corvanel {

namespace {

double Rounded(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    return std::round(value * scale) / scale;
}

std::optional<double> NumberResult(const TDeliveryRow& d, const char* parameter)
{
    const auto found = d.Results.constFind(QLatin1String(parameter));
    return found != d.Results.constEnd() ? found->Number : std::nullopt;
}

// What the settings pay for each 0.1 point above the reference (a deduction below it).
double PointBonus(const std::optional<double>& value, double reference, double perTenth)
{
    return value ? Rounded((*value - reference) * 10.0 * perTenth, 6) : 0;
}

TFarmerStatement Settle(const QString& farmer, const QString& name, const QDate& month, const std::vector<const TDeliveryRow*>& rows,
                        const TMilkSettings& settings)
{
    TFarmerStatement s;
    s.Farmer = farmer;
    s.Name = name;
    s.Month = month;
    double fatWeight = 0, fatSum = 0, proteinWeight = 0, proteinSum = 0;
    std::vector<double> germs, cells;
    for (const TDeliveryRow* d : rows) {
        const double quantity = settings.PricePerLitre ? d->Litres : d->Kg;
        ++s.Deliveries;
        s.Quantity += quantity;
        if (const std::optional<double> g = NumberResult(*d, "NTG"))
            germs.push_back(*g);
        if (const std::optional<double> c = NumberResult(*d, "NCS"))
            cells.push_back(*c);
        if (d->Inhibitors()) {
            ++s.Unpaid;
            s.UnpaidQuantity += quantity;
            continue;
        }
        s.PaidQuantity += quantity;
        if (const std::optional<double> fat = NumberResult(*d, "GRASIME")) {
            fatWeight += quantity;
            fatSum += quantity * *fat;
        }
        if (const std::optional<double> protein = NumberResult(*d, "PROTEINA")) {
            proteinWeight += quantity;
            proteinSum += quantity * *protein;
        }
    }
    if (fatWeight > 0)
        s.Fat = Rounded(fatSum / fatWeight, 2);
    if (proteinWeight > 0)
        s.Protein = Rounded(proteinSum / proteinWeight, 2);
    s.Germs = GeometricMean(germs);
    s.Cells = GeometricMean(cells);
    s.BasePrice = settings.BasePrice;
    s.FatBonus = PointBonus(s.Fat, settings.ReferenceFat, settings.FatBonus);
    s.ProteinBonus = PointBonus(s.Protein, settings.ReferenceProtein, settings.ProteinBonus);
    s.GermDeduction = s.Germs ? ClassDeduction(settings.GermClasses, *s.Germs) : 0;
    s.CellDeduction = s.Cells ? ClassDeduction(settings.CellClasses, *s.Cells) : 0;
    s.Price = Rounded(s.BasePrice + s.FatBonus + s.ProteinBonus - s.GermDeduction - s.CellDeduction, 4);
    s.Amount = Rounded(s.PaidQuantity * s.Price, 2);
    return s;
}

QString Optional(const std::optional<double>& v) { return v ? fw::CsvNumber(*v) : QString(); }

} // namespace

std::vector<TFarmerStatement> FarmersStatements(const std::vector<TDeliveryRow>& deliveries, const QDate& month,
                                                const TMilkSettings& settings, const QMap<QString, QString>& names)
{
    QMap<QString, std::vector<const TDeliveryRow*>> byFarmer;
    for (const TDeliveryRow& d : deliveries)
        if (d.Day.year() == month.year() && d.Day.month() == month.month())
            byFarmer[d.Farmer].push_back(&d);
    std::vector<TFarmerStatement> statements;
    for (auto it = byFarmer.cbegin(); it != byFarmer.cend(); ++it)
        statements.push_back(Settle(it.key(), names.value(it.key()), month, it.value(), settings));
    return statements;
}

std::vector<TFarmerStatement> ReadFarmersStatements(fw::Connection& engine, const QDate& month, const TMilkSettings& settings)
{
    return FarmersStatements(ReadMilkDeliveries(engine, month, month.addMonths(1).addDays(-1)), month, settings,
                             FarmerNames(engine));
}

QStringList FarmersStatementColumns()
{
    return {QStringLiteral("Furnizor"),      QStringLiteral("Nume"),          QStringLiteral("Luna"),
            QStringLiteral("Livrari"),       QStringLiteral("Cantitate"),     QStringLiteral("Unitate"),
            QStringLiteral("Neplatite"),     QStringLiteral("Cantitate_neplatita"), QStringLiteral("Cantitate_platita"),
            QStringLiteral("Grasime"),       QStringLiteral("Proteina"),      QStringLiteral("NTG"),
            QStringLiteral("NCS"),           QStringLiteral("Pret_baza"),     QStringLiteral("Bonus_grasime"),
            QStringLiteral("Bonus_proteina"), QStringLiteral("Deducere_NTG"), QStringLiteral("Deducere_NCS"),
            QStringLiteral("Pret"),          QStringLiteral("Valoare")};
}

QStringList FarmersStatementFields(const TFarmerStatement& s, const TMilkSettings& settings)
{
    return {s.Farmer,
            s.Name,
            s.Month.toString(QStringLiteral("yyyy-MM")),
            QString::number(s.Deliveries),
            fw::CsvNumber(s.Quantity),
            settings.PricePerLitre ? QStringLiteral("l") : QStringLiteral("kg"),
            QString::number(s.Unpaid),
            fw::CsvNumber(s.UnpaidQuantity),
            fw::CsvNumber(s.PaidQuantity),
            Optional(s.Fat),
            Optional(s.Protein),
            Optional(s.Germs),
            Optional(s.Cells),
            fw::CsvNumber(s.BasePrice),
            fw::CsvNumber(s.FatBonus),
            fw::CsvNumber(s.ProteinBonus),
            fw::CsvNumber(s.GermDeduction),
            fw::CsvNumber(s.CellDeduction),
            fw::CsvNumber(s.Price),
            fw::CsvNumber(s.Amount)};
}

QString FarmersStatementsCsv(const std::vector<TFarmerStatement>& rows, const TMilkSettings& settings)
{
    QString out = fw::CsvRecord(FarmersStatementColumns());
    for (const TFarmerStatement& s : rows)
        out += fw::CsvRecord(FarmersStatementFields(s, settings));
    return out;
}

} // namespace corvanel

#include "cli/DemoMilk.h"

#include "data/ProductionData.h"
#include "milk/MilkIntake.h"
#include "milk/MilkSettings.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"

#include <QDateTime>
#include <QTime>
#include <vector>

namespace corvanel::cli {

namespace {

// A quarter and the month before it, so that any month of the quarter has the two months
// before it sampled for the rolling means.
constexpr int kHistoryDays = 125;

} // namespace

void WriteDemoMilk(TProductionData& dm, const QString& directory, const QDate& today)
{
    TMilkSettings settings;
    settings.Group = QStringLiteral("01");
    settings.Article = QStringLiteral(".LAPTE");
    settings.Warehouse = QStringLiteral("_FRG");
    settings.Density = 1.029;
    settings.BasePrice = 2.20;
    settings.PricePerLitre = true;
    settings.FatBonus = 0.03;
    settings.ProteinBonus = 0.04;
    settings.GermClasses = {{100000, 0.05}, {300000, 0.12}};
    settings.CellClasses = {{400000, 0.08}, {500000, 0.15}};
    settings.Save(directory);
    // The quarter before today is history: its lots lie in a warehouse production does not
    // draw from, so the demo's consumption and stock stay as they were; what the user
    // enters goes to the settings' warehouse.
    fw::Connection& engine = *dm.ProductionDatabase->GetConnection();
    engine.ForEachRow(QStringLiteral("INSERT INTO Gest (Cod, Denumire, Responsabil) VALUES (?, ?, ?)"),
                      {QStringLiteral("REC"), QStringLiteral("Receptie lapte (istoric)"), QStringLiteral("Vasile Nistor")},
                      [](const fw::NativeRow&) {});
    TMilkSettings history = settings;
    history.Warehouse = QStringLiteral("REC");
    const QString farmers[] = {QStringLiteral("FERMA1"), QStringLiteral("FERMA2"), QStringLiteral("FERMA3")};
    const QString agent = dm.Requirement().AgentInitials();
    int n = 0;
    for (int daysAgo = kHistoryDays; daysAgo >= 1; --daysAgo) {
        std::vector<TMilkDelivery> day;
        for (int f = 0; f < 3; ++f) {
            // Each farm every third day, on days of its own.
            if ((daysAgo + f) % 3 != 0)
                continue;
            const int k = ++n % 7; // a week's spread of values
            TMilkDelivery d;
            d.Farmer = farmers[f];
            d.Litres = 900.0 + 150.0 * f + 20.0 * k;
            d.Temperature = 4.0 + 0.3 * k;
            d.Sample = QStringLiteral("P%1").arg(n, 4, 10, QLatin1Char('0'));
            // FERMA2's herd has too many somatic cells; FERMA3 once delivered milk with inhibitors.
            const double cells = f == 1 ? 480000.0 + 25000.0 * k : 180000.0 + 20000.0 * k;
            const bool inhibitors = f == 2 && daysAgo == 34;
            d.Results = {{QStringLiteral("GRASIME"), {3.55 + 0.05 * k + 0.1 * f, {}}},
                         {QStringLiteral("PROTEINA"), {3.15 + 0.02 * k, {}}},
                         {QStringLiteral("NTG"), {35000.0 + 7000.0 * k + 10000.0 * f, {}}},
                         {QStringLiteral("NCS"), {cells, {}}},
                         {QStringLiteral("INHIBITORI"), {std::nullopt, inhibitors ? QStringLiteral("pozitiv") : QStringLiteral("negativ")}}};
            day.push_back(std::move(d));
        }
        if (!day.empty())
            // Stamped at the morning of the delivery, so that a demo made twice is the same.
            RecordMilkDeliveries(dm, history, today.addDays(-daysAgo), day, agent,
                                 QDateTime(today.addDays(-daysAgo), QTime(8, 0)));
    }
}

} // namespace corvanel::cli

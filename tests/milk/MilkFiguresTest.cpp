// The farmers' figures worked out by hand: the rolling geometric means of germs and cells
// with their sampling rule, and a monthly statement's price and amount.
#include "milk/MilkQuality.h"
#include "milk/MilkStatement.h"

#include <gtest/gtest.h>

using namespace corvanel;

namespace {

// A delivery of `kg` (and as many litres) by `farmer` on `day` with numeric results.
TDeliveryRow Delivery(const QString& farmer, const QDate& day, double kg, const std::map<QString, double>& numbers,
                      bool inhibitors = false)
{
    TDeliveryRow d;
    d.Farmer = farmer;
    d.Day = day;
    d.Kg = kg;
    d.Litres = kg;
    for (const auto& [parameter, value] : numbers)
        d.Results.insert(parameter, {value, {}});
    if (inhibitors)
        d.Results.insert(QStringLiteral("INHIBITORI"), {std::nullopt, QStringLiteral("pozitiv")});
    return d;
}

TEST(MilkFigures, RollingMeansKeepTheSamplingRuleAndALimitConforms)
{
    const QDate nov(2026, 11, 1);
    std::vector<TDeliveryRow> rows{
        // F1: germs 50,000 and 200,000 in October, 100,000 twice in November: the mean is
        // (5e4 * 2e5 * 1e5 * 1e5)^(1/4) = 100,000, at the limit. Cells 200,000 / 400,000 /
        // 800,000 in September, October, November: (6.4e16)^(1/3) = 400,000, at the limit.
        Delivery("F1", {2026, 9, 10}, 100, {{"NCS", 200000}}),
        Delivery("F1", {2026, 10, 3}, 100, {{"NTG", 50000}, {"NCS", 400000}}),
        Delivery("F1", {2026, 10, 20}, 100, {{"NTG", 200000}}),
        Delivery("F1", {2026, 11, 2}, 100, {{"NTG", 100000}, {"NCS", 800000}}),
        Delivery("F1", {2026, 11, 16}, 100, {{"NTG", 100000}}),
        // F2: one germ sample in October (two needed); cells 250,000 / 500,000 / 1,000,000:
        // (1.25e17)^(1/3) = 500,000, above the limit. A sample of August is out of every period.
        Delivery("F2", {2026, 8, 30}, 100, {{"NTG", 1}, {"NCS", 1}}),
        Delivery("F2", {2026, 9, 1}, 100, {{"NCS", 250000}}),
        Delivery("F2", {2026, 10, 31}, 100, {{"NTG", 20000}, {"NCS", 500000}}),
        Delivery("F2", {2026, 11, 5}, 100, {{"NTG", 20000}, {"NCS", 1000000}}),
        Delivery("F2", {2026, 11, 6}, 100, {{"NTG", 20000}}),
        // F3: no cell sample in September; germs just above the limit: sqrt(100,001 * 100,001).
        Delivery("F3", {2026, 10, 1}, 100, {{"NTG", 100001}, {"NCS", 100000}}),
        Delivery("F3", {2026, 10, 2}, 100, {{"NTG", 100001}}),
        Delivery("F3", {2026, 11, 1}, 100, {{"NTG", 100001}, {"NCS", 100000}}),
        Delivery("F3", {2026, 11, 30}, 100, {{"NTG", 100001}}),
        // F4 delivered only in October: not in November's list.
        Delivery("F4", {2026, 10, 5}, 100, {{"NTG", 1000}}),
    };
    const std::vector<TFarmerQuality> q = FarmersQuality(rows, nov, {{"F1", "Ferma Unu"}});
    EXPECT_EQ(FarmersQualityCsv(q).toStdString(), "Furnizor;Luna;NTG_medie;NTG_probe;NCS_medie;NCS_probe;Conform\n"
                                                  "F1;2026-11;100000;4;400000;3;da\n"
                                                  "F2;2026-11;;3;500000;3;nu\n"
                                                  "F3;2026-11;100001;4;;2;nu\n");
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(q[1].Germs.PerMonth, (std::vector<int>{1, 2}));
    EXPECT_FALSE(q[1].Germs.RuleMet);
    EXPECT_EQ(q[2].Cells.PerMonth, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(q[0].Name.toStdString(), "Ferma Unu");
}

TEST(MilkFigures, AStatementPaysFatAndProteinByTenthsDeductsByClassAndLeavesInhibitorsUnpaid)
{
    TMilkSettings settings;
    settings.BasePrice = 2.10;
    settings.ReferenceFat = 3.7;
    settings.ReferenceProtein = 3.2;
    settings.FatBonus = 0.03;
    settings.ProteinBonus = 0.05;
    settings.GermClasses = {{100000, 0.05}, {300000, 0.10}};
    settings.CellClasses = {{400000, 0.08}};
    const std::vector<TDeliveryRow> rows{
        Delivery("F1", {2026, 11, 3}, 1000, {{"GRASIME", 4.0}, {"PROTEINA", 3.4}, {"NTG", 50000}, {"NCS", 300000}}),
        Delivery("F1", {2026, 11, 4}, 3000, {{"GRASIME", 3.8}, {"PROTEINA", 3.2}, {"NTG", 200000}}),
        // With inhibitors: not paid, its fat not weighed, its cells still counted.
        Delivery("F1", {2026, 11, 5}, 500, {{"GRASIME", 5.0}, {"NCS", 1200000}}, true),
        Delivery("F1", {2026, 10, 30}, 9999, {{"GRASIME", 9.0}}),
    };
    const std::vector<TFarmerStatement> s = FarmersStatements(rows, QDate(2026, 11, 1), settings, {});
    ASSERT_EQ(s.size(), 1u);
    // Fat (1000 * 4.0 + 3000 * 3.8) / 4000 = 3.85: 1.5 tenths * 0.03 = 0.045; protein
    // (3400 + 9600) / 4000 = 3.25: 0.5 tenths * 0.05 = 0.025; germs sqrt(5e4 * 2e5) =
    // 100,000, at the first class's limit: nothing off; cells sqrt(3e5 * 1.2e6) = 600,000:
    // 0.08 off. Price 2.10 + 0.045 + 0.025 - 0.08 = 2.09; 4000 kg paid: 8360.00 lei.
    EXPECT_EQ(FarmersStatementsCsv(s, settings).toStdString(),
              "Furnizor;Nume;Luna;Livrari;Cantitate;Unitate;Neplatite;Cantitate_neplatita;Cantitate_platita;Grasime;Proteina;"
              "NTG;NCS;Pret_baza;Bonus_grasime;Bonus_proteina;Deducere_NTG;Deducere_NCS;Pret;Valoare\n"
              "F1;;2026-11;3;4500;kg;1;500;4000;3.85;3.25;100000;600000;2.1;0.045;0.025;0;0.08;2.09;8360\n");
    // Below the references the tenths deduct.
    settings.ReferenceFat = 4.0;
    EXPECT_DOUBLE_EQ(FarmersStatements(rows, QDate(2026, 11, 1), settings, {})[0].FatBonus, -0.045);
}

TEST(MilkFigures, ClassesAreReadOnlyWithRisingLimits)
{
    const struct {
        const char* text;
        bool read;
        double deductionAt150k;
    } cases[] = {
        {"100000:0.05;300000:0.10", true, 0.05}, {"", true, 0}, {" 100000 : 0.05 ", true, 0.05},
        {"300000:0.10;100000:0.05", false, 0},   {"100000", false, 0}, {"abc:1", false, 0}, {"100000:0,05", false, 0},
    };
    for (const auto& c : cases) {
        std::vector<TMilkClass> classes;
        EXPECT_EQ(ReadClasses(c.text, classes), c.read) << c.text;
        EXPECT_DOUBLE_EQ(ClassDeduction(classes, 150000), c.deductionAt150k) << c.text;
    }
    EXPECT_THROW(MonthOf("2026-13"), EMilkRefused);
    EXPECT_THROW(MonthOf("2026-1"), EMilkRefused);
    EXPECT_EQ(MonthOf("2026-02"), QDate(2026, 2, 1));
}

} // namespace

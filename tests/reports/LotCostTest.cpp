// What a batch cost and how far it strayed from its recipe, from what the consumption
// documents really drew: each lot at its own price, reversed documents left out.
#include "data/Queries.h"
#include "platform/ui/MessageDlg.h"
#include "reports/LotCost.h"
#include "reports/YieldVariance.h"
#include "requirement/Requirement.h"
#include "requirement/Reversal.h"
#include "requirement/RequirementCompany.h"

#include <gtest/gtest.h>
#include <cmath>
#include <functional>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

const TBatchPeriod December{QDate(2026, 12, 1), QDate(2026, 12, 31)};

// Yoghurt (yield 100) asks 13 of milk and 0.5 of culture per 100. Milk lies in two lots at
// two prices, LC-1 (20 at 2.50) drawn before LC-2 (100 at 2.00); culture at 40.00.
struct Dairy {
    Dairy()
    {
        c.company.Article("01", ".LAPTE", "Lapte");
        c.company.Article("01", ".CULT", "Cultura");
        c.company.Article("02", "IAURT", "Iaurt", 100.0);
        c.company.RecipeRow("IAURT", ".LAPTE", "01", 13);
        c.company.RecipeRow("IAURT", ".CULT", "01", 0.5);
        c.company.Add(fw::StocDB, {{20.0, ".LAPTE", "01", "_FRG", 2.5, "LC-1", "ADM", 90.0, 3.0, QDate(2026, 11, 2)},
                                   {100.0, ".LAPTE", "01", "_FRG", 2.0, "LC-2", "ADM", 91.0, 1.0, QDate(2026, 11, 3)},
                                   {10.0, ".CULT", "01", "_FRG", 40.0, "CU-1", "ADM", 92.0, 1.0, QDate(2026, 11, 3)}});
    }
    // Writes the receipt's consumption; `edit` may change the requirement first, as the clerk can.
    void Consume(double receipt, double expectedDocument, const std::function<void(TTable*)>& edit = {})
    {
        PrepareRequirement(*c.dm, receipt);
        if (edit)
            edit(c.dm->Requirement().TempTable());
        ASSERT_EQ(GenerateConsumption(*c.dm, receipt, c.dm->Requirement().AgentInitials()), std::optional<double>(expectedDocument));
        CloseRequirement(*c.dm);
    }

    TMessageRecorder messages;
    RequirementCompany c;
};

TEST(LotCost, TwoLotsAtTwoPricesEachCountAtTheirOwnAndAReversedConsumptionCountsNothing)
{
    Dairy d;
    // Yoghurt 200 of 07.12: 26 of milk, 20 from LC-1 and 6 from LC-2, and 1 of culture.
    d.c.Receipt(5, {{"02", "IAURT", 200}});
    d.Consume(5, 8);
    // Yoghurt 100 of 08.12 (13 of milk from LC-2, 0.5 of culture), its consumption reversed.
    d.c.Receipt(6, {{"02", "IAURT", 100}}, 126.0, QDate(2026, 12, 8));
    d.Consume(6, 9);
    ASSERT_EQ(ReverseConsumption(*d.c.dm, 9, "ADM"), 10.0);

    const std::vector<TLotCost> costs = ReadLotCosts(d.c.production.Context.Session(), December);
    ASSERT_EQ(costs.size(), 2u);
    // Milk 20 x 2.50 + 6 x 2.00 = 62, culture 1 x 40 = 40: 102 for 200, 0.51 a unit.
    const TLotCost& made = costs[0];
    EXPECT_EQ(made.Batch.Receipt, 5);
    EXPECT_EQ(made.Batch.Number, 125);
    EXPECT_EQ(made.Batch.Date, QDate(2026, 12, 7));
    EXPECT_EQ(made.Batch.Lot, "P1");
    EXPECT_DOUBLE_EQ(made.MaterialCost, 102);
    EXPECT_DOUBLE_EQ(made.UnitCost, 0.51);
    ASSERT_EQ(made.Materials.size(), 2u);
    EXPECT_EQ(made.Materials[0].Code, ".CULT");
    EXPECT_DOUBLE_EQ(made.Materials[0].Quantity, 1);
    EXPECT_DOUBLE_EQ(made.Materials[0].Cost, 40);
    EXPECT_NEAR(made.Materials[0].Share, 39.2156862745, 1e-9);
    EXPECT_EQ(made.Materials[1].Code, ".LAPTE");
    EXPECT_DOUBLE_EQ(made.Materials[1].Quantity, 26);
    EXPECT_DOUBLE_EQ(made.Materials[1].Cost, 62);
    EXPECT_NEAR(made.Materials[1].Share, 60.7843137255, 1e-9);
    // The reversed batch is still a batch of the period, with nothing drawn for it.
    EXPECT_EQ(costs[1].Batch.Receipt, 6);
    EXPECT_EQ(costs[1].MaterialCost, 0);
    EXPECT_TRUE(costs[1].Materials.empty());

    // The period's last day counts, the day after does not.
    EXPECT_EQ(ReadLotCosts(d.c.production.Context.Session(), {QDate(2026, 12, 7), QDate(2026, 12, 7)}).size(), 1u);
    EXPECT_TRUE(ReadLotCosts(d.c.production.Context.Session(), {QDate(2026, 12, 9), QDate(2026, 12, 31)}).empty());
    EXPECT_EQ(d.messages.Count(), 0);
}

TEST(YieldVariance, AnEditedRequirementShowsAsTheVarianceInQuantityValueAndPerCent)
{
    Dairy d;
    d.c.Receipt(5, {{"02", "IAURT", 200}});
    // The clerk asks 28 of milk where the recipe asks 26: 20 from LC-1 (50.00), 8 from LC-2 (16.00).
    d.Consume(5, 8, [](TTable* requirement) {
        ASSERT_TRUE(requirement->Locate("Cod_MatPrim", {".LAPTE"}));
        requirement->Edit();
        requirement->FieldByName("Cant")->SetAsFloat(28);
        requirement->Post();
    });

    const std::vector<TProductVariance> v = ReadYieldVariances(d.c.production.Context.Session(), December, {});
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].Code, "IAURT");
    EXPECT_DOUBLE_EQ(v[0].Quantity, 200);
    ASSERT_EQ(v[0].Materials.size(), 2u);
    const TMaterialVariance& culture = v[0].Materials[0];
    EXPECT_DOUBLE_EQ(culture.Planned, 1);
    EXPECT_DOUBLE_EQ(culture.Actual, 1);
    EXPECT_DOUBLE_EQ(culture.ValueVariance(), 0);
    const TMaterialVariance& milk = v[0].Materials[1];
    EXPECT_DOUBLE_EQ(milk.Planned, 26);
    EXPECT_DOUBLE_EQ(milk.Actual, 28);
    EXPECT_DOUBLE_EQ(milk.QuantityVariance(), 2);
    EXPECT_NEAR(milk.QuantityPercent(), 7.6923076923, 1e-9);
    // The plan at what this batch paid for its milk, 66 / 28 a unit: 61.2857142857.
    EXPECT_NEAR(milk.Price, 2.3571428571, 1e-9);
    EXPECT_NEAR(milk.PlannedValue, 61.2857142857, 1e-9);
    EXPECT_DOUBLE_EQ(milk.ActualValue, 66);
    EXPECT_NEAR(milk.ValueVariance(), 4.7142857143, 1e-9);
    // In total: 27 planned, 29 drawn; 101.2857142857 planned, 106 drawn.
    EXPECT_DOUBLE_EQ(v[0].Total.Planned, 27);
    EXPECT_DOUBLE_EQ(v[0].Total.Actual, 29);
    EXPECT_NEAR(v[0].Total.QuantityPercent(), 7.4074074074, 1e-9);
    EXPECT_NEAR(v[0].Total.ValueVariance(), 4.7142857143, 1e-9);
    EXPECT_NEAR(v[0].Total.ValuePercent(), 4.6544428773, 1e-9);

    // Asked for another product only: nothing.
    EXPECT_TRUE(ReadYieldVariances(d.c.production.Context.Session(), December, {"SMANT"}).empty());
}

// Worked out without a database: what a plan is valued at when the batch drew none of it.
TEST(YieldVariance, APlanNothingWasDrawnForIsValuedAtThePeriodsPriceOrLeftUnknown)
{
    const std::vector<TBatchLine> lines{{1, 1, 10, QDate(2026, 12, 1), "02", "IAURT", "", "", "P1", 100},
                                        {2, 1, 11, QDate(2026, 12, 2), "02", "IAURT", "", "", "P2", 100}};
    const std::vector<TPlannedTerm> terms{{1, 1, "01", ".LAPTE", 13}, {2, 1, "01", ".LAPTE", 13}, {2, 1, "01", ".CULT", 1}};
    // Receipt 1 drew milk at 2.00 and 3.00; receipt 2 drew nothing.
    const std::vector<TBatchDraw> draws{{8, 1, 1, "01", ".LAPTE", "A", 10, 2.0, true}, {8, 1, 1, "01", ".LAPTE", "B", 4, 3.0, true}};
    const std::vector<TProductVariance> v = YieldVariances(lines, terms, draws);
    ASSERT_EQ(v.size(), 2u);
    // 20 + 12 for 14: 2.2857142857 a unit, in its batch and in the period alike.
    EXPECT_NEAR(v[0].Materials[0].Price, 2.2857142857, 1e-9);
    ASSERT_EQ(v[1].Materials.size(), 2u);
    EXPECT_NEAR(v[1].Materials[1].PlannedValue, 29.7142857143, 1e-9); // 13 of milk at the period's price
    EXPECT_DOUBLE_EQ(v[1].Materials[1].QuantityPercent(), -100);
    // No culture was drawn in the period: its value, and so the total's, is unknown, never 0.
    EXPECT_TRUE(std::isnan(v[1].Materials[0].PlannedValue));
    EXPECT_TRUE(std::isnan(v[1].Total.PlannedValue));
}

// The products a variance can be asked for: those with a recipe, each code once though the
// catalog keeps it in two groups.
TEST(YieldVariance, TheProductsOfferedAreThoseWithARecipeEachCodeOnce)
{
    Dairy d;
    d.c.company.Article("02", "KEFIR", "Kefir", 100.0);
    d.c.company.Article("03", "IAURT", "Iaurt la pahar", 100.0);
    d.c.company.RecipeRow("KEFIR", ".LAPTE", "01", 11);
    const std::vector<TRecipeProduct> products = ReadRecipeProducts(d.c.production.Context.Session());
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(products[0].Code + "|" + products[0].Name, "IAURT|Iaurt");
    EXPECT_EQ(products[1].Code + "|" + products[1].Name, "KEFIR|Kefir");
    EXPECT_EQ(d.messages.Count(), 0);
}

} // namespace

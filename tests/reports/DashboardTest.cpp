// The dashboard: which receipts of finished goods still wait for their consumption, this
// month's production against last month's, and the window leading to the requirement.
#include "data/LotStatus.h"
#include "data/ReleaseRequired.h"
#include "platform/db/Connection.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/DocumentTypes.h"
#include "platform/ui/MessageDlg.h"
#include "reports/DashboardData.h"
#include "reports/DashboardForm.h"
#include "requirement/Requirement.h"
#include "requirement/Reversal.h"
#include "requirement/RequirementCompany.h"

#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

// Yoghurt from milk; receipts from production (BP) and one from a supplier (NIR).
struct Plant {
    Plant()
    {
        c.company.Article("01", ".LAPTE", "Lapte");
        c.company.Article("02", "IAURT", "Iaurt", 100.0);
        c.company.RecipeRow("IAURT", ".LAPTE", "01", 13);
        c.company.Lot("01", ".LAPTE", "_FRG", 1000, "LC-1");
        Receipt(5, "BP", 125, QDate(2026, 12, 3), 200);
        Receipt(6, "BP", 126, QDate(2026, 11, 20), 150);
        Receipt(7, "BP", 127, QDate(2026, 11, 5), 100);
        Receipt(8, "NIR", 128, QDate(2026, 12, 4), 50); // yoghurt bought: no batch of ours
    }
    void Receipt(double contor, const char* type, double number, const QDate& date, double quantity)
    {
        c.company.Add(fw::DocInDB, {{contor, date, number, type, date, "FERMA1"}});
        c.company.Add(fw::ItemInDB, {{contor, 1.0, "PF", "02", "IAURT", "P" + QString::number(contor), quantity}});
    }
    std::vector<double> Unconsumed()
    {
        std::vector<double> receipts;
        for (const TUnconsumedReceipt& r : ReadDashboard(c.production.Context.Session(), QDate(2026, 12, 10), 7).Unconsumed)
            receipts.push_back(r.Receipt);
        return receipts;
    }

    TMessageRecorder messages;
    RequirementCompany c;
};

TEST(Dashboard, AProductionReceiptWaitsForItsConsumptionUntilOneIsWrittenAndAgainOnceItIsReversed)
{
    Plant p;
    EXPECT_EQ(p.Unconsumed(), (std::vector<double>{5, 6, 7})); // newest first
    PrepareRequirement(*p.c.dm, 6);
    ASSERT_EQ(GenerateConsumption(*p.c.dm, 6, "ADM"), std::optional<double>(8.0));
    CloseRequirement(*p.c.dm);
    EXPECT_EQ(p.Unconsumed(), (std::vector<double>{5, 7}));
    ReverseConsumption(*p.c.dm, 8, "ADM");
    EXPECT_EQ(p.Unconsumed(), (std::vector<double>{5, 6, 7}));
    EXPECT_EQ(p.messages.Count(), 0);
}

// An older consumption, written before the genealogy was kept, is tied to its receipt by
// number and date; a receipt from before the dashboard's year is no longer waited for.
TEST(Dashboard, AnOlderConsumptionCountsByNumberAndDateAndTheYearBeforeIsLeftOut)
{
    Plant p;
    p.c.company.Add(fw::DocOutDB, {{20.0, QDate(2026, 11, 21), 126.0, fw::ConsumptionDocType, QDate(2026, 11, 20), ""}});
    // Same number, another day: not this receipt's.
    p.c.company.Add(fw::DocOutDB, {{21.0, QDate(2026, 11, 6), 127.0, fw::ConsumptionDocType, QDate(2026, 11, 6), ""}});
    p.Receipt(9, "BP", 90, QDate(2025, 12, 31), 80);  // the day before the year began
    p.Receipt(10, "BP", 91, QDate(2026, 1, 1), 80);   // its first day
    EXPECT_EQ(p.Unconsumed(), (std::vector<double>{5, 7, 10}));
    EXPECT_EQ(p.messages.Count(), 0);
}

TEST(Dashboard, ThisMonthsProductionStandsAgainstTheWholeOfLastMonth)
{
    Plant p;
    const std::vector<TMonthProduction> production =
        ReadDashboard(p.c.production.Context.Session(), QDate(2026, 12, 10), 7).Production;
    ASSERT_EQ(production.size(), 1u);
    EXPECT_EQ(production[0].Code, "IAURT");
    EXPECT_EQ(production[0].ThisMonth, 200); // the bought 50 is no production
    EXPECT_EQ(production[0].LastMonth, 250);
    // On the first of the month, the month so far is that day alone.
    EXPECT_EQ(ReadDashboard(p.c.production.Context.Session(), QDate(2026, 12, 1), 7).Production[0].ThisMonth, 0);
}

// Lots waiting for their release have no stored standing: they are listed as the stock
// ledger finds them, among the held ones in the order of article and lot, until released.
TEST(Dashboard, LotsWaitingForTheirReleaseAreListedWithTheHeldOnes)
{
    Plant p;
    // Of the milk: LC-1 (no entry date) and LC-2 came before the setting's day, LC-3 on it.
    p.c.company.Add(fw::StocDB, {{300.0, ".LAPTE", "01", "_FRG", 2.2, "LC-2", "MPO", 1.0, 2.0, QDate(2026, 12, 2)},
                                 {400.0, ".LAPTE", "01", "_FRG", 2.2, "LC-3", "MPO", 1.0, 3.0, QDate(2026, 12, 3)}});
    p.c.company.Add(fw::StocDB, {{40.0, "IAURT", "02", "PF", 3.0, "P5", "MPO", 5.0, 1.0, QDate(2026, 12, 3)}});
    const QDateTime at(QDate(2026, 12, 9), QTime(8, 0));
    SetReleaseRequired(*p.c.dm, "01", ".LAPTE", true, "MPO", QDate(2026, 12, 3));
    ChangeLotState(*p.c.dm, {"01", ".LAPTE", "LC-1"}, TLotState::Held, "Inhibitori", "MPO", at);
    ChangeLotState(*p.c.dm, {"02", "IAURT", "P5"}, TLotState::NonConforming, "Listeria prezent", "LAB", at);
    const auto stopped = [&p] {
        QStringList rows;
        for (const TStoppedLot& l : ReadDashboard(p.c.production.Context.Session(), QDate(2026, 12, 10), 7).Stopped)
            rows << QStringList{l.Group, l.Code, l.Name, l.Lot, l.State, l.Reason}.join('|');
        return rows;
    };
    EXPECT_EQ(stopped(), (QStringList{"01|.LAPTE|Lapte|LC-1|Blocat|Inhibitori",
                                      "01|.LAPTE|Lapte|LC-3|In asteptare|lot nou, asteapta eliberarea",
                                      "02|IAURT|Iaurt|P5|Neconform|Listeria prezent"}));
    ChangeLotState(*p.c.dm, {"01", ".LAPTE", "LC-3"}, TLotState::Released, "NTG conform", "MPO", at);
    EXPECT_EQ(stopped(), (QStringList{"01|.LAPTE|Lapte|LC-1|Blocat|Inhibitori", "02|IAURT|Iaurt|P5|Neconform|Listeria prezent"}));
    EXPECT_EQ(p.messages.Count(), 0);
}

// A company without the reversals' table (one the user may only read, made before
// reversals) has reversed nothing: a consumption written counts, and nothing fails.
TEST(Dashboard, WithoutTheReversalsTableEveryConsumptionStands)
{
    Plant p;
    PrepareRequirement(*p.c.dm, 6);
    ASSERT_EQ(GenerateConsumption(*p.c.dm, 6, "ADM"), std::optional<double>(8.0));
    CloseRequirement(*p.c.dm);
    fw::Connection::Open(p.c.company.Dir())->Exec(QStringLiteral("DROP TABLE Stornari"));
    EXPECT_EQ(p.Unconsumed(), (std::vector<double>{5, 7}));
    EXPECT_EQ(p.messages.Count(), 0);
}

TEST(DashboardForm, AHeldLotIsListedUntilReleasedAndLeadsToItsResults)
{
    Plant p;
    p.c.company.Lot("01", ".LAPTE", "_FRG", 500, "LC-2");
    const QDateTime at(QDate(2026, 12, 9), QTime(8, 0));
    ChangeLotState(*p.c.dm, {"01", ".LAPTE", "LC-1"}, TLotState::Held, "Inhibitori", "MPO", at);
    ChangeLotState(*p.c.dm, {"01", ".LAPTE", "LC-2"}, TLotState::Held, "Proba", "MPO", at);
    ChangeLotState(*p.c.dm, {"01", ".LAPTE", "LC-2"}, TLotState::Released, "Reanalizat", "MPO", at.addSecs(60));
    std::vector<QStringList> opened;
    auto* form = new TDashboardForm(p.c.production.Context, nullptr,
                                    {nullptr, nullptr, [&](const QString& g, const QString& a, const QString& l) {
                                         opened.push_back({g, a, l});
                                     }});
    const std::unique_ptr<TDashboardForm> owned(form);
    auto* stopped = form->findChild<QTreeWidget*>("StoppedList");
    auto* lab = form->findChild<QPushButton*>("LabResultsButton");
    ASSERT_TRUE(stopped && lab);
    ASSERT_EQ(stopped->topLevelItemCount(), 1);
    EXPECT_EQ(stopped->topLevelItem(0)->text(0) + "|" + stopped->topLevelItem(0)->text(1) + "|" +
                  stopped->topLevelItem(0)->text(2) + "|" + stopped->topLevelItem(0)->text(3),
              "01 .LAPTE Lapte|LC-1|Blocat|Inhibitori");
    EXPECT_FALSE(lab->isEnabled());
    stopped->setCurrentItem(stopped->topLevelItem(0));
    lab->click();
    EXPECT_EQ(opened, (std::vector<QStringList>{{"01", ".LAPTE", "LC-1"}}));
    EXPECT_EQ(p.messages.Count(), 0);
}

TEST(DashboardForm, AReceiptChosenOpensItsRequirementAndTheListIsReadAgain)
{
    Plant p;
    std::vector<double> opened;
    auto* form = new TDashboardForm(p.c.production.Context, nullptr,
                                    {nullptr, [&](double receipt) { opened.push_back(receipt); }, {}});
    const std::unique_ptr<TDashboardForm> owned(form);
    auto* receipts = form->findChild<QTreeWidget*>("ReceiptsList");
    auto* requirement = form->findChild<QPushButton*>("RequirementButton");
    ASSERT_TRUE(receipts && requirement);
    ASSERT_EQ(receipts->topLevelItemCount(), 3);
    EXPECT_EQ(receipts->topLevelItem(1)->text(0), "126");
    EXPECT_FALSE(requirement->isEnabled()); // nothing chosen yet
    // With no report to lead to, its button does nothing and says so by being off.
    EXPECT_FALSE(form->findChild<QPushButton*>("ExpiringButton")->isEnabled());
    receipts->setCurrentItem(receipts->topLevelItem(1));
    ASSERT_TRUE(requirement->isEnabled());
    requirement->click();
    EXPECT_EQ(opened, std::vector<double>{6});
    EXPECT_EQ(receipts->topLevelItemCount(), 3);
    EXPECT_EQ(p.messages.Count(), 0);
}

} // namespace

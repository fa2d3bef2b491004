// A lot used in part passes on the same part of what it was made of, at every level and
// both ways; reversed consumptions carry nothing; the mass balance accounts for every lot.
// Every figure below is worked out by hand from the plant's documents.
#include "RecallPlant.h"
#include "recall/MassBalance.h"
#include "recall/RecallContacts.h"

#include <gtest/gtest.h>

using namespace corvanel;

namespace {

// Milk LM-1 (1000 l, Ferma Unu) and powder PL-1 (50 kg, Ferma Doi) make 500 l of
// standardised milk LS-1 (480 + 20); 40 l of it make 50 kg of culture CU-1. The culture goes
// 19 kg into yoghurt IA-1 (200 kg), 15 into kefir KE-1 (100), 4 into yoghurt IA-2 (100,
// with 50 l of LS-1 besides) and 2 kg are sold; 6 kg drawn for the kefir were reversed.
struct TShareDairy : TRecallPlant {
    TShareDairy()
    {
        company.Add(fw::FurnDB, {{"FERMA1", "Ferma Unu", "RO111", "Sanpetru", "Str. Morii 4", "0268 411 203"},
                                 {"FERMA2", "Ferma Doi"},
                                 {"CLIENT A", "Magazin A", "RO222", "Harman", "", "0722 000 001"}});
        company.Article("01", ".LAPTE", "Lapte crud");
        company.Article("01", ".PRAF", "Lapte praf");
        company.Article("03", "LNORM", "Lapte normalizat");
        company.Article("03", "MAIA", "Maia");
        company.Article("02", "IAURT", "Iaurt");
        company.Article("02", "CHEFIR", "Chefir");
        const QDate day(2026, 11, 5);
        Receipt(11, 11, "NIR", QDate(2026, 11, 1), "FERMA1", {{"01", ".LAPTE", "LM-1", 1000}});
        Receipt(12, 12, "NIR", QDate(2026, 11, 1), "FERMA2", {{"01", ".PRAF", "PL-1", 50}});
        Receipt(201, 201, "PRD", day, "MPO", {{"03", "LNORM", "LS-1", 500}});
        Receipt(202, 202, "PRD", day.addDays(1), "MPO", {{"03", "MAIA", "CU-1", 50}});
        Receipt(203, 203, "PRD", day.addDays(2), "MPO", {{"02", "IAURT", "IA-1", 200}});
        Receipt(204, 204, "PRD", day.addDays(3), "MPO", {{"02", "CHEFIR", "KE-1", 100}});
        Receipt(205, 205, "PRD", day.addDays(4), "MPO", {{"02", "IAURT", "IA-2", 100}});
        const TLotKey milk{"01", ".LAPTE", "LM-1"}, powder{"01", ".PRAF", "PL-1"}, standard{"03", "LNORM", "LS-1"},
            culture{"03", "MAIA", "CU-1"};
        Document(301, "BMC", 201, day, "", {{"01", ".LAPTE", "LM-1", 480}, {"01", ".PRAF", "PL-1", 20}});
        Fed(301, 1, 201, 1, 480, milk, 11);
        Fed(301, 2, 201, 1, 20, powder, 12);
        Document(302, "BMC", 202, day.addDays(1), "", {{"03", "LNORM", "LS-1", 40}});
        Fed(302, 1, 202, 1, 40, standard, 201);
        Document(303, "BMC", 203, day.addDays(2), "", {{"03", "MAIA", "CU-1", 19}});
        Fed(303, 1, 203, 1, 19, culture, 202);
        Document(304, "BMC", 204, day.addDays(3), "", {{"03", "MAIA", "CU-1", 15}});
        Fed(304, 1, 204, 1, 15, culture, 202);
        Document(305, "BMC", 204, day.addDays(3), "", {{"03", "MAIA", "CU-1", 6}});
        Fed(305, 1, 204, 1, 6, culture, 202);
        Document(306, "BMC", 204, day.addDays(3), "", {{"03", "MAIA", "CU-1", -6}});
        Reversed(305, 306);
        Document(307, "BMC", 205, day.addDays(4), "", {{"03", "MAIA", "CU-1", 4}, {"03", "LNORM", "LS-1", 50}});
        Fed(307, 1, 205, 1, 4, culture, 202);
        Fed(307, 2, 205, 1, 50, standard, 201);
        Document(401, "FAC", 501, day.addDays(5), "CLIENT A", {{"02", "IAURT", "IA-1", 150}});
        Document(402, "FAC", 502, day.addDays(5), "CLIENT B", {{"02", "CHEFIR", "KE-1", 100}});
        Document(403, "FAC", 503, day.addDays(5), "CLIENT C", {{"03", "MAIA", "CU-1", 2}});
        Document(404, "FAC", 504, day.addDays(6), "CLIENT D", {{"02", "IAURT", "IA-2", 60}});
        InStock("01", ".LAPTE", "LM-1", "_FRG", 500);
        InStock("03", "MAIA", "CU-1", "_FRG", 7);
        InStock("03", "MAIA", "CU-1", "PF", 3);
        InStock("02", "IAURT", "IA-1", "PF", 40);
        production.Connect(company);
    }
};

struct TShare {
    int Level;
    std::string Kind; // L: a lot, C: a consumption, S: a shipment
    std::string Lot;
    double Share;
    std::string Remark = ""; // R: followed elsewhere in the tree
};

void Shares(const std::vector<TRecallNode>& nodes, std::vector<TShare>& out)
{
    for (const TRecallNode& n : nodes) {
        if (n.Kind != TRecallKind::Receipt)
            out.push_back({n.Level, n.Kind == TRecallKind::Lot ? "L" : n.Kind == TRecallKind::Consumption ? "C" : "S",
                           n.Lot.Lot.toStdString(), n.Share, n.Repeated ? "R" : ""});
        Shares(n.Children, out);
    }
}

void ExpectShares(const TRecall& recall, const std::vector<TShare>& expected)
{
    std::vector<TShare> got;
    Shares(recall.Roots, got);
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].Level, expected[i].Level);
        EXPECT_EQ(got[i].Kind + " " + got[i].Lot + " " + got[i].Remark,
                  expected[i].Kind + " " + expected[i].Lot + " " + expected[i].Remark);
        EXPECT_NEAR(got[i].Share, expected[i].Share, 1e-9);
    }
}

void ExpectTotals(const TRecall& recall, const std::vector<std::pair<std::string, double>>& expected)
{
    const std::vector<TRecallTotal> totals = RecallTotals(recall);
    ASSERT_EQ(totals.size(), expected.size());
    for (size_t i = 0; i < totals.size(); ++i) {
        EXPECT_EQ((totals[i].Partner + " " + totals[i].Article).toStdString(), expected[i].first);
        EXPECT_NEAR(totals[i].Quantity, expected[i].second, 1e-9) << expected[i].first;
    }
}

TEST(RecallShares, ForwardEachLevelCarriesItsPartOfTheMilk)
{
    TShareDairy d;
    const TRecall recall = d.Follow("LM-1", TRecallDirection::Forward);
    // LS-1 holds 480 of its 500 l: 0.96 of each litre. Of CU-1's 50 kg, 40 l x 0.96 = 38.4
    // are milk: 0.768 of each kg. IA-2 is reached twice: through the culture (4 x 0.768)
    // and straight from LS-1 (50 x 0.96).
    ExpectShares(recall, {{0, "L", "LM-1", 1000},
                          {0, "C", "LM-1", 480},
                          {1, "L", "LS-1", 480},
                          {1, "C", "LS-1", 38.4},
                          {2, "L", "CU-1", 38.4},
                          {2, "C", "CU-1", 14.592}, // 19 x 0.768
                          {3, "L", "IA-1", 14.592},
                          {3, "S", "IA-1", 10.944}, // 150 of 200
                          {2, "C", "CU-1", 11.52},  // 15 x 0.768; the reversed 6 kg carry nothing
                          {3, "L", "KE-1", 11.52},
                          {3, "S", "KE-1", 11.52},
                          {2, "C", "CU-1", 3.072},
                          {3, "L", "IA-2", 3.072},
                          {3, "S", "IA-2", 1.8432}, // 60 of 100
                          {2, "S", "CU-1", 1.536},  // 2 x 0.768
                          {1, "C", "LS-1", 48},
                          {2, "L", "IA-2", 48, "R"}});
    // Each customer's part of the milk, IA-2's shipment counted by both ways it was reached:
    // 60 x (3.072 + 48) / 100.
    ExpectTotals(recall, {{"CLIENT B CHEFIR", 11.52},
                          {"CLIENT C MAIA", 1.536},
                          {"CLIENT D IAURT", 30.6432},
                          {"Magazin A IAURT", 10.944}});
}

TEST(RecallShares, ASharePeopleReadHasAtMostThreeDecimalsTheCsvEvery)
{
    TShareDairy d;
    const TRecall recall = d.Follow("LM-1", TRecallDirection::Forward);
    const QChar point = d.production.Context.Formats.DecimalSeparator;
    // CLIENT D's shipment of IA-2 carries 1.8432 of the milk, CU-1's sale 1.536 (every
    // article of the plant is counted in kg).
    const QString text = RecallText(recall, d.production.Context.Formats);
    EXPECT_TRUE(text.contains(QStringLiteral("din lotul urmarit: 1") + point + QStringLiteral("843 kg"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("din lotul urmarit: 1") + point + QStringLiteral("536 kg"))) << text.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("8432"))) << text.toStdString();
    const QString csv = RecallCsv(recall);
    EXPECT_TRUE(csv.contains(QStringLiteral(";IA-2;60;0;1.8432\n"))) << csv.toStdString();
}

TEST(RecallShares, BackwardEachLevelCountsThePartDrawn)
{
    TShareDairy d;
    // IA-1 used 19 of CU-1's 50 kg: 19/50 of the 40 l of LS-1 in it, 15.2 l, and of those
    // 15.2/500 of LS-1's milk and powder.
    ExpectShares(d.Follow("IA-1", TRecallDirection::Backward),
                 {{0, "L", "IA-1", 200}, {1, "L", "CU-1", 19}, {2, "L", "LS-1", 15.2}, {3, "L", "LM-1", 14.592},
                  {3, "L", "PL-1", 0.608}});
    // The kefir's reversed 6 kg are no part of it.
    ExpectShares(d.Follow("KE-1", TRecallDirection::Backward),
                 {{0, "L", "KE-1", 100}, {1, "L", "CU-1", 15}, {2, "L", "LS-1", 12}, {3, "L", "LM-1", 11.52},
                  {3, "L", "PL-1", 0.48}});
    // IA-2 reaches LS-1 through the culture (4/50 x 40 = 3.2 l) and straight (50 l): the
    // suppliers count both, (3.2 + 50) / 500 of the milk and the powder.
    const TRecall twice = d.Follow("IA-2", TRecallDirection::Backward);
    ExpectShares(twice, {{0, "L", "IA-2", 100},
                         {1, "L", "CU-1", 4},
                         {2, "L", "LS-1", 3.2},
                         {3, "L", "LM-1", 3.072},
                         {3, "L", "PL-1", 0.128},
                         {1, "L", "LS-1", 50, "R"}});
    ExpectTotals(twice, {{"Ferma Doi .PRAF", 2.128}, {"Ferma Unu .LAPTE", 51.072}, {"MPO LNORM", 53.2}, {"MPO MAIA", 4}});
}

TEST(RecallContacts, OneStepBackAndOneForwardWithThePartnersDetails)
{
    TShareDairy d;
    const auto text = [](const std::vector<TInspectionLine>& lines) {
        std::vector<std::string> out;
        for (const TInspectionLine& l : lines) {
            const TRecallDocument& doc = l.Node->Document;
            out.push_back(QStringLiteral("%1|%2|%3|%4|%5 %6 %7|%8 %9")
                              .arg(doc.PartnerName, doc.FiscalCode, doc.Address, doc.Phone, doc.Type)
                              .arg(doc.Number)
                              .arg(doc.Date.toString(Qt::ISODate), l.Node->Lot.Lot)
                              .arg(l.Quantity)
                              .toStdString());
        }
        return out;
    };
    // Back from the yoghurt: the milk and the powder its chain starts from, as received.
    EXPECT_EQ(text(StepBack(d.Follow("IA-1", TRecallDirection::Backward))),
              (std::vector<std::string>{"Ferma Unu|RO111|Sanpetru, Str. Morii 4|0268 411 203|NIR 11 2026-11-01|LM-1 1000",
                                        "Ferma Doi||||NIR 12 2026-11-01|PL-1 50"}));
    // Forward from the milk: every shipment with what it shipped; the customers to call once
    // each, with a phone where the partners' table has one.
    const TRecall forward = d.Follow("LM-1", TRecallDirection::Forward);
    EXPECT_EQ(text(StepForward(forward)),
              (std::vector<std::string>{"Magazin A|RO222|Harman|0722 000 001|FAC 501 2026-11-10|IA-1 150",
                                        "CLIENT B||||FAC 502 2026-11-10|KE-1 100", "CLIENT D||||FAC 504 2026-11-11|IA-2 60",
                                        "CLIENT C||||FAC 503 2026-11-10|CU-1 2"}));
    EXPECT_EQ(CustomersToCall(forward).Lines.join(QLatin1Char('\n')).toStdString(),
              "Magazin A: tel. 0722 000 001\nCLIENT B: fara telefon\nCLIENT D: fara telefon\nCLIENT C: fara telefon");
    EXPECT_TRUE(StepForward(d.Follow("IA-1", TRecallDirection::Backward)).empty());
}

TEST(RecallBalance, EveryLotIsAccountedForAndWhatIsNotIsShown)
{
    TShareDairy d;
    corvanel::TLotWalk walk(d.production.Context.Session(), QStringLiteral("KRBPROD"));
    // Forward: the milk, and the finished lots reached (nothing was made of them). IA-1
    // misses 10 of its 200 kg (5%), IA-2 40 of 100: neither shipped nor in stock.
    TRecall forward = walk.Follow(walk.FindLots("LM-1"), TRecallDirection::Forward);
    walk.Balance(forward);
    EXPECT_EQ(BalanceCsv(forward.Balances).toStdString(), "Cod_grupa;Cod_articol;Lot;Intrat;Consumat;Livrat;Stoc;Diferenta\n"
                                                          "01;.LAPTE;LM-1;1000;480;0;500;20\n"
                                                          "02;IAURT;IA-1;200;0;150;40;10\n"
                                                          "02;CHEFIR;KE-1;100;0;100;0;0\n"
                                                          "02;IAURT;IA-2;100;0;60;0;40\n");
    ASSERT_EQ(forward.Balances.size(), 4u);
    EXPECT_DOUBLE_EQ(forward.Balances[1].DifferenceShare(), 0.05);

    // The culture: consumed by three documents (the reversed one and its reversal left out),
    // shipped once, in stock in two warehouses, fully accounted for.
    TRecall backward = walk.Follow(walk.FindLots("CU-1"), TRecallDirection::Backward);
    walk.Balance(backward);
    ASSERT_EQ(backward.Balances.size(), 1u);
    const TLotBalance& culture = backward.Balances[0];
    std::vector<std::string> moves;
    for (const TBalanceMove& m : culture.Consumed)
        moves.push_back(QStringLiteral("%1 %2: %3").arg(m.Document.Type).arg(m.Document.Number).arg(m.Quantity).toStdString());
    for (const TBalanceMove& m : culture.Shipped)
        moves.push_back(QStringLiteral("%1 %2 %3: %4")
                            .arg(m.Document.Partner, m.Document.Type)
                            .arg(m.Document.Number)
                            .arg(m.Quantity)
                            .toStdString());
    for (const auto& [warehouse, quantity] : culture.OnHand)
        moves.push_back(QStringLiteral("%1: %2").arg(warehouse).arg(quantity).toStdString());
    EXPECT_EQ(moves, (std::vector<std::string>{"BMC 203: 19", "BMC 204: 15", "BMC 205: 4", "CLIENT C FAC 503: 2", "PF: 3",
                                               "_FRG: 7"}));
    EXPECT_EQ(culture.Received, 50);
    EXPECT_EQ(culture.Difference(), 0);
    EXPECT_EQ(culture.DifferenceShare(), 0);
}

} // namespace

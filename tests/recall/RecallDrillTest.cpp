// A recall drill on record: its steps timed, what it found, kept in the add-on's table and
// read back, latest first.
#include "RecallPlant.h"
#include "recall/RecallDrill.h"

#include <gtest/gtest.h>

using namespace corvanel;

namespace {

// Cheese lot BR-1 (100 kg made) shipped 30 kg to two customers; 60 kg in stock.
struct TDrillPlant : TRecallPlant {
    TDrillPlant()
    {
        company.Article("02", "BRANZA", "Branza");
        Receipt(1, 1, "PRD", QDate(2026, 11, 2), "MPO", {{"02", "BRANZA", "BR-1", 100}});
        Document(2, "FAC", 10, QDate(2026, 11, 3), "CLIENT A", {{"02", "BRANZA", "BR-1", 20}});
        Document(3, "FAC", 11, QDate(2026, 11, 4), "CLIENT B", {{"02", "BRANZA", "BR-1", 10}});
        InStock("02", "BRANZA", "BR-1", "PF", 60);
        production.Connect(company);
    }
};

TEST(RecallDrill, EachStepIsTimedAndTheDrillIsKeptWithWhatItFound)
{
    TDrillPlant p;
    fw::TSession* session = p.production.Context.Session();
    TLotWalk walk(session, QStringLiteral("KRBPROD"));
    TDrill drill;
    drill.Lot = QStringLiteral("BR-1");
    drill.Operator = QStringLiteral("Ion Pop");
    TRecall recall;
    QStringList reported;
    ASSERT_TRUE(RunDrill(walk, drill, recall, [&](const TRecall& r) { reported = r.Drill; }));
    // The report was written with the drill's steps so far.
    ASSERT_FALSE(reported.isEmpty());
    EXPECT_TRUE(reported[0].startsWith("Operator: Ion Pop;")) << reported.join('\n').toStdString();
    EXPECT_EQ(drill.Customers, 2);
    EXPECT_EQ(drill.Lots, 0);          // forward, nothing made of the cheese
    EXPECT_EQ(drill.Difference, 10);   // 100 - 20 - 10 - 60
    RecordDrill(session, QStringLiteral("KRBPROD"), drill);

    TDrill later = drill;
    later.Start = drill.Start.addSecs(60);
    later.Direction = TRecallDirection::Backward;
    later.Operator = QStringLiteral("Ana");
    RecordDrill(session, QStringLiteral("KRBPROD"), later);
    const std::vector<TDrill> kept = ReadDrills(session, QStringLiteral("KRBPROD"));
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[0].Operator, "Ana");
    EXPECT_EQ(kept[0].Direction, TRecallDirection::Backward);
    const TDrill& first = kept[1];
    EXPECT_EQ(first.Start, drill.Start);
    EXPECT_EQ(first.Lot + "|" + first.Operator, "BR-1|Ion Pop");
    EXPECT_EQ(first.Direction, TRecallDirection::Forward);
    EXPECT_EQ(first.Total(), drill.Total());
    EXPECT_EQ(first.Customers, 2);
    EXPECT_EQ(first.Difference, 10);

    // A lot that does not exist is no drill.
    TDrill none;
    none.Lot = QStringLiteral("NU-1");
    bool written = false;
    EXPECT_FALSE(RunDrill(walk, none, recall, [&](const TRecall&) { written = true; }));
    EXPECT_FALSE(written);
}

} // namespace

// A lot's standing: a lot that is not released is neither counted, nor drawn, nor shown as
// drawable; its changes are recorded; a hold and a consumption deciding at once never
// half-meet.
#include "data/LotStatus.h"
#include "data/Messages.h"
#include "platform/db/Database.h"
#include "platform/ui/MessageDlg.h"
#include "StandingCompany.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace reqtest;

namespace {

const QDateTime At = QDateTime(QDate(2026, 12, 7), QTime(8, 30));

// The lots of .A in the table's order are L1 = 4, L2 = 6 and L3 = 5, all in the
// raw-material warehouse.
struct HeldCompany : StandingCompany {
    HeldCompany()
    {
        company.Lot("01", ".A", "_MP", 4, "L1");
        company.Lot("01", ".A", "_MP", 6, "L2");
        company.Lot("01", ".A", "_MP", 5, "L3");
    }
    void Set(const QString& lot, TLotState state, const QString& reason = QStringLiteral("Inhibitori pozitivi"))
    {
        ChangeLotState(*dm, {"01", ".A", lot}, state, reason, "MPO", At);
    }
};

TEST(ConsumptionHeldLots, AreNeitherCountedNorDrawnButListedApartWithTheirStanding)
{
    const struct {
        const char* name;
        std::vector<std::pair<QString, TLotState>> set;
        std::string figures, preview, lines, lots;
    } cases[] = {
        {"none held", {}, "15/8", "L1 4+ | L2 3+ | L3", "1 01/.A L1 4.0 | 2 01/.A L2 3.0", "L2=3.0 | L3=5.0"},
        // The first lot held: the next two give the 7.
        {"first held",
         {{"L1", TLotState::Held}},
         "11/4",
         "L2 6+ | L3 1+ | L1 Blocat (Inhibitori pozitivi)",
         "1 01/.A L2 6.0 | 2 01/.A L3 1.0",
         "L1=4.0 | L3=4.0"},
        // Held, released again: drawn as if never held.
        {"held and released", {{"L1", TLotState::Held}, {"L1", TLotState::Released}}, "15/8", "L1 4+ | L2 3+ | L3",
         "1 01/.A L1 4.0 | 2 01/.A L2 3.0", "L2=3.0 | L3=5.0"},
        // Only 4 usable for 7: short, so nothing is drawn, not even from the usable lot.
        {"two not usable",
         {{"L2", TLotState::Held}, {"L3", TLotState::NonConforming}},
         "4/-3",
         "L1 | L2 Blocat (Inhibitori pozitivi) | L3 Neconform (Inhibitori pozitivi)",
         "",
         "L1=4.0 | L2=6.0 | L3=5.0"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        fw::TMessageRecorder messages; // "Da": a short row is left out
        HeldCompany c;
        for (const auto& [lot, state] : k.set)
            c.Set(lot, state);
        EXPECT_EQ(c.Figures(), k.figures);
        EXPECT_EQ(c.Preview(), k.preview);
        GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials());
        EXPECT_EQ(J(c.Lines()), k.lines);
        EXPECT_EQ(J(c.Lots()), k.lots);
    }
}

TEST(DataModuleLotState, EachChangeIsRecordedWithWhoWhenAndWhyAndARefusalWritesNothing)
{
    HeldCompany c;
    c.Set("L1", TLotState::Held);
    // A lot no longer in stock but received once (the receipt's line of P) can be held too.
    ChangeLotState(*c.dm, {"02", "P", "P1"}, TLotState::Held, "Retragere", "ADM", At.addSecs(60));
    const struct {
        TLotId lot;
        TLotState state;
        QString reason;
        QString said;
    } refused[] = {
        {{"01", ".A", "L1"}, TLotState::Released, "  ", msg::LotStateNeedsReason()},
        {{"01", ".A", "L1"}, TLotState::Held, "Din nou", msg::LotAlreadyInState("L1", "Blocat")},
        {{"01", ".A", "NU-1"}, TLotState::Held, "Motiv", msg::LotNotFound("NU-1", "01/.A")},
        {{"", ".A", "L1"}, TLotState::Held, "Motiv", msg::LotStateNeedsLot()},
    };
    const QStringList before = c.Dump();
    for (const auto& r : refused) {
        try {
            ChangeLotState(*c.dm, r.lot, r.state, r.reason, "MPO", At);
            ADD_FAILURE() << "accepted: " << r.lot.Lot.toStdString();
        } catch (const ELotStateRefused& e) {
            EXPECT_EQ(e.Message(), r.said);
        }
    }
    EXPECT_EQ(c.Dump(), before);
    EXPECT_EQ(J(c.Joined("SELECT Lot, Stare, Motiv, Agent, Moment FROM IstoricStareLot ORDER BY " + testsupport::RowIdColumn())),
              "L1|Blocat|Inhibitori pozitivi|MPO|2026-12-07 08:30:00 | P1|Blocat|Retragere|ADM|2026-12-07 08:31:00");

    ChangeLotState(*c.dm, {"01", ".A", "L1"}, TLotState::Released, " Reanalizat: negativ ", "ADM", At.addDays(1));
    const TLotStanding now = LotStandingOf(c.Engine(), {"01", ".A", "L1"});
    EXPECT_TRUE(now.Usable());
    EXPECT_EQ(now.Reason, "Reanalizat: negativ");
    QStringList history;
    for (const TLotStateChange& h : LotStateHistory(c.Engine(), {"01", ".A", "L1"}))
        history << h.State + "|" + h.Agent + "|" + h.Moment + "|" + h.Reason;
    EXPECT_EQ(J(history), "Blocat|MPO|2026-12-07 08:30:00|Inhibitori pozitivi | Eliberat|ADM|2026-12-08 08:30:00|Reanalizat: negativ");
    // A lot never held stands released, with no history.
    EXPECT_TRUE(LotStandingOf(c.Engine(), {"01", ".A", "L2"}).Usable());
    EXPECT_TRUE(LotStateHistory(c.Engine(), {"01", ".A", "L2"}).empty());
}

// Another workstation holds L1, taking the counter row first, and commits once the
// consumption waits for it: the consumption decides on the lots with the hold.
TEST(WorkstationsHoldingLots, AHoldCommittedWhileAConsumptionWaitsIsRespected)
{
    fw::TMessageRecorder messages;
    HeldCompany c;
    PrepareRequirement(*c.dm, 1);
    QStringList hold{"INSERT INTO StareLot (Cod_grupa, Cod_articol, Lot, Stare, Motiv, Agent, Moment) VALUES "
                     "('01', '.A', 'L1', 'Blocat', 'NTG peste limita', 'ADM', '2026-12-07 09:00:00')"};
    if (testsupport::OnServer())
        hold.prepend("SELECT * FROM Counter FOR UPDATE");
    testsupport::TOtherTransaction other(c.company.Dir(), hold);
    EXPECT_TRUE(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()).has_value());
    EXPECT_EQ(other.Finish(), testsupport::OnServer()); // waited for on a server
    EXPECT_EQ(J(c.Lines()), "1 01/.A L2 6.0 | 2 01/.A L3 1.0");
    EXPECT_EQ(J(c.Lots()), "L1=4.0 | L3=4.0");
}

// A consumption on another workstation holds the counter row and draws 3 from L1; a hold
// of L1 made meanwhile waits for it, and is recorded after it: the lot was drawn before
// the hold, whole.
TEST(WorkstationsHoldingLots, AHoldWaitsForAConsumptionThatIsDrawing)
{
    HeldCompany c;
    QStringList draw{"UPDATE Stoc SET Cantitate = 1 WHERE Lot = 'L1'"};
    if (testsupport::OnServer())
        draw.prepend("SELECT * FROM Counter FOR UPDATE");
    testsupport::TOtherTransaction other(c.company.Dir(), draw);
    c.Set("L1", TLotState::Held);
    EXPECT_EQ(other.Finish(), testsupport::OnServer());
    EXPECT_EQ(J(c.Lots()), "L1=1.0 | L2=6.0 | L3=5.0");
    EXPECT_EQ(LotStandingOf(c.Engine(), {"01", ".A", "L1"}).State, "Blocat");
}

} // namespace

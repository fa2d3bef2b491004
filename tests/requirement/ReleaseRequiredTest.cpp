// Articles whose new lots must be released first: a lot that entered from the setting's day
// on, with no standing of its own, waits; it is neither counted nor drawn, the preview
// lists it apart, and the ordinary release makes it usable.
#include "data/Messages.h"
#include "data/ReleaseRequired.h"
#include "platform/db/Database.h"
#include "platform/ui/MessageDlg.h"
#include "StandingCompany.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace reqtest;

namespace {

const QDateTime At = QDateTime(QDate(2026, 12, 7), QTime(8, 30));

// The lots of .A in the table's order are L1 = 4 (entered 1.12), L2 = 6 (3.12), L3 = 5
// (5.12) and U = 2 (no entry date), all in the raw-material warehouse.
struct AwaitingCompany : StandingCompany {
    AwaitingCompany()
    {
        const std::pair<const char*, QVariant> lots[] = {
            {"L1", QDate(2026, 12, 1)}, {"L2", QDate(2026, 12, 3)}, {"L3", QDate(2026, 12, 5)}, {"U", QVariant()}};
        const double quantities[] = {4, 6, 5, 2};
        for (size_t i = 0; i < std::size(lots); ++i)
            company.Add(fw::StocDB, {{quantities[i], ".A", "01", "_MP", 2.5, lots[i].first, "ADM", 1.0, 1.0, lots[i].second}});
    }
};

const QString Waiting = "In asteptare (" + msg::AwaitingReleaseReason() + ")";

TEST(ConsumptionAwaitingLots, WaitFromTheSettingsDayUntilReleased)
{
    const struct {
        const char* name;
        std::function<void(AwaitingCompany&)> set;
        std::string figures;
        QString preview;
        std::string lines, lots;
    } cases[] = {
        {"setting off", [](AwaitingCompany&) {}, "17/10", "L1 4+ | L2 3+ | L3 | U", "1 01/.A L1 4.0 | 2 01/.A L2 3.0",
         "L2=3.0 | L3=5.0 | U=2.0"},
        // L2 entered on the setting's own day: it waits too; L1 came before, U has no date.
        {"on from 3.12",
         [](AwaitingCompany& c) { SetReleaseRequired(*c.dm, "01", ".A", true, "MPO", QDate(2026, 12, 3)); }, "6/-1",
         "L1 | U | L2 " + Waiting + " | L3 " + Waiting, "", "L1=4.0 | L2=6.0 | L3=5.0 | U=2.0"},
        // Released by the ordinary path: drawn as any other lot.
        {"L3 released",
         [](AwaitingCompany& c) {
             SetReleaseRequired(*c.dm, "01", ".A", true, "MPO", QDate(2026, 12, 3));
             ChangeLotState(*c.dm, {"01", ".A", "L3"}, TLotState::Released, "NTG conform", "MPO", At);
         },
         "11/4", "L1 4+ | L3 3+ | U | L2 " + Waiting, "1 01/.A L1 4.0 | 2 01/.A L3 3.0", "L2=6.0 | L3=2.0 | U=2.0"},
        // A waiting lot held stays out, now for its hold.
        {"L2 held",
         [](AwaitingCompany& c) {
             SetReleaseRequired(*c.dm, "01", ".A", true, "MPO", QDate(2026, 12, 4));
             ChangeLotState(*c.dm, {"01", ".A", "L2"}, TLotState::Held, "Proba", "MPO", At);
         },
         "6/-1", "L1 | U | L2 Blocat (Proba) | L3 " + Waiting, "", "L1=4.0 | L2=6.0 | L3=5.0 | U=2.0"},
        // Turned off again: nothing waits.
        {"on, then off",
         [](AwaitingCompany& c) {
             SetReleaseRequired(*c.dm, "01", ".A", true, "MPO", QDate(2026, 12, 1));
             SetReleaseRequired(*c.dm, "01", ".A", false, "MPO");
         },
         "17/10", "L1 4+ | L2 3+ | L3 | U", "1 01/.A L1 4.0 | 2 01/.A L2 3.0", "L2=3.0 | L3=5.0 | U=2.0"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        fw::TMessageRecorder messages; // "Da": a short row is left out
        AwaitingCompany c;
        k.set(c);
        EXPECT_EQ(c.Figures(), k.figures);
        EXPECT_EQ(c.Preview(), k.preview.toStdString());
        GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials());
        EXPECT_EQ(J(c.Lines()), k.lines);
        EXPECT_EQ(J(c.Lots()), k.lots);
    }
}

TEST(DataModuleReleaseRequired, IsKeptPerArticleAndAWaitingLotIsReleasedAsAnyOther)
{
    AwaitingCompany c;
    SetReleaseRequired(*c.dm, "01", ".A", true, "MPO", QDate(2026, 12, 3));
    const std::vector<TReleaseRequired> kept = ReleaseRequiredArticles(c.Engine());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept[0].Code, ".A");
    EXPECT_EQ(kept[0].Since, QDate(2026, 12, 3));
    EXPECT_EQ(kept[0].Agent, "MPO");

    const struct {
        const char* lot;
        QString state;
    } standings[] = {{"L1", "Eliberat"}, {"L2", "In asteptare"}, {"L3", "In asteptare"}, {"U", "Eliberat"}};
    for (const auto& s : standings)
        EXPECT_EQ(LotStandingOf(c.Engine(), {"01", ".A", s.lot}).State, s.state) << s.lot;
    // Nothing is written for a waiting lot: its first change is the release.
    EXPECT_TRUE(LotStateHistory(c.Engine(), {"01", ".A", "L2"}).empty());
    ChangeLotState(*c.dm, {"01", ".A", "L2"}, TLotState::Released, "Analize conforme", "ADM", At);
    EXPECT_EQ(LotStandingOf(c.Engine(), {"01", ".A", "L2"}).State, "Eliberat");
    EXPECT_EQ(J(c.Joined("SELECT Lot, Stare, Motiv, Agent FROM IstoricStareLot")), "L2|Eliberat|Analize conforme|ADM");

    const QStringList before = c.Dump();
    const struct {
        QString group, code;
        bool on;
        QString said;
    } refused[] = {
        {"01", ".A", true, msg::ReleaseAlreadySo("01/.A", true)},
        {"02", "P", false, msg::ReleaseAlreadySo("02/P", false)},
        {"01", ".NU", true, msg::ArticleNotInCatalog("01/.NU")},
        {"", ".A", true, msg::ReleaseNeedsArticle()},
    };
    for (const auto& r : refused) {
        try {
            SetReleaseRequired(*c.dm, r.group, r.code, r.on, "MPO", QDate(2026, 12, 7));
            ADD_FAILURE() << "accepted: " << r.code.toStdString();
        } catch (const ELotStateRefused& e) {
            EXPECT_EQ(e.Message(), r.said);
        }
    }
    EXPECT_EQ(c.Dump(), before);
}

} // namespace

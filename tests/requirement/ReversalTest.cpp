// Reversing a consumption document: the lots back row for row, the original marked, the
// refusals, a failure leaving everything as it was, and what no longer counts it.
#include "data/Queries.h"
#include "platform/ui/MessageDlg.h"
#include "recall/LotRecall.h"
#include "requirement/Requirement.h"
#include "requirement/Reversal.h"
#include "RequirementCompany.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

const QString LotFields = "SELECT Cantitate, Cod_articol, Cod_grupa, Cod_gestiune, Pret_achizitie, Lot, Agent, Contor_in, "
                          "Contor_secundar_in, Data_intrare FROM Stoc ";
const QString AllLots = LotFields + "ORDER BY Lot";

// Yoghurt 200 of receipt 5 (number 125 of 07.12.2026) asks 26 of milk and 1 of culture:
// document 8 empties and deletes LC-1 (20), takes 6 of LC-2 and 1 of CU-1.
struct Consumed {
    Consumed()
    {
        c.company.Article("01", ".LAPTE", "Lapte");
        c.company.Article("01", ".CULT", "Cultura");
        c.company.Article("02", "IAURT", "Iaurt", 100.0);
        c.company.RecipeRow("IAURT", ".LAPTE", "01", 13);
        c.company.RecipeRow("IAURT", ".CULT", "01", 0.5);
        c.company.Add(fw::StocDB, {{20.0, ".LAPTE", "01", "_FRG", 2.5, "LC-1", "ADM", 90.0, 3.0, QDate(2026, 11, 2)},
                                   {100.0, ".LAPTE", "01", "_FRG", 2.0, "LC-2", "MPO", 91.0, 1.0, QDate(2026, 11, 3)}});
        c.company.Lot("01", ".CULT", "_FRG", 10, "CU-1");
        c.Receipt(5, {{"02", "IAURT", 200}});
        before = c.Joined(AllLots);
        Consume(8);
    }
    void Consume(double expected)
    {
        PrepareRequirement(*c.dm, 5);
        EXPECT_EQ(GenerateConsumption(*c.dm, 5, c.dm->Requirement().AgentInitials()), std::optional<double>(expected));
        CloseRequirement(*c.dm);
    }
    // The consumption documents (counters) the recall reaches from a lot.
    int Consumptions(const QString& group, const QString& code, const QString& lot, TRecallDirection direction)
    {
        TLotWalk walk(c.production.Context.Session(), KRBPROD);
        const TRecall recall = walk.Follow({{group, code, lot}}, direction);
        int found = 0;
        for (const TRecallNode& child : recall.Roots.front().Children)
            found += child.Kind == TRecallKind::Consumption || child.Kind == TRecallKind::Lot;
        return found;
    }

    TMessageRecorder messages;
    RequirementCompany c;
    QStringList before;
};

// The genealogy does not keep a lot's own expiry date: a lot emptied by the consumption is
// made again with the one its receipt line gave it.
TEST(Reversal, ALotMadeAgainTakesItsOwnExpiryDateFromItsReceiptLine)
{
    TMessageRecorder messages;
    RequirementCompany c;
    c.company.Article("01", ".CULT", "Cultura");
    c.company.Article("02", "IAURT", "Iaurt", 100.0);
    c.company.RecipeRow("IAURT", ".CULT", "01", 0.5);
    QVariantList line{90.0, 3.0, "_FRG", "01", ".CULT", "CU-1", 1.0};
    while (line.size() < 18)
        line << QVariant();
    line << QDate(2026, 12, 31);
    c.company.Add(fw::ItemInDB, {line});
    c.company.Add(fw::StocDB, {{1.0, ".CULT", "01", "_FRG", 2.5, "CU-1", "ADM", 90.0, 3.0, QDate(2026, 11, 2), QDate(2026, 12, 31)}});
    c.Receipt(5, {{"02", "IAURT", 200}}); // 1 of culture: the whole lot
    PrepareRequirement(*c.dm, 5);
    ASSERT_EQ(GenerateConsumption(*c.dm, 5, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    CloseRequirement(*c.dm);
    ASSERT_TRUE(c.Lots().isEmpty());
    EXPECT_EQ(ReverseConsumption(*c.dm, 8, c.dm->Requirement().AgentInitials()), 9.0);
    EXPECT_EQ(c.Joined("SELECT Lot, Cantitate, Data_intrare, Data_expirare FROM Stoc"),
              QStringList{"CU-1|1.0|2026-11-02|2026-12-31"});
}

TEST(Reversal, TheReversingDocumentAndItsMarkGoUnderTheAgentGivenNotTheFirstUser)
{
    Consumed d;
    ASSERT_EQ(ReverseConsumption(*d.c.dm, 8, "ION"), 9.0);
    EXPECT_EQ(d.c.Strings("SELECT Agent FROM Doc_out ORDER BY Contor"), (QStringList{"ADM", "ION"}));
    EXPECT_EQ(d.c.Strings("SELECT Agent FROM Stornari"), QStringList{"ION"});
}

TEST(Reversal, PutsEveryLotBackRowForRowAndRefusesASecondReversalAndAReversalOfTheReversal)
{
    Consumed d;
    ASSERT_EQ(J(d.c.Lines()), "1 01/.CULT CU-1 1.0 | 2 01/.LAPTE LC-1 20.0 | 3 01/.LAPTE LC-2 6.0");
    ASSERT_EQ(J(d.c.Lots()), "LC-2=94.0 | CU-1=9.0");

    EXPECT_EQ(ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials()), 9.0);
    // LC-1 comes back as it was, every field, after the others.
    EXPECT_EQ(J(d.c.Lots()), "LC-2=100.0 | CU-1=10.0 | LC-1=20.0");
    EXPECT_EQ(d.c.Joined(AllLots), d.before);
    EXPECT_EQ(d.c.Joined(LotFields + "WHERE Lot = 'LC-1'"),
              QStringList{"20.0|.LAPTE|01|_FRG|2.5|LC-1|ADM|90.0|3.0|2026-11-02"});
    EXPECT_EQ(d.c.Joined("SELECT Contor, Numar, Tip, Data, Explicatie FROM Doc_out WHERE Contor = 9"),
              QStringList{"9.0|125.0|BMC|2026-12-07|Stornare consum nr. 125/07.12.2026"});
    EXPECT_EQ(d.c.Joined("SELECT Contor_secundar, Cod_articol, Lot, Cantitate, Pret_achizitie, Cont_marfa FROM Item_out "
                         "WHERE Contor = 9 ORDER BY Contor_secundar"),
              (QStringList{"1.0|.CULT|CU-1|-1.0|2.5|371", "2.0|.LAPTE|LC-1|-20.0|2.5|371", "3.0|.LAPTE|LC-2|-6.0|2.0|371"}));
    EXPECT_EQ(d.c.Joined("SELECT Contor_out, Contor_stornare FROM Stornari"), QStringList{"8.0|9.0"});
    EXPECT_EQ(d.c.Strings("SELECT NewCounterOut FROM COUNTER"), QStringList{"9.0"});

    const QStringList after = d.c.Dump();
    try {
        ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials());
        ADD_FAILURE() << "reversed twice";
    } catch (const EReversalRefused& e) {
        EXPECT_EQ(e.Message(), "Documentul de consum nr. 125 din 07.12.2026 a fost deja anulat prin documentul de stornare "
                               "nr. 125 din 07.12.2026.");
    }
    try {
        ReverseConsumption(*d.c.dm, 9, d.c.dm->Requirement().AgentInitials());
        ADD_FAILURE() << "the reversal reversed";
    } catch (const EReversalRefused& e) {
        EXPECT_EQ(e.Message(), "Documentul nr. 125 din 07.12.2026 este stornarea documentului de consum nr. 125 din "
                               "07.12.2026 si nu poate fi anulat.");
    }
    EXPECT_THROW(ReverseConsumption(*d.c.dm, 77, d.c.dm->Requirement().AgentInitials()), EReversalRefused);
    EXPECT_EQ(d.c.Dump(), after);
    EXPECT_EQ(d.messages.Count(), 0);
}

TEST(Reversal, TheReceiptIsConsumedAgainWithoutTheQuestionAndTheRecallNoLongerCountsThePair)
{
    Consumed d;
    EXPECT_EQ(d.Consumptions("01", ".LAPTE", "LC-2", TRecallDirection::Forward), 1);
    EXPECT_EQ(d.Consumptions("02", "IAURT", "P1", TRecallDirection::Backward), 3); // CU-1, LC-1, LC-2
    ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials());
    EXPECT_EQ(d.Consumptions("01", ".LAPTE", "LC-2", TRecallDirection::Forward), 0);
    EXPECT_EQ(d.Consumptions("02", "IAURT", "P1", TRecallDirection::Backward), 0);
    EXPECT_TRUE(ReversibleDocumentsOf(*d.c.dm, 5).empty());

    d.Consume(10); // no question: neither 8 nor 9 consumed anything in the end
    EXPECT_EQ(d.messages.Count(), 0);
    // LC-1, made again after the others, now comes last in the table's order: LC-2 gives all 26.
    EXPECT_EQ(J(d.c.Lots()), "LC-2=74.0 | CU-1=9.0 | LC-1=20.0");
    ASSERT_EQ(ReversibleDocumentsOf(*d.c.dm, 5).size(), 1u);
    EXPECT_EQ(ReversibleDocumentsOf(*d.c.dm, 5).front().Counter, 10.0);
    EXPECT_EQ(ReversibleDocumentsOf(*d.c.dm, 5).front().Label, "nr. 125 din 07.12.2026");
    EXPECT_EQ(d.Consumptions("01", ".LAPTE", "LC-2", TRecallDirection::Forward), 1);
}

TEST(Reversal, AFailureAtAnyWriteLeavesEverythingAsItWas)
{
    for (const auto& [when, table] : {std::pair{"BEFORE UPDATE", "COUNTER"}, {"BEFORE INSERT", "Doc_out"},
                                      {"BEFORE INSERT", "Item_out"}, {"BEFORE UPDATE", "Stoc"}, {"BEFORE INSERT", "Stoc"},
                                      {"BEFORE INSERT", "Stornari"}}) {
        SCOPED_TRACE(std::string(when) + " ON " + table);
        Consumed d;
        const QStringList before = d.c.Dump();
        testsupport::AddRefusingTrigger(d.c.company.Dir(), table, when, "injected");
        try {
            ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials());
            ADD_FAILURE() << "no failure";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains("injected")) << e.Message().toStdString();
        }
        testsupport::DropRefusingTrigger(d.c.company.Dir(), table);
        EXPECT_EQ(d.c.Dump(), before);
        EXPECT_EQ(ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials()), 9.0);
        EXPECT_EQ(d.c.Joined(AllLots), d.before);
    }
}

TEST(Reversal, ADocumentWithoutGenealogyGoesBackToItsLotOnlyWhileTheLotExists)
{
    Consumed d;
    d.c.Rows("DELETE FROM Genealogie");
    const QStringList before = d.c.Dump();
    try {
        ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials());
        ADD_FAILURE() << "a lot made up";
    } catch (const EReversalRefused& e) {
        EXPECT_EQ(e.Message(), "Documentul de consum nr. 125 din 07.12.2026 nu poate fi anulat: lotul LC-1 al articolului "
                               "01/.LAPTE din gestiunea _FRG nu mai exista in stoc, iar documentul a fost scris fara "
                               "genealogie, deci lotul nu poate fi refacut.");
    }
    EXPECT_EQ(d.c.Dump(), before);
    // The same lot in another warehouse is not it; in its own warehouse it is.
    d.c.company.Lot("01", ".LAPTE", "_MP", 0, "LC-1");
    EXPECT_THROW(ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials()), EReversalRefused);
    d.c.company.Lot("01", ".LAPTE", "_FRG", 0, "LC-1");
    EXPECT_EQ(ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials()), 9.0);
    EXPECT_EQ(J(d.c.Lots()), "LC-2=100.0 | CU-1=10.0 | LC-1=0.0 | LC-1=20.0");
}

TEST(Reversal, LinesOnOneLotAddUpAndALotMadeAgainIsMadeOnce)
{
    {
        // Without genealogy: lines 2 and 3 both said LC-2 (94 left), which gets back 20 + 6.
        Consumed d;
        d.c.Rows("DELETE FROM Genealogie");
        d.c.Rows("UPDATE Item_out SET Lot = 'LC-2' WHERE Contor = 8 AND Lot = 'LC-1'");
        EXPECT_EQ(ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials()), 9.0);
        EXPECT_EQ(J(d.c.Lots()), "LC-2=120.0 | CU-1=10.0");
    }
    // Line 3 kept as having drawn on LC-1 too: LC-1, deleted, is made again with 20 and
    // then gets 6 more; LC-2 keeps its 94.
    Consumed d;
    d.c.Rows("UPDATE Genealogie SET Lot = 'LC-1', Pret_achizitie = 2.5, Agent = 'ADM', Contor_in = 90, "
             "Contor_secundar_in = 3, Data_intrare = '2026-11-02' WHERE Contor_out = 8 AND Contor_secundar_out = 3");
    EXPECT_EQ(ReverseConsumption(*d.c.dm, 8, d.c.dm->Requirement().AgentInitials()), 9.0);
    EXPECT_EQ(J(d.c.Lots()), "LC-2=94.0 | CU-1=10.0 | LC-1=26.0");
}

} // namespace

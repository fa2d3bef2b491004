// Which lots a consumption draws on under each lot order, and expired lots drawn or left out.
#include "data/Messages.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/LotPreview.h"
#include "requirement/Requirement.h"
#include "RequirementCompany.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

// A material with a shelf life in days (null: none), as the catalog keeps it.
void Material(testsupport::TestCompany& company, const QString& code, const QVariant& days)
{
    company.Add(fw::CatalogDB, {{"01", code, code, QVariant(), QString(), "kg", 10.0, "RON", 19.0, 0.0, "371", "607", "4426",
                                 "4427", "446", "378", "707", 0.0, days}});
}

void DatedLot(testsupport::TestCompany& company, const QString& code, double quantity, const QString& lot,
              const QVariant& entry)
{
    company.Add(fw::StocDB, {{quantity, code, "01", "_MP", 2.5, lot, "ADM", 1.0, 1.0, entry}});
}

// The receipt is dated 7 December 2026. Material .A keeps 10 days: its lots, in the
// table's order, expire on 11.12 (A1), 6.12 (A2, the day before: expired), 7.12 (A3, the
// receipt's own day: still used) and never (A4, no entry date). Material .B keeps no shelf
// life: B1 entered 5.12, B2 without a date, B3 on 1.12.
struct LotCompany : RequirementCompany {
    LotCompany(TLotOrder order, bool drawExpired)
    {
        production.Context.Settings.FixedDirectory = iniDir.Path(); // no settings file: these hold
        production.Context.Settings.LotOrder = order;
        production.Context.Settings.DrawExpiredLots = drawExpired;
        Material(company, ".A", 10.0);
        Material(company, ".B", QVariant());
        DatedLot(company, ".A", 5, "A1", QDate(2026, 12, 1));
        DatedLot(company, ".A", 4, "A2", QDate(2026, 11, 26));
        DatedLot(company, ".A", 6, "A3", QDate(2026, 11, 27));
        DatedLot(company, ".A", 2, "A4", QVariant());
        DatedLot(company, ".B", 3, "B1", QDate(2026, 12, 5));
        DatedLot(company, ".B", 3, "B2", QVariant());
        DatedLot(company, ".B", 3, "B3", QDate(2026, 12, 1));
        Receipt(1, {});
    }
    // Prepares the requirement with these rows; the stock figures as "code exist/final/expired".
    QStringList Prepare(const std::vector<TLine>& rows)
    {
        PrepareRequirement(*dm, 1);
        for (const TLine& r : rows)
            dm->Requirement().TempTable()->AppendRecord({r.Group, r.Code, r.Quantity});
        QStringList figures;
        fw::TTable* temp = dm->Requirement().TempTable();
        for (temp->First(); !temp->Eof(); temp->Next()) {
            auto text = [&](const char* field) { return temp->FieldByName(field)->AsString(); };
            figures << text("Cod_MatPrim") + " " + text("StocExist") + "/" + text("StocFin") + "/" + text("StocExpirat");
        }
        return figures;
    }
    testsupport::TempDir iniDir;
};

TEST(ConsumptionLotOrder, EachOrderDrawsItsOwnLots)
{
    struct Case {
        const char* Name;
        TLotOrder Order;
        bool DrawExpired;
        double NeedA;
        const char *Figures, *Lines, *LotsAfter;
        bool AsksAboutExpired; // it draws on A2, expired the day before ("Da")
    };
    const Case cases[] = {
        {"table order", TLotOrder::Table, true, 8, ".A 17/9/ | .B 9/5/", "1 01/.A A1 5.0 | 2 01/.A A2 3.0 | 3 01/.B B1 3.0 | 4 01/.B B2 1.0",
         "A2=1.0 | A3=6.0 | A4=2.0 | B2=2.0 | B3=3.0", true},
        {"first in: entry date, undated last", TLotOrder::FirstIn, true, 8, ".A 17/9/ | .B 9/5/",
         "1 01/.A A2 4.0 | 2 01/.A A3 4.0 | 3 01/.B B3 3.0 | 4 01/.B B1 1.0", "A1=5.0 | A3=2.0 | A4=2.0 | B1=2.0 | B2=3.0",
         true},
        // With one shelf life per article, expiry follows entry; lots without one by entry.
        {"first to expire", TLotOrder::FirstToExpire, true, 8, ".A 17/9/ | .B 9/5/",
         "1 01/.A A2 4.0 | 2 01/.A A3 4.0 | 3 01/.B B3 3.0 | 4 01/.B B1 1.0", "A1=5.0 | A3=2.0 | A4=2.0 | B1=2.0 | B2=3.0",
         true},
        {"expired drawn, but none reached", TLotOrder::Table, true, 5, ".A 17/12/ | .B 9/5/",
         "1 01/.A A1 5.0 | 2 01/.B B1 3.0 | 3 01/.B B2 1.0", "A2=4.0 | A3=6.0 | A4=2.0 | B2=2.0 | B3=3.0", false},
        {"expired left out, first to expire", TLotOrder::FirstToExpire, false, 8, ".A 13/5/4 | .B 9/5/",
         "1 01/.A A3 6.0 | 2 01/.A A1 2.0 | 3 01/.B B3 3.0 | 4 01/.B B1 1.0", "A1=3.0 | A2=4.0 | A4=2.0 | B1=2.0 | B2=3.0",
         false},
        {"expired left out, table order", TLotOrder::Table, false, 8, ".A 13/5/4 | .B 9/5/",
         "1 01/.A A1 5.0 | 2 01/.A A3 3.0 | 3 01/.B B1 3.0 | 4 01/.B B2 1.0", "A2=4.0 | A3=3.0 | A4=2.0 | B2=2.0 | B3=3.0",
         false},
        {"the first lot in the order covers alone", TLotOrder::FirstIn, false, 5, ".A 13/8/4 | .B 9/5/",
         "1 01/.A A3 5.0 | 2 01/.B B3 3.0 | 3 01/.B B1 1.0", "A1=5.0 | A2=4.0 | A3=1.0 | A4=2.0 | B1=2.0 | B2=3.0", false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.Name);
        TMessageRecorder messages;
        LotCompany c(k.Order, k.DrawExpired);
        EXPECT_EQ(J(c.Prepare({{"01", ".A", k.NeedA}, {"01", ".B", 4}})), k.Figures);
        // What the form shows under the grid before generation is what generation writes.
        QStringList previewed;
        for (const auto& [code, need] : {std::pair{".A", k.NeedA}, {".B", 4.0}})
            for (const TLotPreviewLine& l : PreviewDraw(*c.dm, "01", code, need, QDate(2026, 12, 7)).Lines)
                if (l.Drawn)
                    previewed << QStringLiteral("01/%1 %2 %3").arg(code, l.Lot, QString::number(l.Taken, 'f', 1));
        EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
        EXPECT_EQ(J(c.Lines()), k.Lines);
        EXPECT_EQ(previewed, c.Draws());
        EXPECT_EQ(J(c.Lots()), k.LotsAfter);
        EXPECT_EQ(messages.Count(), k.AsksAboutExpired ? 1 : 0);
        if (k.AsksAboutExpired && messages.Count() == 1) {
            EXPECT_TRUE(messages.Last().Text.startsWith(msg::ExpiredLotsOpening())) << qPrintable(messages.Last().Text);
        }
    }
}

TEST(ConsumptionLotOrder, ADocumentDrawingOnAnExpiredLotIsWrittenOnlyWhenTheUserAgrees)
{
    TMessageRecorder messages;
    messages.Answer(TModalResult::No);
    LotCompany c(TLotOrder::Table, true);
    c.Prepare({{"01", ".A", 8}, {"01", ".B", 4}});
    const QStringList lots = c.Lots();
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
    ASSERT_EQ(messages.Count(), 1);
    // A1 (11.12) is not expired; A2 (06.12) is, the day before the receipt.
    EXPECT_EQ(messages.Last().Text, "Documentul de consum ar folosi loturi expirate:\r  lotul A2 al materialului 01 .A din "
                                    "gestiunea _MP, expirat la 06.12.2026\rContinuati?");
    EXPECT_EQ(messages.Last().Default, TModalResult::No);
    EXPECT_EQ(c.Lots(), lots);
    EXPECT_TRUE(c.Lines().isEmpty());
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0)); // "Da"
    EXPECT_EQ(J(c.Lines()), "1 01/.A A1 5.0 | 2 01/.A A2 3.0 | 3 01/.B B1 3.0 | 4 01/.B B2 1.0");
}

// A lot that entered after the receipt's day did not exist when its product was made.
TEST(ConsumptionLotOrder, LotsEnteredAfterTheReceiptAreNeitherCountedNorDrawn)
{
    TMessageRecorder messages; // "Da": the short row is left out
    LotCompany c(TLotOrder::FirstIn, false);
    DatedLot(c.company, ".A", 50, "A5", QDate(2026, 12, 8));
    DatedLot(c.company, ".B", 50, "B4", QDate(2026, 12, 7)); // the receipt's own day: counts
    // .A: 13 usable (A2 expired, A5 not yet there) cannot give 14.
    EXPECT_EQ(J(c.Prepare({{"01", ".A", 14}, {"01", ".B", 60}})), ".A 13/-1/4 | .B 59/-1/");
    const TLotPreview preview = PreviewDraw(*c.dm, "01", ".A", 14, QDate(2026, 12, 7));
    EXPECT_TRUE(preview.Short);
    QStringList marks;
    for (const TLotPreviewLine& l : preview.Lines)
        marks << l.Lot + (l.Drawn ? "+" : "") + (l.EnteredLater ? " later" : "");
    EXPECT_EQ(J(marks), "A3 | A1 | A4 | A5 later");
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
    EXPECT_EQ(messages.Texts(), (QStringList{NegativeQuestion, msg::NothingToConsume()}));
    EXPECT_TRUE(c.Lines().isEmpty());
}

// A shelf life of 2.5 days counts whole days: a lot entered on the 4th is used up to the
// 6th, one entered on the 5th up to the 7th, the receipt's day.
TEST(ConsumptionLotOrder, AFractionalShelfLifeCountsWholeDays)
{
    TMessageRecorder messages;
    LotCompany c(TLotOrder::Table, false);
    Material(c.company, ".F", 2.5);
    DatedLot(c.company, ".F", 1, "F1", QDate(2026, 12, 4));
    DatedLot(c.company, ".F", 2, "F2", QDate(2026, 12, 5));
    EXPECT_EQ(J(c.Prepare({{"01", ".F", 1}})), ".F 2/1/1");
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    EXPECT_EQ(J(c.Lines()), "1 01/.F F2 1.0");
    EXPECT_EQ(messages.Count(), 0);
}

TEST(ConsumptionLotOrder, ExpiredLotsLeftOutMakeAShortageTheUsableLotsCannotCover)
{
    TMessageRecorder messages; // "Da": the short row is left out
    LotCompany c(TLotOrder::Table, false);
    // 13 usable of 17: 14 is short now, though the table holds enough.
    EXPECT_EQ(J(c.Prepare({{"01", ".A", 14}, {"01", ".B", 1}})), ".A 13/-1/4 | .B 9/8/");
    const TLotPreview preview = PreviewDraw(*c.dm, "01", ".A", 14, QDate(2026, 12, 7));
    EXPECT_TRUE(preview.Short);
    QStringList marks; // A2 is left out; A1 (4 days left) and A3 (its last day) expire within 7
    for (const TLotPreviewLine& l : preview.Lines)
        marks << l.Lot + (l.Drawn ? "+" : "") + (l.Expired ? " expirat" : "") + (l.ExpiresSoon ? " curand" : "");
    EXPECT_EQ(J(marks), "A1 curand | A3 curand | A4");
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    EXPECT_EQ(J(c.Lines()), "1 01/.B B1 1.0");
    EXPECT_EQ(messages.Texts(), QStringList{NegativeQuestion});
}

// The writer reads a material's lots only as far as its draw reaches, in blocks: a draw
// reaching past the first block, over lots of a warehouse that does not count and lots
// already expired, takes what the whole list would.
TEST(ConsumptionLotOrder, ADrawReachingPastManyLotsTakesThemInOrder)
{
    // .C keeps 10 days, so by the 7th the lots entered before 27.11 have expired. C01..C14
    // entered on the 7th back to 24.11: C12-C14 expired, C11 (27.11) on its last day;
    // C04, C08 and C12 lie in a finished goods warehouse, whose lots never count.
    const std::pair<TLotOrder, const char*> cases[] = {
        {TLotOrder::Table, "1 01/.C C01 1.0 | 2 01/.C C02 1.0 | 3 01/.C C03 1.0 | 4 01/.C C05 1.0 | 5 01/.C C06 1.0 | "
                           "6 01/.C C07 1.0 | 7 01/.C C09 1.0"},
        {TLotOrder::FirstIn, "1 01/.C C11 1.0 | 2 01/.C C10 1.0 | 3 01/.C C09 1.0 | 4 01/.C C07 1.0 | 5 01/.C C06 1.0 | "
                             "6 01/.C C05 1.0 | 7 01/.C C03 1.0"},
    };
    const char* lotsLeft[] = {"C04=1.0 | C08=1.0 | C10=1.0 | C11=1.0 | C12=1.0 | C13=1.0 | C14=1.0",
                              "C01=1.0 | C02=1.0 | C04=1.0 | C08=1.0 | C12=1.0 | C13=1.0 | C14=1.0"};
    for (size_t k = 0; k < std::size(cases); ++k) {
        SCOPED_TRACE(int(k));
        TMessageRecorder messages;
        LotCompany c(cases[k].first, false);
        Material(c.company, ".C", 10.0);
        for (int i = 1; i <= 14; ++i) {
            const QString lot = QStringLiteral("C%1").arg(i, 2, 10, QChar('0'));
            c.company.Add(fw::StocDB, {{1.0, ".C", "01", i % 4 == 0 ? "PF" : "_MP", 2.5, lot, "ADM", 1.0, 1.0,
                                        QDate(2026, 12, 7).addDays(1 - i)}});
        }
        // 11 lots count, 2 of them expired.
        EXPECT_EQ(J(c.Prepare({{"01", ".C", 7}})), ".C 9/2/2");
        EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
        EXPECT_EQ(J(c.Lines()), cases[k].second);
        QStringList left = c.Lots().filter(QStringLiteral("C"));
        EXPECT_EQ(J(left), lotsLeft[k]);
        EXPECT_EQ(messages.Count(), 0);
    }
}

// First in reads the dated lots by blocks in their order, then the undated ones.
TEST(ConsumptionLotOrder, FirstInReachesTheUndatedLotsAfterEveryDatedOne)
{
    // Nineteen dated lots: more than the first two blocks read hold.
    TMessageRecorder messages;
    LotCompany c(TLotOrder::FirstIn, true);
    Material(c.company, ".D", QVariant());
    DatedLot(c.company, ".D", 1, "U1", QVariant());
    for (int i = 1; i <= 19; ++i) // D19 entered first, D1 on the receipt's day
        DatedLot(c.company, ".D", 1, QStringLiteral("D%1").arg(i), QDate(2026, 12, 7).addDays(1 - i));
    DatedLot(c.company, ".D", 1, "U2", QVariant());
    c.Prepare({{"01", ".D", 20.5}});
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    QStringList expected;
    for (int i = 19; i >= 1; --i)
        expected << QStringLiteral("%1 01/.D D%2 1.0").arg(20 - i).arg(i);
    expected << "20 01/.D U1 1.0" << "21 01/.D U2 0.5";
    EXPECT_EQ(J(c.Lines()), expected.join(" | ").toStdString());
    EXPECT_EQ(J(c.Lots().filter(QStringLiteral("U"))), "U2=0.5");
}

} // namespace

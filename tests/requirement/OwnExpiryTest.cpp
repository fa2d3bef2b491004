// A lot's own expiry date (the supplier's, typed at receipt) against the article's shelf
// life: which lots count, which are drawn, and in what order.
#include "data/Messages.h"
#include "platform/schema/CompanyColumns.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/LotPreview.h"
#include "requirement/Requirement.h"
#include "RequirementCompany.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

// Receipt 1's requirement prepared with one row, `need` of 01/`code`: its figures as
// "exist/final/expired".
std::string PrepareOne(RequirementCompany& c, const char* code, double need)
{
    PrepareRequirement(*c.dm, 1);
    c.dm->Requirement().TempTable()->AppendRecord({"01", code, need});
    fw::TTable* temp = c.dm->Requirement().TempTable();
    temp->First();
    auto text = [&](const char* field) { return temp->FieldByName(field)->AsString(); };
    return (text("StocExist") + "/" + text("StocFin") + "/" + text("StocExpirat")).toStdString();
}

// The receipt is dated 7 December 2026. The culture .C keeps 1.5 days, counted as one:
//   C1 entered 5.12, no date of its own: expires 6.12, the day before (expired);
//   C2 entered 6.12, none: expires 7.12, the receipt's own day (still used);
//   C3 entered 1.12 (by its shelf life 2.12), its own date 20.12, later: used;
//   C4 entered 6.12 (by its shelf life 7.12), its own date 6.12, earlier: expired;
//   C5 entered 2.12, its own date 7.12, the receipt's day: used;
//   C6 without either date: never expires.
// Quantities 1, 2, 4, 8, 16 and 32: every sum names its lots. 63 in all, 9 expired.
struct CultureCompany : RequirementCompany {
    CultureCompany(TLotOrder order, bool drawExpired)
    {
        production.Context.Settings.FixedDirectory = iniDir.Path();
        production.Context.Settings.LotOrder = order;
        production.Context.Settings.DrawExpiredLots = drawExpired;
        company.Add(fw::CatalogDB, {{"01", ".C", "Cultura", QVariant(), QString(), "kg", 10.0, "RON", 19.0, 0.0, "371",
                                     "607", "4426", "4427", "446", "378", "707", 0.0, 1.5}});
        Lot(1, "C1", QDate(2026, 12, 5), {});
        Lot(2, "C2", QDate(2026, 12, 6), {});
        Lot(4, "C3", QDate(2026, 12, 1), QDate(2026, 12, 20));
        Lot(8, "C4", QDate(2026, 12, 6), QDate(2026, 12, 6));
        Lot(16, "C5", QDate(2026, 12, 2), QDate(2026, 12, 7));
        Lot(32, "C6", {}, {});
        Receipt(1, {});
    }
    void Lot(double quantity, const QString& lot, const QVariant& entry, const QVariant& own)
    {
        company.Add(fw::StocDB, {{quantity, ".C", "01", "_MP", 2.5, lot, "ADM", 1.0, 1.0, entry, own}});
    }
    std::string Prepare(double need) { return PrepareOne(*this, ".C", need); }
    testsupport::TempDir iniDir;
};

TEST(ConsumptionOwnExpiry, TheLotsOwnDateOverridesTheShelfLifeInEveryOrder)
{
    struct Case {
        const char* Name;
        TLotOrder Order;
        bool DrawExpired;
        const char *Figures, *Lines, *LotsAfter;
        bool AsksAboutExpired;
    };
    const Case cases[] = {
        // C1 and C4 left out; the rest in the table's order: C2 2, C3 4, C5 14 of 16.
        {"table order, expired left out", TLotOrder::Table, false, "54/34/9", "1 01/.C C2 2.0 | 2 01/.C C3 4.0 | 3 01/.C C5 14.0",
         "C1=1.0 | C4=8.0 | C5=2.0 | C6=32.0", false},
        // By entry: C3 (1.12), C5 (2.12), C2 (6.12), then C6 undated; 4 + 16 cover 20.
        {"first in, expired left out", TLotOrder::FirstIn, false, "54/34/9", "1 01/.C C3 4.0 | 2 01/.C C5 16.0",
         "C1=1.0 | C2=2.0 | C4=8.0 | C6=32.0", false},
        // By expiry: C5 and C2 both on 7.12 (C5 entered first), C3 on 20.12, C6 never.
        {"first to expire, expired left out", TLotOrder::FirstToExpire, false, "54/34/9",
         "1 01/.C C5 16.0 | 2 01/.C C2 2.0 | 3 01/.C C3 2.0", "C1=1.0 | C3=2.0 | C4=8.0 | C6=32.0", false},
        // Expired drawn first: C1 and C4 both on 6.12 (C1 entered first), then C5.
        {"first to expire, expired drawn", TLotOrder::FirstToExpire, true, "63/43/",
         "1 01/.C C1 1.0 | 2 01/.C C4 8.0 | 3 01/.C C5 11.0", "C2=2.0 | C3=4.0 | C5=5.0 | C6=32.0", true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.Name);
        TMessageRecorder messages; // "Da" to drawing the expired lots
        CultureCompany c(k.Order, k.DrawExpired);
        EXPECT_EQ(c.Prepare(20), k.Figures);
        QStringList previewed;
        for (const TLotPreviewLine& l : PreviewDraw(*c.dm, "01", ".C", 20, QDate(2026, 12, 7)).Lines)
            if (l.Drawn)
                previewed << QStringLiteral("01/.C %1 %2").arg(l.Lot, QString::number(l.Taken, 'f', 1));
        EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
        EXPECT_EQ(J(c.Lines()), k.Lines);
        EXPECT_EQ(previewed, c.Draws());
        EXPECT_EQ(J(c.Lots()), k.LotsAfter);
        EXPECT_EQ(messages.Count(), k.AsksAboutExpired ? 1 : 0);
    }
}

// The question names each expired lot with the day it expired: C1 by its shelf life, C4 by
// its own date (by its shelf life it would still be good on the 7th).
TEST(ConsumptionOwnExpiry, TheQuestionAboutExpiredLotsGivesTheLotsOwnDate)
{
    TMessageRecorder messages;
    messages.Answer(TModalResult::No);
    CultureCompany c(TLotOrder::FirstToExpire, true);
    c.Prepare(20);
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, "Documentul de consum ar folosi loturi expirate:\r  lotul C1 al materialului 01 .C din "
                                    "gestiunea _MP, expirat la 06.12.2026\r  lotul C4 al materialului 01 .C din gestiunea "
                                    "_MP, expirat la 06.12.2026\rContinuati?");
    EXPECT_TRUE(c.Lines().isEmpty());
}

// An article without a shelf life still has lots that expire by their own date.
TEST(ConsumptionOwnExpiry, ALotOfAnArticleWithoutShelfLifeExpiresByItsOwnDate)
{
    TMessageRecorder messages;
    CultureCompany c(TLotOrder::Table, false);
    c.company.Add(fw::CatalogDB, {{"01", ".R", "Cheag", QVariant(), QString(), "kg", 10.0, "RON", 19.0, 0.0, "371", "607",
                                   "4426", "4427", "446", "378", "707", 0.0, QVariant()}});
    c.company.Add(fw::StocDB, {{3.0, ".R", "01", "_MP", 2.5, "R1", "ADM", 1.0, 1.0, QDate(2026, 12, 1), QDate(2026, 12, 6)},
                               {5.0, ".R", "01", "_MP", 2.5, "R2", "ADM", 1.0, 1.0, QDate(2026, 12, 1), QVariant()},
                               {7.0, ".R", "01", "_MP", 2.5, "R3", "ADM", 1.0, 1.0, QVariant(), QDate(2026, 12, 5)}});
    // R1 and R3 (undated, but past its own date) are expired: 5 of 15 usable, 1 left after 4.
    EXPECT_EQ(PrepareOne(c, ".R", 4), "5/1/10");
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    EXPECT_EQ(J(c.Lines()), "1 01/.R R2 4.0");
}

// A company made before lots had their own date: connecting gives its stock the column,
// empty, and its lots count by their shelf life as before.
TEST(ConsumptionOwnExpiry, ACompanyWithoutTheColumnOpensAndDrawsByShelfLife)
{
    TMessageRecorder messages;
    RequirementCompany c;
    testsupport::TempDir iniDir;
    c.production.Context.Settings.FixedDirectory = iniDir.Path();
    c.production.Context.Settings.LotOrder = TLotOrder::FirstToExpire;
    c.production.Context.Settings.DrawExpiredLots = false;
    fw::TTableLayout old = fw::CompanyTable(fw::StocDB);
    std::erase_if(old.Fields, [](const fw::TFieldDef& f) { return f.Name == QLatin1String("Data_expirare"); });
    std::erase_if(old.Indexes, [](const fw::TIndexDef& i) {
            return i.Fields.contains(QLatin1String("Data_expirare")) || i.Condition.contains(QLatin1String("Data_expirare"));
        });
    fw::CreateCompanyTable(c.company.Dir(), old);
    c.company.Add(fw::CatalogDB, {{"01", ".C", "Cultura", QVariant(), QString(), "kg", 10.0, "RON", 19.0, 0.0, "371", "607",
                                   "4426", "4427", "446", "378", "707", 0.0, 1.5}});
    // C1 expires 6.12, the day before the receipt; C2 on 7.12, its day.
    c.company.Add(fw::StocDB, {{1.0, ".C", "01", "_MP", 2.5, "C1", "ADM", 1.0, 1.0, QDate(2026, 12, 5)},
                               {2.0, ".C", "01", "_MP", 2.5, "C2", "ADM", 1.0, 1.0, QDate(2026, 12, 6)}});
    c.Receipt(1, {});
    ASSERT_FALSE(fw::TableHasColumn(c.company.Dir(), fw::StocDB, QStringLiteral("Data_expirare")));
    c.dm->ConnectTo(c.company.Dir());
    EXPECT_TRUE(fw::TableHasColumn(c.company.Dir(), fw::StocDB, QStringLiteral("Data_expirare")));
    EXPECT_TRUE(fw::TableHasColumn(c.company.Dir(), fw::ItemInDB, QStringLiteral("Data_expirare")));
    EXPECT_EQ(PrepareOne(c, ".C", 1), "2/1/1");
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
    EXPECT_EQ(J(c.Lines()), "1 01/.C C2 1.0");
}

} // namespace

// The consumption document over values another program left that the layer cannot read
// back as they are stored: a lot is still drawn on, a receipt's date is named.
#include "RequirementCompany.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "requirement/Reversal.h"

#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

struct Yogurt : RequirementCompany {
    Yogurt()
    {
        company.Article("01", ".LAPTE", "Lapte crud");
        company.Lot("01", ".LAPTE", "_FRG", 100, "LC-1");
        company.Article("02", "IAURT", "Iaurt", 100.0);
        company.RecipeRow("IAURT", ".LAPTE", "01", 13);
        Receipt(5, {{"02", "IAURT", 200}});
    }
    void Exec(const QString& sql) { Connection::Open(company.Dir())->Exec(sql); }
    // The message the consumption document of receipt 5 is refused with, once prepared;
    // nothing of it is written.
    QString RefusedConsumption(const TMessageRecorder& messages)
    {
        PrepareRequirement(*dm, 5);
        const QStringList before = Dump();
        QString refused;
        try {
            GenerateConsumption(*dm, 5, dm->Requirement().AgentInitials());
            ADD_FAILURE() << "written: " << J(messages.Texts());
        } catch (const EDatabaseError& e) {
            refused = e.Message();
        }
        EXPECT_EQ(Dump(), before);
        return refused;
    }
};

TEST(DamagedValues, AConsumptionDrawsOnALotHoldingEightBitTextAndKeepsIt)
{
    if (testsupport::OnServer())
        GTEST_SKIP() << "a server's text is UTF-8: no 8-bit text there (its other forms: platform.db.pg.Concurrency)";
    TMessageRecorder messages;
    Yogurt c;
    c.Exec("UPDATE Stoc SET Agent = CAST(X'C1E9' AS TEXT)");
    PrepareRequirement(*c.dm, 5);
    ASSERT_EQ(GenerateConsumption(*c.dm, 5, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0))
        << J(messages.Texts());
    EXPECT_EQ(c.Lots(), QStringList{"LC-1=74.0"});
    EXPECT_EQ(c.Strings("SELECT hex(Agent) FROM Stoc"), QStringList{"C1E9"});
}

TEST(ConsumptionOfDamagedValues, AReceiptDateThatCannotBeReadIsNamedAndNothingIsWritten)
{
    TMessageRecorder messages;
    Yogurt c;
    c.Exec(testsupport::OnServer() ? "UPDATE Doc_in SET Data = 'infinity'" : "UPDATE Doc_in SET Data = 'ieri'");
    EXPECT_EQ(c.RefusedConsumption(messages),
              "Valoarea campului Data din tabela Doc_in.DB (inregistrarea cu Contor = 5) nu poate fi citita: este "
              "deteriorata sau in afara domeniului campului.\rIntroduceti din nou valoarea corecta a campului sau "
              "refaceti firma dintr-o copie de siguranta.");
    EXPECT_EQ(messages.Count(), 0) << J(messages.Texts());
}

TEST(ConsumptionOfDamagedValues, ALotWhoseQuantityIsNoNumberStopsTheDocumentNamingIt)
{
    TMessageRecorder messages;
    Yogurt c;
    c.Exec(testsupport::OnServer() ? "UPDATE Stoc SET Cantitate = 'Infinity'" : "UPDATE Stoc SET Cantitate = 9e999");
    EXPECT_EQ(c.RefusedConsumption(messages),
              "Valoarea campului Cantitate din tabela Stoc.DB (inregistrarea cu Cod_grupa = 01, Cod_articol = .LAPTE) "
              "nu poate fi citita: este deteriorata sau in afara domeniului campului.\rIntroduceti din nou valoarea "
              "corecta a campului sau refaceti firma dintr-o copie de siguranta.");
}

// The embedded engine keeps text in a number column, and its sums read it as 0: the stock
// figure, the consumption and the reversal stop at it instead, naming it.
TEST(ConsumptionOfDamagedValues, TextInANumberColumnIsNamedByEveryFigureAndWriter)
{
    if (testsupport::OnServer())
        GTEST_SKIP() << "a server's number column holds numbers only";
    const QString stockLot = "Valoarea campului Cantitate din tabela Stoc.DB (inregistrarea cu Cod_grupa = 01, "
                             "Cod_articol = .LAPTE) nu poate fi citita: este deteriorata sau in afara domeniului "
                             "campului.\rIntroduceti din nou valoarea corecta a campului sau refaceti firma dintr-o "
                             "copie de siguranta.";
    {
        TMessageRecorder messages;
        Yogurt c;
        c.company.Lot("01", ".LAPTE", "_FRG", 10, "LC-2");
        c.Exec("UPDATE Stoc SET Cantitate = 'abc' WHERE Lot = 'LC-2'");
        PrepareRequirement(*c.dm, 5);
        try {
            c.dm->Requirement().TempTable()->FieldByName("StocExist")->AsFloat();
            ADD_FAILURE() << "a stock figure summed over text";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), stockLot);
        }
        CloseRequirement(*c.dm);
        // 20 of the 26 needed: the draw reaches the other lot, which would count as 0 and
        // make the row short.
        c.Exec("UPDATE Stoc SET Cantitate = 20 WHERE Lot = 'LC-1'");
        EXPECT_EQ(c.RefusedConsumption(messages), stockLot);
    }
    {
        TMessageRecorder messages;
        Yogurt c;
        PrepareRequirement(*c.dm, 5);
        ASSERT_EQ(GenerateConsumption(*c.dm, 5, c.dm->Requirement().AgentInitials()), std::optional<double>(8.0));
        CloseRequirement(*c.dm);
        c.Exec("UPDATE Item_out SET Cantitate = '1,5' WHERE Contor = 8");
        const QStringList before = c.Dump();
        try {
            ReverseConsumption(*c.dm, 8, c.dm->Requirement().AgentInitials());
            ADD_FAILURE() << "reversed a line whose quantity is text";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().startsWith("Valoarea campului Cantitate din tabela Item_out.DB (inregistrarea cu "
                                               "Contor = 8, Contor_secundar = 1)"))
                << qPrintable(e.Message());
        }
        EXPECT_EQ(c.Dump(), before);
        // A lot whose quantity turned to text is not written over with what comes back.
        c.Exec("UPDATE Item_out SET Cantitate = 26 WHERE Contor = 8");
        c.Exec("UPDATE Stoc SET Cantitate = 'abc'");
        try {
            ReverseConsumption(*c.dm, 8, c.dm->Requirement().AgentInitials());
            ADD_FAILURE() << "a lot's text written over";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), stockLot);
        }
        EXPECT_EQ(c.Strings("SELECT Cantitate FROM Stoc"), QStringList{"abc"});
    }
}
} // namespace

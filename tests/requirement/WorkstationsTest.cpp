// Workstations consuming the same lots, each a process with its own connection to the
// company and its own private directory, as on a network.
#include "RequirementCompany.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"

#include "support/ChildProcess.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace reqtest;

namespace {

// The roles a child process of this executable plays. "generate" (company, private
// directory): another workstation generating the consumption of receipt 1, "Da" to any
// question ("generate-once": "Nu"); it tells whether it wrote a document.
TEST(ChildProcess, Role)
{
    const QStringList dirs = testsupport::ChildArguments();
    const QString role = testsupport::ChildRole();
    if (role != QLatin1String("generate") && role != QLatin1String("generate-once"))
        GTEST_SKIP() << "played by a second process that other tests start";
    fw::TSession::AddAlias("KRB_PRIV", dirs.at(1));
    fw::TMessageRecorder messages;
    if (role == QLatin1String("generate-once"))
        messages.SetDefaultAnswer(fw::TModalResult::No);
    TProductionContext context;
    TProductionData dm(context, nullptr);
    dm.ProductionDatabase->Params() << "PATH=" + dirs.at(0);
    PrepareRequirement(dm, 1);
    testsupport::TellParent(GenerateConsumption(dm, 1, dm.Requirement().AgentInitials()) ? "written" : "not written");
    CloseRequirement(dm);
}

// Two other processes playing `role` on receipt 1 at once; what each told, sorted.
QStringList TwoOthersGenerate(RequirementCompany& c, const char* role)
{
    std::vector<std::unique_ptr<testsupport::TChildProcess>> others;
    for (const char* name : {"b", "c"}) {
        QDir(c.company.Dir()).mkdir(name);
        others.push_back(std::make_unique<testsupport::TChildProcess>(
            role, QStringList{c.company.Dir(), c.company.Dir() + "/" + name}));
    }
    QStringList told;
    for (auto& other : others) {
        EXPECT_EQ(other->Finish(), 0) << other->Lines().join('\n').toStdString();
        told << other->Lines().filter("written");
    }
    told.sort();
    return told;
}

TEST(Workstations, NeverOverdrawTheLotsTheyShare)
{
    fw::TMessageRecorder messages;
    RequirementCompany c; // this process is the first workstation
    c.company.Article("02", "P", "Produs", 1.0);
    c.company.Article("01", ".A", "A");
    c.company.RecipeRow("P", ".A", "01", 7);
    c.company.Lot("01", ".A", "_MP", 4, "L1");
    c.company.Lot("01", ".A", "_MP", 6, "L2");
    c.Receipt(1, {{"02", "P", 1}});
    PrepareRequirement(*c.dm, 1);
    c.dm->Requirement().TempTable()->First();
    ASSERT_EQ(c.dm->Requirement().TempTable()->FieldByName("StocFin")->AsFloat(), 3.0); // what this window shows

    // Two others generate the same requirement at the same moment. One found 10 and drew
    // 7; the other found 3, was asked, and wrote nothing.
    EXPECT_EQ(TwoOthersGenerate(c, "generate"), (QStringList{"not written", "written"}));
    EXPECT_EQ(c.Strings("SELECT COUNT(*) FROM Doc_out"), QStringList{"1"});
    EXPECT_EQ(J(c.Lines()), "1 01/.A L1 4.0 | 2 01/.A L2 3.0");
    EXPECT_EQ(J(c.Lots()), "L2=3.0");

    // The first, whose window still says 3 would be left, reads the stock as it is now:
    // past the question about a second document, once the short row is left out, there
    // is nothing to write.
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
    EXPECT_EQ(messages.Texts(), (QStringList{"Documentul de intrare are deja documentul de consum nr. 125 din 07.12.2026. "
                                             "Generati inca unul?",
                                             NegativeQuestion, "Nu exista niciun material de consumat: documentul de iesire "
                                                               "nu a fost generat."}));
    EXPECT_EQ(J(c.Lots()), "L2=3.0");
    EXPECT_EQ(c.Lines().size(), 2);
    EXPECT_EQ(c.Strings("SELECT COUNT(*) FROM Doc_out"), QStringList{"1"});
}

TEST(Workstations, ALotLoweredWhileADocumentIsWrittenIsAskedAboutNeverDrawnInPart)
{
    fw::TMessageRecorder messages;
    messages.SetDefaultAnswer(fw::TModalResult::No);
    RequirementCompany c;
    c.company.Article("01", ".A", "A");
    c.company.Lot("01", ".A", "_MP", 2020, "L1");
    c.Receipt(1, {});
    PrepareRequirement(*c.dm, 1);
    c.dm->Requirement().TempTable()->AppendRecord({"01", ".A", 2020.0});
    // Another workstation cuts the receipt line, and so the lot, taking the counter row
    // first as every writer of lots does, and commits once this one waits for it.
    QStringList cut{"UPDATE Stoc SET Cantitate = 1086 WHERE Lot = 'L1'"};
    if (testsupport::OnServer())
        cut.prepend("SELECT * FROM Counter FOR UPDATE");
    testsupport::TOtherTransaction other(c.company.Dir(), cut);
    EXPECT_EQ(GenerateConsumption(*c.dm, 1, c.dm->Requirement().AgentInitials()), std::nullopt);
    EXPECT_EQ(other.Finish(), testsupport::OnServer()); // waited for on a server
    EXPECT_EQ(messages.Texts(), QStringList{NegativeQuestion});
    EXPECT_EQ(J(c.Lots()), "L1=1086.0");
    EXPECT_EQ(c.Strings("SELECT COUNT(*) FROM Doc_out"), QStringList{"0"});
}

TEST(Workstations, ConsumingOneReceiptAtOnceWriteOneDocument)
{
    fw::TMessageRecorder messages;
    RequirementCompany c;
    c.company.Article("02", "P", "Produs", 1.0);
    c.company.Article("01", ".A", "A");
    c.company.RecipeRow("P", ".A", "01", 2);
    c.company.Lot("01", ".A", "_MP", 10, "L1");
    c.Receipt(1, {{"02", "P", 1}});
    EXPECT_EQ(TwoOthersGenerate(c, "generate-once"), (QStringList{"not written", "written"}));
    EXPECT_EQ(c.Strings("SELECT COUNT(*) FROM Doc_out"), QStringList{"1"});
    EXPECT_EQ(J(c.Lots()), "L1=8.0");
}

} // namespace

// Several workstations consuming the same lots: each is a process of its own with its own
// connection to the company and its own private directory, as on a network.
#include "RequirementCompany.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

const char* const CompanyVariable = "CORVANEL_WORKSTATION_COMPANY";
const char* const PrivateVariable = "CORVANEL_WORKSTATION_PRIVATE";

// Another workstation: prepares the requirement of receipt 1 and generates its document,
// answering "Da" to any question. Runs only when started by the test below.
TEST(Workstation, GeneratesTheConsumptionOfReceiptOne)
{
    const QString company = qEnvironmentVariable(CompanyVariable);
    if (company.isEmpty())
        GTEST_SKIP() << "started by Workstations.NeverOverdrawTheLotsTheyShare";
    TSession::AddAlias(QStringLiteral("KRB_PRIV"), qEnvironmentVariable(PrivateVariable));
    IndGest = '_';
    IndCod = '.';
    IndSemi = ';';
    TMessageRecorder messages;
    TZPFDataModule dm(nullptr);
    ZPFDataModule = &dm;
    dm.GhostDB->Params() << QStringLiteral("PATH=") + company;
    dm.GhostDB->Open();
    PrepareRequirement(dm, 1);
    EXPECT_TRUE(GenerateConsumption(dm, 1).has_value());
    CloseRequirement(dm);
    ZPFDataModule = nullptr;
}

TEST(Workstations, NeverOverdrawTheLotsTheyShare)
{
    TMessageRecorder messages;
    RequirementCompany c; // this process is the first workstation
    c.company.Article("02", "P", "Produs", 1.0);
    c.Materials({{"01", ".A"}});
    c.company.RecipeRow("P", ".A", "01", 7);
    c.company.Lot("01", ".A", "_MP", 4, "L1");
    c.company.Lot("01", ".A", "_MP", 6, "L2");
    c.Receipt(1, {{"02", "P", 1}});
    PrepareRequirement(*c.dm, 1);
    c.dm->TempTable->First();
    ASSERT_EQ(c.dm->TempTable->FieldByName("StocFin")->AsFloat(), 3.0); // what this window shows

    // Two other workstations generate the same requirement at the same moment.
    std::vector<std::unique_ptr<QProcess>> others;
    for (const char* name : {"b", "c"}) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(CompanyVariable), c.company.Dir());
        env.insert(QString::fromLatin1(PrivateVariable), c.company.Dir() + QStringLiteral("/../") + QLatin1String(name));
        QDir(c.company.Dir() + QStringLiteral("/..")).mkpath(QLatin1String(name));
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=Workstation.GeneratesTheConsumptionOfReceiptOne")});
        others.push_back(std::move(p));
    }
    for (auto& p : others) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }
    // One of them found the 10 units and drew 7; the other found 3, was asked, and drew
    // nothing. Two documents, the lots never below zero.
    EXPECT_EQ(c.Strings("SELECT COUNT(*) FROM Doc_out"), QStringList{"2"});
    EXPECT_EQ(J(c.Lines()), "1 01/.A L1 4.0 | 2 01/.A L2 3.0");
    EXPECT_EQ(J(c.Lots()), "L2=3.0");

    // The first workstation, whose window still says 3 would be left, generates last: the
    // stock is read as it is now, so the question is asked and nothing is drawn.
    EXPECT_EQ(GenerateConsumption(*c.dm, 1), std::optional<double>(10.0));
    EXPECT_EQ(messages.Texts(), QStringList{NegativeQuestion});
    EXPECT_EQ(J(c.Lots()), "L2=3.0");
    EXPECT_EQ(c.Lines().size(), 2);
}

} // namespace

// Four workstations on one company, each a program of its own: two enter receipts through
// the host's receipt ledger while two generate consumption documents through the add-on's
// requirement command, drawing on the same lots.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "ReceiptFixture.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <gtest/gtest.h>

using hosttest::TReceipts;
using testsupport::RawColumn;

namespace {

constexpr int kDocuments = 200;           // by each workstation
constexpr double kDrawn = 7;              // .A by each consumption document
constexpr double kReceived = 5;           // .A by each receipt entered meanwhile
constexpr int kInitialLots = 30;          // of 100 each: enough for every consumption
const char* const kRole = "CORVANEL_WORKSTATION";

double Sum(const QString& dir, const QString& sql) { return RawColumn(dir, sql).value(0).toDouble(); }
int Count(const QString& dir, const QString& sql) { return RawColumn(dir, sql).value(0).toInt(); }

// "receipts <name>": documents numbered after the name, one line of .A each.
void EnterReceipts(const QString& dir, int first)
{
    fw::TMessageRecorder messages;
    TReceipts r(dir);
    for (int i = 0; i < kDocuments; ++i) {
        r.NewHeader(first + i);
        r.AddLine("_MP", ".A", kReceived, qPrintable(QStringLiteral("R%1").arg(first + i)));
    }
    EXPECT_EQ(messages.Texts(), QStringList());
}

// "consume": the requirement command on the product receipt, generating every time.
void GenerateConsumptions(const QString& dir)
{
    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    ASSERT_TRUE(host->OpenCompany(dir, false));
    pelmaris::TDocInForm* docIn = host->ShowDocIn();
    ASSERT_NE(docIn, nullptr);
    QApplication::processEvents();
    QAction* command = host.Command("&Document", "Calcul necesar tehnic");
    ASSERT_NE(command, nullptr);
    fw::TModalHook hook([&](fw::TForm* form) {
        form->findChild<QPushButton*>("GenerateButton")->click();
        return fw::TModalResult::None;
    });
    for (int i = 0; i < kDocuments; ++i) {
        ASSERT_TRUE(docIn->Headers()->Locate("Contor", {1.0}));
        command->trigger();
    }
    // Each time the document was written, after "Da" to the question about the receipt's
    // earlier ones (asked again when another workstation wrote one meanwhile), and nothing
    // else was said.
    EXPECT_EQ(messages.Texts().filter(QRegularExpression("^OK. Documentul de iesire")).size(), kDocuments);
    for (const QString& text : messages.Texts())
        EXPECT_TRUE(text.startsWith("OK. Documentul de iesire") || text.startsWith("Documentul de intrare are deja "))
            << text.toStdString();
}

} // namespace

TEST(Workstations, FourOnOneCompanyNeverOverdrawALotAndKeepEveryFigure)
{
    const QString role = qEnvironmentVariable(kRole);
    if (!role.isEmpty()) {
        const QStringList args = role.split(QLatin1Char(' '));
        if (args[0] == QLatin1String("receipts"))
            EnterReceipts(args[1], args[2].toInt());
        else
            GenerateConsumptions(args[1]);
        return;
    }

    // The company: raw material .A received in lots, product P made of 7 of it, and a
    // receipt of one P whose requirement the consumers generate again and again.
    TReceipts setup;
    const QString dir = setup.Dir();
    auto catalog = testsupport::OpenTable(dir, fw::CatalogDB);
    catalog->AppendRecord({"01", ".A", "Lapte", QVariant(), QVariant(), "l", 2.2, "RON", 9.0, 0.0, "301", "601", "4426", "4427"});
    catalog->AppendRecord({"01", "P", "Iaurt", 1.0, QVariant(), "kg", 9.0, "RON", 9.0, 0.0, "345", "711", "4426", "4427"});
    pelmaris::CreateMissingTables(dir, {fw::RecipeTable()});
    testsupport::OpenTable(dir, fw::RetetaDB)->AppendRecord({"P", ".A", kDrawn, "01"});
    setup.NewHeader(1);
    for (int i = 0; i < kInitialLots; ++i)
        setup.AddLine("_MP", ".A", 100, qPrintable(QStringLiteral("I%1").arg(i)));
    // Receipt 1 also takes one P into the finished goods (its requirement is 7 of .A).
    setup.AddLine("_FRG", "P", 1, "P1");
    setup.lines.Close();
    setup.headers.Close();
    const double before = Sum(dir, "SELECT SUM(Cantitate) FROM Stoc WHERE Cod_articol = '.A'");

    std::vector<std::unique_ptr<QProcess>> programs;
    for (const QString& role : {QStringLiteral("receipts %1 1000").arg(dir), QStringLiteral("receipts %1 2000").arg(dir),
                                QStringLiteral("consume %1").arg(dir), QStringLiteral("consume %1").arg(dir)}) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kRole), role);
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=Workstations.FourOnOneCompanyNeverOverdrawALotAndKeepEveryFigure")});
        programs.push_back(std::move(p));
    }
    for (auto& p : programs) {
        ASSERT_TRUE(p->waitForFinished(280000)) << p->readAll().toStdString();
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }

    // No lot overdrawn; every counter handed out once; every document whole.
    EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM Stoc WHERE Cantitate < 0"), 0);
    EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM Doc_in"), 1 + 2 * kDocuments);
    EXPECT_EQ(Count(dir, "SELECT COUNT(DISTINCT Contor) FROM Doc_in"), 1 + 2 * kDocuments);
    EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM Doc_in d WHERE (SELECT COUNT(*) FROM Item_in i WHERE i.Contor = d.Contor) = 0"), 0);
    EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM Doc_out"), 2 * kDocuments);
    EXPECT_EQ(Count(dir, "SELECT COUNT(DISTINCT Contor) FROM Doc_out"), 2 * kDocuments);
    EXPECT_EQ(Count(dir, "SELECT COUNT(*) FROM Doc_out d WHERE (SELECT SUM(Cantitate) FROM Item_out i WHERE i.Contor = d.Contor) <> 7"), 0);
    EXPECT_EQ(Sum(dir, "SELECT MAX(NewCounterOut) FROM COUNTER"), Sum(dir, "SELECT MAX(Contor) FROM Doc_out"));
    // The stock is what came in less what went out.
    const double received = Sum(dir, "SELECT SUM(Cantitate) FROM Item_in WHERE Cod_articol = '.A'");
    const double consumed = Sum(dir, "SELECT SUM(Cantitate) FROM Item_out WHERE Cod_articol = '.A'");
    EXPECT_DOUBLE_EQ(received, before + 2 * kDocuments * kReceived);
    EXPECT_DOUBLE_EQ(consumed, 2 * kDocuments * kDrawn);
    EXPECT_DOUBLE_EQ(Sum(dir, "SELECT SUM(Cantitate) FROM Stoc WHERE Cod_articol = '.A'"), received - consumed);
}

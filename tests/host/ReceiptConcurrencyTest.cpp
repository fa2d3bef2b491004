// Two users entering receipts on one company: neither writes over what the other changed,
// and lines added to the same document at the same time each get a number of their own.
#include "ReceiptFixture.h"
#include "platform/db/DbMessages.h"
#include "platform/ui/MessageDlg.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

using hosttest::TReceipts;
using testsupport::RawColumn;

namespace {

const char* const kWorker = "CORVANEL_RECEIPT_WORKER";

QStringList LineNumbers(const QString& dir)
{
    QStringList numbers;
    for (const QVariant& v : RawColumn(dir, "SELECT Contor_secundar FROM Item_in WHERE Contor = 1 ORDER BY 1"))
        numbers << v.toString();
    return numbers;
}

} // namespace

TEST(ReceiptConcurrency, DocumentAnotherUserDeletedAndReplacedIsNotDeletedAgain)
{
    fw::TMessageRecorder messages;
    TReceipts a;
    a.NewHeader(1);
    a.AddLine("_FRG", ".LAPTE", 100);
    TReceipts b(a.Dir());
    b.headers.First();
    b.headers.Delete();
    b.NewHeader(2); // takes the row the deleted document had
    b.AddLine("_MP", ".SARE", 25, "S7");
    if (!testsupport::OnServer()) { // where an identity is handed out again
        ASSERT_EQ(RawColumn(a.Dir(), "SELECT rowid FROM Doc_in"), (QVariantList{1}));
    }

    // A still shows the first document: deleting it is refused, B's document stays whole.
    try {
        a.headers.Delete();
        ADD_FAILURE() << "another user's document deleted";
    } catch (const fw::ERecordChanged& e) {
        EXPECT_EQ(e.Message(), fw::dbmsg::DeleteConflict());
    }
    EXPECT_EQ(a.headers.FieldByName(QStringLiteral("Numar"))->AsFloat(), 2.0); // what is there now
    EXPECT_EQ(RawColumn(a.Dir(), "SELECT Numar FROM Doc_in"), (QVariantList{2.0}));
    EXPECT_EQ(a.Lots(), QStringList{QStringLiteral("_MP .SARE S7 25")});
    EXPECT_EQ(RawColumn(a.Dir(), "SELECT COUNT(*) FROM Item_in"), (QVariantList{1}));
}

TEST(ReceiptConcurrency, LinesStartedTogetherOnOneDocumentAreBothSaved)
{
    fw::TMessageRecorder messages;
    TReceipts a;
    a.NewHeader(1);
    TReceipts b(a.Dir());
    b.headers.First();
    a.lines.Append();
    a.Fill("_FRG", ".LAPTE", 100);
    b.lines.Append();
    b.Fill("_MP", ".SARE", 25, "S7");
    a.lines.Post();
    b.lines.Post();
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
    EXPECT_EQ(LineNumbers(a.Dir()), (QStringList{"1", "2"}));
    EXPECT_EQ(a.Lots().size(), 2);
}

TEST(ReceiptConcurrency, TwoProgramsAddingLinesToOneDocument)
{
    constexpr int kLines = 40;
    if (qEnvironmentVariableIsSet(kWorker)) {
        // One of the programs: a window of its own on the company, adding its lines.
        fw::TMessageRecorder messages;
        TReceipts r(qEnvironmentVariable(kWorker));
        r.headers.First();
        for (int i = 0; i < kLines; ++i)
            r.AddLine("_FRG", ".LAPTE", 1 + i, "W");
        EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();
        return;
    }
    TReceipts r;
    r.NewHeader(1);
    r.headers.Close(); // the company is left to the two programs
    std::vector<std::unique_ptr<QProcess>> programs;
    for (int i = 0; i < 2; ++i) {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kWorker), r.Dir());
        p->setProcessEnvironment(env);
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--gtest_filter=ReceiptConcurrency.TwoProgramsAddingLinesToOneDocument")});
        programs.push_back(std::move(p));
    }
    for (auto& p : programs) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAll().toStdString();
    }
    QStringList expected;
    for (int i = 1; i <= 2 * kLines; ++i)
        expected << QString::number(i);
    EXPECT_EQ(LineNumbers(r.Dir()), expected);
    EXPECT_EQ(RawColumn(r.Dir(), "SELECT COUNT(*) FROM Stoc"), (QVariantList{2 * kLines}));
}

TEST(ReceiptConcurrency, ALineChangeWaitsForTheCounterRowAConsumptionHolds)
{
    fw::TMessageRecorder messages;
    TReceipts r;
    r.NewHeader(1);
    r.AddLine("_FRG", ".LAPTE", 100);
    // A consumption being written holds the counter row before it locks any lot.
    testsupport::TOtherTransaction consumption(r.Dir(), {"UPDATE COUNTER SET NewCounterOut = NewCounterOut"});
    r.lines.Edit();
    r.lines.FieldByName(QStringLiteral("Cantitate"))->SetAsFloat(95);
    r.lines.Post();
    const bool waited = consumption.Finish();
    if (testsupport::OnServer()) { // the embedded engine lets one writer in at a time anyway
        EXPECT_TRUE(waited);
    }
    EXPECT_EQ(r.Lots(), QStringList{QStringLiteral("_FRG .LAPTE L1 95")});
    EXPECT_EQ(messages.Count(), 0);
}

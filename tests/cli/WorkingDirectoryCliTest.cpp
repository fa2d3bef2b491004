// The tool's working directory of a run: gone however the run ends, and those that runs
// killed outright left behind removed by the next run.
#include "BuiltFiles.h"
#include "CliFixture.h"
#include "host/Company.h"
#include "platform/config/FileLock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace clitest;

namespace {

QStringList Entries(const QString& dir) { return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot); }

QProcessEnvironment WithTemporaryFolder(const QString& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), folder);
    return environment;
}

TEST(WorkingDirectoryCli, GoesWhenTheRunIsEndedBySignal)
{
    TDairy dairy;
    testsupport::TempDir tmp;
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        // The run waits for the company, which this test holds alone, with its directory made.
        const auto alone = pelmaris::TakeCompanyForRemaking(dairy.Dir());
        ASSERT_NE(alone, nullptr);
        QProcess run;
        run.setProcessEnvironment(WithTemporaryFolder(tmp.Path()));
        run.start(built::kCorvanelFile, {"requirement", "--company", dairy.Dir(), "--counter", "1"});
        ASSERT_TRUE(run.waitForStarted());
        const QString own = QStringLiteral("corvanel-lucru-%1-*").arg(run.processId());
        const QDeadlineTimer deadline(20000);
        while (QDir(tmp.Path()).entryList({own}, QDir::Dirs).isEmpty() && !deadline.hasExpired())
            QThread::msleep(20);
        ASSERT_EQ(QDir(tmp.Path()).entryList({own}, QDir::Dirs).size(), 1);
        ::kill(pid_t(run.processId()), signal);
        ASSERT_TRUE(run.waitForFinished(20000));
        EXPECT_EQ(run.exitStatus(), QProcess::CrashExit); // ended by the signal, as a script expects
        EXPECT_EQ(Entries(tmp.Path()), QStringList{});
    }
}

TEST(WorkingDirectoryCli, ThoseOfRunsThatDiedAreRemovedByTheNextRun)
{
    TDairy dairy;
    testsupport::TempDir tmp;
    QProcess gone;
    gone.start(QStringLiteral("sleep"), {QStringLiteral("0.1")});
    ASSERT_TRUE(gone.waitForStarted());
    const qint64 goneId = gone.processId();
    ASSERT_TRUE(gone.waitForFinished());
    const QString dead = QStringLiteral("corvanel-lucru-%1-a1B2c3").arg(goneId);
    const QString alive = QStringLiteral("corvanel-lucru-%1-a1B2c3").arg(::getpid());
    for (const QString& name : {dead, alive, QStringLiteral("corvanel-lucru-altceva"), QStringLiteral("corvanel-x1Y2z3")})
        ASSERT_TRUE(QFile(tmp.SubDir(name) + "/temp.sqlite").open(QIODevice::WriteOnly));

    QProcess run;
    run.setProcessEnvironment(WithTemporaryFolder(tmp.Path()));
    run.start(built::kCorvanelFile, {"requirement", "--company", dairy.Dir(), "--counter", "1"});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
    EXPECT_EQ(Entries(tmp.Path()), (QStringList{alive, QStringLiteral("corvanel-lucru-altceva"), QStringLiteral("corvanel-x1Y2z3")}));
}

} // namespace

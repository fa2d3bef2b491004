// What the tool refuses rather than losing data or saying nothing: a report written over the
// company's own files or into what is no file, a setting it does not know, a warehouse the
// company lacks, a value it cannot read, an empty demo directory, a company it may not read.
#include "BuiltFiles.h"
#include "CliFixture.h"
#include "platform/db/Connection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace clitest;

namespace {

// A file's identity and contents: the same file, unchanged.
QString Identity(const QString& file)
{
    struct stat info {};
    if (::stat(QFile::encodeName(file).constData(), &info) != 0)
        return QStringLiteral("(nimic)");
    QFile f(file);
    const QByteArray bytes = S_ISREG(info.st_mode) && f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    return QStringLiteral("%1 %2 %3").arg(info.st_ino).arg(info.st_mode).arg(QString::fromLatin1(bytes.toHex()));
}

TEST(SafetyCli, AReportIsNeverWrittenOverTheCompanysFilesNorIntoWhatIsNoFile)
{
    TDairy dairy;
    const QString tables = QDir(dairy.Dir()).filePath(fw::DatabaseFileName());
    const QString settings = QDir(dairy.Dir()).filePath(fw::CompanySettingsFile);
    {
        QFile f(settings);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Productie]\r\nLoturiExpirate=Exclude\r\n");
    }
    testsupport::TempDir elsewhere;
    const QString link = elsewhere.File("raport.pdf"); // a link to the company's tables
    ASSERT_TRUE(QFile::link(tables, link));
    const QString fifo = elsewhere.File("conducta.pdf");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString tablesBefore = Identity(tables), settingsBefore = Identity(settings), fifoBefore = Identity(fifo);
    const QString companyFile = QStringLiteral("unul dintre fisierele bazei de date din <%1>").arg(dairy.Dir());
    const struct {
        QStringList args;
        QString target;
        QString said;
    } cases[] = {
        {{"trace", "--from", "2026-01-01", "--to", "2026-12-31"}, tables, companyFile},
        {{"expiring", "--date", "2026-12-07"}, settings, companyFile},
        {{"recall", "--lot", "LC-1", "--forward"}, link, companyFile},
        {{"trace", "--from", "2026-01-01", "--to", "2026-12-31"}, fifo, "nu este un fisier obisnuit"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.args.first() + " --pdf " + c.target).toStdString());
        const TRun run = Corvanel(c.args + QStringList{"--company", dairy.Dir(), "--pdf", c.target});
        EXPECT_EQ(run.Status, 2) << Said(run);
        EXPECT_TRUE(run.Err.contains("<" + c.target + ">") && run.Err.contains(c.said)) << Said(run);
    }
    EXPECT_EQ(Identity(tables), tablesBefore);
    EXPECT_EQ(Identity(settings), settingsBefore);
    EXPECT_EQ(Identity(fifo), fifoBefore);
    const TRun requirement = Corvanel({"requirement", "--company", dairy.Dir(), "--counter", "1"});
    EXPECT_EQ(requirement.Status, 0) << Said(requirement); // the company is whole
}

TEST(SafetyCli, ASettingTheToolDoesNotKnowStopsItNamingTheFileTheKeyAndTheValuesAllowed)
{
    TDairy dairy;
    const QString settings = QDir(dairy.Dir()).filePath(fw::CompanySettingsFile);
    QFile f(settings);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Productie]\r\nLoturiExpirate=poate\r\n");
    f.close();
    const TRun run = Corvanel({"requirement", "--company", dairy.Dir(), "--counter", "1"});
    EXPECT_EQ(run.Status, 2) << Said(run);
    EXPECT_TRUE(run.Err.contains(QStringLiteral("Fisierul de setari <%1>, sectiunea [Productie]: cheia LoturiExpirate are "
                                                "valoarea \"poate\"")
                                     .arg(settings)))
        << Said(run);
    EXPECT_TRUE(run.Err.contains("Valorile permise: Consuma, Exclude.")) << Said(run);
    EXPECT_TRUE(run.Out.isEmpty()) << Said(run);
}

TEST(SafetyCli, AWarehouseTheCompanyLacksIsRefusedByExpiringAsByTrace)
{
    TDairy dairy;
    const TRun run = Corvanel({"expiring", "--company", dairy.Dir(), "--warehouses", "PF,ZZZ"});
    EXPECT_EQ(run.Status, 3) << Said(run);
    EXPECT_TRUE(run.Err.contains("Codul \"ZZZ\" din --warehouses nu exista in firma.")) << Said(run);
    EXPECT_TRUE(run.Out.isEmpty()) << Said(run);
}

TEST(SafetyCli, ARequirementWithALotBeyondANumberFailsAsTableAndAsCsv)
{
    TDairy dairy;
    fw::Connection::Open(dairy.Dir())->Exec("UPDATE Stoc SET Cantitate = 9e999 WHERE Lot = 'LC-2'");
    const TRun csv = Corvanel({"requirement", "--company", dairy.Dir(), "--counter", "1", "--csv"});
    const TRun table = Corvanel({"requirement", "--company", dairy.Dir(), "--counter", "1"});
    EXPECT_EQ(csv.Status, 2) << Said(csv);
    EXPECT_EQ(table.Status, 2) << Said(table);
    EXPECT_EQ(table.Err, csv.Err);
    EXPECT_FALSE(table.Out.contains("#EROARE")) << Said(table);
}

TEST(SafetyCli, AnEmptyDemoDirectoryIsRefusedNotTakenForTheCurrentOne)
{
    testsupport::TempDir here;
    QProcess run;
    run.setWorkingDirectory(here.Path());
    run.start(QString::fromUtf8(built::kCorvanelFile), {"demo", ""});
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 3) << run.readAllStandardError().toStdString();
    EXPECT_EQ(QDir(here.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{});
}

TEST(SafetyCli, ACompanyDirectoryTheUserMayNotEnterIsSaidToBeUnreadableNotMissing)
{
    TDairy dairy;
    // The superuser enters everything: the tool then runs as "nobody", whom the test's
    // private temporary folder keeps out; anyone else is kept out of the company itself.
    const bool superuser = ::geteuid() == 0;
    if (!superuser) {
        ASSERT_TRUE(QFile::setPermissions(dairy.Dir(), QFileDevice::WriteOwner));
    }
    QProcess run;
    if (superuser) {
        run.setChildProcessModifier([] {
            if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
                ::_exit(126);
        });
    }
    run.setWorkingDirectory(QStringLiteral("/"));
    run.start(QString::fromUtf8(built::kCorvanelFile), {"requirement", "--company", dairy.Dir(), "--counter", "1"});
    ASSERT_TRUE(run.waitForFinished(60000));
    const QString err = QString::fromUtf8(run.readAllStandardError());
    if (!superuser)
        QFile::setPermissions(dairy.Dir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(run.exitCode(), 2) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Directorul <%1> nu poate fi citit: nu aveti drept de acces la el").arg(dairy.Dir())))
        << err.toStdString();
}

} // namespace

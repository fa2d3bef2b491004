// "migrate": a company's tables copied to another database, or the company moved onto a
// server, by the tool run as a program.
#include "CliFixture.h"
#include "host/Company.h"
#include "host/CompanyMove.h"
#include "platform/config/FileLock.h"
#include "platform/db/Connection.h"
#include "platform/db/ServerDatabase.h"
#include "platform/schema/CompanyMigration.h"
#include "platform/schema/CompanyTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <gtest/gtest.h>

using namespace clitest;

namespace {

// An SQLite company with a few rows.
void MakeCompany(const QString& dir)
{
    for (const fw::TTableLayout& t : fw::HostTables())
        testsupport::CreateTable(dir, t.Name, t.Fields, t.Indexes);
    testsupport::OpenTable(dir, fw::GestDB)->AppendRecord({"_MP", "Materii prime"});
    testsupport::OpenTable(dir, fw::StocDB)->AppendRecord({12.5, ".LAPTE", "01", "_MP", 2.2, "L1", "ADM"});
}

QStringList Stock(const QString& dir) { return testsupport::RawTexts(dir, "SELECT Lot, Cantitate FROM Stoc"); }

QString ConnectionString(const fw::TServerDatabase& server)
{
    return QStringLiteral("host=%1 port=%2 dbname=%3 user=%4 schema=%5")
        .arg(server.Host)
        .arg(server.Port)
        .arg(server.Database, server.User, server.Schema);
}

// The files a company directory holds, but for its lock.
QStringList Files(const QString& dir)
{
    QStringList files = QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    files.removeAll(pelmaris::CompanyLockFile);
    return files;
}

TEST(MigrateCli, CopiesTheCompanyIntoTheDatabaseADirectoryNamesOrRefuses)
{
    testsupport::TempDir source;
    MakeCompany(source.Path());
    testsupport::DatabaseDir target;
    const TRun copied = Corvanel({"migrate", "--from", source.Path(), "--to", target.Path()});
    ASSERT_EQ(copied.Status, 0) << Said(copied);
    EXPECT_TRUE(copied.Out.contains("Stoc")) << Said(copied); // each table as it is begun
    EXPECT_EQ(Stock(target.Path()), QStringList{"L1 12.5"});
    EXPECT_EQ(Stock(source.Path()), QStringList{"L1 12.5"}); // where it was, as it was

    struct Case {
        QStringList args;
        int status;
        const char* told;
    } cases[] = {
        {{"--from", target.Path() + "/nu", "--to", target.Path()}, 3, "nu contine o firma"},
        {{"--from", source.Path(), "--to", source.Path() + "/nu"}, 3, "nu exista"},
        {{"--from", source.Path(), "--to", "host=x port=1"}, 3, "nu numeste baza de date"},
        // The destination holds the company already: nothing is overwritten.
        {{"--from", source.Path(), "--to", target.Path()}, 2, "contine deja tabela"},
    };
    for (const Case& c : cases) {
        const TRun refused = Corvanel(QStringList{"migrate"} + c.args);
        EXPECT_EQ(refused.Status, c.status) << Said(refused);
        EXPECT_TRUE(refused.Err.contains(c.told)) << Said(refused);
    }
    EXPECT_EQ(Stock(target.Path()), QStringList{"L1 12.5"});
}

TEST(MigrateCliOnServer, MovesTheCompanyOntoAServerUnlessSomeoneHasItOpen)
{
    if (!testsupport::OnServer())
        GTEST_SKIP() << "a company moved onto a server: runs with the PostgreSQL tests (cli.pg.)";
    testsupport::TempDir dir;
    MakeCompany(dir.Path());
    fw::TServerDatabase server = testsupport::NewServerSchema();
    const QString to = ConnectionString(server);
    {
        const auto held = pelmaris::HoldCompany(dir.Path()); // another program has it open
        const TRun refused = Corvanel({"migrate", "--from", dir.Path(), "--to", to});
        EXPECT_EQ(refused.Status, 4) << Said(refused);
        EXPECT_TRUE(QFileInfo::exists(dir.File("tables.sqlite")));
    }
    const TRun moved = Corvanel({"migrate", "--from", dir.Path(), "--to", to});
    ASSERT_EQ(moved.Status, 0) << Said(moved);
    EXPECT_TRUE(QFileInfo::exists(dir.File("firma.pgsql")));
    EXPECT_TRUE(QFileInfo::exists(dir.File("tables.sqlite.vechi")));
    EXPECT_FALSE(QFileInfo::exists(dir.File("tables.sqlite")));
    EXPECT_EQ(fw::Connection::Open(dir.Path())->Engine(), fw::TEngine::PostgreSQL);
    EXPECT_EQ(Stock(dir.Path()), QStringList{"L1 12.5"});
    testsupport::ForgetDatabase(dir.Path());
}

// A move killed at each point between its steps, then run again or the company opened:
// the company ends up in one place, the server, whenever the server had committed it.
TEST(MigrateCliOnServer, AMoveCutShortIsFinishedByTheNextRunOrOpening)
{
    if (!testsupport::OnServer())
        GTEST_SKIP() << "a company moved onto a server: runs with the PostgreSQL tests (cli.pg.)";
    const QStringList moved{"firma.pgsql", "tables.sqlite.vechi"};
    struct Case {
        const char* what;
        bool committed;                                // the server's copy went through
        std::function<void(const QString& dir)> then; // what else was done before the kill
        bool rerun;                                    // migrate again, else open the company
        int status;
        const char* told;
        QStringList files; // the directory afterwards
    } cases[] = {
        {"killed before the copy committed", false, [](const QString&) {}, true, 0, "este acum pe server", moved},
        {"killed after the commit", true, [](const QString&) {}, true, 0, "Mutarea intrerupta a fost incheiata", moved},
        {"killed once the connection file was in place", true,
         [](const QString& dir) { ASSERT_TRUE(QFile::rename(dir + "/.migrare/firma.pgsql", dir + "/firma.pgsql")); }, false, 3,
         "nu are articole", moved},
        // Something stands where the file is to go: an error, and the server stays the company's.
        {"a rename that fails", true, [](const QString& dir) { ASSERT_TRUE(QDir().mkpath(dir + "/tables.sqlite.vechi")); }, true, 2,
         "nu a putut fi redenumit", {".migrare", "firma.pgsql", "tables.sqlite", "tables.sqlite.vechi"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::TempDir dir;
        MakeCompany(dir.Path());
        const fw::TServerDatabase server = testsupport::NewServerSchema();
        const pelmaris::TStagedMove move = pelmaris::StageCompanyMove(dir.Path(), server);
        if (c.committed)
            fw::MigrateCompany(dir.Path(), move.Staging, {}, move.Id);
        c.then(dir.Path());
        const TRun run = c.rerun ? Corvanel({"migrate", "--from", dir.Path(), "--to", ConnectionString(server)})
                                 : Corvanel({"index-prices", "--company", dir.Path(), "--group", "99", "--percent", "5"});
        EXPECT_EQ(run.Status, c.status) << Said(run);
        EXPECT_TRUE(run.Err.contains(c.told)) << Said(run);
        EXPECT_EQ(Files(dir.Path()), c.files);
        EXPECT_EQ(fw::Connection::Open(dir.Path())->Engine(), fw::TEngine::PostgreSQL);
        EXPECT_EQ(Stock(dir.Path()), QStringList{"L1 12.5"});
        testsupport::ForgetDatabase(dir.Path());
    }
}

} // namespace

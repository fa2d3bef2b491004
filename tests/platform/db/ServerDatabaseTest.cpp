// A company directory naming a server's database: its connection file, and what a user
// who may only read the company's tables on the server gets.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/DbMessages.h"
#include "platform/db/PgConnection.h"
#include "platform/db/ServerDatabase.h"

#include <QFile>
#include <QThread>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <unistd.h>

using namespace fw;
using namespace testsupport;

namespace {

TEST(ServerDatabase, TheConnectionFileNamesTheDatabaseAndNeverAPassword)
{
    TempDir dir;
    EXPECT_FALSE(TServerDatabase::Read(dir.Path()).has_value()); // an SQLite company's directory

    TServerDatabase server;
    server.Host = "depozit.local";
    server.Port = 5433;
    server.Database = "fabrica";
    server.User = "ion";
    server.Schema = "Lactate";
    server.Write(dir.Path());
    const std::optional<TServerDatabase> read = TServerDatabase::Read(dir.Path());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Describe(), "depozit.local:5433/fabrica.lactate");
    EXPECT_EQ(read->User, "ion");
    QFile file(dir.File("firma.pgsql"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("password"));

    // A file naming no database is refused with its name.
    QFile bad(dir.File("firma.pgsql"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write("[PostgreSQL]\nhost=depozit\n");
    bad.close();
    EXPECT_THROW(TServerDatabase::Read(dir.Path()), EDatabaseError);
    EXPECT_TRUE(Connection::HasDatabase(dir.Path()));

    // A database name beginning with U+FEFF reads back whole (it was once taken for a byte
    // order mark and dropped).
    server = TServerDatabase::FromConnectionString(QString::fromUtf8("dbname=\xEF\xBB\xBF" "bem=a\\ b"));
    server.Write(dir.Path());
    EXPECT_EQ(TServerDatabase::Read(dir.Path())->Database, QChar(0xFEFF) + QStringLiteral("bem=a b"));

    struct Case {
        const char* text;
        const char* described;
        const char* user;
    } cases[] = {
        {"host=127.0.0.1 port=5432 dbname=postgres user=corvanel", "127.0.0.1:5432/postgres", "corvanel"},
        {"dbname='fabrica de lapte' user=ion schema=Lactate", "localhost/fabrica de lapte.lactate", "ion"},
        {"  host = srv   dbname=x\\'y  ", "srv/x'y", ""}, // a backslash takes the next character as it is
    };
    for (const Case& c : cases) {
        const TServerDatabase s = TServerDatabase::FromConnectionString(c.text);
        EXPECT_EQ(s.Describe(), c.described) << c.text;
        EXPECT_EQ(s.User, c.user) << c.text;
    }
}

TEST(ServerDatabase, EveryConnectionKeywordIsKeptAndWhatTheClientWouldNotTakeIsRefused)
{
    // Kept in the order given, through the connection file, which still reads as before.
    const TServerDatabase server = TServerDatabase::FromConnectionString(
        "host=srv port=24317 dbname=fabrica sslmode=require options='-c statement_timeout=5s' application_name=lapte");
    EXPECT_EQ(server.Port, 24317);
    const std::vector<std::pair<QString, QString>> options{
        {"sslmode", "require"}, {"options", "-c statement_timeout=5s"}, {"application_name", "lapte"}};
    EXPECT_EQ(server.Options, options);
    TempDir dir;
    server.Write(dir.Path());
    EXPECT_EQ(TServerDatabase::Read(dir.Path())->Options, options);

    struct Case {
        const char* text;
        const char* message;
    } refused[] = {
        {"host=srv port=24317 abc dbname=f", "Sirul de conectare nu este valid: 'abc' nu este de forma cheie=valoare."},
        {"dbname=f port=24317x", "Sirul de conectare nu este valid: '24317x' nu este o valoare valida pentru cheia port "
                                 "(se asteapta un numar de port intre 1 si 65535)."},
        {"dbname=f sslmode=sometimes", "Sirul de conectare nu este valid: 'sometimes' nu este o valoare valida pentru "
                                       "cheia sslmode (se asteapta una dintre: disable, allow, prefer, require, "
                                       "verify-ca, verify-full)."},
        {"dbname=f password=secret", "Sirul de conectare nu este valid: parola nu se scrie aici (cheia password): "
                                     "clientul serverului o ia din fisierul ~/.pgpass al utilizatorului sau din "
                                     "variabila de mediu PGPASSWORD."},
        {"dbname=f hots=srv", "Sirul de conectare nu este valid: 'hots' nu este o cheie de conectare PostgreSQL (de "
                              "exemplu host, port, dbname, user, sslmode, options; si schema)."},
        {"dbname='fabrica", "Sirul de conectare nu este valid: valoarea cheii dbname incepe cu un apostrof care nu "
                            "este inchis."},
        {"dbname=f dbname=g", "Sirul de conectare nu este valid: cheia dbname apare de doua ori."},
        {"dbname=f connect_timeout=zece", "Sirul de conectare nu este valid: 'zece' nu este o valoare valida pentru "
                                          "cheia connect_timeout (se asteapta un numar intreg)."},
    };
    for (const Case& c : refused) {
        try {
            TServerDatabase::FromConnectionString(c.text);
            ADD_FAILURE() << c.text << " accepted";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), c.message) << c.text << "\n" << e.Message().toStdString();
        }
    }

    // The same rules for the connection file, which is named.
    QFile file(dir.File("firma.pgsql"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[PostgreSQL]\nhost=srv\nport=24317 abc\ndatabase=fabrica\n");
    file.close();
    try {
        TServerDatabase::Read(dir.Path());
        ADD_FAILURE() << "a port with garbage after it accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Fisierul de conectare <%1> nu este valid: '24317 abc' nu este o valoare "
                                              "valida pentru cheia port (se asteapta un numar de port intre 1 si 65535).")
                                   .arg(dir.File("firma.pgsql")));
    }
    // A keyword given twice, as in a connection string: the first is not taken unseen.
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[PostgreSQL]\nhost=srv\nport=24317\ndatabase=fabrica\nPort=5432\n");
    file.close();
    try {
        TServerDatabase::Read(dir.Path());
        ADD_FAILURE() << "a second port accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Fisierul de conectare <%1> nu este valid: cheia port apare de doua ori.")
                                   .arg(dir.File("firma.pgsql")));
    }
}

TEST(ServerDatabaseOnServer, TheConnectionKeywordsReachTheServer)
{
    if (!OnServer())
        GTEST_SKIP() << "a server's connection: runs with the PostgreSQL tests";
    DatabaseDir dir;
    CreateTable(dir.Path(), "Gest.DB", {{"Cod", TFieldType::String, 4}}, {}, {{"_MP"}});
    TServerDatabase server = *TServerDatabase::Read(dir.Path());
    TempDir other;
    server.Options = {{"options", "-c statement_timeout=4321"}, {"application_name", "corvanel 'lapte'"}};
    server.Write(other.Path());
    {
        auto conn = Connection::Open(other.Path());
        QStringList settings;
        conn->ForEachRow("SELECT current_setting('statement_timeout'), current_setting('application_name')", {},
                         [&](const NativeRow& r) { settings << r.Value(0).toString() << r.Value(1).toString(); });
        EXPECT_EQ(settings, (QStringList{"4321ms", "corvanel 'lapte'"}));
    }
    // The test server speaks no SSL: a company that requires it is not reached in plain text.
    server.Options = {{"sslmode", "require"}};
    server.Write(other.Path());
    try {
        Connection::Open(other.Path());
        ADD_FAILURE() << "connected without SSL";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Serverul bazei de date <%1> nu poate fi contactat: conexiunea "
                                                          "criptata (SSL) ceruta nu a putut fi stabilita.")
                                               .arg(server.Describe())))
            << e.Message().toStdString();
    }
}

TEST(ServerDatabaseOnServer, AUserWhoMayOnlyReadTheTablesHasTheCompanyReadOnly)
{
    if (!OnServer())
        GTEST_SKIP() << "users of a server: runs with the PostgreSQL tests";
    DatabaseDir dir;
    CreateTable(dir.Path(), "Gest.DB", {{"Cod", TFieldType::String, 4}}, {{"", "Cod", TIndexOption::Primary}}, {{"_MP"}});
    const TServerDatabase server = *TServerDatabase::Read(dir.Path());
    auto owner = Connection::Open(dir.Path());
    owner->Exec("DROP ROLE IF EXISTS corvanel_reader");
    owner->Exec("CREATE ROLE corvanel_reader LOGIN");
    owner->Exec(QStringLiteral("GRANT USAGE ON SCHEMA \"%1\" TO corvanel_reader").arg(server.SchemaName()));
    owner->Exec(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA \"%1\" TO corvanel_reader").arg(server.SchemaName()));

    TempDir readerDir;
    TServerDatabase reader = server;
    reader.User = "corvanel_reader";
    reader.Write(readerDir.Path());
    {
        auto conn = Connection::Open(readerDir.Path(), TOpenMode::Existing, {"Gest.DB"});
        EXPECT_TRUE(conn->ReadOnly());
        auto stores = OpenTable(readerDir.Path(), "Gest.DB");
        EXPECT_EQ(Column(*stores, "Cod"), QStringList{"_MP"});
        try {
            stores->AppendRecord({"_FRG"});
            ADD_FAILURE() << "written by a user who may only read";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.Message(), dbmsg::ReadOnlyDatabase());
        }
    }
    owner->Exec(QStringLiteral("REVOKE ALL ON ALL TABLES IN SCHEMA \"%1\" FROM corvanel_reader").arg(server.SchemaName()));
    owner->Exec(QStringLiteral("REVOKE ALL ON SCHEMA \"%1\" FROM corvanel_reader").arg(server.SchemaName()));
    owner->Exec("DROP ROLE corvanel_reader");
}

TEST(ServerDatabaseOnServer, AConnectionTheServerDroppedIsMadeAgainForTheNextStatement)
{
    if (!OnServer())
        GTEST_SKIP() << "a server's connection: runs with the PostgreSQL tests";
    DatabaseDir dir;
    CreateTable(dir.Path(), "Gest.DB", {{"Cod", TFieldType::String, 4}}, {}, {{"_MP"}});
    auto conn = Connection::Open(dir.Path());
    const qint64 pid = conn->ScalarInt("SELECT pg_backend_pid()", {});
    // The server goes away under this connection (restarted, or the connection cut).
    {
        QSqlDatabase other = OtherConnection(dir.Path(), "terminator");
        QSqlQuery(other).exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(pid));
    }
    QSqlDatabase::removeDatabase("terminator");
    try {
        conn->ScalarInt("SELECT count(*) FROM gest", {});
        ADD_FAILURE() << "a statement on a dropped connection";
    } catch (const EDatabaseError& e) {
        // What happened and what to do, without the client's English lines.
        EXPECT_EQ(e.Message(), dbmsg::ServerConnectionLost(TServerDatabase::Read(dir.Path())->Describe()));
    }
    EXPECT_EQ(conn->ScalarInt("SELECT count(*) FROM gest", {}), 1);
    const qint64 again = conn->ScalarInt("SELECT pg_backend_pid()", {});
    EXPECT_NE(again, pid);
    EXPECT_EQ(Column(*OpenTable(dir.Path(), "Gest.DB"), "Cod"), QStringList{"_MP"});
    // Cut in a transaction, a batch of writes says so, and nothing of the transaction stays.
    conn->Begin();
    conn->ForEachRowOf({{"INSERT INTO gest (cod) VALUES (?)", {"_A"}}}, {});
    {
        QSqlDatabase other = OtherConnection(dir.Path(), "terminator");
        QSqlQuery(other).exec(QStringLiteral("SELECT pg_terminate_backend(%1)").arg(again));
    }
    QSqlDatabase::removeDatabase("terminator");
    const std::vector<TStatement> batch(3, TStatement{"INSERT INTO gest (cod) VALUES (?)", {"_B"}});
    try {
        conn->ForEachRowOf(batch, {});
        ADD_FAILURE() << "a batch on a dropped connection";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), dbmsg::ServerConnectionLost(TServerDatabase::Read(dir.Path())->Describe()));
    }
    conn->Rollback(); // as the transaction's owner does after the failure
    EXPECT_EQ(conn->ForEachRowOf(batch, {}), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(Column(*OpenTable(dir.Path(), "Gest.DB"), "Cod"), (QStringList{"_MP", "_B", "_B", "_B"}));
}

// The reply to COMMIT lost on the way: the program asks the server what became of the
// transaction and says that, rather than "not saved" for what the server saved.
TEST(ServerDatabaseOnServer, ACommitWhoseReplyIsLostIsReportedAsTheServerDecidedIt)
{
    if (!OnServer())
        GTEST_SKIP() << "a server's connection: runs with the PostgreSQL tests";
    DatabaseDir dir;
    CreateTable(dir.Path(), "Gest.DB", {{"Cod", TFieldType::String, 4}}, {}, {{"_MP"}});
    auto conn = Connection::Open(dir.Path());
    // The connection's socket put out of reach: as a network gone, for the program; the
    // server sees its client gone.
    const auto cutAt = [&](PgConnection::TCommitStage when) {
        PgConnection::SetCommitInterruption([when, &dir](PgConnection::TCommitStage stage, int socket, int process) {
            if (stage != when)
                return;
            if (stage == PgConnection::TCommitStage::AfterSend) {
                // Cut once the server has committed and waits for the next statement.
                QSqlDatabase other = OtherConnection(dir.Path(), "watcher");
                for (int i = 0; i < 500; ++i) {
                    QSqlQuery q(other);
                    q.exec(QStringLiteral("SELECT state FROM pg_stat_activity WHERE pid = %1").arg(process));
                    if (q.next() && q.value(0).toString() == "idle")
                        break;
                    QThread::msleep(10);
                }
                other = QSqlDatabase();
                QSqlDatabase::removeDatabase("watcher");
            }
            // A socket whose other end is closed: nothing more is read, nothing sent arrives.
            int ends[2];
            ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
            close(ends[1]);
            dup2(ends[0], socket);
            close(ends[0]);
        });
    };
    const auto insert = [&](const char* code) {
        conn->Begin();
        conn->Exec("INSERT INTO gest (cod) VALUES (?)", {QString::fromLatin1(code)});
        conn->Commit();
    };
    const qint64 before = conn->ScalarInt("SELECT pg_backend_pid()", {});
    cutAt(PgConnection::TCommitStage::AfterSend);
    insert("_A"); // saved: no error
    EXPECT_NE(conn->ScalarInt("SELECT pg_backend_pid()", {}), before); // asked on a connection made again
    cutAt(PgConnection::TCommitStage::BeforeSend);
    try {
        insert("_B");
        ADD_FAILURE() << "a commit never sent reported as saved";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), dbmsg::ServerConnectionLost(TServerDatabase::Read(dir.Path())->Describe()));
        conn->Rollback(); // as the transaction's owner does
    }
    PgConnection::SetCommitInterruption({});
    insert("_C");
    EXPECT_EQ(Column(*OpenTable(dir.Path(), "Gest.DB"), "Cod"), (QStringList{"_MP", "_A", "_C"}));
}

} // namespace

// What the engines report reaches the user in the user's words (Romanian), saying what
// happened and what to do: never the engine's own English text.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/ServerDatabase.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

template <typename F>
QString DatabaseErrorOf(F call)
{
    try {
        call();
    } catch (const EDatabaseError& e) {
        return e.Message();
    }
    return QStringLiteral("(nicio eroare)");
}

TEST(EngineMessages, ATableThatIsNotThereIsNamed)
{
    DatabaseDir dir;
    const auto db = Connection::Open(dir.Path(), TOpenMode::CreateMissing);
    const QString said = DatabaseErrorOf([&] { db->Exec(QStringLiteral("SELECT * FROM Lipsa")); });
    EXPECT_TRUE(said.startsWith(QStringLiteral("Tabela lipsa nu exista in baza de date"), Qt::CaseInsensitive))
        << said.toStdString();
    for (const char* english : {"no such table", "does not exist", "relation"})
        EXPECT_FALSE(said.contains(english, Qt::CaseInsensitive)) << said.toStdString();
}

TEST(EngineMessages, AServerThatRefusesTheConnectionIsSaidSo)
{
    TempDir dir;
    TServerDatabase server;
    server.Host = QStringLiteral("127.0.0.1");
    server.Port = 1; // nothing listens there
    server.Database = QStringLiteral("fabrica");
    server.Write(dir.Path());
    EXPECT_EQ(DatabaseErrorOf([&] { Connection::Open(dir.Path()); }),
              QStringLiteral("Serverul bazei de date <127.0.0.1:1/fabrica> nu poate fi contactat: serverul nu primeste "
                             "conexiuni (nu este pornit, sau asculta pe alt port).\rPorniti serverul sau corectati host= si "
                             "port= in fisierul de conectare al firmei."));
}

TEST(EngineMessages, AFileDamagedWhereOpeningReadsIsSaidToBeDamaged)
{
    if (OnServer())
        GTEST_SKIP() << "the embedded engine's file";
    // The page that lists the tables, and the text of a table's definition.
    for (const auto& [what, damage] :
         {std::pair{"database disk image is malformed", std::function<void(QByteArray&)>([](QByteArray& bytes) {
              bytes.replace(100, 8, QByteArray(8, '\xFF'));
          })},
          {"malformed database schema", std::function<void(QByteArray&)>([](QByteArray& bytes) {
               const qsizetype at = bytes.indexOf("CREATE TABLE");
               ASSERT_GE(at, 0);
               bytes.replace(at, 6, "CREATX");
           })}}) {
        SCOPED_TRACE(what);
        TempDir dir;
        Connection::Open(dir.Path(), TOpenMode::CreateMissing)->Exec(QStringLiteral("CREATE TABLE T (A INTEGER)"));
        const QString file = dir.File(DatabaseFileName());
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll();
        damage(bytes);
        f.seek(0);
        f.write(bytes);
        f.close();
        try {
            Connection::Open(dir.Path());
            ADD_FAILURE() << "opened";
        } catch (const EDatabaseDamaged& e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Baza de date a firmei (<%1>) este deteriorata").arg(file)))
                << e.Message().toStdString();
            EXPECT_FALSE(e.Message().contains("malformed")) << e.Message().toStdString();
        }
    }
}

TEST(EngineMessagesOnServer, AStatementStoppedByItsTimeLimitAndASchemaNameOfTheServersAreSaid)
{
    if (!OnServer())
        GTEST_SKIP() << "a server's limits and names: runs with the PostgreSQL tests";
    DatabaseDir dir;
    const auto db = Connection::Open(dir.Path());
    const QString server = TServerDatabase::Read(dir.Path())->Describe();
    db->Exec(QStringLiteral("SET statement_timeout TO 50"));
    EXPECT_EQ(DatabaseErrorOf([&] { db->Exec(QStringLiteral("SELECT pg_sleep(5)")); }),
              QStringLiteral("Serverul <%1> a oprit operatia: a durat mai mult decat ii permite limita de timp "
                             "(statement_timeout). Nimic din ea nu a fost salvat.\rReluati operatia cand serverul este mai "
                             "putin ocupat, sau cereti administratorului serverului o limita mai mare.")
                  .arg(server));
    db->Exec(QStringLiteral("SET statement_timeout TO 0"));

    TempDir reserved;
    TServerDatabase named = NewServerSchema();
    named.Schema = QStringLiteral("pg_lapte");
    named.Write(reserved.Path());
    EXPECT_EQ(DatabaseErrorOf([&] { Connection::Open(reserved.Path(), TOpenMode::CreateMissing); }),
              QStringLiteral("Numele de schema pg_lapte nu poate fi folosit pe serverul <%1>: numele care incep cu "
                             "\"pg_\" sunt ale serverului.\rAlegeti alt nume (schema=) in fisierul de conectare al "
                             "firmei.")
                  .arg(named.Describe()));
}

} // namespace

// Writers that meet: rows read to decide a write wait for another user's transaction and
// then show what it wrote; a transaction the engine fails because it met another one runs
// again by itself.
#include "DbFixture.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/Table.h"

#include <QSqlError>
#include <QSqlQuery>
#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace fw;
using namespace testsupport;

namespace {

// Another program, on a thread of its own with its own connection: runs its statements
// in one transaction, telling when it holds its locks and waiting to be let go before it
// writes the rest and commits.
class OtherWriter {
public:
    OtherWriter(const QString& dir, QStringList first, QStringList rest)
    {
        thread_ = std::thread([this, dir, first = std::move(first), rest = std::move(rest)] {
            const QString name = QStringLiteral("other-writer");
            {
                QSqlDatabase db = OtherConnection(dir, name);
                QSqlQuery q(db);
                auto run = [&](const QString& sql) {
                    if (!q.exec(sql))
                        error_ += sql + QStringLiteral(": ") + q.lastError().text() + QLatin1Char('\n');
                };
                run(OnServer() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
                for (const QString& sql : first)
                    run(sql);
                holding_.set_value();
                go_.get_future().wait();
                for (const QString& sql : rest)
                    run(sql);
                run(QStringLiteral("COMMIT"));
            }
            QSqlDatabase::removeDatabase(name);
        });
        holding_.get_future().wait();
    }
    // Lets it go on after `ms`, from a thread of its own, while this one is blocked.
    void GoOnAfter(int ms)
    {
        timer_ = std::thread([this, ms] {
            std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            go_.set_value();
        });
    }
    QString Finish()
    {
        if (!timer_.joinable())
            go_.set_value();
        else
            timer_.join();
        thread_.join();
        return error_;
    }
    ~OtherWriter()
    {
        if (thread_.joinable())
            Finish();
    }

private:
    std::thread thread_, timer_;
    std::promise<void> holding_, go_;
    QString error_;
};

class OtherWriters : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateTable(dir.Path(), "COUNTER.DB", {{"NewCounterIn", TFieldType::Float}, {"NewCounterOut", TFieldType::Float}}, {},
                    {{7.0, 10.0}});
        CreateTable(dir.Path(), "Stoc.DB", {{"Lot", TFieldType::String, 8}, {"Cantitate", TFieldType::Float}}, {},
                    {{"A", 5.0}, {"B", 5.0}, {"C", 5.0}});
    }
    QVariantList Raw(const QString& sql) const { return RawColumn(dir.Path(), sql); }
    DatabaseDir dir;
};

TEST_F(OtherWriters, ACounterReadForUpdateWaitsForAnotherWriterAndTakesTheNextNumber)
{
    // Another program has raised the counter and not committed yet.
    OtherWriter other(dir.Path(), {"UPDATE COUNTER SET NewCounterOut = NewCounterOut + 1"}, {});
    other.GoOnAfter(300);
    {
        TTransaction tx(Connection::Open(dir.Path()));
        TTable counter;
        counter.SetDatabaseName(dir.Path());
        counter.SetTableName("COUNTER.DB");
        counter.SetReadForUpdate(true);
        counter.Open(); // waits, then shows 11
        counter.Edit();
        counter.FieldByName("NewCounterOut")->SetAsFloat(counter.FieldByName("NewCounterOut")->AsFloat() + 1);
        counter.Post();
        tx.Commit();
    }
    EXPECT_EQ(other.Finish(), "");
    EXPECT_EQ(Raw("SELECT NewCounterOut FROM COUNTER"), (QVariantList{12.0}));
}

// Only a server lets two writers in at once, so only there can they deadlock.
using OtherWritersOnServer = OtherWriters;

TEST_F(OtherWritersOnServer, AWriteTheEngineFailsForMeetingAnotherTransactionRunsAgain)
{
    if (!OnServer())
        GTEST_SKIP() << "the embedded engine lets one writer in at a time: writers never deadlock";
    // This connection looks for the deadlock first and is the one the server fails.
    auto conn = Connection::Open(dir.Path());
    conn->Exec("SET deadlock_timeout TO '1500ms'");
    // This program writes lot A, then B; the other one has written B and then wants A.
    auto writeAThenB = [](Connection& c) {
        c.Exec(QStringLiteral("UPDATE Stoc SET Cantitate = Cantitate + 1 WHERE Lot = 'A'"));
        c.Exec(QStringLiteral("UPDATE Stoc SET Cantitate = Cantitate + 1 WHERE Lot = 'B'"));
    };
    struct Case {
        const char* what;
        std::function<void(TTable& lots, int& runs)> write;
        double c; // lot C afterwards
    } cases[] = {
        {"a row with its own writes",
         [&](TTable& lots, int& runs) {
             lots.BeforeWrite = [&](TDataSet*, TUpdateKind) {
                 ++runs;
                 writeAThenB(*lots.GetConnection());
             };
             lots.Locate("Lot", {"C"});
             lots.Edit();
             lots.FieldByName("Cantitate")->SetAsFloat(lots.FieldByName("Cantitate")->AsFloat() + 1);
             lots.Post();
         },
         6},
        {"a transaction of several writes",
         [&](TTable& lots, int& runs) {
             RunTransaction(lots.GetConnection(), [&] {
                 ++runs;
                 writeAThenB(*lots.GetConnection());
             });
         },
         5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        conn->Exec("UPDATE Stoc SET Cantitate = 5");
        auto lots = OpenTable(dir.Path(), "Stoc.DB", "Lot");
        int runs = 0;
        OtherWriter other(dir.Path(), {"SET deadlock_timeout TO '10s'", "UPDATE Stoc SET Cantitate = Cantitate + 10 WHERE Lot = 'B'"},
                          {"UPDATE Stoc SET Cantitate = Cantitate + 10 WHERE Lot = 'A'"});
        other.GoOnAfter(100);
        c.write(*lots, runs);
        EXPECT_EQ(other.Finish(), "");
        EXPECT_EQ(runs, 2);
        // Both programs' changes are there, each once.
        EXPECT_EQ(Raw("SELECT Cantitate FROM Stoc ORDER BY Lot"), (QVariantList{16.0, 16.0, c.c}));
        EXPECT_EQ(conn->TransactionDepth(), 0);
    }
}

} // namespace

// A row written by a post is the row the dataset then shows, read back as stored; a write
// the engine refuses leaves nothing behind, not even a transaction held open; the values a
// post compares with the stored ones match whatever their characters and length.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Table.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

class RowWrite : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateTable(dir.Path(), "Stoc.DB",
                    {{"Lot", TFieldType::String, 8}, {"Cantitate", TFieldType::Float}, {"Agent", TFieldType::String, 3}},
                    {{"", "Lot", TIndexOption::Primary | TIndexOption::Unique}}, {{"L1", 5.0, "ADM"}, {"L2", 10.0, "ADM"}});
    }
    // Another program's statement, through a connection of its own; whether it ran.
    bool OtherProgram(const QString& sql)
    {
        bool ran = false;
        {
            QSqlQuery q(OtherConnection(dir.Path(), QStringLiteral("row-write-other")));
            ran = q.exec(sql);
        }
        QSqlDatabase::removeDatabase(QStringLiteral("row-write-other"));
        return ran;
    }
    DatabaseDir dir;
};

TEST_F(RowWrite, ARefusedWriteLeavesNothingAndHoldsNoTransaction)
{
    auto t = OpenTable(dir.Path(), "Stoc.DB");
    for (const char* when : {"BEFORE UPDATE", "AFTER UPDATE"}) {
        SCOPED_TRACE(when);
        AddRefusingTrigger(dir.Path(), "Stoc", QString::fromLatin1(when), "disk full");
        ASSERT_TRUE(t->FindKey({"L1"}));
        t->Edit();
        t->FieldByName("Cantitate")->SetAsFloat(6);
        EXPECT_THROW(t->Post(), EDatabaseError);
        t->Cancel();
        DropRefusingTrigger(dir.Path(), "Stoc");
        EXPECT_EQ(Connection::Open(dir.Path())->TransactionDepth(), 0);
        // Another program writes at once: nothing of the refused write holds the file.
        EXPECT_TRUE(OtherProgram("UPDATE Stoc SET Agent = 'OPR' WHERE Lot = 'L2'"));
        EXPECT_EQ(RawTexts(dir.Path(), "SELECT Lot, Cantitate, Agent FROM Stoc ORDER BY Lot"),
                  (QStringList{"L1 5.0 ADM", "L2 10.0 OPR"}));
        OtherProgram("UPDATE Stoc SET Agent = 'ADM' WHERE Lot = 'L2'");
    }
    // Refused new row: neither it nor a transaction stays.
    AddRefusingTrigger(dir.Path(), "Stoc", "BEFORE INSERT", "disk full");
    t->Append();
    t->FieldByName("Lot")->SetAsString("L3");
    EXPECT_THROW(t->Post(), EDatabaseError);
    t->Cancel();
    EXPECT_TRUE(OtherProgram("UPDATE Stoc SET Agent = 'SEF' WHERE Lot = 'L1'"));
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Stoc").value(0).toInt(), 2);
}

TEST_F(RowWrite, APostInsideATransactionGoesWithIt)
{
    auto conn = Connection::Open(dir.Path());
    auto t = OpenTable(dir.Path(), "Stoc.DB");
    conn->Begin();
    ASSERT_TRUE(t->FindKey({"L1"}));
    t->Edit();
    t->FieldByName("Cantitate")->SetAsFloat(6);
    t->Post();
    t->Append();
    t->FieldByName("Lot")->SetAsString("L3");
    t->FieldByName("Cantitate")->SetAsFloat(1);
    t->Post();
    // Shown as written, before the transaction ends.
    EXPECT_EQ(t->FieldByName("Lot")->AsString(), "L3");
    EXPECT_EQ(t->FieldByName("Cantitate")->AsFloat(), 1.0);
    conn->Rollback();
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Lot, Cantitate FROM Stoc ORDER BY Lot"), (QStringList{"L1 5.0", "L2 10.0"}));
    conn->Begin();
    ASSERT_TRUE(t->FindKey({"L2"}));
    t->Edit();
    t->FieldByName("Cantitate")->SetAsFloat(11);
    t->Post();
    conn->Commit();
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Lot, Cantitate FROM Stoc ORDER BY Lot"), (QStringList{"L1 5.0", "L2 11.0"}));
}

TEST_F(RowWrite, ANewRowIsReadBackEvenWhenItsWriteAddsRowsElsewhere)
{
    // Another table's rows made by the engine as the new row is inserted: the row read back
    // is the one the dataset inserted, not the last the engine made.
    if (OnServer())
        GTEST_SKIP() << "the embedded engine's own trigger";
    auto conn = Connection::Open(dir.Path());
    conn->Exec("CREATE TABLE Jurnal (Nr INTEGER PRIMARY KEY, Lot VARCHAR(8))");
    conn->Exec("INSERT INTO Jurnal VALUES (500, 'X')");
    conn->Exec("CREATE TRIGGER StocJurnal AFTER INSERT ON Stoc BEGIN INSERT INTO Jurnal (Lot) VALUES (NEW.Lot); END");
    auto t = OpenTable(dir.Path(), "Stoc.DB");
    t->Append();
    t->FieldByName("Lot")->SetAsString("L3");
    t->FieldByName("Cantitate")->SetAsFloat(3);
    t->Post();
    EXPECT_EQ(t->FieldByName("Lot")->AsString(), "L3");
    EXPECT_EQ(t->FieldByName("Cantitate")->AsFloat(), 3.0);
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Nr, Lot FROM Jurnal ORDER BY Nr"), (QStringList{"500 X", "501 L3"}));
    // Changed at once, it is the row found by its identity.
    t->Edit();
    t->FieldByName("Agent")->SetAsString("OPR");
    t->Post();
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Lot, Cantitate, Agent FROM Stoc ORDER BY Lot"),
              (QStringList{"L1 5.0 ADM", "L2 10.0 ADM", "L3 3.0 OPR"}));
}

TEST_F(RowWrite, StoredTextsOfAnyCharactersAndLengthStillMatchWhenTheRowIsChanged)
{
    // Texts another program stored (beyond the field's width too, where the engine takes
    // that): an edit of another field compares them with what is stored and finds them
    // unchanged.
    std::vector<QString> agents{QStringLiteral("ăș"), QString(), QStringLiteral("a\u0001z")};
    if (!OnServer()) {
        agents.push_back(QString(256, QLatin1Char('a')));
        agents.push_back(QString(256, QLatin1Char('b')) + QLatin1Char('c'));
        agents.push_back(QString(300, QChar(0x0103))); // ă
    }
    for (size_t i = 0; i < agents.size(); ++i)
        ASSERT_TRUE(OtherProgram(QStringLiteral("INSERT INTO Stoc (Lot, Cantitate, Agent) VALUES ('N%1', 1, '%2')")
                                     .arg(i)
                                     .arg(agents[i])));
    auto t = OpenTable(dir.Path(), "Stoc.DB");
    for (size_t i = 0; i < agents.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(t->FindKey({QStringLiteral("N%1").arg(i)}));
        t->Edit();
        t->FieldByName("Cantitate")->SetAsFloat(2);
        EXPECT_NO_THROW(t->Post());
        EXPECT_EQ(t->FieldByName("Cantitate")->AsFloat(), 2.0);
    }
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Stoc WHERE Cantitate = 2").value(0).toInt(), int(agents.size()));
    for (size_t i = 0; i < agents.size(); ++i)
        EXPECT_EQ(RawColumn(dir.Path(), QStringLiteral("SELECT Agent FROM Stoc WHERE Lot = 'N%1'").arg(i)).value(0).toString(),
                  agents[i]);
}

TEST_F(RowWrite, APostAfterTheOrderChangedKeepsTheRowInItsNewPlace)
{
    // The fields leave out the column the new order reads, so the order adds it to the
    // columns read with each row: a post made after the change reads its row back with it.
    OtherProgram("UPDATE Stoc SET Agent = 'CAR' WHERE Lot = 'L1'");
    OtherProgram("INSERT INTO Stoc (Lot, Cantitate, Agent) VALUES ('L3', 1, 'BOB')");
    TTable t;
    t.SetDatabaseName(dir.Path());
    t.SetTableName("Stoc.DB");
    t.AddField("Lot", TFieldType::String, 8);
    t.AddField("Cantitate", TFieldType::Float);
    t.Open();
    ASSERT_TRUE(t.FindKey({"L2"}));
    t.Edit();
    t.FieldByName("Cantitate")->SetAsFloat(11);
    t.Post(); // the write for this set of fields made once
    t.SetIndexFieldNames("Agent"); // L2 (ADM), L3 (BOB), L1 (CAR)
    t.First();
    t.Next();
    ASSERT_EQ(t.FieldByName("Lot")->AsString(), "L3");
    t.Edit();
    t.FieldByName("Cantitate")->SetAsFloat(2);
    t.Post();
    EXPECT_EQ(t.FieldByName("Lot")->AsString(), "L3");
    t.Next();
    EXPECT_EQ(t.FieldByName("Lot")->AsString(), "L1");
    t.Prior();
    t.Prior();
    EXPECT_EQ(t.FieldByName("Lot")->AsString(), "L2");
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Lot, Cantitate, Agent FROM Stoc ORDER BY Lot"),
              (QStringList{"L1 5.0 CAR", "L2 11.0 ADM", "L3 2.0 BOB"}));
}

} // namespace

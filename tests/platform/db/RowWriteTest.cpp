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

// On the embedded engine a post that changes a row writes it alone, without reading it
// back, where the engine stores every value as bound. Where the table's rules store
// something else, the record must show what the engine stored.
class RowWriteAsStored : public RowWrite {
protected:
    void SetUp() override
    {
        if (OnServer())
            GTEST_SKIP() << "the embedded engine's triggers and column types";
        RowWrite::SetUp();
    }
    // Changes L1's quantity through `t` and posts.
    static void ChangeQuantity(TTable& t, double quantity)
    {
        ASSERT_TRUE(t.FindKey({"L1"}));
        t.Edit();
        t.FieldByName("Cantitate")->SetAsFloat(quantity);
        t.Post();
    }
};

TEST_F(RowWriteAsStored, ATriggerAddedBetweenTwoPostsIsSeenByTheSecond)
{
    // By another program, then by this connection itself: each changes the row after the
    // update, and the post after it shows the row as the trigger left it.
    auto t = OpenTable(dir.Path(), "Stoc.DB");
    ChangeQuantity(*t, 6);
    EXPECT_EQ(t->FieldByName("Agent")->AsString(), "ADM");
    ASSERT_TRUE(OtherProgram("CREATE TRIGGER Semnat AFTER UPDATE OF Cantitate ON Stoc BEGIN "
                             "UPDATE Stoc SET Agent = printf('T%02d', NEW.Cantitate) WHERE rowid = NEW.rowid; END"));
    ChangeQuantity(*t, 7);
    EXPECT_EQ(t->FieldByName("Agent")->AsString(), "T07");
    EXPECT_EQ(t->FieldByName("Cantitate")->AsFloat(), 7.0);
    // And the posts after it, from what the record shows: the row holds it.
    ChangeQuantity(*t, 8);
    EXPECT_EQ(t->FieldByName("Agent")->AsString(), "T08");

    auto conn = Connection::Open(dir.Path());
    conn->Exec("DROP TRIGGER Semnat");
    ChangeQuantity(*t, 9);
    t->Edit();
    t->FieldByName("Agent")->SetAsString("ADM");
    t->Post();
    conn->Exec("CREATE TRIGGER Dublat BEFORE UPDATE OF Agent ON Stoc BEGIN "
               "UPDATE Stoc SET Cantitate = Cantitate * 2 WHERE rowid = NEW.rowid; END");
    t->Edit();
    t->FieldByName("Agent")->SetAsString("SEF");
    t->Post();
    EXPECT_EQ(t->FieldByName("Cantitate")->AsFloat(), 18.0);
    t->Edit();
    t->FieldByName("Agent")->SetAsString("OPR");
    t->Post();
    EXPECT_EQ(t->FieldByName("Cantitate")->AsFloat(), 36.0);
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Lot, Cantitate, Agent FROM Stoc ORDER BY Lot"),
              (QStringList{"L1 36.0 OPR", "L2 10.0 ADM"}));
}

TEST_F(RowWriteAsStored, ValuesTheColumnsConvertAreShownAsStored)
{
    // Each change alone: a text of digits in a number column is stored as a number (a field
    // of no declared family reads it back as "12"); a null in a NOT NULL column whose
    // conflict rule puts its default there, as that default; a whole number in a NUMERIC
    // column as an integer, which the next post's condition must still find.
    auto conn = Connection::Open(dir.Path());
    conn->Exec("CREATE TABLE Probe (Lot VARCHAR(8) PRIMARY KEY, Cod NUMBER, Pret NUMERIC, "
               "Agent VARCHAR(3) NOT NULL ON CONFLICT REPLACE DEFAULT 'IMP')");
    conn->Exec("INSERT INTO Probe VALUES ('P1', 'x', 1.5, 'ADM')");
    TTable t;
    t.SetDatabaseName(dir.Path());
    t.SetTableName("Probe");
    t.AddField("Lot", TFieldType::String, 8);
    t.AddField("Cod", TFieldType::String, 10);
    t.AddField("Pret", TFieldType::Float);
    t.AddField("Agent", TFieldType::String, 3);
    t.Open();
    ASSERT_TRUE(t.FindKey({"P1"}));
    t.Edit();
    t.FieldByName("Cod")->SetAsString("0012");
    t.Post();
    EXPECT_EQ(t.FieldByName("Cod")->AsString(), "12");
    t.Edit();
    t.FieldByName("Agent")->Clear();
    t.Post();
    EXPECT_EQ(t.FieldByName("Agent")->AsString(), "IMP");
    t.Edit();
    t.FieldByName("Pret")->SetAsFloat(2);
    t.Post();
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT typeof(Cod), typeof(Pret), Agent FROM Probe"), (QStringList{"integer integer IMP"}));
    t.Edit();
    t.FieldByName("Pret")->SetAsFloat(2.5);
    EXPECT_NO_THROW(t.Post());
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Cod, Pret, Agent FROM Probe"), (QStringList{"12 2.5 IMP"}));
}

TEST_F(RowWriteAsStored, ARowWrittenAsBoundIsTheRowAsReadAgain)
{
    // Texts of every kind, numbers, dates and nulls, written without the row read back: the
    // record matches the stored row, so the next change's condition finds it, and the values
    // shown are those another reader gets.
    auto conn = Connection::Open(dir.Path());
    conn->Exec("CREATE TABLE Probe (Lot VARCHAR(8) PRIMARY KEY, Nume VARCHAR(40), Cant DOUBLE, Nr INTEGER, Zi DATE, "
               "Activ BOOLEAN)");
    conn->Exec("INSERT INTO Probe VALUES ('P1', 'a', 1, 1, '2026-01-01', 0)");
    auto t = OpenTable(dir.Path(), "Probe");
    auto fresh = OpenTable(dir.Path(), "Probe");
    const std::vector<QVariantList> changes{
        {QStringLiteral("ăș țî"), 2.25, 7, QDate(2026, 12, 11), true},
        {QStringLiteral("12"), 1e300, -3, QDate(1999, 2, 28), false},
        {QString(300, QChar(0x0103)), 4.0, 0, QVariant(), true},
        {QVariant(), -0.5, 2147483647, QDate(2026, 2, 1), false},
    };
    for (size_t i = 0; i < changes.size(); ++i) {
        SCOPED_TRACE(i);
        const QVariantList& c = changes[i];
        ASSERT_TRUE(t->FindKey({"P1"}));
        t->Edit();
        const char* names[] = {"Nume", "Cant", "Nr", "Zi", "Activ"};
        for (int f = 0; f < 5; ++f) {
            if (c[f].isValid())
                t->FieldByName(names[f])->SetValue(c[f]);
            else
                t->FieldByName(names[f])->Clear();
        }
        ASSERT_NO_THROW(t->Post());
        ASSERT_TRUE(fresh->FindKey({"P1"}));
        for (const char* name : names)
            EXPECT_EQ(t->FieldByName(name)->Value(), fresh->FieldByName(name)->Value()) << name;
    }
    // The last record's stored forms match the row: a change of one field goes through.
    t->Edit();
    t->FieldByName("Nr")->SetAsInteger(5);
    EXPECT_NO_THROW(t->Post());
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Nume, Cant, Nr, Zi, Activ FROM Probe"), (QStringList{"NULL -0.5 5 2026-02-01 0"}));
}

TEST_F(RowWriteAsStored, AColumnComparedByItsOwnRuleIsShownAsAnotherProgramLeftIt)
{
    // The post's condition compares by the column's collation: a text another program changed
    // in case only, after the edit began, still matches, and what the row holds then is the
    // other program's text, not the one the record had.
    auto conn = Connection::Open(dir.Path());
    conn->Exec("CREATE TABLE Probe (Lot VARCHAR(8) PRIMARY KEY, Nume VARCHAR(40) COLLATE NOCASE, Cant DOUBLE)");
    conn->Exec("INSERT INTO Probe VALUES ('P1', 'lapte', 1)");
    auto t = OpenTable(dir.Path(), "Probe");
    ASSERT_TRUE(t->FindKey({"P1"}));
    t->Edit();
    ASSERT_TRUE(OtherProgram("UPDATE Probe SET Nume = 'LAPTE' WHERE Lot = 'P1'"));
    t->FieldByName("Cant")->SetAsFloat(2);
    ASSERT_NO_THROW(t->Post());
    EXPECT_EQ(t->FieldByName("Nume")->AsString(), "LAPTE");
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Nume, Cant FROM Probe"), (QStringList{"LAPTE 2.0"}));
}

} // namespace

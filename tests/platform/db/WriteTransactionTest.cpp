// A row and the writes that belong with it in one transaction, which ends before the
// dataset leaves editing; transactions nested as savepoints.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/DbMessages.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

class WriteTransaction : public ::testing::Test {
public:
    void SetUp() override
    {
        CreateTable(dir.Path(), "Item_in.DB", {{"Nr", TFieldType::Float}, {"Lot", TFieldType::String, 8}, {"Cant", TFieldType::Float}},
                    {{"", "Nr", TIndexOption::Primary | TIndexOption::Unique}}, {{1.0, "L1", 5.0}});
        CreateTable(dir.Path(), "Stoc.DB", {{"Lot", TFieldType::String, 8}, {"Cant", TFieldType::Float}}, {}, {{"L1", 5.0}});
        lines = OpenTable(dir.Path(), "Item_in.DB", "Nr");
        // Each line takes the next number and puts its lot into stock, in its own transaction.
        lines->BeforeWrite = [this](TDataSet* ds, TUpdateKind kind) {
            ++writes;
            auto stock = OpenTable(dir.Path(), "Stoc.DB");
            if (kind == TUpdateKind::Insert) {
                ds->FieldByName("Nr")->SetAsFloat(double(Connection::Open(dir.Path())->ScalarInt("SELECT MAX(Nr) FROM Item_in", {})) + 1);
                stock->AppendRecord({ds->FieldByName("Lot")->AsString(), ds->FieldByName("Cant")->AsFloat()});
            } else if (kind == TUpdateKind::Delete && stock->Locate("Lot", {ds->FieldByName("Lot")->AsString()})) {
                stock->Delete();
            }
        };
    }
    void Fail(const char* when) // the engine refuses the lot
    {
        AddRefusingTrigger(dir.Path(), "Stoc", QString::fromLatin1(when), "disk full");
    }
    QVariantList Raw(const char* sql) const { return RawColumn(dir.Path(), QString::fromLatin1(sql)); }

    DatabaseDir dir;
    std::unique_ptr<TTable> lines;
    int writes = 0;
};

TEST_F(WriteTransaction, FailedWriteLeavesTheRowEditingWithWhatWasTypedAndNothingWritten)
{
    struct Case {
        const char* what;
        std::function<void(WriteTransaction&)> fault;
    } cases[] = {
        {"the lot refused", [](WriteTransaction& t) { t.Fail("BEFORE INSERT"); }},
        {"the line refused after its lot",
         [](WriteTransaction& t) { AddRefusingTrigger(t.dir.Path(), "Item_in", "BEFORE INSERT", "disk full"); }},
        {"the commit refused",
         [](WriteTransaction& t) {
             // A deferred constraint is checked by the commit itself.
             auto conn = Connection::Open(t.dir.Path());
             conn->Exec("CREATE TABLE Lots (Lot VARCHAR(8) PRIMARY KEY)");
             conn->Exec("CREATE TABLE Moves (Lot VARCHAR(8) REFERENCES Lots(Lot) DEFERRABLE INITIALLY DEFERRED)");
             if (OnServer()) {
                 conn->Exec("CREATE FUNCTION move() RETURNS trigger LANGUAGE plpgsql AS "
                            "$$BEGIN INSERT INTO Moves VALUES (NEW.Lot); RETURN NULL; END$$");
                 conn->Exec("CREATE TRIGGER move AFTER INSERT ON Stoc FOR EACH ROW EXECUTE PROCEDURE move()");
             } else {
                 conn->Exec("PRAGMA foreign_keys = ON");
                 conn->Exec("CREATE TRIGGER move AFTER INSERT ON Stoc BEGIN INSERT INTO Moves VALUES (NEW.Lot); END");
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.fault(*this);
        lines->Append();
        lines->FieldByName("Lot")->SetAsString("L2");
        lines->FieldByName("Cant")->SetAsFloat(7);
        EXPECT_THROW(lines->Post(), EDatabaseError);
        EXPECT_EQ(lines->State(), TDataSetState::Insert);
        EXPECT_EQ(lines->FieldByName("Lot")->AsString(), "L2");
        EXPECT_TRUE(lines->FieldByName("Nr")->IsNull()); // the number went with the transaction
        EXPECT_EQ(lines->DisplayRowCount(), 2);           // one stored line and the new one
        EXPECT_EQ(Raw("SELECT COUNT(*) FROM Item_in"), (QVariantList{1}));
        EXPECT_EQ(Raw("SELECT Lot FROM Stoc"), (QVariantList{"L1"}));
        EXPECT_EQ(Connection::Open(dir.Path())->TransactionDepth(), 0);
        for (const char* table : {"Stoc", "Item_in"})
            DropRefusingTrigger(dir.Path(), table);
        Connection::Open(dir.Path())->Exec(OnServer() ? "DROP TRIGGER IF EXISTS move ON Stoc" : "DROP TRIGGER IF EXISTS move");
        // Once the cause is gone, the same row saves.
        lines->Post();
        EXPECT_EQ(Raw("SELECT Lot FROM Item_in ORDER BY Nr"), (QVariantList{"L1", "L2"}));
        EXPECT_EQ(Raw("SELECT Nr FROM Item_in ORDER BY Nr"), (QVariantList{1.0, 2.0}));
        EXPECT_EQ(Raw("SELECT Lot FROM Stoc"), (QVariantList{"L1", "L2"}));
    }
}

TEST_F(WriteTransaction, ErrorHandlerMayEndSilentlyOrTryAgain)
{
    Fail("BEFORE DELETE");
    QStringList seen;
    lines->OnDeleteError = [&](TDataSet*, const std::exception& e, TDataAction& action) {
        seen << QString::fromUtf8(e.what());
        action = seen.size() == 1 ? TDataAction::Retry : TDataAction::Abort;
    };
    EXPECT_THROW(lines->Delete(), EAbort);
    EXPECT_EQ(seen, (QStringList{"disk full", "disk full"}));
    EXPECT_EQ(writes, 2);
    EXPECT_EQ(Raw("SELECT COUNT(*) FROM Item_in"), (QVariantList{1}));
    EXPECT_EQ(lines->FieldByName("Lot")->AsString(), "L1");

    DropRefusingTrigger(dir.Path(), "Stoc");
    lines->Delete();
    EXPECT_EQ(Raw("SELECT COUNT(*) FROM Item_in"), (QVariantList{0}));
    EXPECT_EQ(Raw("SELECT COUNT(*) FROM Stoc"), (QVariantList{0}));
    EXPECT_TRUE(lines->IsEmpty());
}

TEST_F(WriteTransaction, InnerLevelsRollBackAloneAndCommitIntoTheOuter)
{
    auto conn = Connection::Open(dir.Path());
    auto stock = OpenTable(dir.Path(), "Stoc.DB");
    {
        TTransaction outer(conn);
        stock->AppendRecord({"A", 1.0});
        {
            TTransaction dropped(conn);
            stock->AppendRecord({"B", 2.0});
        }
        {
            TTransaction kept(conn);
            stock->AppendRecord({"C", 3.0});
            kept.Commit();
        }
        EXPECT_EQ(Column(*stock, "Lot"), (QStringList{"L1", "A", "C"}));
        outer.Commit();
    }
    EXPECT_EQ(RawColumn(dir.Path(), QStringLiteral("SELECT Lot FROM Stoc ORDER BY %1").arg(RowIdColumn())),
              (QVariantList{"L1", "A", "C"}));
    EXPECT_EQ(conn->TransactionDepth(), 0);
}

// On a server a level's savepoint goes to the engine with the next statement, in one round
// trip: a level rolled back, a query through the other path inside it, and a write refused
// in the middle of the whole must still undo exactly what they should.
TEST_F(WriteTransaction, LevelsSentWithTheirStatementsUndoExactlyTheirOwnWrites)
{
    auto conn = Connection::Open(dir.Path());
    auto stock = OpenTable(dir.Path(), "Stoc.DB");
    auto lots = [&] {
        return RawColumn(dir.Path(), QStringLiteral("SELECT Lot || '=' || CAST(Cant AS INTEGER) FROM Stoc ORDER BY %1").arg(RowIdColumn()));
    };
    {
        TTransaction outer(conn);
        stock->AppendRecord({"A", 1.0});
        {
            TTransaction dropped(conn);
            TQuery q;
            q.SetDatabaseName(dir.Path());
            q.SetSQL({QStringLiteral("UPDATE \"Stoc.DB\" SET Cant = 9")});
            q.ExecSQL();
        }
        {
            TTransaction kept(conn);
            stock->AppendRecord({"C", 3.0});
            kept.Commit();
        }
        {
            TTransaction empty(conn); // begun and ended with no statement between
        }
        outer.Commit();
    }
    EXPECT_EQ(lots(), (QVariantList{"L1=5", "A=1", "C=3"}));
    Fail("BEFORE INSERT");
    {
        TTransaction outer(conn);
        {
            TTransaction kept(conn);
            stock->Edit();
            stock->FieldByName("Cant")->SetAsFloat(7);
            stock->Post();
            kept.Commit();
        }
        EXPECT_THROW(stock->AppendRecord({"F", 6.0}), EDatabaseError);
        stock->Cancel();
    } // rolled back whole
    EXPECT_EQ(lots(), (QVariantList{"L1=5", "A=1", "C=3"}));
    EXPECT_EQ(conn->TransactionDepth(), 0);
}

TEST_F(WriteTransaction, ABatchGivesEachStatementItsRowsAndStopsAtItsFirstFailure)
{
    auto conn = Connection::Open(dir.Path());
    // More statements than a server's pipeline sends at once, the same text throughout.
    std::vector<TStatement> batch;
    for (int i = 1; i <= 70; ++i)
        batch.push_back({"INSERT INTO Stoc (Lot, Cant) VALUES (?, ?)", {QString("B%1").arg(i), double(i)}});
    batch.push_back({"SELECT Lot FROM Stoc WHERE Cant >= ? ORDER BY Cant", {69.0}});
    batch.push_back({"UPDATE Stoc SET Cant = Cant + 1 WHERE Lot LIKE ?", {"B%"}});
    batch.push_back({"SELECT Lot FROM Stoc WHERE Cant = ? ORDER BY Lot DESC", {5.0}});
    QStringList seen;
    conn->Begin();
    const std::vector<int> written = conn->ForEachRowOf(
        batch, [&](size_t i, const NativeRow& row) { seen << QString("%1:%2").arg(i).arg(row.Value(0).toString()); });
    EXPECT_EQ(seen, (QStringList{"70:B69", "70:B70", "72:L1", "72:B4"}));
    ASSERT_EQ(written.size(), 73u);
    EXPECT_EQ(written[0], 1);
    EXPECT_EQ(written[69], 1);
    EXPECT_EQ(written[71], 70);
    // The failure named is the statement's own, not that of those the engine skipped after
    // it; a level begun before goes with the batch and takes back exactly its part.
    conn->Begin();
    const std::vector<TStatement> failing{{"INSERT INTO Item_in (Nr, Lot, Cant) VALUES (?, ?, ?)", {2.0, "L2", 1.0}},
                                          {"INSERT INTO Item_in (Nr, Lot, Cant) VALUES (?, ?, ?)", {1.0, "L1", 1.0}},
                                          {"INSERT INTO Item_in (Nr, Lot, Cant) VALUES (?, ?, ?)", {3.0, "L3", 1.0}}};
    EXPECT_THROW(conn->ForEachRowOf(failing, {}), EKeyViolation);
    conn->Rollback();
    conn->ForEachRowOf({{"DELETE FROM Stoc WHERE Cant > ?", {70.0}}}, {});
    conn->Commit();
    EXPECT_EQ(Raw("SELECT COUNT(*) FROM Stoc").value(0).toInt(), 70);
    EXPECT_EQ(Raw("SELECT Nr FROM Item_in"), QVariantList{1.0});
}

TEST_F(WriteTransaction, RowsInsertedManyToAStatementKeepTheirValuesAndOrder)
{
    std::vector<QVariantList> rows;
    for (int i = 1; i <= 150; ++i)
        rows.push_back({QString("R%1").arg(i), i == 101 ? QVariant() : QVariant(double(i))});
    const std::vector<TStatement> inserts = InsertStatements("Stoc", {"Lot", "Cant"}, rows);
    ASSERT_EQ(inserts.size(), 2u);
    auto conn = Connection::Open(dir.Path());
    conn->Begin();
    EXPECT_EQ(conn->ForEachRowOf(inserts, {}), (std::vector<int>{100, 50}));
    conn->Commit();
    // 1 + ... + 150 less the row left null, and L1's 5.
    EXPECT_EQ(Raw("SELECT SUM(Cant) FROM Stoc").value(0).toDouble(), 11325.0 - 101 + 5);
    EXPECT_EQ(Raw("SELECT Lot FROM Stoc WHERE Cant IS NULL"), QVariantList{"R101"});
    EXPECT_EQ(Raw("SELECT Cant FROM Stoc WHERE Lot = 'R150'"), QVariantList{150.0});
}

} // namespace

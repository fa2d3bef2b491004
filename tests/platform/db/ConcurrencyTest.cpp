// Several users on one company: a row is written only while it holds what the writer
// read, and open datasets follow what others add, delete or roll back.
#include "DbFixture.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/Table.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

// Another program on the same company: a connection of its own to the file.
class OtherProgram {
public:
    explicit OtherProgram(const QString& dir) : name_(QStringLiteral("other-%1").arg(++serial_))
    {
        OtherConnection(dir, name_);
    }
    ~OtherProgram() { QSqlDatabase::removeDatabase(name_); }
    void Exec(const QString& sql)
    {
        QSqlQuery q(QSqlDatabase::database(name_));
        EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
    }

private:
    static inline int serial_ = 0;
    QString name_;
};

// A user: a session of its own with the company's database component.
struct User {
    User(const QString& dir, const QString& file)
    {
        db.SetDatabaseName(QStringLiteral("FIRMA"));
        db.Params() << QStringLiteral("PATH=") + dir;
        table.SetSession(&session);
        table.SetDatabaseName(QStringLiteral("FIRMA"));
        table.SetTableName(file);
        table.Open();
    }
    TSession session;
    TDatabase db{nullptr, &session};
    TTable table;
};

class Concurrency : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateTable(dir.Path(), "Stoc.DB", {{"Lot", TFieldType::String, 30}, {"Cantitate", TFieldType::Float}}, {},
                    {{"L1", 5.0}, {"L2", 10.0}});
        CreateTable(dir.Path(), "COUNTER.DB", {{"NewCounterIn", TFieldType::Float}, {"NewCounterOut", TFieldType::Float}},
                    {}, {{7.0, 10.0}});
    }
    QVariantList Raw(const QString& sql) const { return RawColumn(dir.Path(), sql); }
    DatabaseDir dir;
};

// What another user does to the row A stands on.
enum class Other { ReplacesRow, ChangesRow, SameSessionReplaces, Renumbers };

TEST_F(Concurrency, WriteNeverLandsOnARowThatReusedTheIdentityOrChangedMeanwhile)
{
    struct Case {
        const char* what;
        Other other;
        bool editFirst; // A began editing before the other user's change
        bool deleting;
    } cases[] = {
        {"edit begun, row replaced by another program", Other::ReplacesRow, true, false},
        {"edit begun, row replaced in another session", Other::SameSessionReplaces, true, false},
        {"edit begun, row changed", Other::ChangesRow, true, false},
        {"edit begun, rows renumbered by a VACUUM", Other::Renumbers, true, false},
        {"edit after the row was replaced", Other::ReplacesRow, false, false},
        {"edit after the row was changed", Other::ChangesRow, false, false},
        {"delete after the row was replaced", Other::ReplacesRow, false, true},
        {"delete after the row was replaced in another session", Other::SameSessionReplaces, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        User a(dir.Path(), "Stoc.DB");
        a.table.Last();
        ASSERT_EQ(a.table.FieldByName("Lot")->AsString(), "L2");
        if (c.other == Other::Renumbers && OnServer())
            continue; // a server never hands out an identity twice, nor renumbers rows
        const QVariantList rowid = Raw(QStringLiteral("SELECT %1 FROM Stoc WHERE Lot = 'L2'").arg(RowIdColumn()));
        if (c.editFirst) {
            a.table.Edit();
            a.table.FieldByName("Cantitate")->SetAsFloat(1);
        }
        // L2 goes and L3 takes its row number; or L2 is raised to 100.
        if (c.other == Other::ChangesRow) {
            OtherProgram(dir.Path()).Exec("UPDATE Stoc SET Cantitate = 100 WHERE Lot = 'L2'");
        } else if (c.other == Other::Renumbers) {
            OtherProgram other(dir.Path());
            other.Exec("DELETE FROM Stoc WHERE Lot = 'L1'");
            other.Exec("VACUUM");
        } else if (c.other == Other::ReplacesRow) {
            OtherProgram other(dir.Path());
            other.Exec("DELETE FROM Stoc WHERE Lot = 'L2'");
            other.Exec("INSERT INTO Stoc (Lot, Cantitate) VALUES ('L3', 30)");
        } else {
            User b(dir.Path(), "Stoc.DB");
            b.table.Last();
            b.table.Delete();
            b.table.AppendRecord({"L3", 30.0});
        }
        const QString all = QStringLiteral("SELECT Lot || ' ' || Cantitate FROM Stoc ORDER BY %1").arg(RowIdColumn());
        const QVariantList before = Raw(all);
        if ((c.other == Other::ReplacesRow || c.other == Other::SameSessionReplaces) && !OnServer()) {
            ASSERT_EQ(Raw(QStringLiteral("SELECT rowid FROM Stoc WHERE Lot = 'L3'")), rowid); // the identity was reused
        }

        try {
            if (c.editFirst)
                a.table.Post();
            else if (c.deleting)
                a.table.Delete();
            else
                a.table.Edit();
            ADD_FAILURE() << "written over another user's row";
        } catch (const ERecordChanged& e) {
            // A server never gives the identity to another row: the row the user saw is gone.
            const bool gone = OnServer() && c.other != Other::ChangesRow;
            const QString expected = c.editFirst   ? dbmsg::PostConflict()
                                     : c.deleting ? dbmsg::DeleteConflict()
                                     : gone       ? dbmsg::EditDeleted()
                                                  : dbmsg::EditChanged();
            EXPECT_EQ(e.Message(), expected);
        }
        EXPECT_EQ(Raw(all), before); // nothing written
        if (c.editFirst) {
            // Still editing with what was typed; cancelling shows the row as it is now.
            EXPECT_EQ(a.table.State(), TDataSetState::Edit);
            EXPECT_EQ(a.table.FieldByName("Cantitate")->AsFloat(), 1.0);
            a.table.Cancel();
        }
        EXPECT_EQ(a.table.State(), TDataSetState::Browse);
        EXPECT_EQ(a.table.FieldByName("Lot")->AsString() + " " + a.table.FieldByName("Cantitate")->AsString(),
                  c.other == Other::ChangesRow ? "L2 100" : c.other == Other::Renumbers ? "L2 10" : "L3 30");
    }
}

TEST_F(Concurrency, StaleFigureIsNeverWrittenOverAnotherUsersChange)
{
    // A raises the figure from 10 to 100; B, who still shows 10, takes 4 off it.
    struct Case {
        const char* table;
        const char* field;
        bool bEditingFirst; // B had begun before A saved
    } cases[] = {
        {"Stoc.DB", "Cantitate", true},
        {"Stoc.DB", "Cantitate", false},
        {"COUNTER.DB", "NewCounterOut", true},
        {"COUNTER.DB", "NewCounterOut", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.table) + (c.bEditingFirst ? " B editing first" : " B editing after"));
        SetUp();
        User a(dir.Path(), c.table), b(dir.Path(), c.table);
        for (TTable* t : {&a.table, &b.table})
            t->Last();
        TField* fa = a.table.FieldByName(c.field);
        TField* fb = b.table.FieldByName(c.field);
        ASSERT_EQ(fb->AsFloat(), 10.0);
        if (c.bEditingFirst)
            b.table.Edit();
        a.table.Edit();
        fa->SetAsFloat(100);
        a.table.Post();
        if (c.bEditingFirst) {
            fb->SetAsFloat(fb->AsFloat() - 4);
            EXPECT_THROW(b.table.Post(), ERecordChanged);
            b.table.Cancel();
        } else {
            EXPECT_THROW(b.table.Edit(), ERecordChanged);
        }
        // B now shows what is stored and takes 4 off that.
        EXPECT_EQ(fb->AsFloat(), 100.0);
        b.table.Edit();
        fb->SetAsFloat(fb->AsFloat() - 4);
        b.table.Post();
        const QString sql = QStringLiteral("SELECT %1 FROM %2").arg(c.field, QString(c.table).remove(".DB"));
        EXPECT_EQ(RawColumn(dir.Path(), sql).last().toDouble(), 96.0);
    }
}

TEST_F(Concurrency, OpenDatasetsFollowWhatOthersAddDeleteAndRollBack)
{
    User a(dir.Path(), "Stoc.DB");
    User b(dir.Path(), "Stoc.DB");
    ASSERT_EQ(a.table.RecordCount(), 2);

    // Another session of this program adds a row: seen by A's next move, without a refresh.
    b.table.AppendRecord({"L3", 1.0});
    a.table.Next();
    a.table.Next();
    EXPECT_EQ(a.table.FieldByName("Lot")->AsString(), "L3");
    EXPECT_EQ(a.table.RecordCount(), 3);

    // Another program deletes the row A stands on: A's next move goes on from where it was.
    OtherProgram(dir.Path()).Exec("DELETE FROM Stoc WHERE Lot = 'L3'");
    QThread::msleep(2 * Connection::kPollInterval.count()); // the engine is asked at most this often
    a.table.Prior();
    EXPECT_EQ(a.table.FieldByName("Lot")->AsString(), "L2");
    EXPECT_EQ(a.table.RecordCount(), 2);

    // Rows written in a transaction that is rolled back leave every open dataset.
    {
        TTransaction tx(a.db);
        a.table.AppendRecord({"L4", 4.0});
        b.table.Last();
        ASSERT_EQ(b.table.FieldByName("Lot")->AsString(), "L4");
    }
    EXPECT_EQ(a.table.FieldByName("Lot")->AsString(), "L4"); // not moved yet
    a.table.Prior();
    EXPECT_EQ(a.table.FieldByName("Lot")->AsString(), "L2"); // the record before the one gone
    EXPECT_EQ(a.table.RecordCount(), 2);
    b.table.Next();
    EXPECT_TRUE(b.table.Eof());
    EXPECT_EQ(b.table.FieldByName("Lot")->AsString(), "L2");

    // A refresh keeps the record, at its new place.
    b.table.First();
    b.table.Delete();
    a.table.Refresh();
    EXPECT_EQ(a.table.FieldByName("Lot")->AsString(), "L2");
    EXPECT_EQ(a.table.RecNo(), 1);
}

// A server announces every commit to every workstation; one that waits for its user reads
// them as they come, so that neither its input nor the server's queue of announcements
// grows while it does nothing.
// The embedded engine announces nothing (it is asked at the next read): a server's test only.
using ConcurrencyOnServer = Concurrency;

TEST_F(ConcurrencyOnServer, IdleWorkstationTakesInOtherProgramsCommitsAsTheyCome)
{
    ASSERT_TRUE(OnServer());
    User idle(dir.Path(), "Stoc.DB");
    const auto conn = idle.table.GetConnection();
    const quint64* stock = conn->TableCounter(conn->StoredTableName("Stoc"));
    const quint64* counter = conn->TableCounter(conn->StoredTableName("COUNTER"));
    const quint64 stockBefore = *stock, counterBefore = *counter;

    OtherProgram other(dir.Path());
    for (int i = 0; i < 300; ++i)
        other.Exec(QStringLiteral("UPDATE Stoc SET Cantitate = %1 WHERE Lot = 'L1'").arg(i));
    other.Exec("UPDATE COUNTER SET NewCounterOut = 7");

    // Only the event loop runs here: no dataset of this workstation reads anything.
    QElapsedTimer waited;
    waited.start();
    while (*counter == counterBefore && waited.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(*counter - counterBefore, 1u);
    EXPECT_EQ(*stock - stockBefore, 300u); // every commit, each table apart
    EXPECT_EQ(idle.table.FieldByName("Cantitate")->AsFloat(), 5.0); // nothing read yet
    idle.table.First();
    EXPECT_EQ(idle.table.FieldByName("Cantitate")->AsFloat(), 299.0);
}

// Rows read under a lock are edited as read while the lock lasts; once the transaction has
// ended, another program may change them, and the next edit starts from what is stored.
TEST_F(Concurrency, LockedRowsAreTrustedOnlyWithinTheirTransaction)
{
    User a(dir.Path(), "Stoc.DB");
    a.table.SetReadForUpdate(true);
    TField* quantity = a.table.FieldByName("Cantitate");
    {
        TTransaction tx(a.db);
        a.table.First();
        a.table.Edit();
        quantity->SetAsFloat(6);
        a.table.Post();
        a.table.Edit(); // as posted
        EXPECT_EQ(quantity->AsFloat(), 6.0);
        a.table.Cancel();
        tx.Commit();
    }
    OtherProgram(dir.Path()).Exec("UPDATE Stoc SET Cantitate = 50 WHERE Lot = 'L1'");
    TTransaction tx(a.db);
    EXPECT_THROW(a.table.Edit(), ERecordChanged);
    EXPECT_EQ(quantity->AsFloat(), 50.0);
    a.table.Edit();
    quantity->SetAsFloat(quantity->AsFloat() + 1);
    a.table.Post();
    tx.Commit();
    EXPECT_EQ(Raw("SELECT Cantitate FROM Stoc WHERE Lot = 'L1'").value(0).toDouble(), 51.0);
}

TEST_F(Concurrency, RowsAnotherProgramWroteInItsOwnFormsCanBeChanged)
{
    // The check compares what is stored the way the layer reads it, not the way it writes.
    if (OnServer()) {
        OtherProgram(dir.Path()).Exec("CREATE TABLE Forme (fw_rowid BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY, "
                                      "Cant DOUBLE PRECISION, Data DATE, Moment TIMESTAMP, Den VARCHAR(8), Da BOOLEAN)");
        OtherProgram(dir.Path()).Exec("INSERT INTO Forme (Cant, Data, Moment, Den, Da) "
                                      "VALUES (1, '2026-12-07', '2026-12-07 10:00:00.123456', '', true)");
    } else {
        OtherProgram(dir.Path()).Exec("CREATE TABLE Forme (Cant DOUBLE, Data DATE, Moment TIMESTAMP, Den VARCHAR(8), Da BOOLEAN)");
        OtherProgram(dir.Path()).Exec("INSERT INTO Forme VALUES (1, '2026-12-07T00:00:00', '2026-12-07T10:00:00', '', 2)");
    }
    auto t = OpenTable(dir.Path(), "Forme.DB");
    t->Edit();
    t->FieldByName("Cant")->SetAsFloat(2);
    t->Post();
    EXPECT_EQ(Raw("SELECT Cant FROM Forme"), (QVariantList{2.0}));
}

TEST_F(Concurrency, RowsHoldingValuesTheLayerCannotReadAreChangedAndDeletedAndTheValuesNamed)
{
    // What is stored is compared with what is stored: a value the layer reads as something
    // else, or cannot read at all, never looks like another user's change.
    CreateTable(dir.Path(), "Loturi.DB",
                {{"Lot", TFieldType::String, 8}, {"Den", TFieldType::String, 20}, {"Cantitate", TFieldType::Float},
                 {"Data", TFieldType::Date}, {"Gest", TFieldType::String, 4}},
                {}, {{"L1", "Lapte", 1.0, QDate(2026, 1, 5), "_MP"}, {"L2", "Smantana", 2.0, QDate(2026, 1, 6), "_MP"}});
    OtherProgram other(dir.Path());
    if (OnServer()) {
        other.Exec("UPDATE loturi SET cantitate = 'Infinity', data = 'infinity' WHERE lot = 'L1'");
        other.Exec("UPDATE loturi SET cantitate = 'NaN', data = '0044-03-15 BC' WHERE lot = 'L2'");
    } else {
        // 8-bit text of an older program, text in a number column, a date that is no date, a blob.
        other.Exec("UPDATE Loturi SET Den = CAST(X'4D617269E9' AS TEXT), Cantitate = 'abc', Data = '31.12.2025' WHERE Lot = 'L1'");
        other.Exec("UPDATE Loturi SET Den = X'00FF', Cantitate = 9e999 WHERE Lot = 'L2'");
    }
    auto t = OpenTable(dir.Path(), "Loturi.DB", "Lot");
    TField* quantity = t->FieldByName("Cantitate");
    EXPECT_EQ(quantity->DisplayText(), "#EROARE");
    EXPECT_FALSE(t->FieldByName("Data")->IsNull());
    EXPECT_EQ(t->FieldByName("Data")->DisplayText(), "#EROARE");
    try {
        quantity->AsFloat();
        ADD_FAILURE() << "a number read from what is no number";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Valoarea campului Cantitate din tabela Loturi.DB (inregistrarea cu Lot = L1) nu poate fi "
                               "citita: este deteriorata sau in afara domeniului campului.\rIntroduceti din nou valoarea "
                               "corecta a campului sau refaceti firma dintr-o copie de siguranta.");
    }

    // Another field changed, then the damaged one typed again, then the other row deleted.
    t->Edit();
    t->FieldByName("Gest")->SetAsString("_FRG");
    t->Post();
    EXPECT_FALSE(quantity->ErrorText().isEmpty());
    t->Edit();
    quantity->SetAsFloat(3);
    t->Post();
    EXPECT_EQ(quantity->AsFloat(), 3.0);
    t->Next();
    t->Delete();
    EXPECT_EQ(RawTexts(dir.Path(), "SELECT Lot, Gest, Cantitate FROM Loturi"), QStringList{"L1 _FRG 3.0"});
    if (!OnServer()) {
        EXPECT_EQ(Raw("SELECT hex(Den) FROM Loturi"), QVariantList{"4D617269E9"}); // the older program's text as it was
    }
}

} // namespace

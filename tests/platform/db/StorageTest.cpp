// How values are stored, what opening checks, structure changes, transactions, batch copies.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/BatchMove.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QFile>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace fw;
using namespace testsupport;

namespace {

TEST(Storage, StringsAreCutEmptyIsNullDatesAreIsoFloatsAreDoubles)
{
    DatabaseDir dir;
    CreateTable(dir.Path(), "Doc_in.DB",
                {{"Contor", TFieldType::Float}, {"Tip", TFieldType::String, 3}, {"Data", TFieldType::Date},
                 {"Explicatie", TFieldType::String, 255}});
    auto t = OpenTable(dir.Path(), "Doc_in.DB");
    t->Append();
    t->FieldByName("Contor")->SetAsFloat(125.5);
    t->FieldByName("Tip")->SetAsString("FACTURA");
    t->FieldByName("Data")->SetAsDate(QDate(2026, 12, 7));
    t->FieldByName("Explicatie")->SetAsString("");
    EXPECT_EQ(t->FieldByName("Tip")->AsString(), "FAC");
    EXPECT_TRUE(t->FieldByName("Explicatie")->IsNull());
    t->Post();
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT Tip FROM Doc_in"), (QVariantList{"FAC"}));
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT Data FROM Doc_in").value(0).toString(), "2026-12-07");
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Doc_in WHERE Explicatie IS NULL").value(0).toInt(), 1);
    if (!OnServer()) { // where a column takes values of any type
        EXPECT_EQ(RawColumn(dir.Path(), "SELECT typeof(Contor) FROM Doc_in"), (QVariantList{"real"}));
    }
    EXPECT_EQ(t->FieldByName("Data")->AsDateTime(), DateToDateTime(QDate(2026, 12, 7)));
}

TEST(Storage, OpenRefusesADeclaredFieldMissingOrOfAnotherWidth)
{
    DatabaseDir dir;
    CreateTable(dir.Path(), "Reteta.DB",
                {{"Cod", TFieldType::String, 12}, {"Cod_MatPrim", TFieldType::String, 12}, {"Cant_MatPrim", TFieldType::Float}});
    struct Case {
        const char* field;
        TFieldType type;
        int size;
        const char* expected;
    } cases[] = {{"Cod", TFieldType::String, 30, "Cod"},
                 {"Cod_Grupa", TFieldType::String, 8, "Cod_Grupa"},
                 {"Cant_MatPrim", TFieldType::String, 10, "Cant_MatPrim"}};
    for (const Case& c : cases) {
        TTable t;
        t.SetDatabaseName(dir.Path());
        t.SetTableName("Reteta.DB");
        t.AddField(c.field, c.type, c.size);
        try {
            t.Open();
            ADD_FAILURE() << c.field << " accepted";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(c.expected)) << e.Message().toStdString();
        }
        EXPECT_FALSE(t.Active());
    }
}

TEST(Storage, ABusyOrFullDatabaseAndATableWithoutAColumnOrKeyAreToldInTheUsersWords)
{
    DatabaseDir dir;
    CreateTable(dir.Path(), "Gest.DB", {{"Cod", TFieldType::String, 4}}, {}, {{"_MP"}});
    auto conn = Connection::Open(dir.Path());
    const QString database = conn->Describe();
    auto refusal = [](const std::function<void()>& action) {
        try {
            action();
        } catch (const EDatabaseError& e) {
            return e.Message();
        }
        return QStringLiteral("(nothing refused)");
    };
    const QString rebuild = "\rTabela a fost facuta sau schimbata de alt program; refaceti-o sau refaceti firma dintr-o "
                            "copie de siguranta.";

    auto stores = OpenTable(dir.Path(), "Gest.DB");
    EXPECT_EQ(refusal([&] { stores->FindKey({"_MP"}); }), "Tabela Gest.DB nu are cheia dupa care este cautata." + rebuild);
    TTable declared;
    declared.SetDatabaseName(dir.Path());
    declared.SetTableName("Gest.DB");
    declared.AddField("Denumire", TFieldType::String, 30);
    EXPECT_EQ(refusal([&] { declared.Open(); }), "Tabela Gest.DB nu are campul Denumire." + rebuild);

    // Another program keeps the company busy longer than this one waits (cut short here).
    {
        QSqlDatabase holder = OtherConnection(dir.Path(), "holder");
        ASSERT_TRUE(QSqlQuery(holder).exec(OnServer() ? "BEGIN; LOCK TABLE gest IN EXCLUSIVE MODE" : "BEGIN IMMEDIATE"));
        conn->Exec(OnServer() ? "SET lock_timeout TO '100ms'" : "PRAGMA busy_timeout = 100");
        EXPECT_TRUE(refusal([&] { stores->AppendRecord({"_FRG"}); })
                        .startsWith("Baza de date <" + database + "> este ocupata: alt program sau alt utilizator"));
        QSqlQuery(holder).exec("ROLLBACK");
    }
    QSqlDatabase::removeDatabase("holder");
    stores->Cancel();
    if (OnServer())
        return;
    // No room left for the file to grow.
    conn->Exec(QStringLiteral("PRAGMA max_page_count = %1").arg(conn->ScalarInt("PRAGMA page_count", {})));
    EXPECT_EQ(refusal([&] {
                  for (int i = 0; i < 10000; ++i)
                      stores->AppendRecord({"_MP"});
              }),
              "Discul pe care se afla baza de date <" + database + "> este plin: modificarea nu a fost salvata.\rFaceti "
              "loc pe disc (stergeti fisierele de care nu mai este nevoie) si reluati operatia.");
}

TEST(Storage, UniqueIndexRefusesDuplicatesAndPrimaryIndexOrdersRows)
{
    DatabaseDir dir;
    CreateTable(dir.Path(), "temp.DB", {{"Cod_grupa", TFieldType::String, 8}, {"Cod_MatPrim", TFieldType::String, 30}},
                {}, {{"02", ".B"}, {"01", ".A"}, {"01", ".C"}});
    TTable t;
    t.SetDatabaseName(dir.Path());
    t.SetTableName("Temp.Db");
    t.AddIndex("Cod_MatPrim", "Cod_grupa;Cod_MatPrim", TIndexOption::Primary);
    t.Open();
    EXPECT_EQ(Column(t, "Cod_MatPrim"), (QStringList{".A", ".C", ".B"}));
    EXPECT_THROW(t.AppendRecord({"01", ".A"}), EDatabaseError);
    EXPECT_EQ(t.RecordCount(), 3);
    t.Close();
    // A primary index over rows that repeat fails whole: the table stays as it was.
    CreateTable(dir.Path(), "Dup.DB", {{"K", TFieldType::String, 4}}, {}, {{"A"}, {"A"}});
    TTable d;
    d.SetDatabaseName(dir.Path());
    d.SetTableName("Dup.DB");
    EXPECT_THROW(d.AddIndex("", "K", TIndexOption::Primary | TIndexOption::Unique), EDatabaseError);
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Dup").value(0).toInt(), 2);
    EXPECT_TRUE(d.Exists());
    d.DeleteTable();
    EXPECT_FALSE(d.Exists());
}

TEST(Storage, RolledBackTransactionLeavesTheDataAsBefore)
{
    DatabaseDir dir;
    CreateTable(dir.Path(), "Stoc.DB", {{"Lot", TFieldType::String, 30}, {"Cantitate", TFieldType::Float}}, {},
                {{"L1", 5.0}, {"L2", 7.0}});
    TDatabase db;
    db.SetDatabaseName("FIRMA");
    db.Params() << "PATH=" + dir.Path();
    db.Open();
    TTable t;
    t.SetDatabaseName("FIRMA");
    t.SetTableName("Stoc.DB");
    t.Open();
    {
        TTransaction tx(db);
        t.Edit();
        t.FieldByName("Cantitate")->SetAsFloat(1.0);
        t.Post();
        t.Last();
        t.Delete();
        t.AppendRecord({"L3", 9.0});
        // no commit
    }
    t.Refresh();
    EXPECT_EQ(Column(t, "Lot"), (QStringList{"L1", "L2"}));
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT SUM(Cantitate) FROM Stoc").value(0).toDouble(), 12.0);
    {
        TTransaction tx(db);
        t.AppendRecord({"L3", 9.0});
        tx.Commit();
    }
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Stoc").value(0).toInt(), 3);
    // Disconnecting closes what was opened through the database.
    db.Close();
    EXPECT_FALSE(t.Active());
}

TEST(Storage, DatabaseNamesResolveThroughComponentsAliasesAndPaths)
{
    DatabaseDir a, b;
    CreateTable(a.Path(), "X.DB", {{"V", TFieldType::String, 4}}, {}, {{"A"}});
    CreateTable(b.Path(), "X.DB", {{"V", TFieldType::String, 4}}, {}, {{"B"}});
    TSession own(nullptr, "AddOn");
    TDatabase db(nullptr, &own);
    db.SetDatabaseName("KRBPROD");
    db.Params() << "PATH=" + a.Path();
    TSession::AddAlias("TVELDA", b.Path());
    TTable viaComponent, viaAlias;
    viaComponent.SetSession(&own);
    viaComponent.SetDatabaseName("KRBPROD");
    viaComponent.SetTableName("X.DB");
    viaAlias.SetSession(&own);
    viaAlias.SetDatabaseName("TVELDA");
    viaAlias.SetTableName("X.DB");
    viaComponent.Open(); // connects the component on demand
    viaAlias.Open();
    EXPECT_EQ(viaComponent.FieldByName("V")->AsString(), "A");
    EXPECT_EQ(viaAlias.FieldByName("V")->AsString(), "B");
    TTable unknown;
    unknown.SetDatabaseName("NIMIC");
    unknown.SetTableName("X.DB");
    EXPECT_THROW(unknown.Open(), EDatabaseError);
    TSession::DeleteAlias("TVELDA");
}

TEST(Storage, BatchCopyReplacesTheOlderTableWithTheSourceColumns)
{
    DatabaseDir dir;
    CreateTable(dir.Path(), "Reteta.DB",
                {{"Cod", TFieldType::String, 30}, {"Cod_MatPrim", TFieldType::String, 30}, {"Cant_MatPrim", TFieldType::Float},
                 {"Cod_Grupa", TFieldType::String, 8}},
                {}, {{"P", ".A", 2.0, "01"}, {"P", ".B", 3.0, "01"}, {"Q", ".A", 4.0, "01"}});
    CreateTable(dir.Path(), "temp.DB", {{"Vechi", TFieldType::String, 5}}, {}, {{"x"}, {"y"}, {"z"}, {"w"}});
    TQuery q;
    q.SetDatabaseName(dir.Path());
    q.SetSQL({"SELECT Cod_Grupa, Cod_MatPrim, SUM(Cant_MatPrim) AS Cant", "FROM \"Reteta.DB\"",
              "GROUP BY Cod_Grupa, Cod_MatPrim"});
    q.Open();
    TTable dest;
    dest.SetDatabaseName(dir.Path());
    dest.SetTableName("Temp.Db");
    TBatchMove move;
    move.SetSource(&q);
    move.SetDestination(&dest);
    move.Execute();
    EXPECT_EQ(move.MovedCount(), 2);
    dest.AddField("Cod_Grupa", TFieldType::String, 8); // the widths came with the columns
    dest.AddField("Cod_MatPrim", TFieldType::String, 30);
    dest.AddField("Cant", TFieldType::Float);
    dest.Open();
    EXPECT_EQ(Column(dest, "Cant"), (QStringList{"6", "3"}));
    EXPECT_EQ(dest.FindField("Vechi"), nullptr);
}

TEST(Storage, QueryTextIsAdaptedAndParametersAreBound)
{
    QStringList order;
    EXPECT_EQ(TQuery::AdaptSql("SELECT * FROM \"Reteta.DB\" WHERE (Cod = :From) AND x = ':no' AND \"Temp.Db\".a=:b", &order),
              "SELECT * FROM \"Reteta\" WHERE (Cod = ?) AND x = ':no' AND \"Temp\".a=?");
    EXPECT_EQ(order, (QStringList{"From", "b"}));

    DatabaseDir dir;
    CreateTable(dir.Path(), "Doc_out.DB", {{"Numar", TFieldType::Float}, {"Data", TFieldType::Date}, {"Tip", TFieldType::String, 3}},
                {}, {{125.0, QDate(2026, 12, 7), "BMC"}, {125.0, QDate(2026, 12, 8), "BMC"}, {7.0, QDate(2026, 12, 7), "ABC"}});
    TQuery q;
    q.SetDatabaseName(dir.Path());
    q.SetSQL({"SELECT Tip, Data", "FROM \"Doc_out.DB\" ", "WHERE (Numar = :NrDoc)", " AND (Data = :DataDoc)"});
    ASSERT_EQ(q.ParamCount(), 2);
    q.ParamByName("NrDoc")->SetAsFloat(125);
    q.ParamByName("DataDoc")->SetAsDateTime(DateToDateTime(QDate(2026, 12, 8)) + 0.75); // the time takes no part
    q.Open();
    EXPECT_EQ(q.RecordCount(), 1);
    EXPECT_EQ(q.FieldByName("Data")->AsDate(), QDate(2026, 12, 8));
    EXPECT_FALSE(q.CanModify());
    TQuery upd;
    upd.SetDatabaseName(dir.Path());
    upd.SetSQL({"UPDATE \"Doc_out.DB\"", "SET Tip = :T", "WHERE Numar = :N"});
    upd.ParamByName("T")->SetAsString("XYZ");
    upd.ParamByName("N")->SetAsFloat(125);
    upd.ExecSQL();
    EXPECT_EQ(upd.RowsAffected(), 2);
}

TEST(Storage, ANewDatabaseFileAndItsLogsFollowTheUmaskAsTheCompanysOtherFilesDo)
{
    TempDir dir; // an SQLite file in either run
    const mode_t saved = ::umask(002); // a group of users sharing its companies
    const auto db = Connection::Open(dir.Path(), TOpenMode::CreateMissing);
    CreateTable(dir.Path(), "Gest.DB", {{"Cod", TFieldType::String, 4}}, {}, {{"_MP"}});
    ::umask(saved);
    for (const char* name : {"tables.sqlite", "tables.sqlite-wal", "tables.sqlite-shm"}) {
        struct stat info {};
        ASSERT_EQ(::stat(QFile::encodeName(dir.File(name)).constData(), &info), 0) << name;
        EXPECT_EQ(info.st_mode & 0777, 0664u) << name;
    }
}

} // namespace

// A company moved from its SQLite file into the database of another directory (the
// server's in the PostgreSQL run): whole, verified, or not at all.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/schema/CompanyMigration.h"
#include "platform/schema/CompanyTables.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

class Migration : public ::testing::Test {
public:
    void SetUp() override
    {
        // The source is always a company in an SQLite file.
        for (const TTableLayout& t : HostTables())
            CreateTable(source.Path(), t.Name, t.Fields, t.Indexes);
        Add("Stoc.DB", {{4.5, ".LAPTE", "01", "_MP", 2.25, "L2", "ADM"}, {1.0, ".SARE", "01", "_MP", QVariant(), "L1", ""}});
        Add("Doc_in.DB", {{7.0, QDate(2026, 12, 7), 125.0, "NIR", QDate(2026, 12, 6), "FERMA1", "Lapte ș ţ"}});
        Add("FIRMDATA.DB", {{"Lactate SRL", "Str. Morii 1", "RO123", QVariant(), QVariant()}});
        // A row another program wrote in its own forms: an empty text, the date as text.
        Connection::Open(source.Path())->Exec("INSERT INTO COUNTER (NewCounterIn, NewCounterOut) VALUES (3, 9)");
    }
    void Add(const QString& table, const std::vector<QVariantList>& rows)
    {
        auto t = OpenTable(source.Path(), table);
        for (const QVariantList& row : rows)
            t->AppendRecord(row);
    }
    TempDir source;
    DatabaseDir target;
};

// A pair of databases of its own for each case of a table-driven test.
struct Companies final : Migration {
    Companies() { SetUp(); }
    void TestBody() override {}
};

TEST_F(Migration, EveryTableArrivesWholeInItsOrderWithItsKeys)
{
    QStringList begun;
    const std::vector<TMigratedTable> copied = MigrateCompany(source.Path(), target.Path(), [&](const QString& t) { begun << t; });
    EXPECT_EQ(copied.size(), HostTables().size());
    EXPECT_EQ(begun.size(), int(HostTables().size()));
    for (const TMigratedTable& t : copied)
        EXPECT_EQ(t.Rows, t.Name == "Stoc" ? 2 : t.Name == "Doc_in" || t.Name == "FIRMDATA" || t.Name == "COUNTER" ? 1 : 0) << t.Name.toStdString();

    // Read back through the layer: the same rows in the same order, the same values.
    for (const char* table : {"Stoc.DB", "Doc_in.DB", "FIRMDATA.DB", "COUNTER.DB"}) {
        SCOPED_TRACE(table);
        auto before = OpenTable(source.Path(), table);
        auto after = OpenTable(target.Path(), table);
        ASSERT_EQ(after->FieldCount(), before->FieldCount());
        for (int i = 0; i < before->FieldCount(); ++i) {
            EXPECT_EQ(after->Fields(i)->FieldName(), before->Fields(i)->FieldName()); // spelt as made
            EXPECT_EQ(Column(*after, after->Fields(i)->FieldName()), Column(*before, before->Fields(i)->FieldName()));
        }
    }
    EXPECT_EQ(OpenTable(target.Path(), "Stoc.DB")->FieldByName("Agent")->AsString(), "ADM");
    EXPECT_TRUE(OpenTable(target.Path(), "Doc_in.DB")->FieldByName("Data")->AsDate() == QDate(2026, 12, 6));

    // The keys and the indexes came along.
    TTable stock;
    stock.SetDatabaseName(target.Path());
    stock.SetTableName("Stoc.DB");
    EXPECT_TRUE(stock.HasIndexOn("Cod_grupa;Cod_articol"));
    // The index of the lots below nothing is the layout's, made on connecting, once.
    EXPECT_FALSE(stock.HasPartialIndex("Negative"));
    EXPECT_TRUE(EnsureIndexes(target.Path(), {StocDB}));
    EXPECT_TRUE(stock.HasPartialIndex("Negative"));
    EXPECT_TRUE(EnsureIndexes(target.Path(), {StocDB}));
    auto docs = OpenTable(target.Path(), "Doc_in.DB");
    docs->Append();
    docs->FieldByName("Contor")->SetAsFloat(7);
    EXPECT_THROW(docs->Post(), EDatabaseError); // Key violation
    docs->Cancel();
}

TEST_F(Migration, AMoveIsRecordedInTheTransactionThatCopiesIt)
{
    EXPECT_FALSE(HoldsMigration(target.Path(), "mutarea-1")); // nothing there yet
    MigrateCompany(source.Path(), target.Path(), {}, "mutarea-1");
    EXPECT_TRUE(HoldsMigration(target.Path(), "mutarea-1"));
    EXPECT_FALSE(HoldsMigration(target.Path(), "mutarea-2"));

    // A copy rolled back records nothing.
    Companies other;
    Connection::Open(other.source.Path())->Exec("UPDATE Doc_in SET Data = 'maine'");
    EXPECT_THROW(MigrateCompany(other.source.Path(), other.target.Path(), {}, "mutarea-3"), EDatabaseError);
    EXPECT_FALSE(HoldsMigration(other.target.Path(), "mutarea-3"));
}

TEST(MigrationRefused, TheDestinationIsLeftAsItWas)
{
    struct Case {
        const char* what;
        std::function<void(Companies&)> arrange;
        int tablesLeft; // in the destination afterwards
        const char* told;
    } cases[] = {
        {"the destination holds a table of the company already",
         [](Companies& m) { CreateTable(m.target.Path(), "Gest.DB", {{"Cod", TFieldType::String, 4}}, {}, {{"X"}}); }, 1,
         "contine deja tabela Gest"},
        // Another program wrote what is no date into a date column: it would arrive empty.
        {"a value that would not arrive as it is",
         [](Companies& m) { Connection::Open(m.source.Path())->Exec("UPDATE Doc_in SET Data = 'maine'"); }, 0,
         "Tabela Doc_in nu a fost copiata intocmai"},
        {"a source that holds no company",
         [](Companies& m) {
             for (const TTableLayout& t : HostTables())
                 Connection::Open(m.source.Path())->Exec(QStringLiteral("DROP TABLE \"%1\"").arg(QString(t.Name).chopped(3)));
             CreateTable(m.source.Path(), "Altceva.DB", {{"Cod", TFieldType::String, 4}});
         },
         0, "nu este baza de date a unei firme"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Companies m;
        c.arrange(m);
        try {
            MigrateCompany(m.source.Path(), m.target.Path());
            ADD_FAILURE() << "migrated";
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.told))) << e.Message().toStdString();
        }
        EXPECT_EQ(Connection::Open(m.target.Path(), TOpenMode::CreateMissing)->TableNames().size(), c.tablesLeft);
    }
}

} // namespace

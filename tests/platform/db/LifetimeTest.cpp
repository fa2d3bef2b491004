// Closing and destroying masters, data sources and databases while a detail is editing.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

class Lifetime : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateTable(dir.Path(), "Doc_in.DB", {{"Contor", TFieldType::Float}}, {}, {{1.0}});
        CreateTable(dir.Path(), "Item_in.DB", {{"Contor", TFieldType::Float}, {"Lot", TFieldType::String, 8}});
    }
    // A master and a detail holding a new line; the detail refuses lines without a lot.
    struct Pair {
        Pair(const QString& dir)
        {
            master = OpenTable(dir, "Doc_in.DB");
            source = std::make_unique<TDataSource>();
            source->SetDataSet(master.get());
            detail = std::make_unique<TTable>();
            detail->SetDatabaseName(dir);
            detail->SetTableName("Item_in.DB");
            detail->SetIndexFieldNames("Contor");
            detail->SetMasterSource(source.get());
            detail->SetMasterFields("Contor");
            detail->BeforePost = [](TDataSet* ds) {
                if (ds->FieldByName("Lot")->IsNull())
                    Abort();
            };
            detail->Open();
            detail->Append();
        }
        ~Pair()
        {
            // Destroyed in whatever order a test leaves them.
            detail.reset();
            source.reset();
            master.reset();
        }
        std::unique_ptr<TTable> master;
        std::unique_ptr<TDataSource> source;
        std::unique_ptr<TTable> detail;
    };
    DatabaseDir dir;
};

TEST_F(Lifetime, ClosingOrDestroyingAMasterFirstResolvesItsDetail)
{
    struct Case {
        const char* what;
        bool lot; // the new line is complete
        std::function<void(Pair&)> act;
        int saved; // lines in the file afterwards
    } cases[] = {
        {"master closed, line complete", true, [](Pair& p) { p.master->Close(); }, 1},
        {"master closed, line refused", false, [](Pair& p) { p.master->Close(); }, 0},
        {"master destroyed", false, [](Pair& p) { p.master.reset(); }, 0},
        {"data source destroyed", true, [](Pair& p) { p.source.reset(); }, 0},
        {"detail destroyed", true, [](Pair& p) { p.detail.reset(); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        {
            Pair p(dir.Path());
            if (c.lot)
                p.detail->FieldByName("Lot")->SetAsString("L1");
            c.act(p);
            if (p.master && p.source && p.detail) {
                EXPECT_FALSE(p.master->Active());
            }
            if (p.detail) {
                EXPECT_FALSE(p.detail->IsEditing());
            }
        }
        EXPECT_EQ(RawColumn(dir.Path(), "SELECT COUNT(*) FROM Item_in"), (QVariantList{c.saved}));
    }
}

TEST_F(Lifetime, DisconnectingADatabaseClosesItsTablesAndQueries)
{
    TDatabase db;
    db.SetDatabaseName("FIRMA");
    db.Params() << "PATH=" + dir.Path();
    TTable table;
    table.SetDatabaseName("FIRMA");
    table.SetTableName("Doc_in.DB");
    TQuery query;
    query.SetDatabaseName("FIRMA");
    query.SetSQL({"SELECT Contor FROM \"Doc_in.DB\""});
    table.Open();
    query.Open();
    db.Close();
    EXPECT_FALSE(table.Active());
    EXPECT_FALSE(query.Active());
    // A query destroyed before its database leaves nothing behind for it to close.
    {
        TQuery shortLived;
        shortLived.SetDatabaseName("FIRMA");
        shortLived.SetSQL({"SELECT Contor FROM \"Doc_in.DB\""});
        shortLived.Open();
    }
    db.Open();
    db.Close();
}

} // namespace

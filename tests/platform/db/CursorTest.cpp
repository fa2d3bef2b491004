// What controls rely on: the ends of the cursor and what they hear about them, the place
// of a new record, when required fields are checked, row identity apart from keys, and
// what controls are told after DisableControls.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

// Counts what a control hears.
class Listener final : public TDataLink {
public:
    void ActiveChanged() override { ++active; }
    void DataSetChanged() override { ++data; }
    void DataSetScrolled(int) override { ++scrolled; }
    void LayoutChanged() override { ++layout; }
    int active = 0, data = 0, scrolled = 0, layout = 0;
};

class Cursor : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateTable(dir.Path(), "Lot.DB", {{"Lot", TFieldType::String, 8}, {"Cant", TFieldType::Float}}, {},
                    {{"L1", 1.0}, {"L2", 2.0}, {"L3", 3.0}});
        CreateTable(dir.Path(), "Gol.DB", {{"Lot", TFieldType::String, 8}, {"Cant", TFieldType::Float}});
    }
    DatabaseDir dir;
};

TEST_F(Cursor, MovesThatReachAnEndTellTheControlsAndAppendStandsAtTheEnd)
{
    auto t = OpenTable(dir.Path(), "Lot.DB");
    TDataSource source;
    source.SetDataSet(t.get());
    Listener link;
    link.SetDataSource(&source);
    struct Step {
        const char* what;
        std::function<void()> act;
        bool bof, eof;
        const char* lot;
        bool heard;
    } steps[] = {
        {"to the last record", [&] { t->MoveBy(2); }, false, false, "L3", true},
        {"next at the last record", [&] { t->Next(); }, false, true, "L3", true},
        {"next once more", [&] { t->Next(); }, false, true, "L3", false},
        {"back past the first", [&] { t->MoveBy(-5); }, true, false, "L1", true},
        {"append", [&] { t->Append(); }, false, true, "", true},
        {"cancel", [&] { t->Cancel(); }, false, true, "L3", true},
        {"prior after the cancel", [&] { t->Prior(); }, false, false, "L2", true},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        link.scrolled = link.data = 0;
        s.act();
        EXPECT_EQ(t->Bof(), s.bof);
        EXPECT_EQ(t->Eof(), s.eof);
        EXPECT_EQ(t->FieldByName("Lot")->AsString(), s.lot);
        EXPECT_EQ(link.scrolled + link.data > 0, s.heard);
    }

    auto empty = OpenTable(dir.Path(), "Gol.DB");
    empty->Append();
    EXPECT_FALSE(empty->Bof());
    EXPECT_TRUE(empty->Eof());
}

TEST_F(Cursor, NewRecordHasNoPlaceAndNoBookmark)
{
    auto t = OpenTable(dir.Path(), "Lot.DB");
    t->Last();
    const TBookmark last = t->GetBookmark();
    for (bool append : {true, false}) {
        append ? t->Append() : t->Insert();
        EXPECT_EQ(t->RecNo(), 0);
        EXPECT_EQ(t->GetBookmark(), kNoBookmark);
        t->Cancel();
    }
    EXPECT_FALSE(t->BookmarkValid(kNoBookmark));
    EXPECT_TRUE(t->BookmarkValid(last));

    // The first row of a query is a record like any other.
    TQuery q;
    q.SetDatabaseName(dir.Path());
    q.SetSQL({"SELECT Lot FROM \"Lot.DB\" ORDER BY Lot"});
    q.Open();
    const TBookmark first = q.GetBookmark();
    EXPECT_NE(first, kNoBookmark);
    EXPECT_TRUE(q.BookmarkValid(first));
    EXPECT_FALSE(q.BookmarkValid(kNoBookmark));
    q.Last();
    q.GotoBookmark(first);
    EXPECT_EQ(q.FieldByName("Lot")->AsString(), "L1");
}

TEST_F(Cursor, RequiredFieldsAreCheckedAfterBeforePostAndPostNeedsAnEdit)
{
    auto t = OpenTable(dir.Path(), "Lot.DB");
    t->FieldByName("Cant")->SetRequired(true);
    t->FieldByName("Cant")->SetDisplayLabel("Cantitate");
    t->Append();
    t->FieldByName("Lot")->SetAsString("L4");
    try {
        t->Post();
        ADD_FAILURE() << "a required field left empty was saved";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.Message(), "Campul Cantitate trebuie completat.");
    }
    t->BeforePost = [](TDataSet* ds) { ds->FieldByName("Cant")->SetAsFloat(4); }; // a counter, say
    t->Post();
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT Cant FROM Lot WHERE Lot = 'L4'"), (QVariantList{4.0}));
    EXPECT_THROW(t->Post(), EDatabaseError); // browsing: nothing to save
}

TEST_F(Cursor, ALoneIntegerKeyIsAValueNotTheRecordsIdentity)
{
    // As this layer creates such a table, and as another program may have (the key then
    // is the engine's row number).
    CreateTable(dir.Path(), "Nr.DB", {{"Nr", TFieldType::Integer}, {"Den", TFieldType::String, 8}},
                {{"", "Nr", TIndexOption::Primary}}, {{0, "zero"}, {5, "cinci"}, {9, "noua"}});
    QStringList files{"Nr.DB"};
    if (!OnServer()) { // where a key can be the engine's own row number
        Connection::Open(dir.Path())->Exec("CREATE TABLE Alias (Nr INTEGER PRIMARY KEY, Den VARCHAR(8))");
        Connection::Open(dir.Path())->Exec("INSERT INTO Alias VALUES (0, 'zero'), (5, 'cinci'), (9, 'noua')");
        files << "Alias.DB";
    }
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        auto t = OpenTable(dir.Path(), file, "Nr");
        EXPECT_NE(t->GetBookmark(), kNoBookmark); // key 0
        EXPECT_TRUE(t->BookmarkValid(t->GetBookmark()));
        ASSERT_TRUE(t->FindKey({5}));
        t->Edit();
        t->FieldByName("Nr")->SetAsInteger(12);
        t->Post();
        // The same record, current at the place of its new key.
        EXPECT_EQ(t->FieldByName("Den")->AsString(), "cinci");
        EXPECT_EQ(t->RecNo(), 3);
        t->Edit();
        t->FieldByName("Den")->SetAsString("doisprez");
        t->Post();
        EXPECT_EQ(Column(*t, "Den"), (QStringList{"zero", "noua", "doisprez"}));
    }
    EXPECT_EQ(RawColumn(dir.Path(), QStringLiteral("SELECT COUNT(*) FROM Nr WHERE %1 = Nr").arg(RowIdColumn())).value(0).toInt(), 0);
}

TEST_F(Cursor, EnableControlsTellsWhatChangedMeanwhile)
{
    TQuery q;
    q.SetDatabaseName(dir.Path());
    q.SetSQL({"SELECT Lot FROM \"Lot.DB\""});
    q.Open();
    TDataSource source;
    source.SetDataSet(&q);
    Listener link;
    link.SetDataSource(&source);
    struct Case {
        const char* what;
        std::function<void()> act;
        int active, layout, data;
    } cases[] = {
        {"moved", [&] { q.Next(); }, 0, 0, 1},
        {"new SQL, opened again", [&] { q.SetSQL({"SELECT Lot, Cant FROM \"Lot.DB\""}); q.Open(); }, 0, 1, 0},
        {"closed", [&] { q.Close(); }, 1, 0, 0},
        {"opened", [&] { q.Open(); }, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        q.DisableControls();
        c.act();
        link.active = link.layout = link.data = 0;
        q.EnableControls();
        EXPECT_EQ(link.active > 0, c.active > 0);
        EXPECT_EQ(link.layout, c.layout);
        EXPECT_EQ(link.data, c.data);
    }
}

} // namespace

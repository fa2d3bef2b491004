// Orders, key searches and locating, byte-wise and case-sensitive.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

class Search : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateTable(dir.Path(), "CATALOG.DB",
                    {{"Grupa", TFieldType::String, 8}, {"Cod", TFieldType::String, 30}, {"Denumire", TFieldType::String, 255}},
                    {{"", "Grupa;Cod", TIndexOption::Primary | TIndexOption::Unique},
                     {"ByName", "Grupa;Denumire", {}}},
                    {{"LAP", "P2", "Branza"},
                     {"LA", "P1", "zer"},
                     {"LA", "P3", "Unt"},
                     {"la", "P4", "Apa"},
                     {"MAT", "P5", "Cutie"},
                     {"LAPT", "P6", "Smantana"}});
    }
    DatabaseDir dir;
};

TEST_F(Search, OrdersByIndexFieldsByteWise)
{
    auto t = OpenTable(dir.Path(), "catalog.db");
    // Primary order: group, then code; upper case before lower case; a prefix first.
    EXPECT_EQ(Column(*t, "Cod"), (QStringList{"P1", "P3", "P2", "P6", "P5", "P4"}));
    t->SetIndexFieldNames("Grupa;Denumire");
    EXPECT_EQ(Column(*t, "Denumire"), (QStringList{"Unt", "zer", "Branza", "Smantana", "Cutie", "Apa"}));
}

TEST_F(Search, ChangingTheOrderKeepsTheCurrentRecord)
{
    auto t = OpenTable(dir.Path(), "CATALOG.DB");
    ASSERT_TRUE(t->FindKey({"LAP", "P2"}));
    t->SetIndexFieldNames("Grupa;Denumire");
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P2");
    t->Next();
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P6");
}

TEST_F(Search, FindKeyIsExactAndLeavesTheCursorWhenNothingMatches)
{
    auto t = OpenTable(dir.Path(), "CATALOG.DB");
    ASSERT_TRUE(t->FindKey({"LA", "P3"}));
    EXPECT_FALSE(t->FindKey({"LA", "p3"}));
    EXPECT_FALSE(t->FindKey({"L"}));
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P3");
    EXPECT_TRUE(t->FindKey({"la"}));
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P4");
    EXPECT_THROW(t->FindKey({"LA", "P1", "x"}), EDatabaseError);
}

TEST_F(Search, FindNearestOnOneOrSeveralFields)
{
    auto t = OpenTable(dir.Path(), "CATALOG.DB", "Grupa;Denumire");
    t->AppendRecord({"mat", "P7", "Zmeura"}); // lower-case keys land before the end too
    struct Case {
        QVariantList key;
        const char* code;
    } cases[] = {
        {{"l"}, "P4"},             // after every upper-case group, never at "LA"
        {{"m"}, "P7"},             // "mat", not "MAT"
        {{"LAP"}, "P2"},           // exact group
        {{"LAPA"}, "P6"},          // between LAP and LAPT
        {{"L"}, "P3"},             // a prefix sorts first
        {{"LA", "V"}, "P1"},       // second field: "zer" is the first at or after "V"
        {{"LA", "zzz"}, "P2"},     // past the group: the next group's first row
        {{"Z"}, "P4"},             // lower case sorts after upper case
        {{"la", "b"}, "P7"},       // past the group "la"
        {{""}, "P3"},              // an empty key is the start
    };
    for (const Case& c : cases) {
        t->FindNearest(c.key);
        EXPECT_EQ(t->FieldByName("Cod")->AsString(), c.code) << c.key.value(0).toString().toStdString();
    }
    t->FindNearest({"zz"});
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P7"); // nothing after: the last record
    EXPECT_TRUE(t->Eof());
}

TEST_F(Search, LocateAndLookupByFieldList)
{
    auto t = OpenTable(dir.Path(), "CATALOG.DB");
    t->Last();
    EXPECT_TRUE(t->Locate("Grupa;Denumire", {"LA", "Unt"}));
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P3");
    EXPECT_FALSE(t->Locate("Denumire", {"unt"}));
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P3");
    t->First();
    EXPECT_EQ(t->Lookup("Cod", {"P5"}, "Denumire").toString(), "Cutie");
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P1"); // Lookup does not move
    EXPECT_FALSE(t->Lookup("Cod", {"P9"}, "Denumire").isValid());
}

// Under this transaction's locks a key search may answer from the records already read,
// only where they show the key's first record for certain: the cursor stands on the first
// record of the key as the engine orders it now, whatever was read before.
TEST_F(Search, FindKeyUnderLocksGivesTheKeysFirstRecordAsStoredNow)
{
    auto t = OpenTable(dir.Path(), "CATALOG.DB");
    t->SetReadForUpdate(true);
    t->SetFiltered(true);
    t->OnFilterRecord = [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("Cod")->AsString() != "P3"; };
    TTransaction tx(t->GetConnection());
    t->Last(); // every record read, and locked
    ASSERT_TRUE(t->FindKey({"LA"}));
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P1");
    ASSERT_TRUE(t->FindKey({"LAP"}));
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P2");

    // A row of this program moved to another key: both searches see it there at once.
    auto other = OpenTable(dir.Path(), "CATALOG.DB");
    ASSERT_TRUE(other->FindKey({"LA", "P1"}));
    other->Edit();
    other->FieldByName("Grupa")->SetAsString("LAP");
    other->Post();
    EXPECT_FALSE(t->FindKey({"LA"})); // P3 is filtered out
    ASSERT_TRUE(t->FindKey({"LAP"}));
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P1");
    t->Next();
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P2");
}

// The first record matching a search is not always the answer: a null searched for and a
// value searched for on the same field, and a filter refusing the first match.
TEST_F(Search, FindKeyForNullOrAValueAndLocatePastAFilteredMatch)
{
    auto t = OpenTable(dir.Path(), "CATALOG.DB", "Denumire");
    t->AppendRecord({"LAB", "P9", QVariant()});
    struct Case {
        QVariant name;
        const char* code;
    } cases[] = {{QVariant(), "P9"}, {"Unt", "P3"}, {QVariant(), "P9"}, {"Apa", "P4"}};
    for (const Case& c : cases) {
        ASSERT_TRUE(t->FindKey({c.name})) << c.code;
        EXPECT_EQ(t->FieldByName("Cod")->AsString(), c.code);
    }
    t->SetIndexFieldNames("Grupa;Cod");
    t->OnFilterRecord = [](TDataSet* ds, bool& accept) { accept = ds->FieldByName("Cod")->AsString() != "P1"; };
    t->SetFiltered(true);
    ASSERT_TRUE(t->Locate("Grupa", {"LA"}));
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "P3");
    EXPECT_FALSE(t->Locate("Cod", {"P1"}));
}

TEST(SearchLongKey, FindKeyReachesTheFirstRecordBeforeThoseRead)
{
    DatabaseDir dir;
    std::vector<QVariantList> rows;
    rows.reserve(300);
    for (int i = 0; i < 300; ++i)
        rows.push_back({i < 5 ? "A" : "B", QStringLiteral("C%1").arg(i, 3, 10, QChar('0'))});
    CreateTable(dir.Path(), "LOTS.DB", {{"Grupa", TFieldType::String, 8}, {"Cod", TFieldType::String, 30}},
                {{"", "Grupa;Cod", TIndexOption::Primary | TIndexOption::Unique}}, rows);
    auto t = OpenTable(dir.Path(), "LOTS.DB");
    t->SetReadForUpdate(true);
    TTransaction tx(t->GetConnection());
    t->Last(); // only the last block is read: group B begins before it
    ASSERT_TRUE(t->FindKey({"B"}));
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "C005");
    EXPECT_EQ(t->RecNo(), 6);
    t->Prior();
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "C004");
    ASSERT_TRUE(t->FindKey({"B", "C299"}));
    EXPECT_EQ(t->RecNo(), 300);
    t->Next();
    EXPECT_TRUE(t->Eof());
    ASSERT_TRUE(t->FindKey({"B"})); // now among the records read
    EXPECT_EQ(t->FieldByName("Cod")->AsString(), "C005");
}

} // namespace

// Walking, positions and deletes on tables larger than one block, with null keys.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Table.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

// 1,500 rows keyed by (Grupa, Nr); every tenth row has no group (stored as null).
class Navigation : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::vector<QVariantList> rows;
        rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i)
            rows.push_back({i % 10 == 0 ? QVariant() : QVariant(QString("G%1").arg(i % 3)), double(i)});
        CreateTable(dir.Path(), "Stoc.DB", {{"Grupa", TFieldType::String, 8}, {"Nr", TFieldType::Float, 0}}, {}, rows);
        CreateTable(dir.Path(), "Idx.DB", {{"Grupa", TFieldType::String, 8}, {"Nr", TFieldType::Float, 0}}, {}, rows);
        fw::TTable t;
        t.SetDatabaseName(dir.Path());
        t.SetTableName("Idx.DB");
        t.AddIndex("ByGroup", "Grupa;Nr", {});
        for (int i = 0; i < kRows; ++i)
            expected << QString::number(i);
    }
    static constexpr int kRows = 1500;
    DatabaseDir dir;
    QStringList expected;
};

TEST_F(Navigation, ForwardAndBackwardWalksSeeEveryRowOnce)
{
    auto t = OpenTable(dir.Path(), "Stoc.DB");
    EXPECT_EQ(Column(*t, "Nr"), expected); // insertion order without a key
    EXPECT_TRUE(t->Eof());
    QStringList back;
    t->Last();
    while (!t->Bof()) {
        back.prepend(t->FieldByName("Nr")->AsString());
        t->Prior();
    }
    EXPECT_EQ(back, expected);
    EXPECT_EQ(t->RecordCount(), kRows);
}

TEST_F(Navigation, OrderWithNullsWalksTheSameBothWays)
{
    auto t = OpenTable(dir.Path(), "Idx.DB", "Grupa;Nr");
    QStringList forward = Column(*t, "Nr");
    ASSERT_EQ(forward.size(), kRows);
    EXPECT_EQ(forward.first(), "0");           // null groups first
    EXPECT_EQ(t->FieldByName("Grupa")->AsString(), "G2");
    QStringList back;
    t->Last();
    while (!t->Bof()) {
        back.prepend(t->FieldByName("Nr")->AsString());
        t->Prior();
    }
    EXPECT_EQ(back, forward);
    // From the middle (after a key search) both ways across block edges.
    ASSERT_TRUE(t->FindKey({"G1", 703.0}));
    const int at = int(forward.indexOf("703"));
    EXPECT_EQ(t->RecNo(), at + 1);
    for (int i = 1; i <= 300; ++i)
        t->Prior();
    EXPECT_EQ(t->FieldByName("Nr")->AsString(), forward.at(at - 300));
    EXPECT_EQ(t->MoveBy(600), 600);
    EXPECT_EQ(t->FieldByName("Nr")->AsString(), forward.at(at + 300));
    t->SetRecNo(5);
    EXPECT_EQ(t->FieldByName("Nr")->AsString(), forward.at(4));
    EXPECT_EQ(t->RecNo(), 5);
}

TEST_F(Navigation, EqualKeysAcrossBlockEdgesComeInRowOrderOnce)
{
    // 700 rows in two groups with no nulls: every block edge of a walk by group alone
    // falls between rows of the same key, which only their row order tells apart.
    std::vector<QVariantList> rows;
    rows.reserve(700);
    QStringList even, odd;
    for (int i = 0; i < 700; ++i) {
        rows.push_back({QString("G%1").arg(i % 2), double(i)});
        (i % 2 ? odd : even) << QString::number(i);
    }
    CreateTable(dir.Path(), "Dup.DB", {{"Grupa", TFieldType::String, 8}, {"Nr", TFieldType::Float, 0}}, {}, rows);
    auto t = OpenTable(dir.Path(), "Dup.DB", "Grupa");
    EXPECT_EQ(Column(*t, "Nr"), even + odd);
    ASSERT_TRUE(t->FindKey({"G1"}));
    EXPECT_EQ(t->FieldByName("Nr")->AsString(), "1");
    EXPECT_EQ(t->MoveBy(349), 349);
    EXPECT_EQ(t->FieldByName("Nr")->AsString(), "699");
    EXPECT_EQ(t->MoveBy(1), 0);
}

TEST_F(Navigation, DeleteMakesTheNextRowCurrentAndTheLastOneFallsBack)
{
    auto t = OpenTable(dir.Path(), "Stoc.DB");
    t->SetRecNo(700);
    t->Delete();
    EXPECT_EQ(t->FieldByName("Nr")->AsString(), "700");
    EXPECT_EQ(t->RecordCount(), kRows - 1);
    t->Last();
    t->Delete();
    EXPECT_EQ(t->FieldByName("Nr")->AsString(), "1498");
    // Walking and deleting matching rows, as the consumption of stock does.
    t->First();
    int deleted = 0;
    while (!t->Eof()) {
        if (t->FieldByName("Grupa")->IsNull()) {
            t->Delete();
            ++deleted;
        } else {
            t->Next();
        }
    }
    EXPECT_EQ(deleted, 150);
    EXPECT_EQ(t->RecordCount(), kRows - 2 - 150);
}

TEST_F(Navigation, ALongWalkReadsEachRowWhateverTheRecordItIsReadIntoHeld)
{
    // Long enough for the cursor to read later blocks into records it let go: each form of
    // text follows each other one (longer, shorter, null, wider than ASCII) in some record.
    static constexpr int kLong = 9000;
    const std::vector<QVariant> forms = {QString("L%1"), QVariant(), QString("ȘTEFĂNEȘTI %1"), QString("%1"),
                                         QString("LOT LUNG DE PROBA %1")};
    const auto text = [&](int i) {
        const QVariant& form = forms[size_t(i % 5)];
        return form.isNull() ? QVariant() : QVariant(form.toString().arg(i));
    };
    std::vector<QVariantList> rows;
    rows.reserve(kLong);
    for (int i = 0; i < kLong; ++i)
        rows.push_back({text(i), i % 7 == 3 ? QVariant() : QVariant(i * 0.5)});
    CreateTable(dir.Path(), "Lung.DB", {{"Lot", TFieldType::String, 30}, {"Cant", TFieldType::Float, 0}}, {}, rows);
    auto t = OpenTable(dir.Path(), "Lung.DB");
    TField* lot = t->FieldByName("Lot");
    TField* quantity = t->FieldByName("Cant");
    // What a caller keeps of each row (the texts share the records' storage) stays as it was
    // read while later rows are read into those records.
    QStringList kept;
    int i = 0, wrong = 0;
    for (; !t->Eof() && wrong < 5; t->Next(), ++i) {
        kept << lot->AsString();
        const bool same = lot->IsNull() == text(i).isNull() && quantity->IsNull() == (i % 7 == 3)
                          && quantity->AsFloat() == (i % 7 == 3 ? 0.0 : i * 0.5);
        if (!same) {
            ADD_FAILURE() << "row " << i << ": " << qPrintable(lot->AsString()) << " / " << quantity->AsFloat();
            ++wrong;
        }
    }
    EXPECT_EQ(i, kLong);
    for (int k = 0; k < int(kept.size()) && wrong < 10; ++k) {
        if (kept[k] != text(k).toString()) {
            ADD_FAILURE() << "row " << k << " kept as " << qPrintable(kept[k]);
            ++wrong;
        }
    }
}

TEST_F(Navigation, EmptyTableIsBofAndEofAndEditStartsAnInsert)
{
    CreateTable(dir.Path(), "Gol.DB", {{"A", TFieldType::String, 4}});
    auto t = OpenTable(dir.Path(), "Gol.DB");
    EXPECT_TRUE(t->Bof());
    EXPECT_TRUE(t->Eof());
    EXPECT_TRUE(t->IsEmpty());
    EXPECT_EQ(t->RecNo(), 0);
    EXPECT_THROW(t->Delete(), EDatabaseError);
    t->Edit();
    EXPECT_EQ(t->State(), TDataSetState::Insert);
}

// An empty text another program stored reads as null: such a row keeps its order values as
// stored, where the others take them from the values read. Walks in blocks start each block
// after (before) a row of either kind.
TEST(NavigationStoredKeys, WalksAcrossBlocksWhetherAnOrderValueIsReadOrKeptAsStored)
{
    DatabaseDir dir;
    std::vector<QVariantList> rows;
    rows.reserve(600);
    for (int i = 0; i < 600; ++i)
        rows.push_back({i % 3 == 0 ? "A" : i % 3 == 1 ? "B" : "C", QStringLiteral("L%1").arg(i, 3, 10, QChar('0'))});
    CreateTable(dir.Path(), "Loturi.DB", {{"Grupa", TFieldType::String, 8}, {"Lot", TFieldType::String, 8}},
                {{"", "Grupa;Lot", TIndexOption::Primary | TIndexOption::Unique}}, rows);
    RawRows(dir.Path(), "UPDATE Loturi SET Grupa = '' WHERE Grupa = 'B'");
    QStringList expected; // the empty group first, then A, then C
    for (int first : {1, 0, 2})
        for (int i = first; i < 600; i += 3)
            expected << QStringLiteral("L%1").arg(i, 3, 10, QChar('0'));
    auto t = OpenTable(dir.Path(), "Loturi.DB");
    EXPECT_EQ(Column(*t, "Lot"), expected);
    QStringList backward;
    for (t->Last(); !t->Bof(); t->Prior())
        backward.prepend(t->FieldByName("Lot")->AsString());
    EXPECT_EQ(backward, expected);
}

} // namespace

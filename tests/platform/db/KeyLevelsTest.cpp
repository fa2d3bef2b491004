// Walks whose blocks start after a key of several columns: where an index serves the order,
// SQLite reads the rows after a key a level of the key at a time (the ties, then each
// column's rows after its value); without one, by a row value. Same rows, same order, either
// way and on a server.
#include "DbFixture.h"
#include "platform/db/Table.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

const std::vector<TFieldDef> kLots{{"Grupa", TFieldType::String, 4},
                                   {"Articol", TFieldType::String, 8},
                                   {"Lot", TFieldType::String, 8},
                                   {"Nr", TFieldType::Float, 0}};

// A walk forward from the first row, each row as "group/article/lot".
QStringList Keys(TTable& t)
{
    QStringList out;
    for (t.First(); !t.Eof(); t.Next())
        out << t.FieldByName("Grupa")->AsString() + "/" + t.FieldByName("Articol")->AsString() + "/"
                   + t.FieldByName("Lot")->AsString();
    return out;
}

// 3 groups x 10 articles x 10 lots, inserted out of order (i * 7 mod 300 visits every row
// once), so that the order comes from the key alone; blocks of 64, 256 and more end
// inside an article's lots, between articles and between groups.
std::vector<QVariantList> ScrambledLots()
{
    std::vector<QVariantList> rows;
    rows.reserve(300);
    for (int i = 0; i < 300; ++i) {
        const int n = i * 7 % 300;
        rows.push_back({QString("G%1").arg(n / 100), QString("A%1").arg(n / 10 % 10), QString("L%1").arg(n % 10), double(n)});
    }
    return rows;
}

QStringList OrderedLots()
{
    QStringList out;
    for (int g = 0; g < 3; ++g)
        for (int a = 0; a < 10; ++a)
            for (int l = 0; l < 10; ++l)
                out << QString("G%1/A%2/L%3").arg(g).arg(a).arg(l);
    return out;
}

TEST(KeyLevels, AKeyOfThreeColumnsWalksInOrderWithOrWithoutAnIndexForIt)
{
    DatabaseDir dir;
    CreateTable(dir.Path(), "Cu.DB", kLots, {{"", "Grupa;Articol;Lot", TIndexOption::Primary | TIndexOption::Unique}},
                ScrambledLots());
    CreateTable(dir.Path(), "Fara.DB", kLots, {}, ScrambledLots());
    // Declared descending, the index cannot give the ascending order column by column.
    CreateTable(dir.Path(), "Desc.DB", kLots, {{"ByKeyDesc", "Grupa;Articol;Lot", TIndexOption::Descending}},
                ScrambledLots());
    for (const char* file : {"Cu.DB", "Fara.DB", "Desc.DB"}) {
        auto t = OpenTable(dir.Path(), file, "Grupa;Articol;Lot");
        EXPECT_EQ(Keys(*t), OrderedLots()) << file;
        // From a key search in the middle: a small block, then larger ones, across the
        // end of an article (A9 of G1) and of a group.
        ASSERT_TRUE(t->FindKey({"G1", "A8", "L7"})) << file;
        QStringList after;
        for (int i = 0; i < 30 && !t->Eof(); ++i, t->Next())
            after << t->FieldByName("Grupa")->AsString() + "/" + t->FieldByName("Articol")->AsString() + "/"
                         + t->FieldByName("Lot")->AsString();
        EXPECT_EQ(after, OrderedLots().mid(187, 30)) << file;
        EXPECT_EQ(after.at(13), "G2/A0/L0") << file;
    }
}

TEST(KeyLevels, TiesOfAnIndexedOrderComeInRowOrderAcrossEveryBlockEdge)
{
    // 400 rows on two keys of an index that is not unique: every block edge falls among
    // rows of one key, told apart by their row order alone.
    DatabaseDir dir;
    std::vector<QVariantList> rows;
    rows.reserve(400);
    QStringList first, second;
    for (int i = 0; i < 400; ++i) {
        const bool even = i % 2 == 0;
        rows.push_back({"G1", even ? "A1" : "A2", QString("L%1").arg(i), double(i)});
        (even ? first : second) << QString::number(i);
    }
    CreateTable(dir.Path(), "Dup.DB", kLots, {{"ByArticle", "Grupa;Articol", {}}}, rows);
    auto t = OpenTable(dir.Path(), "Dup.DB", "Grupa;Articol");
    EXPECT_EQ(Column(*t, "Nr"), first + second);
    ASSERT_TRUE(t->FindKey({"G1", "A2"}));
    EXPECT_EQ(t->FieldByName("Nr")->AsString(), "1");
    EXPECT_EQ(t->MoveBy(199), 199);
    EXPECT_EQ(t->FieldByName("Nr")->AsString(), "399");
    EXPECT_EQ(t->MoveBy(1), 0);
}

TEST(KeyLevels, NullsAtALevelSortFirstWithinTheColumnsBeforeIt)
{
    // Articles null in every fourth row: a block may end on a key with a null (read after
    // it by the chain of comparisons) or without (a level at a time), in either order.
    DatabaseDir dir;
    std::vector<QVariantList> rows;
    rows.reserve(240);
    for (int i = 0; i < 240; ++i)
        rows.push_back({QString("G%1").arg(i % 2), i % 4 == 1 ? QVariant() : QVariant(QString("A%1").arg(i % 3)),
                        QString("L%1").arg(i, 3, 10, QChar('0')), double(i)});
    CreateTable(dir.Path(), "Nul.DB", kLots, {{"ByArticle", "Grupa;Articol;Lot", {}}}, rows);
    auto t = OpenTable(dir.Path(), "Nul.DB", "Grupa;Articol;Lot");
    const QStringList walked = Column(*t, "Nr");
    ASSERT_EQ(walked.size(), 240);
    // G0 holds the even rows, none of them without an article; G1 the odd ones, those with
    // i % 4 == 1 (60 rows: 1, 5, 9 ...) first.
    EXPECT_EQ(walked.first(), "0");   // G0, A0, L000
    EXPECT_EQ(walked.at(1), "6");     // G0, A0, L006
    EXPECT_EQ(walked.at(120), "1");   // G1, no article, L001
    EXPECT_EQ(walked.at(179), "237"); // the last of them
    EXPECT_EQ(walked.at(180), "3");   // G1, A0, L003
    EXPECT_EQ(walked.last(), "239");  // G1, A2, L239
    QStringList backward;
    for (t->Last(); !t->Bof(); t->Prior())
        backward.prepend(t->FieldByName("Nr")->AsString());
    EXPECT_EQ(backward, walked);
}

} // namespace

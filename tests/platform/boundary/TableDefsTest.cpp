// Table definitions written into the host's list: byte layout, the append rules, and the
// host's reading and freeing of what the add-on wrote.
#include "platform/boundary/SysMem.h"
#include "platform/boundary/TableDefs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace fw;

namespace {

constexpr std::size_t Ptr = sizeof(void*);
// Offsets as the host reads them.
constexpr std::size_t ListCount = 12, ListEntries = 20, EntrySize = Ptr == 8 ? 112 : 104;
constexpr std::size_t EntryFieldCount = 84, EntryIndexCount = 88, EntryFlag = 92, EntryFields = 96;
constexpr std::size_t EntryIndexes = 96 + Ptr;
constexpr std::size_t FieldSize = 56, IndexSize = 3 * Ptr;

template <typename T>
T Raw(const void* base, std::size_t offset)
{
    T value;
    std::memcpy(&value, static_cast<const unsigned char*>(base) + offset, sizeof value);
    return value;
}

// The recipe table as the add-on registers it.
const std::vector<TFieldDescriptor> RecipeFields = {
    {QStringLiteral("Cod"), TFieldType::String, 12, false},
    {QStringLiteral("Cod_MatPrim"), TFieldType::String, 12, false},
    {QStringLiteral("Cant_MatPrim"), TFieldType::Float, 0, true},
};
const std::vector<TIndexDescriptor> RecipeIndexes = {{QString(), QStringLiteral("Cod;Cod_MatPrim"), ixPrimary | ixUnique}};

// A host list whose every byte carries a mark, so that a byte the add-on should not
// write shows whether it was written.
struct MarkedList {
    std::unique_ptr<DEF_TABLE_LIST> List = std::make_unique<DEF_TABLE_LIST>();
    explicit MarkedList(std::int32_t count)
    {
        std::memset(List.get(), 0xAB, sizeof(DEF_TABLE_LIST));
        List->Count = count;
    }
    ~MarkedList()
    {
        // Only the entries this test wrote hold real pointers.
        for (int i = 0; i < MaxTableDefs; ++i)
            if (Raw<std::uint32_t>(List.get(), ListEntries + i * EntrySize + EntryFieldCount) != 0xABABABABu)
                FreeTableDef(List->Tables[i]);
    }
    const unsigned char* Bytes() const { return reinterpret_cast<const unsigned char*>(List.get()); }
};

} // namespace

TEST(TableDefs, AppendWritesTheHostLayoutAndNothingElse)
{
    // Lists holding 0 and 49 entries take one more; a full one refuses and stays as it was.
    for (const std::int32_t held : {0, 49, 50}) {
        SCOPED_TRACE(held);
        MarkedList marked(held);
        const std::vector<unsigned char> before(marked.Bytes(), marked.Bytes() + sizeof(DEF_TABLE_LIST));
        if (held == MaxTableDefs) {
            EXPECT_THROW(AddTableDef(marked.List.get(), QStringLiteral("Reteta.DB"), RecipeFields, 1, RecipeIndexes),
                         std::out_of_range);
            EXPECT_EQ(Raw<std::int32_t>(marked.Bytes(), ListCount), 50);
            EXPECT_EQ(std::memcmp(before.data(), marked.Bytes(), before.size()), 0);
            continue;
        }
        AddTableDef(marked.List.get(), QStringLiteral("Reteta.DB"), RecipeFields, 1, RecipeIndexes);

        const std::size_t entry = ListEntries + held * EntrySize;
        EXPECT_EQ(Raw<std::int32_t>(marked.Bytes(), ListCount), held + 1);
        EXPECT_EQ(marked.Bytes()[entry], 9);
        EXPECT_EQ(std::memcmp(marked.Bytes() + entry + 1, "Reteta.DB", 9), 0);
        EXPECT_EQ(Raw<std::int32_t>(marked.Bytes(), entry + EntryFieldCount), 3);
        EXPECT_EQ(Raw<std::int32_t>(marked.Bytes(), entry + EntryIndexCount), 1);
        EXPECT_EQ(Raw<std::int32_t>(marked.Bytes(), entry + EntryFlag), 1);

        const auto* fields = Raw<const unsigned char*>(marked.Bytes(), entry + EntryFields);
        const unsigned char* second = fields + FieldSize;
        EXPECT_EQ(second[0], 11);
        EXPECT_EQ(std::memcmp(second + 1, "Cod_MatPrim", 11), 0);
        EXPECT_EQ(second[51], 1);
        EXPECT_EQ(Raw<std::int16_t>(second, 52), 12);
        EXPECT_EQ(second[54], 0);
        const unsigned char* third = fields + 2 * FieldSize;
        EXPECT_EQ(third[51], 6);
        EXPECT_EQ(third[54], 1);
        // Field bytes past the name and the unused last byte stay as allocated: zero.
        EXPECT_EQ(second[12], 0);
        EXPECT_EQ(second[55], 0);

        const auto* indexes = Raw<const unsigned char*>(marked.Bytes(), entry + EntryIndexes);
        EXPECT_EQ(Raw<HostStr>(indexes, 0), nullptr); // the primary index has no name
        const HostStr indexFields = Raw<HostStr>(indexes, Ptr);
        EXPECT_EQ(HostStrToQString(indexFields), QStringLiteral("Cod;Cod_MatPrim"));
        EXPECT_EQ(HostStrRefCount(indexFields), 1);
        EXPECT_EQ(indexes[2 * Ptr], 3);
        EXPECT_EQ(indexes[2 * Ptr + 1], 0);

        // Every byte outside what an entry carries is the host's mark still: its own
        // header bytes, the other entries, the name's tail and the three unused bytes.
        for (std::size_t i = 0; i < sizeof(DEF_TABLE_LIST); ++i) {
            const bool written = (i >= ListCount && i < ListCount + 4)
                || (i >= entry && i < entry + 1 + 9) || (i >= entry + EntryFieldCount && i < entry + EntrySize);
            if (!written) {
                ASSERT_EQ(marked.Bytes()[i], 0xAB) << "byte " << i;
            }
        }
    }
}

TEST(TableDefs, IndexArrayIsWrittenOnlyWhenTheFlagSaysSo)
{
    MarkedList marked(0);
    AddTableDef(marked.List.get(), QStringLiteral("temp.DB"), RecipeFields, 0, RecipeIndexes);
    // The count is stored, the pointer is not.
    EXPECT_EQ(Raw<std::int32_t>(marked.Bytes(), ListEntries + EntryIndexCount), 1);
    EXPECT_EQ(Raw<std::uint64_t>(marked.Bytes(), ListEntries + EntryIndexes) & 0xFFFFFFFFu, 0xABABABABu);
    const TTableDefinition read = ReadTableDef(marked.List->Tables[0]);
    EXPECT_TRUE(read.Indexes.empty());
}

TEST(TableDefs, NamesAreCutToTheirFields)
{
    const QString a79 = QString(79, QLatin1Char('a'));
    struct Case {
        QString Table;
        QString Field;
        QString TableRead;
        QString FieldRead;
    };
    const Case cases[] = {
        {QString(80, QLatin1Char('T')), QString(50, QLatin1Char('F')), QString(80, QLatin1Char('T')), QString(50, QLatin1Char('F'))},
        {QString(81, QLatin1Char('T')), QString(51, QLatin1Char('F')), QString(80, QLatin1Char('T')), QString(50, QLatin1Char('F'))},
        {QString(200, QLatin1Char('T')), QString(90, QLatin1Char('F')), QString(80, QLatin1Char('T')), QString(50, QLatin1Char('F'))},
        // A two-byte character across the limit goes whole, never half.
        {a79 + QStringLiteral("ăb"), QString(49, QLatin1Char('F')) + QStringLiteral("ş"), a79, QString(49, QLatin1Char('F'))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Table.size());
        MarkedList marked(0);
        const std::vector<TFieldDescriptor> fields = {{c.Field, TFieldType::Float, 0, false}};
        AddTableDef(marked.List.get(), c.Table, fields, 0, {});
        const TTableDefinition read = ReadTableDef(marked.List->Tables[0]);
        EXPECT_EQ(read.Name, c.TableRead);
        ASSERT_EQ(read.Fields.size(), 1u);
        EXPECT_EQ(read.Fields[0].Name, c.FieldRead);
    }
}

TEST(TableDefs, HostReadsBackAndFreesEverythingThroughTheSharedManager)
{
    const TSysMemStatus before = SysMemStatus();
    auto list = std::make_unique<DEF_TABLE_LIST>();
    const std::vector<TIndexDescriptor> twoIndexes = {RecipeIndexes[0],
                                                      {QStringLiteral("ByMat"), QStringLiteral("Cod_MatPrim"), ixDescending}};
    AddTableDef(list.get(), QStringLiteral("Reteta.DB"), RecipeFields, 1, RecipeIndexes);
    AddTableDef(list.get(), QStringLiteral("Other.DB"), RecipeFields, 1, twoIndexes);

    const std::vector<TTableDefinition> read = ReadTableDefList(*list);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], (TTableDefinition{QStringLiteral("Reteta.DB"), RecipeFields, 1, RecipeIndexes}));
    EXPECT_EQ(read[1].Indexes, twoIndexes);
    EXPECT_GT(SysMemStatus().Blocks, before.Blocks);

    FreeTableDefList(*list);
    EXPECT_EQ(list->Count, 0);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);
    EXPECT_EQ(SysMemStatus().Bytes, before.Bytes);
    FreeTableDef(list->Tables[0]); // a second free finds nothing left to free
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);
}

TEST(TableDefs, RefusalsLeaveTheListUntouched)
{
    const std::vector<TFieldDescriptor> tooMany(MaxTableDefFields + 1, RecipeFields[0]);
    const std::vector<TIndexDescriptor> tooManyIndexes(MaxTableDefIndexes + 1, RecipeIndexes[0]);
    struct Case {
        std::int32_t Count;
        const std::vector<TFieldDescriptor>* Fields;
        const std::vector<TIndexDescriptor>* Indexes;
    };
    const Case cases[] = {
        {-1, &RecipeFields, &RecipeIndexes}, // a damaged count must not write before the array
        {51, &RecipeFields, &RecipeIndexes},
        {0, &tooMany, &RecipeIndexes},
        {0, &RecipeFields, &tooManyIndexes},
    };
    const TSysMemStatus before = SysMemStatus();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Count);
        MarkedList marked(c.Count);
        const std::vector<unsigned char> bytes(marked.Bytes(), marked.Bytes() + sizeof(DEF_TABLE_LIST));
        EXPECT_THROW(AddTableDef(marked.List.get(), QStringLiteral("X.DB"), *c.Fields, 1, *c.Indexes), std::out_of_range);
        EXPECT_EQ(std::memcmp(bytes.data(), marked.Bytes(), bytes.size()), 0);
    }
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);
    EXPECT_THROW(AddTableDef(nullptr, QStringLiteral("X.DB"), RecipeFields, 0, {}), std::invalid_argument);
}

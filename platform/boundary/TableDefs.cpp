#include "platform/boundary/TableDefs.h"

#include "platform/boundary/SysMem.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <utility>

namespace fw {

namespace {

[[noreturn]] void RangeError() { throw std::out_of_range("Range check error"); }

// The local 8-bit form of text, cut to at most max bytes. In UTF-8 a cut never lands
// inside a character: half a character would make the host's copy undecodable.
QByteArray CutToBytes(const QString& text, int max)
{
    QByteArray bytes = text.toLocal8Bit();
    if (bytes.size() <= max)
        return bytes;
    qsizetype cut = max;
#ifndef Q_OS_WIN
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80)
        --cut;
#endif
    bytes.truncate(cut);
    return bytes;
}

template <int N>
void StoreShortString(TShortString<N>& target, const QString& text)
{
    const QByteArray bytes = CutToBytes(text, N);
    target.Length = static_cast<std::uint8_t>(bytes.size());
    std::memcpy(target.Chars, bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

template <int N>
QString LoadShortString(const TShortString<N>& source)
{
    // A length byte beyond the field is damage; never read past the field for it.
    return QString::fromLocal8Bit(source.Chars, std::min<int>(source.Length, N));
}

// Releases the strings of an index array and the array itself.
void FreeIndexArray(DEF_INDEX* indexes, std::size_t count)
{
    if (!indexes)
        return;
    for (std::size_t i = 0; i < count; ++i) {
        HostStr name = indexes[i].Name;
        HostStr fields = indexes[i].Fields;
        HostStrRelease(name);
        HostStrRelease(fields);
        indexes[i].Name = nullptr;
        indexes[i].Fields = nullptr;
    }
    SysFreeMem(indexes);
}

// An index array under construction, released with its strings unless handed over.
struct IndexArrayGuard {
    DEF_INDEX* Array = nullptr;
    std::size_t Count = 0;
    ~IndexArrayGuard() { FreeIndexArray(Array, Count); }
    DEF_INDEX* Release() { return std::exchange(Array, nullptr); }
};

// The counts of an entry, checked against the limits and against the arrays they
// describe, so that neither reading nor freeing walks through memory that is not there.
struct EntryShape {
    std::size_t Fields = 0;
    std::size_t Indexes = 0; // 0 when the index array was not written
};

EntryShape CheckedShape(const DEF_TABLE& entry)
{
    const std::int32_t fieldCount = entry.FieldCount;
    const std::int32_t indexCount = entry.IndexCount;
    const bool hasIndexes = entry.IndexesFlag != 0;
    if (fieldCount < 0 || fieldCount > MaxTableDefFields || (fieldCount > 0 && !entry.Fields))
        RangeError();
    if (hasIndexes && (indexCount < 0 || indexCount > MaxTableDefIndexes || (indexCount > 0 && !entry.Indexes)))
        RangeError();
    return {static_cast<std::size_t>(fieldCount), hasIndexes ? static_cast<std::size_t>(indexCount) : 0};
}

std::size_t CheckedListCount(const DEF_TABLE_LIST& list)
{
    const std::int32_t count = list.Count;
    if (count < 0 || count > MaxTableDefs)
        RangeError();
    return static_cast<std::size_t>(count);
}

} // namespace

void AddTableDef(DEF_TABLE_LIST* list, const QString& name, std::span<const TFieldDescriptor> fields,
                 std::int32_t indexesFlag, std::span<const TIndexDescriptor> indexes)
{
    if (!list)
        throw std::invalid_argument("No table definition list");
    const std::int32_t count = list->Count;
    // A count outside 0..49 would put the entry outside the host's array.
    if (count < 0 || count >= MaxTableDefs)
        RangeError();
    if (fields.size() > MaxTableDefFields || indexes.size() > MaxTableDefIndexes)
        RangeError();

    // Everything that can fail is built before the entry is touched, so that a failure
    // leaves the host's list as it was.
    std::unique_ptr<void, TSysMemDeleter> fieldBlock(AllocMem(fields.size() * sizeof(DEF_FIELD)));
    auto* fieldArray = static_cast<DEF_FIELD*>(fieldBlock.get());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        DEF_FIELD& target = fieldArray[i];
        StoreShortString(target.Name, fields[i].Name);
        target.FieldType = static_cast<std::uint8_t>(fields[i].Type);
        target.Size = fields[i].Size;
        target.Required = fields[i].Required ? 1 : 0;
    }

    IndexArrayGuard indexArray;
    if (indexesFlag != 0) {
        indexArray.Array = static_cast<DEF_INDEX*>(AllocMem(indexes.size() * sizeof(DEF_INDEX)));
        indexArray.Count = indexes.size();
        for (std::size_t i = 0; i < indexes.size(); ++i) {
            DEF_INDEX& target = indexArray.Array[i];
            target.Name = NewHostStr(indexes[i].Name);
            target.Fields = NewHostStr(indexes[i].Fields);
            target.Options = indexes[i].Options;
        }
    }

    DEF_TABLE& entry = list->Tables[count];
    StoreShortString(entry.Name, name);
    entry.FieldCount = static_cast<std::int32_t>(fields.size());
    entry.IndexCount = static_cast<std::int32_t>(indexes.size());
    entry.IndexesFlag = indexesFlag;
    entry.Fields = static_cast<DEF_FIELD*>(fieldBlock.release());
    if (indexesFlag != 0)
        entry.Indexes = indexArray.Release();
    list->Count = count + 1;
}

TTableDefinition ReadTableDef(const DEF_TABLE& entry)
{
    const EntryShape shape = CheckedShape(entry);
    TTableDefinition def;
    def.Name = LoadShortString(entry.Name);
    def.IndexesFlag = entry.IndexesFlag;
    const DEF_FIELD* fieldArray = entry.Fields;
    for (std::size_t i = 0; i < shape.Fields; ++i) {
        const DEF_FIELD& source = fieldArray[i];
        def.Fields.push_back({LoadShortString(source.Name), static_cast<TFieldType>(source.FieldType), source.Size,
                              source.Required != 0});
    }
    const DEF_INDEX* indexArray = entry.Indexes;
    for (std::size_t i = 0; i < shape.Indexes; ++i) {
        const DEF_INDEX& source = indexArray[i];
        def.Indexes.push_back({HostStrToQString(source.Name), HostStrToQString(source.Fields), source.Options});
    }
    return def;
}

std::vector<TTableDefinition> ReadTableDefList(const DEF_TABLE_LIST& list)
{
    const std::size_t count = CheckedListCount(list);
    std::vector<TTableDefinition> defs;
    defs.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        defs.push_back(ReadTableDef(list.Tables[i]));
    return defs;
}

void FreeTableDef(DEF_TABLE& entry)
{
    const EntryShape shape = CheckedShape(entry);
    SysFreeMem(entry.Fields);
    entry.Fields = nullptr;
    entry.FieldCount = 0;
    if (entry.IndexesFlag != 0) {
        FreeIndexArray(entry.Indexes, shape.Indexes);
        entry.Indexes = nullptr;
        entry.IndexCount = 0;
    }
}

void FreeTableDefList(DEF_TABLE_LIST& list)
{
    const std::size_t count = CheckedListCount(list);
    for (std::size_t i = 0; i < count; ++i)
        FreeTableDef(list.Tables[i]);
    list.Count = 0;
}

} // namespace fw

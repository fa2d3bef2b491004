#pragma once

#include "platform/boundary/HostString.h"
#include "platform/db/Field.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace fw {

// Table definitions that the add-on writes into the host's memory, so that the host can
// create, restructure or reindex the add-on's tables in every company database. The
// records are byte layouts shared with the host: packed, little-endian, pointers at
// fixed offsets (4 bytes wide in a 32-bit build, 8 in a 64-bit one, with every offset in
// front of a pointer the same in both). Arrays and strings hanging off them come from the
// shared memory manager and belong to the host once written.

inline constexpr int MaxTableDefs = 50;       // entries of a DEF_TABLE_LIST
inline constexpr int MaxTableDefFields = 255; // fields of one table
inline constexpr int MaxTableDefIndexes = 50; // indexes of one table
inline constexpr int TableDefNameMax = 80;    // bytes of a table file name
inline constexpr int FieldDefNameMax = 50;    // bytes of a field name

// Bits of DEF_INDEX::Options.
inline constexpr std::uint8_t ixPrimary = 0x01;
inline constexpr std::uint8_t ixUnique = 0x02;
inline constexpr std::uint8_t ixDescending = 0x04;

#pragma pack(push, 1)

// A length byte followed by up to N single-byte characters, in a field of N + 1 bytes.
// The bytes after the string are not part of it and are never written.
template <int N>
struct TShortString {
    std::uint8_t Length;
    char Chars[std::size_t(N)];
};

struct DEF_FIELD {
    TShortString<FieldDefNameMax> Name; // 0
    std::uint8_t FieldType;             // 51: a TFieldType value
    std::int16_t Size;                  // 52: characters of a string field, else 0
    std::uint8_t Required;              // 54: 1 when the field must be filled in
    std::uint8_t Unused;                // 55
};

struct DEF_INDEX {
    HostStr Name;         // 0: empty for the primary index
    HostStr Fields;       // 4 / 8: field names separated by ";"
    std::uint8_t Options; // 8 / 16: ixPrimary | ixUnique | ixDescending
    std::uint8_t Unused[sizeof(void*) - 1];
};

struct DEF_TABLE {
    TShortString<TableDefNameMax> Name; // 0: the table's file name
    std::uint8_t Unused[3];             // 81
    std::int32_t FieldCount;            // 84
    std::int32_t IndexCount;            // 88
    std::int32_t IndexesFlag;           // 92: nonzero when Indexes is supplied
    DEF_FIELD* Fields;                  // 96
    DEF_INDEX* Indexes;                 // 100 / 104: written only when IndexesFlag is nonzero
};

struct DEF_TABLE_LIST {
    std::uint8_t HostReserved1[12]; // 0: the host's own
    std::int32_t Count;             // 12: entries in use
    std::uint8_t HostReserved2[4];  // 16: the host's own
    DEF_TABLE Tables[MaxTableDefs]; // 20
};

#pragma pack(pop)

static_assert(sizeof(DEF_FIELD) == 56);
static_assert(offsetof(DEF_FIELD, Name) == 0 && offsetof(DEF_FIELD, FieldType) == 51);
static_assert(offsetof(DEF_FIELD, Size) == 52 && offsetof(DEF_FIELD, Required) == 54);
static_assert(offsetof(DEF_TABLE, Name) == 0 && offsetof(DEF_TABLE, FieldCount) == 84);
static_assert(offsetof(DEF_TABLE, IndexCount) == 88 && offsetof(DEF_TABLE, IndexesFlag) == 92);
static_assert(offsetof(DEF_TABLE, Fields) == 96);
static_assert(offsetof(DEF_TABLE_LIST, Count) == 12 && offsetof(DEF_TABLE_LIST, Tables) == 20);
static_assert(offsetof(DEF_INDEX, Name) == 0);
#if UINTPTR_MAX == 0xffffffff
static_assert(sizeof(DEF_INDEX) == 12);
static_assert(offsetof(DEF_INDEX, Fields) == 4 && offsetof(DEF_INDEX, Options) == 8);
static_assert(offsetof(DEF_TABLE, Indexes) == 100 && sizeof(DEF_TABLE) == 104);
static_assert(sizeof(DEF_TABLE_LIST) == 20 + 50 * 104);
#else
static_assert(sizeof(DEF_INDEX) == 24);
static_assert(offsetof(DEF_INDEX, Fields) == 8 && offsetof(DEF_INDEX, Options) == 16);
static_assert(offsetof(DEF_TABLE, Indexes) == 104 && sizeof(DEF_TABLE) == 112);
static_assert(sizeof(DEF_TABLE_LIST) == 20 + 50 * 112);
#endif

// One field or index of a table definition as plain values: what the add-on hands to
// AddTableDef and what the host gets back from ReadTableDef.
struct TFieldDescriptor {
    QString Name;
    TFieldType Type = TFieldType::Unknown;
    std::int16_t Size = 0;
    bool Required = false;
    bool operator==(const TFieldDescriptor&) const = default;
};

struct TIndexDescriptor {
    QString Name;   // empty for the primary index
    QString Fields; // "Cod;Cod_MatPrim"
    std::uint8_t Options = 0;
    bool operator==(const TIndexDescriptor&) const = default;
};

struct TTableDefinition {
    QString Name;
    std::vector<TFieldDescriptor> Fields;
    std::int32_t IndexesFlag = 0;
    std::vector<TIndexDescriptor> Indexes; // empty when IndexesFlag is 0
    bool operator==(const TTableDefinition&) const = default;
};

// Appends a definition to the host's list: the entry numbered by the list's count, then
// the count raised by one. The name is cut to 80 bytes and every field name to 50 (never
// inside a character); the field array and, when indexesFlag is nonzero, the index array
// are allocated zero-filled from the shared manager, index names and field lists as new
// strings with a count of 1. Bytes of the entry that carry nothing are not written.
// std::out_of_range when the list is full (or its count is not a valid one) or when
// there are more than 255 fields or 50 indexes; std::invalid_argument for a null list.
// A failure leaves the list exactly as it was.
void AddTableDef(DEF_TABLE_LIST* list, const QString& name, std::span<const TFieldDescriptor> fields,
                 std::int32_t indexesFlag, std::span<const TIndexDescriptor> indexes);

// The host's side: an entry (or every entry in use) as plain values. std::out_of_range
// when a count is outside its limits or an array it announces is missing.
TTableDefinition ReadTableDef(const DEF_TABLE& entry);
std::vector<TTableDefinition> ReadTableDefList(const DEF_TABLE_LIST& list);

// Frees an entry's arrays and strings through the shared manager and clears its counts
// and pointers, so that freeing twice does nothing. The index array is only looked at
// when the indexes flag says it was written. Same errors as ReadTableDef, raised before
// anything is freed.
void FreeTableDef(DEF_TABLE& entry);
// Frees every entry in use and sets the count to 0.
void FreeTableDefList(DEF_TABLE_LIST& list);

} // namespace fw

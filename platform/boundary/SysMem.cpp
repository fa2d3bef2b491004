#include "platform/boundary/SysMem.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Every block carries a small header in front of what the caller sees: a tag that marks it
// as ours and the size asked for. The tag lets SysFreeMem refuse a pointer that some other
// allocator made (the classic fault when two managers meet at a library boundary), and
// the size keeps the statistics exact. Sixteen bytes keep the caller's part aligned as
// malloc aligns.
struct alignas(16) BlockHeader {
    std::uint64_t Tag;
    std::uint64_t Size;
};
static_assert(sizeof(BlockHeader) == 16);

constexpr std::uint64_t LiveTag = 0x4b52424d454d4c56ull; // "VLMEMBRK"
constexpr std::uint64_t FreedTag = 0x4b52424d454d4446ull;

std::atomic<std::int64_t> liveBlocks{0};
std::atomic<std::int64_t> liveBytes{0};

BlockHeader* HeaderOf(void* p) { return static_cast<BlockHeader*>(p) - 1; }

// The header of a live block, or null when p is not one.
BlockHeader* LiveHeader(void* p)
{
    if (!p || reinterpret_cast<std::uintptr_t>(p) % alignof(BlockHeader) != 0)
        return nullptr;
    BlockHeader* header = HeaderOf(p);
    return header->Tag == LiveTag ? header : nullptr;
}

void Account(std::int64_t blocks, std::int64_t bytes)
{
    liveBlocks.fetch_add(blocks, std::memory_order_relaxed);
    liveBytes.fetch_add(bytes, std::memory_order_relaxed);
}

bool TooLarge(std::size_t size) { return size > SIZE_MAX - sizeof(BlockHeader); }

} // namespace

extern "C" {

void* SysGetMem(std::size_t size)
{
    if (size == 0 || TooLarge(size))
        return nullptr;
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (!header)
        return nullptr;
    header->Tag = LiveTag;
    header->Size = size;
    Account(1, static_cast<std::int64_t>(size));
    return header + 1;
}

int SysFreeMem(void* p)
{
    if (!p)
        return 0;
    BlockHeader* header = LiveHeader(p);
    if (!header)
        return -1;
    // Spoil the tag first, so that a second free of the same pointer is caught while
    // the memory has not been reused yet.
    header->Tag = FreedTag;
    Account(-1, -static_cast<std::int64_t>(header->Size));
    std::free(header);
    return 0;
}

void* SysReallocMem(void* p, std::size_t size)
{
    if (!p)
        return SysGetMem(size);
    BlockHeader* header = LiveHeader(p);
    if (!header)
        return nullptr;
    if (size == 0) {
        SysFreeMem(p);
        return nullptr;
    }
    if (TooLarge(size))
        return nullptr;
    const std::uint64_t oldSize = header->Size;
    auto* moved = static_cast<BlockHeader*>(std::realloc(header, sizeof(BlockHeader) + size));
    if (!moved)
        return nullptr;
    moved->Size = size;
    Account(0, static_cast<std::int64_t>(size) - static_cast<std::int64_t>(oldSize));
    return moved + 1;
}

}

namespace fw {

void* AllocMem(std::size_t size)
{
    if (size == 0)
        return nullptr;
    void* p = SysGetMem(size);
    if (!p)
        throw std::bad_alloc();
    std::memset(p, 0, size);
    return p;
}

TSysMemStatus SysMemStatus()
{
    return {liveBlocks.load(std::memory_order_relaxed), liveBytes.load(std::memory_order_relaxed)};
}

} // namespace fw

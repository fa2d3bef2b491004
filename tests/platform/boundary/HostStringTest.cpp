// The shared memory manager and the reference-counted strings that cross between host
// and add-on.
#include "platform/boundary/HostString.h"
#include "platform/boundary/SysMem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>

using namespace fw;

namespace {

std::int32_t RawInt32(const char* p)
{
    std::int32_t value;
    std::memcpy(&value, p, sizeof value);
    return value;
}

// The string as the other side would make it with its own code: a block from the
// shared manager laid out by hand.
HostStr HandMadeString(const char* text)
{
    const auto length = static_cast<std::int32_t>(std::strlen(text));
    auto* block = static_cast<char*>(SysGetMem(8 + length + 1));
    const std::int32_t count = 1;
    std::memcpy(block, &count, 4);
    std::memcpy(block + 4, &length, 4);
    std::memcpy(block + 8, text, length + 1);
    return block + 8;
}

} // namespace

TEST(SysMem, IsExportedWithCLinkageForBothSides)
{
    // The add-on and the host find the manager by its plain name.
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "SysGetMem"), reinterpret_cast<void*>(&SysGetMem));
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "SysFreeMem"), reinterpret_cast<void*>(&SysFreeMem));
    EXPECT_EQ(dlsym(RTLD_DEFAULT, "SysReallocMem"), reinterpret_cast<void*>(&SysReallocMem));
}

TEST(SysMem, FreeReportsWhetherTheBlockWasOurs)
{
    const TSysMemStatus before = SysMemStatus();
    void* block = SysGetMem(40);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks + 1);
    EXPECT_EQ(SysMemStatus().Bytes, before.Bytes + 40);
    EXPECT_EQ(SysFreeMem(block), 0);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);

    EXPECT_EQ(SysFreeMem(nullptr), 0);
    // A block of another allocator is refused, not handed to free().
    void* foreign = std::malloc(64);
    std::memset(foreign, 0, 64);
    EXPECT_EQ(SysFreeMem(static_cast<char*>(foreign) + 16), -1);
    std::free(foreign);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);
}

TEST(SysMem, ReallocKeepsContentsAndFollowsTheNullAndZeroRules)
{
    const TSysMemStatus before = SysMemStatus();
    auto* p = static_cast<char*>(SysReallocMem(nullptr, 4));
    ASSERT_NE(p, nullptr);
    std::memcpy(p, "abcd", 4); // NOLINT(bugprone-not-null-terminated-result): four bytes, no string
    p = static_cast<char*>(SysReallocMem(p, 4096));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::memcmp(p, "abcd", 4), 0);
    EXPECT_EQ(SysMemStatus().Bytes, before.Bytes + 4096);
    EXPECT_EQ(SysReallocMem(p, 0), nullptr);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);
    EXPECT_EQ(SysMemStatus().Bytes, before.Bytes);

    auto* zeroed = static_cast<unsigned char*>(AllocMem(100));
    EXPECT_TRUE(std::all_of(zeroed, zeroed + 100, [](unsigned char b) { return b == 0; }));
    SysFreeMem(zeroed);
}

TEST(HostString, LayoutIsCountLengthCharactersZero)
{
    HostStr s = NewHostStr(std::string_view("Reteta.DB"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(RawInt32(s - 8), 1);
    EXPECT_EQ(RawInt32(s - 4), 9);
    EXPECT_EQ(std::memcmp(s, "Reteta.DB", 10), 0); // with its zero byte
    EXPECT_EQ(HostStrLength(s), 9);
    // The block handed out by the manager starts at the header.
    EXPECT_EQ(SysFreeMem(s - 8), 0);

    EXPECT_EQ(NewHostStr(QString()), nullptr);
    EXPECT_EQ(HostStrLength(nullptr), 0);
    EXPECT_TRUE(HostStrToQString(nullptr).isEmpty());
}

TEST(HostString, AssignReleaseAndCopyKeepTheCountsRight)
{
    const TSysMemStatus before = SysMemStatus();
    HostStr a = NewHostStr(QStringLiteral("Productie"));
    HostStr b = nullptr;
    HostStrAssign(b, a);
    EXPECT_EQ(b, a);
    EXPECT_EQ(HostStrRefCount(a), 2);

    // Assigning a string to itself must not free it, even as its only holder.
    HostStr solo = NewHostStr(QStringLiteral("_"));
    const std::int64_t blocks = SysMemStatus().Blocks;
    HostStrAssign(solo, solo);
    EXPECT_EQ(SysMemStatus().Blocks, blocks);
    EXPECT_EQ(HostStrRefCount(solo), 1);
    HostStrRelease(solo);

    HostStr c = HostStrCopy(a);
    EXPECT_NE(c, a);
    EXPECT_EQ(HostStrRefCount(c), 1);
    EXPECT_EQ(HostStrRefCount(a), 2);
    EXPECT_EQ(HostStrToQString(c), QStringLiteral("Productie"));

    // The old value of the target loses its reference: c is freed here.
    HostStrAssign(c, a);
    EXPECT_EQ(HostStrRefCount(a), 3);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks + 1);

    HostStrRelease(a);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(HostStrRefCount(b), 2);
    HostStrRelease(b);
    HostStrRelease(c);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);
    EXPECT_EQ(SysMemStatus().Bytes, before.Bytes);
}

TEST(HostString, ConstantsAreNeverCountedNorFreed)
{
    static constexpr TConstHostStr Name{"Productie produse lactate"};
    const TSysMemStatus before = SysMemStatus();
    HostStr constant = Name.Str();
    EXPECT_EQ(RawInt32(constant - 8), -1);
    EXPECT_EQ(HostStrLength(constant), 25);
    EXPECT_EQ(constant[25], '\0');

    HostStr variable = NewHostStr(QStringLiteral("old"));
    HostStrAssign(variable, constant); // frees "old", shares the constant
    EXPECT_EQ(variable, constant);
    EXPECT_EQ(HostStrRefCount(constant), -1);
    EXPECT_TRUE(HostStrIsConstant(variable));
    HostStrRelease(variable);
    EXPECT_EQ(variable, nullptr);
    EXPECT_EQ(HostStrRefCount(constant), -1);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);

    // Keeping it beyond the library's life takes a copy, which is an ordinary string.
    HostStr kept = HostStrCopy(constant);
    EXPECT_EQ(HostStrRefCount(kept), 1);
    EXPECT_EQ(HostStrToQString(kept), QStringLiteral("Productie produse lactate"));
    HostStrRelease(kept);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);
}

TEST(HostString, StringsFromEitherSideAreFreedThroughTheSharedManager)
{
    const TSysMemStatus before = SysMemStatus();
    HostStr fromHost = HandMadeString("KRBPROD");
    EXPECT_EQ(HostStrToQString(fromHost), QStringLiteral("KRBPROD"));
    HostStr held = nullptr;
    HostStrAssign(held, fromHost);
    EXPECT_EQ(HostStrRefCount(fromHost), 2);
    HostStrRelease(fromHost);
    HostStrRelease(held);
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);
}

TEST(HostString, PathsRoundTripThroughTheLocalEncoding)
{
    const QString path = QStringLiteral("/srv/firmă/ştiinţă și artă");
    HostStr s = NewHostStr(path);
    EXPECT_EQ(QByteArray(s, HostStrLength(s)), path.toLocal8Bit());
    EXPECT_EQ(HostStrToQString(s), path);
    HostStrRelease(s);
}

TEST(HostString, HolderSharesAndReleasesItsReference)
{
    const TSysMemStatus before = SysMemStatus();
    {
        THostString a(QStringLiteral("_"));
        THostString b = a;
        EXPECT_EQ(HostStrRefCount(a.Get()), 2);
        THostString c = std::move(b);
        EXPECT_TRUE(b.IsEmpty()); // NOLINT(bugprone-use-after-move): what a move leaves behind
        EXPECT_EQ(HostStrRefCount(a.Get()), 2);
        c = THostString();
        EXPECT_EQ(HostStrRefCount(a.Get()), 1);
        // A callee that assigns through the address releases the old value itself.
        HostStrAssign(*c.Address(), a.Get());
        EXPECT_EQ(HostStrRefCount(a.Get()), 2);
    }
    EXPECT_EQ(SysMemStatus().Blocks, before.Blocks);
}

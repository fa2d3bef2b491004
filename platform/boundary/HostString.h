#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace fw {

// The host's string, as it crosses the boundary in both directions: a pointer to the
// first character of a block from the shared memory manager (SysMem.h). In front of the
// characters sit a signed 32-bit reference count and a 32-bit length in bytes; a zero byte
// follows them, so the pointer is also a C string. A null pointer is the empty string, and
// a count of -1 marks a constant in static storage that is never counted and never freed.
//
// The characters are bytes in the platform's local 8-bit encoding (UTF-8 on Linux, the
// ANSI code page on Windows), the encoding file names use, so that a directory path handed
// over by the host comes back to the file system byte for byte. Conversions to and from
// QString go through that encoding.
using HostStr = char*;

// The header in front of the characters.
struct THostStrRec {
    std::int32_t RefCount;
    std::int32_t Length;
};
static_assert(sizeof(THostStrRec) == 8);

// A new string with a count of 1 holding these bytes; null for no bytes.
// std::length_error when the length does not fit the 32-bit header.
HostStr NewHostStr(std::string_view bytes);
HostStr NewHostStr(const QByteArray& bytes);
HostStr NewHostStr(const QString& text);

// Takes one more reference to s (constants and null are returned as they are).
HostStr HostStrAddRef(HostStr s);

// variable := source. The source gains a reference (unless it is a constant), then the
// variable's old value loses one, so assigning a string to itself is safe.
void HostStrAssign(HostStr& variable, HostStr source);

// Drops the variable's reference: the block is freed when the count reaches zero,
// constants are left alone. The variable is null afterwards.
void HostStrRelease(HostStr& variable);

// A fresh block with a count of 1 and the same bytes (null for the empty string); the
// way to keep a library's constant after the library is gone.
HostStr HostStrCopy(HostStr s);

std::int32_t HostStrLength(HostStr s);
// The count in the header: 0 for null, -1 for a constant.
std::int32_t HostStrRefCount(HostStr s);
bool HostStrIsConstant(HostStr s);

std::string_view HostStrView(HostStr s);
QString HostStrToQString(HostStr s);

// A constant host string laid out in static storage: header with a count of -1, then
// the characters and their zero byte. A constexpr instance lands in read-only data,
// which is fine because nothing ever writes to a constant.
//
//     static constexpr fw::TConstHostStr AddOnName{"Productie produse lactate"};
//     fw::HostStrAssign(*result, AddOnName.Str());
template <std::size_t N>
struct TConstHostStr {
    static_assert(N >= 1, "a string literal with its zero byte");
    std::int32_t RefCount = -1;
    std::int32_t Length = static_cast<std::int32_t>(N - 1);
    char Chars[N] = {};

    constexpr TConstHostStr(const char (&text)[N])
    {
        for (std::size_t i = 0; i < N; ++i)
            Chars[i] = text[i];
    }
    // The string as the boundary passes it. An empty literal is still a valid constant
    // block, but the empty string proper is null.
    constexpr HostStr Str() const { return N > 1 ? const_cast<char*>(Chars) : nullptr; }
};

// One reference to a host string, released when the holder goes. For state a module
// keeps across calls and for results a caller must not forget to release.
class THostString final {
public:
    THostString() = default;
    explicit THostString(const QString& text) : str_(NewHostStr(text)) {}
    THostString(const THostString& other) : str_(HostStrAddRef(other.str_)) {}
    THostString(THostString&& other) noexcept : str_(other.str_) { other.str_ = nullptr; }
    THostString& operator=(const THostString& other)
    {
        HostStrAssign(str_, other.str_);
        return *this;
    }
    THostString& operator=(THostString&& other) noexcept;
    ~THostString() { HostStrRelease(str_); }

    // Takes over a reference the caller already holds.
    static THostString Adopt(HostStr s);
    // Takes a reference of its own.
    static THostString Share(HostStr s) { return Adopt(HostStrAddRef(s)); }

    HostStr Get() const { return str_; }
    // The variable itself, for calls that assign through its address (the release of
    // the old value is theirs).
    HostStr* Address() { return &str_; }
    std::int32_t Length() const { return HostStrLength(str_); }
    bool IsEmpty() const { return str_ == nullptr; }
    QString ToQString() const { return HostStrToQString(str_); }

private:
    HostStr str_ = nullptr;
};

} // namespace fw

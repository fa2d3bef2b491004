#include "platform/boundary/HostString.h"

#include "platform/boundary/SysMem.h"

#include <atomic>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace fw {

namespace {

THostStrRec* RecOf(HostStr s) { return reinterpret_cast<THostStrRec*>(s - sizeof(THostStrRec)); }

// The count is changed atomically, as the host's runtime does: a string may be shared by
// code that runs on another thread of the host.
std::atomic_ref<std::int32_t> CountOf(HostStr s) { return std::atomic_ref<std::int32_t>(RecOf(s)->RefCount); }

static_assert(offsetof(TConstHostStr<1>, RefCount) == 0);
static_assert(offsetof(TConstHostStr<1>, Length) == 4);
static_assert(offsetof(TConstHostStr<1>, Chars) == sizeof(THostStrRec));

} // namespace

HostStr NewHostStr(std::string_view bytes)
{
    if (bytes.empty())
        return nullptr;
    // Header, characters and the zero byte must fit, and the length must fit its field.
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) - sizeof(THostStrRec) - 1)
        throw std::length_error("Host string too long");
    auto* rec = static_cast<THostStrRec*>(SysGetMem(sizeof(THostStrRec) + bytes.size() + 1));
    if (!rec)
        throw std::bad_alloc();
    rec->RefCount = 1;
    rec->Length = static_cast<std::int32_t>(bytes.size());
    char* chars = reinterpret_cast<char*>(rec + 1);
    std::memcpy(chars, bytes.data(), bytes.size());
    chars[bytes.size()] = '\0';
    return chars;
}

HostStr NewHostStr(const QByteArray& bytes)
{
    return NewHostStr(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

HostStr NewHostStr(const QString& text) { return NewHostStr(text.toLocal8Bit()); }

HostStr HostStrAddRef(HostStr s)
{
    // Only positive counts are counted: -1 is a constant, and anything else is not a
    // string this runtime made, which is better left alone than "repaired".
    if (s && CountOf(s).load() > 0)
        CountOf(s).fetch_add(1);
    return s;
}

void HostStrAssign(HostStr& variable, HostStr source)
{
    HostStrAddRef(source);
    HostStr old = variable;
    variable = source;
    HostStrRelease(old);
}

void HostStrRelease(HostStr& variable)
{
    HostStr s = variable;
    variable = nullptr;
    if (s && CountOf(s).load() > 0 && CountOf(s).fetch_sub(1) == 1)
        SysFreeMem(RecOf(s));
}

HostStr HostStrCopy(HostStr s) { return NewHostStr(HostStrView(s)); }

std::int32_t HostStrLength(HostStr s)
{
    // A negative length can only come from a damaged header; reading it as a size would
    // run through memory.
    return s && RecOf(s)->Length > 0 ? RecOf(s)->Length : 0;
}

std::int32_t HostStrRefCount(HostStr s) { return s ? CountOf(s).load() : 0; }

bool HostStrIsConstant(HostStr s) { return s && HostStrRefCount(s) < 0; }

std::string_view HostStrView(HostStr s)
{
    return s ? std::string_view(s, static_cast<std::size_t>(HostStrLength(s))) : std::string_view();
}

QString HostStrToQString(HostStr s)
{
    const std::string_view bytes = HostStrView(s);
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

THostString& THostString::operator=(THostString&& other) noexcept
{
    if (this != &other) {
        HostStrRelease(str_);
        str_ = other.str_;
        other.str_ = nullptr;
    }
    return *this;
}

THostString THostString::Adopt(HostStr s)
{
    THostString holder;
    holder.str_ = s;
    return holder;
}

} // namespace fw

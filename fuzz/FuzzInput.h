#pragma once

// What the harnesses share: their input cut into fields at NUL bytes, so that a seed is
// written by hand (printf 'Productie\0IndGest\0...'), and the way a broken property stops
// the run with the input that broke it.

#include <QByteArray>
#include <QList>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// The first `count` NUL-separated fields of the input and, as the last, the rest of it
// whole (NULs included). Fewer fields than asked: the input is the rest alone.
inline QList<QByteArray> Fields(const unsigned char* data, size_t size, int count)
{
    const QByteArray all(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<QByteArray> fields;
    qsizetype at = 0;
    for (int i = 0; i < count; ++i) {
        const qsizetype nul = all.indexOf('\0', at);
        if (nul < 0)
            return {QList<QByteArray>(count, QByteArray()) << all};
        fields << all.mid(at, nul - at);
        at = nul + 1;
    }
    fields << all.mid(at);
    return fields;
}

// A property of the parser that the input broke: a crash for libFuzzer, which keeps the input.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: broken: %s\n", __FILE__, __LINE__, #condition);          \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

} // namespace fuzz

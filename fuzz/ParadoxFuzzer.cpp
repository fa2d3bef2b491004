// The Paradox reader (pxlib under the paradox/ checks): the header, fields and rows of a
// damaged table, with or without its memo file, are read or refused with a reason,
// never read out of bounds or into a hang.
//
// Input: one byte of flags (bit 0: a memo file is given; bits 1-2: the code page assumed
// for a header that names none: none, 1250, 852, 437), the memo file's length as 4 bytes
// little-endian, the memo file, the table.
#include "FuzzInput.h"
#include "paradox/ParadoxTable.h"

#include <QtEndian>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    if (size < 5)
        return 0;
    static constexpr int kCodePages[] = {0, 1250, 852, 437};
    const int flags = data[0];
    const size_t memoSize = std::min<size_t>(qFromLittleEndian<quint32>(data + 1), size - 5);
    const char* rest = reinterpret_cast<const char*>(data + 5);
    std::optional<QByteArray> memo;
    if (flags & 1)
        memo = QByteArray(rest, qsizetype(memoSize));
    const QByteArray table(rest + memoSize, qsizetype(size - 5 - memoSize));
    const paradox::TParadoxContents contents = paradox::ReadParadoxTable(table, memo, kCodePages[(flags >> 1) & 3], 1000);
    if (contents.Refusal.isEmpty()) {
        for (const paradox::TParadoxRow& row : contents.Rows)
            FUZZ_CHECK(row.Values.size() == contents.Fields.size());
    }
    return 0;
}

#include "paradox/MemoFile.h"

#include "paradox/ImportMessages.h"

#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace paradox {

namespace {

constexpr qint64 kBlock = 4096;
// A block holding one value: type, its size in blocks, the value's size and change number.
constexpr int kSingleHead = 9;
constexpr unsigned char kSingle = 2;
// A block holding up to 64 small values: a head of 12 bytes, then 64 entries of 5 bytes
// (offset and size in units of 16 bytes, change number, size within the last unit).
constexpr unsigned char kShared = 3;
constexpr int kSharedHead = 12;
constexpr int kEntries = 64;
constexpr int kEntrySize = 5;
// The pointer that ends each field: offset (the block, and the entry in its lowest
// byte, 0xFF for a block of its own), size, change number.
constexpr int kPointer = 10;

quint32 U32(const char* p) { return qFromLittleEndian<quint32>(p); }
quint16 U16(const char* p) { return qFromLittleEndian<quint16>(p); }

} // namespace

std::unique_ptr<TMemoFile> TMemoFile::Open(const QString& path, QString* why)
{
    std::unique_ptr<TMemoFile> memo(new TMemoFile);
    // Only a regular file: a device or a pipe named .MB could hold the reader forever.
    if (!QFileInfo(path).isFile()) {
        *why = msg::NotARegularFile();
        return nullptr;
    }
    memo->file_.setFileName(path);
    if (!memo->file_.open(QIODevice::ReadOnly)) {
        *why = memo->file_.errorString();
        return nullptr;
    }
    memo->size_ = memo->file_.size();
    return memo->CheckHeader(why) ? std::move(memo) : nullptr;
}

std::unique_ptr<TMemoFile> TMemoFile::FromBytes(QByteArray bytes, QString* why)
{
    std::unique_ptr<TMemoFile> memo(new TMemoFile);
    memo->bytes_ = std::move(bytes);
    memo->inMemory_ = true;
    memo->size_ = memo->bytes_.size();
    return memo->CheckHeader(why) ? std::move(memo) : nullptr;
}

bool TMemoFile::CheckHeader(QString* why)
{
    char type = 1;
    if (size_ < kBlock || !ReadAt(0, &type, 1) || type != 0) {
        *why = msg::NotAMemoFile();
        return false;
    }
    return true;
}

bool TMemoFile::ReadAt(qint64 offset, char* to, qint64 size) const
{
    if (offset < 0 || size < 0 || offset > size_ || size > size_ - offset)
        return false;
    if (inMemory_) {
        std::memcpy(to, bytes_.constData() + offset, size_t(size));
        return true;
    }
    return file_.seek(offset) && file_.read(to, size) == size;
}

bool ReadBlobField(const TMemoFile* memo, const char* field, int length, QByteArray& value, QString& why)
{
    value = QByteArray();
    if (length < kPointer)
        return true; // a declared length the reader refuses before any row
    const char* pointer = field + length - kPointer;
    const quint32 offset = U32(pointer);
    const quint32 size = U32(pointer + 4);
    const int leader = length - kPointer;
    if (size == 0)
        return true;
    // A value no longer than the leading part lives in the row alone.
    if (offset == 0) {
        if (size > quint32(leader)) {
            why = msg::MemoPointerMissing(size);
            return false;
        }
        value = QByteArray(field, int(size));
        return true;
    }
    if (!memo) {
        why = msg::MemoFileMissingForValue();
        return false;
    }
    const qint64 block = qint64(offset & 0xFFFFFF00u);
    const int entry = int(offset & 0xFFu);
    char type = 0;
    if (block % kBlock != 0 || !memo->ReadAt(block, &type, 1)) {
        why = msg::MemoPointerOutside(block, memo->Size());
        return false;
    }
    qint64 start = 0;
    if (entry == 0xFF) {
        char head[kSingleHead];
        if (static_cast<unsigned char>(type) != kSingle || !memo->ReadAt(block, head, kSingleHead)) {
            why = msg::MemoBlockWrong(block);
            return false;
        }
        const qint64 room = qint64(U16(head + 1)) * kBlock - kSingleHead;
        if (U32(head + 3) != size || qint64(size) > room) {
            why = msg::MemoSizeWrong(block, size, U32(head + 3));
            return false;
        }
        start = block + kSingleHead;
    } else {
        char slot[kEntrySize];
        if (static_cast<unsigned char>(type) != kShared || entry >= kEntries
            || !memo->ReadAt(block + kSharedHead + qint64(entry) * kEntrySize, slot, kEntrySize)) {
            why = msg::MemoBlockWrong(block);
            return false;
        }
        const qint64 at = qint64(static_cast<unsigned char>(slot[0])) * 16;
        const int units = static_cast<unsigned char>(slot[1]);
        const int last = static_cast<unsigned char>(slot[4]);
        const qint64 stored = units > 0 && last >= 1 && last <= 16 ? qint64(units - 1) * 16 + last : -1;
        if (stored != qint64(size) || at < kSharedHead + kEntries * kEntrySize || at + stored > kBlock) {
            why = msg::MemoSizeWrong(block, size, quint32(std::max<qint64>(stored, 0)));
            return false;
        }
        start = block + at;
    }
    // Every size is within the file's now; only then is room made for the value.
    if (qint64(size) > memo->Size() - start) {
        why = msg::MemoPointerOutside(start + size, memo->Size());
        return false;
    }
    value.resize(qsizetype(size));
    if (!memo->ReadAt(start, value.data(), size)) {
        why = msg::MemoPointerOutside(start + size, memo->Size());
        value = QByteArray();
        return false;
    }
    return true;
}

} // namespace paradox

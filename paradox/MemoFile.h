#pragma once

// The values of memo and BLOB fields. A row holds the start of each such value and a
// pointer into the table's memo file (.MB), which holds the values whole: in blocks of
// 4 KiB, a large value in a block of its own, small ones sixty-four to a block behind an
// index. Nothing a pointer or a block says is taken on trust: every offset and size is
// checked against the file before anything is read or allocated.
//
// (The library's own memo reading overruns its stack on any memo file in the version this
// system builds with, so the memo file is read here; the rows are the library's.)

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>

namespace paradox {

class TMemoFile final {
public:
    // The file at `path`: null, with the reason in `why`, when it cannot be read or is no
    // memo file.
    static std::unique_ptr<TMemoFile> Open(const QString& path, QString* why);
    static std::unique_ptr<TMemoFile> FromBytes(QByteArray bytes, QString* why);

    qint64 Size() const { return size_; }
    // Reads `size` bytes at `offset` of the file; false when they are not all there.
    bool ReadAt(qint64 offset, char* to, qint64 size) const;

private:
    TMemoFile() = default;
    bool CheckHeader(QString* why);

    mutable QFile file_;
    QByteArray bytes_;
    bool inMemory_ = false;
    qint64 size_ = 0;
};

// The value of a memo or BLOB field of `length` bytes (its leading part, then the
// pointer): a null array for an empty value. False, with the reason in `why`, when the
// pointer leads to nothing sound, or to the memo file when there is none (`memo` null).
bool ReadBlobField(const TMemoFile* memo, const char* field, int length, QByteArray& value, QString& why);

} // namespace paradox

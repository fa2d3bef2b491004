#pragma once

#include <QString>
#include <QStringList>

namespace fw {

// The largest settings file read: far above any real one, small enough to read at once.
constexpr qint64 MaxIniFileSize = qint64(1024) * 1024;

// An INI file shared with other programs and other users: the host's own settings file
// next to its program, a company's KRBDEF.INI. Nothing is cached and nothing is held
// open: every read reads the file as it is now, every write reads it again, changes the
// one entry and writes it back at once, so that a change made meanwhile by someone else
// to another key survives (the last writer wins key by key).
//
// Writers take turns: each holds an exclusive lock on "<file>.lock" beside the file
// from reading it to replacing it, and waits a few seconds at most for another writer to
// finish. A write changes only the line of its key (or adds the key to its section, or
// the section to the end of the file); every other byte stays as it was — line breaks,
// encoding, comments, lines that are no entry, duplicate sections and keys. Where a
// section or a key occurs twice, the first occurrence is the one read and written. A value that is already the one asked for is not written at all.
//
// Section and key names compare without regard to ASCII case. Values are trimmed of
// blanks at both ends, and a value written with blanks at an end is stored in double
// quotes so that it reads back as written; a value in double quotes reads without them.
// A key present with nothing after "=" reads as an empty value, not as the default.
// Text is stored in the platform's local 8-bit encoding (UTF-8 on Linux); the bytes of
// other lines are never converted. A file that starts with UTF-16's byte order mark (as
// Windows' Notepad may save it) is read in UTF-16 and written back in UTF-16, with its mark
// and in its byte order; a UTF-16 text that does not decode (an odd byte at its end, a
// lone surrogate) is an error like the ones below.
//
// The new text replaces the old one through a temporary file in the same directory, so
// a failed write never leaves half a file; where that directory refuses new files the
// file is rewritten in place. A file the user may not write is never replaced. A file
// that cannot be read or written, or whose lock cannot be had, raises EInOutError
// "Unable to write to <file name as given>" and stays as it was.
//
// Only a regular file of at most MaxIniFileSize bytes is read. Only a file that does not
// exist reads as all defaults: one that is there but cannot be read (no right to read it,
// a pipe, a device, a directory, a larger file, a link to nothing, a file that is no text:
// one holding control characters other than tabs, line breaks, form feeds and the old
// end-of-file mark, such as binary data or UTF-16 without its mark) raises EInOutError with
// a Romanian message naming it, on every read.
class TIniFile final {
public:
    explicit TIniFile(QString fileName);

    // The name as given to the constructor (a relative name is taken against the
    // current directory whenever the file is used).
    const QString& FileName() const { return fileName_; }

    // The value of the key, or defaultValue when the file, the section or the key is
    // missing.
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    // A whole number written in decimal, or in hexadecimal after "$" or "0x"; the
    // default when the key is missing or its value is not such a number.
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // An integer value other than 0 is true; the default as for ReadInteger.
    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;

    // Sets the key, creating the file and the section when they are missing.
    // std::invalid_argument for a name or value that would not read back as the same
    // entry (an empty key, a line break, "=" in a key, "]" in a section name, a key
    // starting as a comment or a section would).
    void WriteString(const QString& section, const QString& key, const QString& value);
    void WriteInteger(const QString& section, const QString& key, int value);
    void WriteBool(const QString& section, const QString& key, bool value);

    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& key) const;
    // The section's keys in file order; empty when the section is missing.
    QStringList ReadSection(const QString& section) const;
    // The same with a key listed as often as it occurs (where the file repeats it).
    QStringList ReadSectionEntries(const QString& section) const;

    // Remove a key, or a section with all its keys. Nothing missing, nothing written.
    void DeleteKey(const QString& section, const QString& key);
    void EraseSection(const QString& section);

private:
    QString fileName_;
};

// The framework's error for a settings file or store that cannot be written:
// EInOutError "Unable to write to <fileName>".
[[noreturn]] void RaiseUnableToWrite(const QString& fileName);

} // namespace fw

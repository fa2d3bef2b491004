#include "platform/config/IniFile.h"

#include "platform/config/AtomicFile.h"
#include "platform/config/FileLock.h"
#include "platform/config/IniText.h"
#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

// How long a writer waits for another one to finish: a write takes milliseconds, so
// only a writer that hangs holds it up this long.
constexpr int LockWaitMs = 10000;

QByteArray Bytes(const QString& text) { return text.toLocal8Bit(); }

QString Shown(const QString& fileName) { return QDir::toNativeSeparators(fileName); }

[[noreturn]] void RaiseNotRegular(const QString& fileName)
{
    throw EInOutError(QStringLiteral("<%1> nu este un fisier obisnuit: setarile nu pot fi citite din el.").arg(Shown(fileName)));
}

[[noreturn]] void RaiseDanglingLink(const QString& fileName)
{
    throw EInOutError(QStringLiteral("Fisierul de setari <%1> este o legatura catre un fisier care nu exista: setarile "
                                     "nu pot fi citite din el.")
                          .arg(Shown(fileName)));
}

[[noreturn]] void RaiseTooLarge(const QString& fileName)
{
    throw EInOutError(QStringLiteral("Fisierul de setari <%1> este prea mare (peste %2 MiB): nu poate fi citit.")
                          .arg(Shown(fileName))
                          .arg(MaxIniFileSize / (qint64(1024) * 1024)));
}

[[noreturn]] void RaiseUnreadable(const QString& fileName, int error)
{
    throw EInOutError(error == EACCES || error == EPERM
                          ? QStringLiteral("Fisierul de setari <%1> nu poate fi citit: nu aveti drept de citire.").arg(Shown(fileName))
                          : QStringLiteral("Fisierul de setari <%1> nu poate fi citit.").arg(Shown(fileName)));
}

// The file's text; nothing when it does not exist, which reads as all defaults. Anything
// else that keeps it from being read whole is an error, never a file of defaults: a
// settings file read as empty would quietly change what the program does. Only regular
// files of a settings file's size are read, so that a pipe, a device or a link to one
// cannot hold the program up or fill its memory.
std::optional<QByteArray> ReadText(const QString& fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    struct stat info {};
    // Looked at before opening: opening a device may already do something.
    if (::stat(path.constData(), &info) != 0) {
        const int error = errno;
        // A link to nothing is no missing file: what it was to lead to is gone.
        struct stat link {};
        if (error == ENOENT && ::lstat(path.constData(), &link) == 0 && S_ISLNK(link.st_mode))
            RaiseDanglingLink(fileName);
        if (error == ENOENT || error == ENOTDIR)
            return std::nullopt;
        RaiseUnreadable(fileName, error);
    }
    if (!S_ISREG(info.st_mode))
        RaiseNotRegular(fileName);
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        RaiseUnreadable(fileName, errno);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        RaiseUnreadable(fileName, EIO);
    }
    // What was opened may have been put in place after the look.
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        RaiseNotRegular(fileName);
    if (info.st_size > MaxIniFileSize)
        RaiseTooLarge(fileName);
    QByteArray text = file.read(MaxIniFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        RaiseUnreadable(fileName, EIO);
    if (text.size() > MaxIniFileSize)
        RaiseTooLarge(fileName);
    return text;
}

// How the file's text is written: as bytes (the local 8-bit encoding, or any other the
// program never converts), or in UTF-16 after its byte order mark, which is read as the
// same text in UTF-8 and written back in UTF-16.
enum class TEncoding { Bytes, Utf16LE, Utf16BE };

struct TFileText {
    QByteArray Text; // as TIniText edits it: UTF-8 for a UTF-16 file (its mark as U+FEFF)
    TEncoding Encoding = TEncoding::Bytes;
};

[[noreturn]] void RaiseNotText(const QString& fileName)
{
    throw EInOutError(QStringLiteral("Fisierul de setari <%1> nu este un fisier text: contine octeti de control (date "
                                     "binare, sau text UTF-16 fara marca de ordine a octetilor). Setarile nu pot fi "
                                     "citite din el.")
                          .arg(Shown(fileName)));
}

[[noreturn]] void RaiseBadUtf16(const QString& fileName)
{
    throw EInOutError(QStringLiteral("Fisierul de setari <%1> incepe ca un text UTF-16, dar textul lui este deteriorat: "
                                     "setarile nu pot fi citite din el.")
                          .arg(Shown(fileName)));
}

QByteArray EncodeUtf16(const QByteArray& utf8, TEncoding encoding)
{
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    const QString text = decode(utf8);
    QStringEncoder encode(encoding == TEncoding::Utf16LE ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
                          QStringEncoder::Flag::Stateless);
    return encode(text);
}

// The text a file's bytes hold. A text that starts with UTF-16's byte order mark is read
// in UTF-16 (and must come back the same when written so again); any other is taken as
// bytes. Either way a settings file holds no control characters but tabs, line breaks,
// form feeds and the old end-of-file mark: one that does is binary data, or UTF-16 without
// its mark, and reading it as text would find no setting at all.
TFileText Decode(const QString& fileName, QByteArray bytes)
{
    TFileText decoded;
    if (bytes.startsWith("\xFF\xFE"))
        decoded.Encoding = TEncoding::Utf16LE;
    else if (bytes.startsWith("\xFE\xFF"))
        decoded.Encoding = TEncoding::Utf16BE;
    if (decoded.Encoding == TEncoding::Bytes) {
        decoded.Text = std::move(bytes);
    } else {
        QStringDecoder decode(decoded.Encoding == TEncoding::Utf16LE ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                              QStringDecoder::Flag::ConvertInitialBom);
        const QString text = decode(bytes);
        decoded.Text = text.toUtf8();
        if (bytes.size() % 2 != 0 || decode.hasError() || EncodeUtf16(decoded.Text, decoded.Encoding) != bytes)
            RaiseBadUtf16(fileName);
    }
    for (const char c : std::as_const(decoded.Text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\v' && c != '\f' && byte != 0x1A)
            RaiseNotText(fileName);
    }
    return decoded;
}

QByteArray Encode(const TFileText& text)
{
    return text.Encoding == TEncoding::Bytes ? text.Text : EncodeUtf16(text.Text, text.Encoding);
}

std::optional<TFileText> ReadSettingsText(const QString& fileName)
{
    std::optional<QByteArray> bytes = ReadText(fileName);
    if (!bytes)
        return std::nullopt;
    return Decode(fileName, std::move(*bytes));
}

// The text for a read: a missing file is an empty one.
QByteArray TextOf(const QString& fileName) { return ReadSettingsText(fileName).value_or(TFileText()).Text; }

// The file's text before a change. Only "no such file" counts as missing: a file that is
// there but cannot be read must not be replaced by one holding only the new key.
TFileText ReadTextForUpdate(const QString& fileName)
{
    try {
        return ReadSettingsText(fileName).value_or(TFileText());
    } catch (const EInOutError&) {
        RaiseUnableToWrite(fileName);
    }
}

// Every writer of the file takes this lock, beside the file (beside the file a link
// points to, so that writers through different names agree), for the whole of reading,
// changing and replacing it.
std::unique_ptr<TFileLock> LockForWriting(const QString& fileName)
{
    const QFileInfo info(fileName);
    const QString target = info.exists() ? info.canonicalFilePath() : fileName;
    try {
        if (auto lock = TFileLock::Acquire(target + QStringLiteral(".lock"), TFileLock::TKind::Exclusive, LockWaitMs))
            return lock;
    } catch (const EInOutError&) {
    }
    RaiseUnableToWrite(fileName);
}

// Applies one change to the file as it is now and writes it back when the change did
// something. A change that does nothing to the file as it reads now is left there
// without a lock, as if it had been made just before anybody else's.
void Update(const QString& fileName, const std::function<bool(TIniText&)>& change)
{
    TIniText unlocked(ReadTextForUpdate(fileName).Text);
    if (!change(unlocked))
        return;
    const auto lock = LockForWriting(fileName);
    const TFileText before = ReadTextForUpdate(fileName);
    TIniText text(before.Text);
    if (change(text) && !SaveFileAtomically(fileName, Encode({text.Text(), before.Encoding})))
        RaiseUnableToWrite(fileName);
}

bool HasLineBreak(const QString& text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
}

// Refuses what would be written as something else than the entry asked for: another
// key, a comment, a section, or a line the parser drops.
void CheckEntry(const QString& section, const QString& key, const QString& value)
{
    const QString trimmedKey = key.trimmed();
    const bool badSection = section.trimmed().isEmpty() || HasLineBreak(section) || section.contains(QLatin1Char(']'));
    const bool badKey = trimmedKey.isEmpty() || HasLineBreak(key) || key.contains(QLatin1Char('='))
        || trimmedKey.startsWith(QLatin1Char(';')) || trimmedKey.startsWith(QLatin1Char('#'))
        || trimmedKey.startsWith(QLatin1Char('['));
    if (badSection || badKey || HasLineBreak(value))
        throw std::invalid_argument("Invalid INI entry");
}

std::optional<qint64> ParseInteger(QString text)
{
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'))) {
        negative = text.startsWith(QLatin1Char('-'));
        text.remove(0, 1);
    }
    int base = 10;
    if (text.startsWith(QLatin1Char('$'))) {
        base = 16;
        text.remove(0, 1);
    } else if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        text.remove(0, 2);
    }
    bool ok = false;
    const qint64 magnitude = text.toLongLong(&ok, base);
    if (!ok || text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return negative ? -magnitude : magnitude;
}

} // namespace

void RaiseUnableToWrite(const QString& fileName)
{
    throw EInOutError(QStringLiteral("Unable to write to %1").arg(fileName));
}

TIniFile::TIniFile(QString fileName) : fileName_(std::move(fileName)) {}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const std::optional<QByteArray> value = TIniText(TextOf(fileName_)).Value(Bytes(section), Bytes(key));
    if (!value)
        return defaultValue;
    // Decoded as written: a value beginning with U+FEFF keeps it (fromLocal8Bit would take it
    // for a byte order mark and drop it).
    QStringDecoder decode(QStringDecoder::System, QStringDecoder::Flag::ConvertInitialBom);
    return decode(*value);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const
{
    const std::optional<qint64> value = ParseInteger(ReadString(section, key, QString()));
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return defaultValue;
    return static_cast<int>(*value);
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    CheckEntry(section, key, value);
    const QByteArray s = Bytes(section), k = Bytes(key), v = Bytes(value);
    Update(fileName_, [&](TIniText& text) { return text.SetValue(s, k, v); });
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteInteger(section, key, value ? 1 : 0);
}

bool TIniFile::SectionExists(const QString& section) const
{
    return TIniText(TextOf(fileName_)).HasSection(Bytes(section));
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return TIniText(TextOf(fileName_)).Value(Bytes(section), Bytes(key)).has_value();
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList names;
    for (const QByteArray& key : TIniText(TextOf(fileName_)).Keys(Bytes(section)))
        names << QString::fromLocal8Bit(key);
    return names;
}

QStringList TIniFile::ReadSectionEntries(const QString& section) const
{
    QStringList names;
    for (const QByteArray& key : TIniText(TextOf(fileName_)).Entries(Bytes(section)))
        names << QString::fromLocal8Bit(key);
    return names;
}

void TIniFile::DeleteKey(const QString& section, const QString& key)
{
    const QByteArray s = Bytes(section), k = Bytes(key);
    Update(fileName_, [&](TIniText& text) { return text.DeleteKey(s, k); });
}

void TIniFile::EraseSection(const QString& section)
{
    const QByteArray s = Bytes(section);
    Update(fileName_, [&](TIniText& text) { return text.EraseSection(s); });
}

} // namespace fw

#include "platform/config/IniFile.h"

#include "platform/config/AtomicFile.h"
#include "platform/config/FileLock.h"
#include "platform/config/IniText.h"
#include "platform/core/Exceptions.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <unistd.h>

namespace fw {

namespace {

// How long a writer waits for another one to finish: a write takes milliseconds, so
// only a writer that hangs holds it up this long.
constexpr int LockWaitMs = 10000;

QByteArray Bytes(const QString& text) { return text.toLocal8Bit(); }

// The file's text for reading: empty when it is missing or unreadable, as a missing
// file reads as all defaults.
QByteArray ReadText(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// The file's text before a change; nothing when the file does not exist. Only "no such
// file" counts as missing: a file that is there but cannot be read must not be replaced
// by one holding only the new key.
std::optional<QByteArray> ReadTextForUpdate(const QString& fileName)
{
    const int fd = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return std::nullopt;
        RaiseUnableToWrite(fileName);
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        RaiseUnableToWrite(fileName);
    }
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        RaiseUnableToWrite(fileName);
    return text;
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
    TIniText unlocked(ReadText(fileName));
    if (!change(unlocked))
        return;
    const auto lock = LockForWriting(fileName);
    TIniText text(ReadTextForUpdate(fileName).value_or(QByteArray()));
    if (change(text) && !SaveFileAtomically(fileName, text.Text()))
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
    const std::optional<QByteArray> value = TIniText(ReadText(fileName_)).Value(Bytes(section), Bytes(key));
    return value ? QString::fromLocal8Bit(*value) : defaultValue;
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
    return TIniText(ReadText(fileName_)).HasSection(Bytes(section));
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    return TIniText(ReadText(fileName_)).Value(Bytes(section), Bytes(key)).has_value();
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList names;
    for (const QByteArray& key : TIniText(ReadText(fileName_)).Keys(Bytes(section)))
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

#include "platform/config/IniFile.h"

#include "platform/config/AtomicFile.h"
#include "platform/core/Exceptions.h"

#include <QFile>

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

// The one translation unit that compiles the INI parser (header-only, the implementation
// guarded by SI_IMPLEMENTATION; SI_NO_CONVERSION comes from the framework target).
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

namespace fw {

namespace {

#ifdef Q_OS_WIN
constexpr const char* PlatformLineEnd = "\r\n";
#else
constexpr const char* PlatformLineEnd = "\n";
#endif

// Case-insensitive names, one value per key, values on one line; values may be quoted to
// keep blanks at their ends; "key=value" without blanks around "=", as other programs
// write these files.
class Parser final {
public:
    Parser() : ini_(false, false, false)
    {
        ini_.SetQuotes(true);
        ini_.SetSpaces(false);
    }
    explicit Parser(const QByteArray& text) : Parser() { Load(text); }
    void Load(const QByteArray& text) { ini_.LoadData(text.constData(), static_cast<size_t>(text.size())); }
    CSimpleIniA& Ini() { return ini_; }
    const CSimpleIniA& Ini() const { return ini_; }

private:
    CSimpleIniA ini_;
};

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

// The file's text before a change. A file that exists but cannot be read must not be
// replaced by one holding only the new key.
QByteArray ReadTextForUpdate(const QString& fileName)
{
    QFile file(fileName);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        RaiseUnableToWrite(fileName);
    QByteArray text = file.readAll();
    if (file.error() != QFileDevice::NoError)
        RaiseUnableToWrite(fileName);
    return text;
}

// What the parser does not carry from the old text to the new one, and how lines end.
struct TextShape {
    QByteArray LineEnd;
    bool HasEntries = false; // any line that is neither blank nor a comment
    // Comment lines after the last entry: the parser only keeps comments that stand in
    // front of something, so these would otherwise vanish on the first write.
    QByteArray TrailingComments;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBreak(char c) { return c == '\n' || c == '\r'; }

// Where the line starting at pos ends (its line break, or the end of the text).
qsizetype EndOfLine(const QByteArray& text, qsizetype pos)
{
    while (pos < text.size() && !IsBreak(text[pos]))
        ++pos;
    return pos;
}

// The start of the next line after a line ending at end; CRLF is one break.
qsizetype NextLine(const QByteArray& text, qsizetype end)
{
    if (end >= text.size())
        return end;
    return text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? end + 2 : end + 1;
}

TextShape ShapeOf(const QByteArray& text)
{
    TextShape shape;
    const qsizetype firstBreak = EndOfLine(text, 0);
    if (firstBreak == text.size())
        shape.LineEnd = PlatformLineEnd;
    else
        shape.LineEnd = text.mid(firstBreak, NextLine(text, firstBreak) - firstBreak);

    // Walk the lines; remember where the text after the last entry begins.
    qsizetype afterLastEntry = -1;
    qsizetype pos = text.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (pos < text.size()) {
        const qsizetype end = EndOfLine(text, pos);
        qsizetype first = pos;
        while (first < end && IsBlank(text[first]))
            ++first;
        pos = NextLine(text, end);
        if (first < end && text[first] != ';' && text[first] != '#')
            afterLastEntry = pos;
    }
    shape.HasEntries = afterLastEntry >= 0;
    if (shape.HasEntries) {
        QByteArray tail = text.mid(afterLastEntry);
        // Blank lines in front of the comments are laid out anew like everywhere else.
        qsizetype start = 0;
        while (start < tail.size() && (IsBlank(tail[start]) || IsBreak(tail[start])))
            ++start;
        shape.TrailingComments = tail.mid(start);
        if (!shape.TrailingComments.isEmpty() && !IsBreak(shape.TrailingComments.back()))
            shape.TrailingComments += shape.LineEnd;
    }
    return shape;
}

// Reads the file afresh, applies one change and writes the file back when the change
// did something.
void Update(const QString& fileName, const std::function<bool(CSimpleIniA&)>& change)
{
    const QByteArray original = ReadTextForUpdate(fileName);
    const TextShape shape = ShapeOf(original);
    Parser parser;
    // A file of comments alone goes out ahead of the new entries as it stands: the parser
    // would keep only its first block of comments.
    if (shape.HasEntries)
        parser.Load(original);
    if (!change(parser.Ini()))
        return;

    std::string saved;
    if (parser.Ini().Save(saved, true) < 0)
        RaiseUnableToWrite(fileName);
    QByteArray text;
    if (!shape.HasEntries && !original.trimmed().isEmpty()) {
        text = original;
        if (!IsBreak(text.back()))
            text += shape.LineEnd;
        text += shape.LineEnd;
    }
    // The parser ends lines with "\n" (names and values never hold a line break) and
    // puts two blank lines between sections; one is how people write these files.
    QByteArray entries = QByteArray::fromStdString(saved);
    while (entries.contains("\n\n\n"))
        entries.replace("\n\n\n", "\n\n");
    text += entries.replace("\n", shape.LineEnd);
    if (!shape.TrailingComments.isEmpty())
        text += shape.LineEnd + shape.TrailingComments;
    if (!SaveFileAtomically(fileName, text))
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
    const Parser parser(ReadText(fileName_));
    const char* value = parser.Ini().GetValue(Bytes(section).constData(), Bytes(key).constData(), nullptr);
    return value ? QString::fromLocal8Bit(value) : defaultValue;
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
    Update(fileName_, [&](CSimpleIniA& ini) {
        if (ini.SetValue(s.constData(), k.constData(), v.constData()) < 0)
            RaiseUnableToWrite(fileName_);
        return true;
    });
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
    const Parser parser(ReadText(fileName_));
    return parser.Ini().SectionExists(Bytes(section).constData());
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    const Parser parser(ReadText(fileName_));
    return parser.Ini().KeyExists(Bytes(section).constData(), Bytes(key).constData());
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    const Parser parser(ReadText(fileName_));
    CSimpleIniA::TNamesDepend keys;
    parser.Ini().GetAllKeys(Bytes(section).constData(), keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    QStringList names;
    for (const auto& entry : keys)
        names << QString::fromLocal8Bit(entry.pItem);
    return names;
}

void TIniFile::DeleteKey(const QString& section, const QString& key)
{
    const QByteArray s = Bytes(section), k = Bytes(key);
    Update(fileName_, [&](CSimpleIniA& ini) { return ini.Delete(s.constData(), k.constData()); });
}

void TIniFile::EraseSection(const QString& section)
{
    const QByteArray s = Bytes(section);
    Update(fileName_, [&](CSimpleIniA& ini) { return ini.Delete(s.constData(), nullptr); });
}

} // namespace fw

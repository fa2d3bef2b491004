#include "platform/config/IniText.h"

#include <algorithm>

namespace fw {

namespace {

#ifdef Q_OS_WIN
constexpr const char* PlatformLineBreak = "\r\n";
#else
constexpr const char* PlatformLineBreak = "\n";
#endif

const QByteArray ByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsBreak(char c) { return c == '\n' || c == '\r'; }

bool SameName(const QByteArray& a, const QByteArray& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

qsizetype SkipBlanks(const QByteArray& text, qsizetype pos, qsizetype end)
{
    while (pos < end && IsBlank(text[pos]))
        ++pos;
    return pos;
}

QByteArray TrimmedSpan(const QByteArray& text, qsizetype start, qsizetype end)
{
    start = SkipBlanks(text, start, end);
    while (end > start && IsBlank(text[end - 1]))
        --end;
    return text.mid(start, end - start);
}

bool IsQuoted(const QByteArray& value) { return value.size() >= 2 && value.front() == '"' && value.back() == '"'; }

// The value as it stands in the file: in quotes when it would not read back otherwise
// (blanks at an end, or quotes of its own around it).
QByteArray Encoded(const QByteArray& value)
{
    const bool blankEnd = !value.isEmpty() && (IsBlank(value.front()) || IsBlank(value.back()));
    return blankEnd || IsQuoted(value) ? '"' + value + '"' : value;
}

} // namespace

TIniText::TIniText(QByteArray text) : text_(std::move(text)) { Split(); }

void TIniText::Split()
{
    lines_.clear();
    int block = -1;
    qsizetype pos = 0;
    while (pos < text_.size()) {
        TLine line;
        line.Start = pos;
        line.End = pos;
        while (line.End < text_.size() && !IsBreak(text_[line.End]))
            ++line.End;
        line.Next = line.End;
        if (line.Next < text_.size())
            line.Next += text_[line.Next] == '\r' && line.Next + 1 < text_.size() && text_[line.Next + 1] == '\n' ? 2 : 1;
        pos = line.Next;

        qsizetype first = line.Start == 0 && text_.startsWith(ByteOrderMark) ? ByteOrderMark.size() : line.Start;
        first = SkipBlanks(text_, first, line.End);
        const char lead = first < line.End ? text_[first] : '\0';
        if (lead == '[') {
            const qsizetype close = text_.indexOf(']', first);
            if (close >= 0 && close < line.End) {
                line.Kind = TKind::Section;
                line.Name = TrimmedSpan(text_, first + 1, close);
                block = int(lines_.size());
            }
        } else if (first < line.End && lead != ';' && lead != '#') {
            const qsizetype equals = text_.indexOf('=', first);
            if (equals >= 0 && equals < line.End) {
                line.Name = TrimmedSpan(text_, first, equals);
                if (!line.Name.isEmpty()) {
                    line.Kind = TKind::Entry;
                    line.ValueStart = SkipBlanks(text_, equals + 1, line.End);
                }
            }
        }
        line.Block = block;
        lines_.push_back(std::move(line));
    }
}

bool TIniText::InSection(const TLine& line, const QByteArray& section) const
{
    return line.Block >= 0 && SameName(lines_[size_t(line.Block)].Name, section);
}

int TIniText::FindEntry(const QByteArray& section, const QByteArray& key) const
{
    for (size_t i = 0; i < lines_.size(); ++i) {
        const TLine& line = lines_[i];
        if (line.Kind == TKind::Entry && SameName(line.Name, key) && InSection(line, section))
            return int(i);
    }
    return -1;
}

std::optional<QByteArray> TIniText::Value(const QByteArray& section, const QByteArray& key) const
{
    const int found = FindEntry(section, key);
    if (found < 0)
        return std::nullopt;
    const TLine& line = lines_[size_t(found)];
    QByteArray value = TrimmedSpan(text_, line.ValueStart, line.End);
    if (IsQuoted(value))
        value = value.mid(1, value.size() - 2);
    return value;
}

bool TIniText::HasSection(const QByteArray& section) const
{
    for (const TLine& line : lines_) {
        if (line.Kind == TKind::Section && SameName(line.Name, section))
            return true;
    }
    return false;
}

QList<QByteArray> TIniText::Keys(const QByteArray& section) const
{
    QList<QByteArray> keys;
    for (const TLine& line : lines_) {
        if (line.Kind != TKind::Entry || !InSection(line, section))
            continue;
        if (std::none_of(keys.cbegin(), keys.cend(), [&](const QByteArray& k) { return SameName(k, line.Name); }))
            keys << line.Name;
    }
    return keys;
}

QList<QByteArray> TIniText::Entries(const QByteArray& section) const
{
    QList<QByteArray> keys;
    for (const TLine& line : lines_)
        if (line.Kind == TKind::Entry && InSection(line, section))
            keys << line.Name;
    return keys;
}

QByteArray TIniText::LineBreak() const
{
    for (const TLine& line : lines_) {
        if (line.Next > line.End)
            return text_.mid(line.End, line.Next - line.End);
    }
    return PlatformLineBreak;
}

void TIniText::Replace(QByteArray text)
{
    text_ = std::move(text);
    Split();
}

bool TIniText::SetValue(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    const QByteArray entry = Encoded(value);
    if (const int found = FindEntry(section, key); found >= 0) {
        if (Value(section, key) == value)
            return false;
        const TLine& line = lines_[size_t(found)];
        Replace(text_.left(line.ValueStart) + entry + text_.mid(line.End));
        return true;
    }

    const QByteArray lineBreak = LineBreak();
    const QByteArray newEntry = key + '=' + entry;
    // After the last entry of the section's first block, else after its heading.
    int anchor = -1;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const TLine& line = lines_[i];
        const bool heading = anchor < 0 && line.Kind == TKind::Section && SameName(line.Name, section);
        const bool entryOfItsBlock = anchor >= 0 && line.Block == lines_[size_t(anchor)].Block && line.Kind == TKind::Entry;
        if (heading || entryOfItsBlock)
            anchor = int(i);
        else if (anchor >= 0 && line.Kind == TKind::Section)
            break;
    }
    if (anchor >= 0) {
        const TLine& line = lines_[size_t(anchor)];
        if (line.Next == line.End) // the last line, without a break of its own
            Replace(text_.left(line.End) + lineBreak + newEntry + text_.mid(line.End));
        else
            Replace(text_.left(line.Next) + newEntry + lineBreak + text_.mid(line.Next));
        return true;
    }

    QByteArray text = text_;
    if (!lines_.empty()) {
        if (!IsBreak(text.back()))
            text += lineBreak;
        const TLine& last = lines_.back();
        if (SkipBlanks(text_, last.Start, last.End) < last.End)
            text += lineBreak;
    }
    Replace(text + '[' + section + ']' + lineBreak + newEntry + lineBreak);
    return true;
}

template <typename Pick>
bool TIniText::RemoveLines(Pick pick)
{
    QByteArray kept;
    bool removed = false;
    for (const TLine& line : lines_) {
        if (pick(line))
            removed = true;
        else
            kept += text_.mid(line.Start, line.Next - line.Start);
    }
    if (removed)
        Replace(kept);
    return removed;
}

bool TIniText::DeleteKey(const QByteArray& section, const QByteArray& key)
{
    return RemoveLines([&](const TLine& line) {
        return line.Kind == TKind::Entry && SameName(line.Name, key) && InSection(line, section);
    });
}

bool TIniText::EraseSection(const QByteArray& section)
{
    return RemoveLines([&](const TLine& line) { return InSection(line, section); });
}

} // namespace fw

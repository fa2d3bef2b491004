#pragma once

#include <QByteArray>
#include <QList>
#include <optional>
#include <vector>

namespace fw {

// The bytes of an INI file seen as lines, and the edits a settings writer makes to
// them. An edit touches only the lines of its entry; every other byte stays as it was:
// line breaks of any kind, a byte-order mark, comments, lines that are neither a section
// nor an entry, duplicate sections and keys, bytes of any encoding, NUL bytes.
//
// A section is "[name]" (blanks around allowed); an entry is "key=value" in a section
// (blanks around the key and the value are not part of them); lines starting with ";"
// or "#" are comments. Names compare without regard to ASCII case. A section may occur
// several times: its entries are those of all its blocks, in file order, and where a key
// occurs more than once, the first occurrence is the one read, written and listed.
// A value in double quotes stands without them.
class TIniText final {
public:
    explicit TIniText(QByteArray text);

    const QByteArray& Text() const { return text_; }

    std::optional<QByteArray> Value(const QByteArray& section, const QByteArray& key) const;
    bool HasSection(const QByteArray& section) const;
    // The section's keys in file order, each once.
    QList<QByteArray> Keys(const QByteArray& section) const;
    // The key of every entry of the section in file order, a key as often as it occurs.
    QList<QByteArray> Entries(const QByteArray& section) const;

    // The edits; each tells whether the text changed. Setting a key changes the value on
    // its line (the key's spelling and the blanks around "=" stay), or adds the key after
    // the last entry of the section's first block, or adds the section at the end of the
    // text, after a blank line. New lines end like the text's first line.
    bool SetValue(const QByteArray& section, const QByteArray& key, const QByteArray& value);
    // Removes every line of the key in the section.
    bool DeleteKey(const QByteArray& section, const QByteArray& key);
    // Removes every block of the section, from its heading to the next one.
    bool EraseSection(const QByteArray& section);

private:
    enum class TKind { Other, Section, Entry };
    struct TLine {
        qsizetype Start = 0;
        qsizetype End = 0;  // where the line break (or the text) begins
        qsizetype Next = 0; // where the next line begins
        TKind Kind = TKind::Other;
        QByteArray Name;         // of the section or the key
        qsizetype ValueStart = 0; // of an entry: after "=" and the blanks that follow it
        int Block = -1;           // the heading line of the section the line lies in
    };

    void Split();
    bool InSection(const TLine& line, const QByteArray& section) const;
    int FindEntry(const QByteArray& section, const QByteArray& key) const;
    QByteArray LineBreak() const;
    // Replaces the text by one without the lines picked.
    template <typename Pick>
    bool RemoveLines(Pick pick);
    void Replace(QByteArray text);

    QByteArray text_;
    std::vector<TLine> lines_;
};

} // namespace fw

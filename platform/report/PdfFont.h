#pragma once

#include <QByteArray>
#include <QHash>
#include <QRawFont>
#include <QString>

#include <map>
#include <memory>
#include <vector>

namespace fw {

// A TrueType font as a PDF embeds it. Texts become glyph numbers looked up by character,
// each glyph remembered with the character it shows (for copying text out of the file);
// at the end the font is copied keeping only the glyphs the document used, at their own
// numbers, so that a text's glyph numbers are its character codes in the PDF.
class TPdfFont {
public:
    // Null when the font cannot be embedded so: it has no TrueType outlines, its licence
    // forbids embedding, a table is damaged, or it lacks the bold or italic face asked for
    // (the system would embolden or slant the upright face, which an embedded copy cannot).
    static std::unique_ptr<TPdfFont> Open(const QRawFont& font, bool bold, bool italic);

    // Appends the glyphs of a text and returns its advance in font units; -1 when a
    // character has no glyph in the font.
    qint64 AppendGlyphs(const QString& text, std::vector<quint16>& glyphs);

    // The glyph (low 16 bits, 0 when the font has none) and advance (high 16 bits) of a
    // character below 0x250, the glyph marked used, as AppendGlyphs finds them.
    quint32 LatinGlyph(char16_t character)
    {
        const quint32 entry = latin_[character];
        return entry != kUnknown ? entry : LatinEntry(character);
    }

    int UnitsPerEm() const { return unitsPerEm_; }
    // How far the font reaches above and below the baseline, in ems (as the system lays
    // out a line).
    double Ascent() const { return ascent_; }
    double Descent() const { return descent_; }
    // The glyph's advance in font units.
    int Advance(quint16 glyph) const;
    // The used glyphs and the character each shows.
    std::map<quint16, char32_t> Used() const;

    // What the PDF's font descriptor says of the font, in thousandths of the em.
    QByteArray PostScriptName() const;
    struct TBox { int Left, Bottom, Right, Top; };
    TBox BoundingBox() const;
    int AscentPerMille() const;
    int DescentPerMille() const;
    int ItalicAngle() const { return italicAngle_; }
    bool FixedPitch() const { return fixedPitch_; }
    bool Italic() const { return italic_; }

    // The font file holding only the used glyphs (and what they are built of).
    QByteArray Subset() const;

private:
    TPdfFont() = default;
    bool Load(const QRawFont& font);
    // The glyph of a character beyond the Latin table's.
    quint16 GlyphOf(char32_t character);
    // A Latin character's entry, found and put in the table (see latin_).
    quint32 LatinEntry(char16_t character);
    quint16 FindGlyph(char32_t character) const;

    QRawFont font_;
    QByteArray head_, hhea_, hmtx_, maxp_, loca_, glyf_;
    std::vector<std::pair<QByteArray, QByteArray>> kept_; // tables copied as they are
    int unitsPerEm_ = 1000;
    int numGlyphs_ = 0;
    int numHMetrics_ = 0;
    bool longLoca_ = false;
    double ascent_ = 0.8;
    double descent_ = 0.2;
    int italicAngle_ = 0;
    bool fixedPitch_ = false;
    bool italic_ = false;
    // The glyph of each character met, by character: a table for the Latin letters of
    // every text (looked up for each character of each text), a hash for the rest. A Latin
    // entry holds the glyph in its low 16 bits (0: none) and its advance in the high ones;
    // no glyph numbered 0xFFFF exists, so kUnknown is no entry's.
    static constexpr char16_t kTableEnd = 0x250;
    static constexpr quint32 kUnknown = 0xFFFFFFFF;
    std::vector<quint32> latin_ = std::vector<quint32>(kTableEnd, kUnknown);
    QHash<char32_t, quint16> glyphs_;
    std::vector<quint16> advances_; // per glyph, font units
    std::vector<char32_t> shown_; // per glyph: the character it showed first, 0 when unused
};

} // namespace fw

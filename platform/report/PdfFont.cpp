#include "platform/report/PdfFont.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace fw {

namespace {

// Big-endian fields of a font table; reads past its end give 0 (a table too short is
// refused before its fields are used). Not inlined: the compiler cannot tell that a
// table's size was checked before a field at a fixed offset is read.
[[gnu::noinline]] quint16 U16(const QByteArray& table, qsizetype offset)
{
    if (offset < 0 || offset + 2 > table.size())
        return 0;
    const auto* bytes = reinterpret_cast<const uchar*>(table.constData()) + offset;
    return quint16(bytes[0] << 8 | bytes[1]);
}
qint16 S16(const QByteArray& table, qsizetype offset) { return qint16(U16(table, offset)); }
quint32 U32(const QByteArray& table, qsizetype offset) { return quint32(U16(table, offset)) << 16 | U16(table, offset + 2); }
void PutU16(QByteArray& table, qsizetype offset, quint16 value) { qToBigEndian(value, table.data() + offset); }
void PutU32(QByteArray& table, qsizetype offset, quint32 value) { qToBigEndian(value, table.data() + offset); }
void AppendU16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToBigEndian(value, bytes);
    out.append(bytes, 2);
}
void AppendU32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

quint32 Checksum(const QByteArray& data)
{
    quint32 sum = 0;
    for (qsizetype i = 0; i < data.size(); i += 4) {
        char word[4] = {0, 0, 0, 0};
        std::memcpy(word, data.constData() + i, size_t(std::min<qsizetype>(4, data.size() - i)));
        sum += qFromBigEndian<quint32>(word);
    }
    return sum;
}

// Flags of a composite glyph's component.
constexpr quint16 kArgsAreWords = 0x0001;
constexpr quint16 kHaveScale = 0x0008;
constexpr quint16 kMoreComponents = 0x0020;
constexpr quint16 kHaveXYScale = 0x0040;
constexpr quint16 kHaveTwoByTwo = 0x0080;

// The glyphs a composite glyph is made of.
std::vector<quint16> Components(const QByteArray& glyph)
{
    std::vector<quint16> parts;
    if (glyph.size() < 10 || S16(glyph, 0) >= 0)
        return parts;
    qsizetype at = 10;
    quint16 flags = kMoreComponents;
    while ((flags & kMoreComponents) && at + 4 <= glyph.size()) {
        flags = U16(glyph, at);
        parts.push_back(U16(glyph, at + 2));
        at += 4 + ((flags & kArgsAreWords) ? 4 : 2);
        if (flags & kHaveScale)
            at += 2;
        else if (flags & kHaveXYScale)
            at += 4;
        else if (flags & kHaveTwoByTwo)
            at += 8;
    }
    return parts;
}

// The PostScript name in the name table, or an empty one.
QByteArray NameTablePostScriptName(const QByteArray& name)
{
    const int count = U16(name, 2);
    const int strings = U16(name, 4);
    for (int i = 0; i < count; ++i) {
        const qsizetype record = 6 + qsizetype(i) * 12;
        if (U16(name, record + 6) != 6)
            continue;
        const int platform = U16(name, record);
        const qsizetype length = U16(name, record + 8);
        const qsizetype offset = strings + qsizetype(U16(name, record + 10));
        if (offset + length > name.size())
            continue;
        QByteArray raw = name.mid(offset, length);
        if (platform == 1)
            return raw;
        if (platform == 3 || platform == 0) {
            QByteArray ascii;
            for (qsizetype j = 0; j + 1 < raw.size(); j += 2)
                ascii.append(raw.at(j + 1));
            return ascii;
        }
    }
    return {};
}

} // namespace

std::unique_ptr<TPdfFont> TPdfFont::Open(const QRawFont& font, bool bold, bool italic)
{
    if (!font.isValid())
        return nullptr;
    std::unique_ptr<TPdfFont> pdfFont(new TPdfFont);
    if (!pdfFont->Load(font))
        return nullptr;
    const QByteArray os2 = font.fontTable("OS/2");
    // Embedding restricted, or allowed for bitmaps only.
    if (U16(os2, 8) & 0x0202)
        return nullptr;
    const quint16 macStyle = U16(pdfFont->head_, 44);
    const bool hasBold = (macStyle & 1) || U16(os2, 4) >= 600;
    const bool hasItalic = (macStyle & 2) || (U16(os2, 62) & 0x0201);
    if ((bold && !hasBold) || (italic && !hasItalic))
        return nullptr;
    pdfFont->italic_ = hasItalic;
    return pdfFont;
}

bool TPdfFont::Load(const QRawFont& font)
{
    font_ = font;
    head_ = font.fontTable("head");
    hhea_ = font.fontTable("hhea");
    hmtx_ = font.fontTable("hmtx");
    maxp_ = font.fontTable("maxp");
    loca_ = font.fontTable("loca");
    glyf_ = font.fontTable("glyf");
    if (head_.size() < 54 || hhea_.size() < 36 || maxp_.size() < 6 || glyf_.isEmpty())
        return false;
    unitsPerEm_ = U16(head_, 18);
    numGlyphs_ = U16(maxp_, 4);
    numHMetrics_ = U16(hhea_, 34);
    longLoca_ = S16(head_, 50) == 1;
    if (unitsPerEm_ < 16 || numGlyphs_ == 0 || numHMetrics_ == 0 || numHMetrics_ > numGlyphs_
        || hmtx_.size() < qsizetype(numHMetrics_) * 4 + qsizetype(numGlyphs_ - numHMetrics_) * 2
        || loca_.size() < qsizetype(numGlyphs_ + 1) * (longLoca_ ? 4 : 2))
        return false;
    // Every glyph's data lies within the glyph table, in order.
    quint32 previous = 0;
    for (int g = 0; g <= numGlyphs_; ++g) {
        const quint32 at = longLoca_ ? U32(loca_, qsizetype(g) * 4) : quint32(U16(loca_, qsizetype(g) * 2)) * 2;
        if (at < previous || at > quint32(glyf_.size()))
            return false;
        previous = at;
    }
    shown_.assign(size_t(numGlyphs_), 0);
    advances_.resize(size_t(numGlyphs_));
    for (int g = 0; g < numGlyphs_; ++g)
        advances_[size_t(g)] = U16(hmtx_, qsizetype(std::min(g, numHMetrics_ - 1)) * 4);
    for (const char* tag : {"cvt ", "fpgm", "prep"}) {
        const QByteArray table = font.fontTable(tag);
        if (!table.isEmpty())
            kept_.emplace_back(QByteArray(tag), table);
    }
    const QByteArray post = font.fontTable("post");
    italicAngle_ = int(qint32(U32(post, 4)) / 65536);
    fixedPitch_ = U32(post, 12) != 0;
    const double pixelSize = font.pixelSize();
    if (pixelSize > 0) {
        ascent_ = font.ascent() / pixelSize;
        descent_ = font.descent() / pixelSize;
    }
    return true;
}

quint16 TPdfFont::GlyphOf(char32_t character)
{
    const auto cached = glyphs_.constFind(character);
    if (cached != glyphs_.constEnd())
        return *cached;
    return *glyphs_.insert(character, FindGlyph(character));
}

quint32 TPdfFont::LatinEntry(char16_t character)
{
    const quint16 glyph = FindGlyph(character);
    quint32 entry = glyph;
    if (glyph != 0) {
        entry |= quint32(Advance(glyph)) << 16;
        if (!shown_[glyph])
            shown_[glyph] = character;
    }
    latin_[character] = entry;
    return entry;
}

quint16 TPdfFont::FindGlyph(char32_t character) const
{
    // Runs of glyphs one after another are right only for scripts written left to right
    // without shaping, and without marks placed over a letter.
    const QChar::Script script = QChar::script(character);
    const bool plain = script == QChar::Script_Common || script == QChar::Script_Latin
                       || script == QChar::Script_Greek || script == QChar::Script_Cyrillic;
    if (!plain || QChar::direction(character) == QChar::DirR || QChar::direction(character) == QChar::DirAL)
        return 0;
    QChar chars[2];
    int count = 1;
    if (character > 0xFFFF) {
        chars[0] = QChar::highSurrogate(character);
        chars[1] = QChar::lowSurrogate(character);
        count = 2;
    } else {
        chars[0] = QChar(char16_t(character));
    }
    quint32 found[2] = {0, 0};
    int glyphCount = 2;
    if (!font_.glyphIndexesForChars(chars, count, found, &glyphCount) || glyphCount < 1
        || found[0] >= quint32(numGlyphs_))
        found[0] = 0;
    return quint16(found[0]);
}

qint64 TPdfFont::AppendGlyphs(const QString& text, std::vector<quint16>& glyphs)
{
    // Room for a glyph a unit, the most there can be; what a pair of units took back at the end.
    const size_t at = glyphs.size();
    glyphs.resize(at + size_t(text.size()));
    quint16* out = glyphs.data() + at;
    qint64 advance = 0;
    const qsizetype size = text.size();
    const QChar* chars = text.constData();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = chars[i].unicode();
        if (unit < kTableEnd) {
            // The Latin letters: glyph and advance in one look, the glyph marked shown when
            // the character was first met.
            const quint32 entry = LatinGlyph(unit);
            if ((entry & 0xFFFF) == 0)
                return -1;
            *out++ = quint16(entry & 0xFFFF);
            advance += entry >> 16;
            continue;
        }
        char32_t character = unit;
        if (chars[i].isHighSurrogate() && i + 1 < size && chars[i + 1].isLowSurrogate()) {
            character = QChar::surrogateToUcs4(chars[i], chars[i + 1]);
            ++i;
        }
        const quint16 glyph = GlyphOf(character);
        if (glyph == 0)
            return -1;
        if (!shown_[glyph])
            shown_[glyph] = character;
        *out++ = glyph;
        advance += Advance(glyph);
    }
    glyphs.resize(size_t(out - glyphs.data()));
    return advance;
}

std::map<quint16, char32_t> TPdfFont::Used() const
{
    std::map<quint16, char32_t> used;
    for (size_t glyph = 0; glyph < shown_.size(); ++glyph)
        if (shown_[glyph])
            used.emplace(quint16(glyph), shown_[glyph]);
    return used;
}

int TPdfFont::Advance(quint16 glyph) const { return glyph < advances_.size() ? advances_[glyph] : 0; }

QByteArray TPdfFont::PostScriptName() const
{
    QByteArray name = NameTablePostScriptName(font_.fontTable("name"));
    if (name.isEmpty())
        name = (font_.familyName() + QLatin1Char('-') + font_.styleName()).toLatin1();
    QByteArray clean;
    for (const char c : name)
        if (c > 32 && c < 127 && !std::strchr("[](){}<>/%#", c))
            clean.append(c);
    return clean.isEmpty() ? QByteArrayLiteral("Font") : clean;
}

TPdfFont::TBox TPdfFont::BoundingBox() const
{
    const auto perMille = [this](int units) { return units * 1000 / unitsPerEm_; };
    return {perMille(S16(head_, 36)), perMille(S16(head_, 38)), perMille(S16(head_, 40)), perMille(S16(head_, 42))};
}

int TPdfFont::AscentPerMille() const { return S16(hhea_, 4) * 1000 / unitsPerEm_; }
int TPdfFont::DescentPerMille() const { return S16(hhea_, 6) * 1000 / unitsPerEm_; }

QByteArray TPdfFont::Subset() const
{
    const auto glyphData = [this](int g) {
        const auto at = [this](int i) {
            return longLoca_ ? U32(loca_, qsizetype(i) * 4) : quint32(U16(loca_, qsizetype(i) * 2)) * 2;
        };
        return QByteArray::fromRawData(glyf_.constData() + at(g), at(g + 1) - at(g));
    };

    // The used glyphs, glyph 0 (drawn for what a font lacks) and the parts of composites.
    std::vector<bool> keep(size_t(numGlyphs_), false);
    std::vector<quint16> pending{0};
    for (size_t glyph = 1; glyph < shown_.size(); ++glyph)
        if (shown_[glyph])
            pending.push_back(quint16(glyph));
    while (!pending.empty()) {
        const quint16 glyph = pending.back();
        pending.pop_back();
        if (glyph >= numGlyphs_ || keep[glyph])
            continue;
        keep[glyph] = true;
        for (const quint16 part : Components(glyphData(glyph)))
            pending.push_back(part);
    }

    QByteArray glyf;
    QByteArray loca;
    QByteArray hmtx = hmtx_;
    for (int g = 0; g < numGlyphs_; ++g) {
        AppendU32(loca, quint32(glyf.size()));
        if (keep[size_t(g)]) {
            glyf.append(glyphData(g));
            glyf.append(QByteArray((4 - glyf.size() % 4) % 4, '\0'));
        } else if (g < numHMetrics_) {
            PutU32(hmtx, qsizetype(g) * 4, 0);
        }
    }
    AppendU32(loca, quint32(glyf.size()));
    QByteArray head = head_;
    PutU32(head, 8, 0); // the file's checksum adjustment, set below
    PutU16(head, 50, 1); // offsets of four bytes

    std::vector<std::pair<QByteArray, QByteArray>> tables = kept_;
    tables.emplace_back("glyf", glyf);
    tables.emplace_back("head", head);
    tables.emplace_back("hhea", hhea_);
    tables.emplace_back("hmtx", hmtx);
    tables.emplace_back("loca", loca);
    tables.emplace_back("maxp", maxp_);
    std::sort(tables.begin(), tables.end());

    const quint16 count = quint16(tables.size());
    quint16 power = 1;
    quint16 log2 = 0;
    while (power * 2 <= count) {
        power *= 2;
        ++log2;
    }
    QByteArray file;
    AppendU32(file, 0x00010000);
    AppendU16(file, count);
    AppendU16(file, quint16(power * 16));
    AppendU16(file, log2);
    AppendU16(file, quint16(count * 16 - power * 16));
    quint32 offset = quint32(12 + 16 * count);
    qsizetype headOffset = 0;
    for (const auto& [tag, table] : tables) {
        file.append(tag);
        AppendU32(file, Checksum(table));
        AppendU32(file, offset);
        AppendU32(file, quint32(table.size()));
        if (tag == "head")
            headOffset = offset;
        offset += quint32((table.size() + 3) / 4 * 4);
    }
    for (const auto& [tag, table] : tables) {
        file.append(table);
        file.append(QByteArray((4 - table.size() % 4) % 4, '\0'));
    }
    PutU32(file, headOffset + 8, 0xB1B0AFBA - Checksum(file));
    return file;
}

} // namespace fw

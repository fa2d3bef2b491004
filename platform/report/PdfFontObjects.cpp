#include "platform/report/PdfFontObjects.h"

#include <QtGlobal>

#include <algorithm>
#include <iterator>
#include <map>
#include <vector>

namespace fw::pdf {

namespace {

// A one-byte code in hex, in angle brackets.
void AppendByteHex(std::string& out, unsigned code)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char digits[4] = {'<', kDigits[(code >> 4) & 15], kDigits[code & 15], '>'};
    out.append(digits, 4);
}

// A CMap's beginning: its system, name and type, and codes of one or two bytes.
std::string CMapHead(const std::string& system, const std::string& name, int type, int codeBytes)
{
    std::string head = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n/CIDSystemInfo << " + system
                       + " >> def\n/CMapName /" + name + " def\n/CMapType " + std::to_string(type)
                       + " def\n1 begincodespacerange\n";
    head += codeBytes == 1 ? "<00> <FF>" : "<0000> <FFFF>";
    return head + "\nendcodespacerange\n";
}

// A CMap's entries in blocks of at most a hundred, as a CMap holds them, and its end.
template <class It, class Entry>
void AppendEntries(std::string& cmap, const std::string& kind, It next, It end, Entry entry)
{
    while (next != end) {
        const size_t count = std::min<size_t>(100, size_t(std::distance(next, end)));
        AppendInt(cmap, qint64(count));
        cmap += " begin" + kind + "\n";
        for (size_t i = 0; i < count; ++i, ++next) {
            entry(cmap, *next);
            cmap += '\n';
        }
        cmap += "end" + kind + "\n";
    }
    cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
}

// The one-byte font over the same glyphs: its encoding, each code to the glyph it was
// noted with, and what each code shows (the character it is).
void WriteByteFont(TPdfObjects& objects, const TDocumentFont& font, const std::string& name, int cidFont)
{
    const int encoding = objects.Reserve();
    const int toUnicode = objects.Reserve();
    std::string type0 = "<< /Type /Font /Subtype /Type0 /BaseFont /" + name + " /Encoding ";
    AppendInt(type0, encoding);
    type0 += " 0 R /DescendantFonts [";
    AppendInt(type0, cidFont);
    type0 += " 0 R] /ToUnicode ";
    AppendInt(type0, toUnicode);
    objects.Object(font.ByteObject, type0 + " 0 R >>");

    std::vector<unsigned> codes;
    for (unsigned code = 0; code < 256; ++code)
        if (font.ByteGlyphs[code] != 0)
            codes.push_back(code);
    const std::string cmapName = "CVNL-Bytes-" + std::to_string(font.Index);
    constexpr const char* kIdentity = "/Registry (Adobe) /Ordering (Identity) /Supplement 0";
    std::string cmap = CMapHead(kIdentity, cmapName, 1, 1);
    AppendEntries(cmap, "cidchar", codes.begin(), codes.end(), [&font](std::string& out, unsigned code) {
        AppendByteHex(out, code);
        out += ' ';
        AppendInt(out, font.ByteGlyphs[code]);
    });
    objects.Stream(encoding, " /Type /CMap /CMapName /" + cmapName + " /CIDSystemInfo << " + kIdentity + " >>",
                    QByteArrayView(cmap.data(), qsizetype(cmap.size())));

    std::string unicode = CMapHead("/Registry (Adobe) /Ordering (UCS) /Supplement 0", "CVNL-Bytes-UCS", 2, 1);
    AppendEntries(unicode, "bfchar", codes.begin(), codes.end(), [](std::string& out, unsigned code) {
        AppendByteHex(out, code);
        out += " <";
        AppendHex16(out, code);
        out += '>';
    });
    objects.Stream(toUnicode, {}, QByteArrayView(unicode.data(), qsizetype(unicode.size())));
}

} // namespace

void WriteFont(TPdfObjects& objects, const TDocumentFont& documentFont)
{
    const TPdfFont& font = *documentFont.Font;
    // A subset's name begins with six capitals of its own.
    std::string name = "CVNL";
    name += char('A' + documentFont.Index / 26 % 26);
    name += char('A' + documentFont.Index % 26);
    name += '+' + font.PostScriptName().toStdString();

    const int cidFont = objects.Reserve();
    const int descriptor = objects.Reserve();
    const int file = objects.Reserve();
    const int toUnicode = objects.Reserve();
    std::string type0 = "<< /Type /Font /Subtype /Type0 /BaseFont /" + name
                        + " /Encoding /Identity-H /DescendantFonts [";
    AppendInt(type0, cidFont);
    type0 += " 0 R] /ToUnicode ";
    AppendInt(type0, toUnicode);
    objects.Object(documentFont.Object, type0 + " 0 R >>");

    const std::map<quint16, char32_t> used = font.Used();
    std::string widths;
    int previous = -2;
    for (const auto& [glyph, character] : used) {
        if (glyph != previous + 1) {
            if (previous >= 0)
                widths += "] ";
            AppendInt(widths, glyph);
            widths += " [";
        }
        AppendInt(widths, qRound(font.Advance(glyph) * 1000.0 / font.UnitsPerEm()));
        widths += ' ';
        previous = glyph;
    }
    if (previous >= 0)
        widths += ']';
    std::string cid = "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /" + name
                      + " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor ";
    AppendInt(cid, descriptor);
    cid += " 0 R /CIDToGIDMap /Identity /W [" + widths + "] >>";
    objects.Object(cidFont, cid);

    const TPdfFont::TBox box = font.BoundingBox();
    std::string desc = "<< /Type /FontDescriptor /FontName /" + name + " /Flags ";
    AppendInt(desc, 32 + (font.FixedPitch() ? 1 : 0) + (font.Italic() ? 64 : 0));
    desc += " /FontBBox [";
    for (const int v : {box.Left, box.Bottom, box.Right, box.Top}) {
        AppendInt(desc, v);
        desc += ' ';
    }
    desc += "] /ItalicAngle ";
    AppendInt(desc, font.ItalicAngle());
    desc += " /Ascent ";
    AppendInt(desc, font.AscentPerMille());
    desc += " /Descent ";
    AppendInt(desc, font.DescentPerMille());
    desc += " /CapHeight ";
    AppendInt(desc, font.AscentPerMille());
    desc += " /StemV 80 /FontFile2 ";
    AppendInt(desc, file);
    objects.Object(descriptor, desc + " 0 R >>");

    const QByteArray subset = font.Subset();
    std::string fileDict = " /Length1 ";
    AppendInt(fileDict, subset.size());
    objects.Stream(file, fileDict, subset);

    // What each glyph shows, for copying and searching the text.
    std::string cmap = CMapHead("/Registry (Adobe) /Ordering (UCS) /Supplement 0", "Adobe-Identity-UCS", 2, 2);
    AppendEntries(cmap, "bfchar", used.begin(), used.end(), [](std::string& out, const auto& entry) {
        out += '<';
        AppendHex16(out, entry.first);
        out += "> <";
        AppendUtf16Hex(out, entry.second);
        out += '>';
    });
    objects.Stream(toUnicode, {}, QByteArrayView(cmap.data(), qsizetype(cmap.size())));
    if (documentFont.ByteObject != 0)
        WriteByteFont(objects, documentFont, name, cidFont);
}

} // namespace fw::pdf

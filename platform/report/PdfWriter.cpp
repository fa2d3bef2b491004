#include "platform/report/PdfWriter.h"

#include "platform/report/PdfFont.h"
#include "platform/report/ReportPainter.h"

#include <QIODevice>
#include <QPainter>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include <libdeflate.h>

namespace fw {

namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;
// The thinnest rule, as the other devices draw it: one dot at 600 dpi.
constexpr double kThinnestPoints = 72.0 / 600;

void AppendInt(std::string& out, long long value)
{
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, error == std::errc() ? end : buffer);
}

// A number in whole thousandths, as a PDF reads it here (0 beyond what a PDF holds). Rounded
// half away from zero as std::round does, without its call: a page holds thousands of
// coordinates. The part after the point of a double below 2^53 is exact, so the comparison
// with a half decides as std::round does.
long long Thousandths(double value)
{
    constexpr long long kLimit = 1000000000000000; // 1e15
    const double scaled = value * 1000;
    if (!(std::abs(scaled) < 2e15)) // and not a number
        return 0;
    long long whole = static_cast<long long>(scaled); // towards zero
    const double rest = scaled - double(whole);
    if (rest >= 0.5)
        ++whole;
    else if (rest <= -0.5)
        --whole;
    return whole < kLimit && whole > -kLimit ? whole : 0;
}

// A number as a PDF reads it: at most three decimals, no trailing zeros, then a space.
// Counted in thousandths as a whole number and spelt backwards into a buffer appended once:
// formatting a double to a precision, then digits appended a piece at a time, were each
// about a quarter of the writer's time.
void AppendThousandths(std::string& out, long long scaled)
{
    char buffer[32];
    char* const end = buffer + sizeof buffer;
    char* p = end;
    *--p = ' ';
    const bool negative = scaled < 0;
    unsigned long long rest = negative ? 0ULL - static_cast<unsigned long long>(scaled) : static_cast<unsigned long long>(scaled);
    if (const unsigned fraction = unsigned(rest % 1000); fraction != 0) {
        const char hundredths = char('0' + fraction / 10 % 10);
        const char thousandths = char('0' + fraction % 10);
        if (thousandths != '0') {
            *--p = thousandths;
            *--p = hundredths;
        } else if (hundredths != '0') {
            *--p = hundredths;
        }
        *--p = char('0' + fraction / 100);
        *--p = '.';
    }
    rest /= 1000;
    do {
        *--p = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative)
        *--p = '-';
    out.append(p, size_t(end - p));
}

void AppendNumber(std::string& out, double value) { AppendThousandths(out, Thousandths(value)); }

void AppendHex16(std::string& out, unsigned value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char digits[4] = {kDigits[(value >> 12) & 15], kDigits[(value >> 8) & 15], kDigits[(value >> 4) & 15],
                            kDigits[value & 15]};
    out.append(digits, 4);
}

// The glyphs' codes, two bytes each, in a literal string: half the bytes of the same codes
// in hex, which the compressor then does not have to go through. A reader would take an
// unescaped line end for a newline, and the parentheses and backslash for the string's
// syntax. Written through a pointer into room made once for the most they can take (every
// byte escaped): a byte appended at a time was a fifth of the page's drawing. What follows
// the backslash of an escaped byte is looked up in a table, zero for a byte written as is.
void AppendCodes(std::string& out, const std::vector<quint16>& glyphs)
{
    static constexpr std::array<char, 256> kEscape = [] {
        std::array<char, 256> escape{};
        escape['('] = '(';
        escape[')'] = ')';
        escape['\\'] = '\\';
        escape['\r'] = 'r';
        escape['\n'] = 'n';
        return escape;
    }();
    const size_t at = out.size();
    out.resize(at + glyphs.size() * 4);
    char* p = out.data() + at;
    for (const quint16 glyph : glyphs)
        for (const unsigned byte : {unsigned(glyph >> 8), unsigned(glyph & 0xFF)}) {
            if (const char escaped = kEscape[byte]; escaped != 0) {
                *p++ = '\\';
                *p++ = escaped;
            } else {
                *p++ = char(byte);
            }
        }
    out.resize(size_t(p - out.data()));
}

// A character as UTF-16 in hex (two units for one outside the basic plane).
void AppendUtf16Hex(std::string& out, char32_t character)
{
    if (character > 0xFFFF) {
        AppendHex16(out, QChar::highSurrogate(character));
        AppendHex16(out, QChar::lowSurrogate(character));
    } else {
        AppendHex16(out, unsigned(character));
    }
}

// A rule as JoinRules sorts it: its kind, the line it lies on (across) and where along it
// it starts and ends, worked out once (sorting on the points asked for them at every
// comparison, a sixth of the page's drawing), and its place on the page to keep the order
// of equal ones.
struct TRuleKey {
    enum TKind { Vertical, Horizontal, Other };
    double Width;
    int Kind;
    double Across;
    double Start;
    double End;
    size_t Place;
    TPageLine Line; // drawn from its start to its end

    bool operator<(const TRuleKey& b) const
    {
        if (Width != b.Width)
            return Width < b.Width;
        if (Kind != b.Kind)
            return Kind < b.Kind;
        if (Across != b.Across)
            return Across < b.Across;
        if (Start != b.Start)
            return Start < b.Start;
        return Place < b.Place;
    }
};

// The page's rules, those that continue one another along a column or a row (a table's
// rules, band under band) joined into one: a fifth of a page's drawing fewer to write and
// compress, drawn the same in one colour with square caps. By pen, then by the line they
// lie on, whatever order they were printed in.
void JoinRules(const std::vector<TPageLine>& lines, std::vector<TRuleKey>& keys, std::vector<TPageLine>& out)
{
    keys.clear();
    for (size_t i = 0; i < lines.size(); ++i) {
        TPageLine l = lines[i];
        const int kind = l.From.x() == l.To.x()   ? TRuleKey::Vertical
                         : l.From.y() == l.To.y() ? TRuleKey::Horizontal
                                                  : TRuleKey::Other;
        if ((kind == TRuleKey::Vertical && l.From.y() > l.To.y()) || (kind == TRuleKey::Horizontal && l.From.x() > l.To.x()))
            std::swap(l.From, l.To);
        const bool vertical = kind == TRuleKey::Vertical;
        keys.push_back({l.Width, kind, vertical ? l.From.x() : l.From.y(), vertical ? l.From.y() : l.From.x(),
                        vertical ? l.To.y() : l.To.x(), i, l});
    }
    std::sort(keys.begin(), keys.end());
    constexpr double kTouching = 1e-9; // mm
    out.clear();
    size_t kept = 0;
    for (size_t i = 0; i < keys.size(); ++i) {
        const TRuleKey& key = keys[i];
        if (kept > 0) {
            TRuleKey& last = keys[kept - 1];
            if (key.Kind != TRuleKey::Other && key.Kind == last.Kind && key.Width == last.Width && key.Across == last.Across
                && key.Start <= last.End + kTouching) {
                if (key.End > last.End) {
                    last.End = key.End;
                    last.Line.To = key.Line.To;
                }
                continue;
            }
        }
        keys[kept++] = key;
    }
    for (size_t i = 0; i < kept; ++i)
        out.push_back(keys[i].Line);
}

std::string TextString(const QString& text)
{
    std::string out = "<FEFF";
    for (const QChar c : text)
        AppendHex16(out, c.unicode());
    return out + '>';
}

// The objects of the file, numbered from 1, each written at an offset the cross-reference
// table lists. Numbers may be taken before their objects are written.
class TPdfObjects {
public:
    explicit TPdfObjects(QIODevice& device) : device_(device) { Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"); }

    int Reserve()
    {
        offsets_.push_back(-1);
        return int(offsets_.size());
    }

    void Object(int number, std::string_view body)
    {
        Start(number);
        Write(body);
        Write("\nendobj\n");
    }

    // A stream object; compressed unless small. Dictionary holds the entries besides the length.
    void Stream(int number, std::string_view dictionary, QByteArrayView data)
    {
        Start(number);
        std::string head = "<<";
        head += dictionary;
        if (data.size() > 64) {
            const std::string_view zlib = Compress(data);
            head += " /Filter /FlateDecode /Length ";
            AppendInt(head, qsizetype(zlib.size()));
            head += ">>\nstream\n";
            Write(head);
            Write(zlib);
        } else {
            head += " /Length ";
            AppendInt(head, data.size());
            head += ">>\nstream\n";
            Write(head);
            Write(std::string_view(data.data(), size_t(data.size())));
        }
        Write("\nendstream\nendobj\n");
    }

    void Finish(int catalog, int info)
    {
        const qint64 table = written_;
        std::string xref = "xref\n0 ";
        AppendInt(xref, qint64(offsets_.size()) + 1);
        xref += "\n0000000000 65535 f \n";
        for (const qint64 offset : offsets_) {
            char line[32];
            std::snprintf(line, sizeof line, "%010lld 00000 n \n", static_cast<long long>(std::max<qint64>(offset, 0)));
            xref += line;
        }
        xref += "trailer\n<< /Size ";
        AppendInt(xref, qint64(offsets_.size()) + 1);
        xref += " /Root ";
        AppendInt(xref, catalog);
        xref += " 0 R /Info ";
        AppendInt(xref, info);
        xref += " 0 R >>\nstartxref\n";
        AppendInt(xref, table);
        xref += "\n%%EOF\n";
        Write(xref);
    }

private:
    // A zlib stream (what /FlateDecode reads) of the data, in a buffer kept from one stream to
    // the next. libdeflate at its fastest level: about twice zlib's speed at level 1, for a
    // file a little smaller; compressing was a sixth of a long report's time.
    std::string_view Compress(QByteArrayView data)
    {
        if (!compressor_)
            compressor_.reset(libdeflate_alloc_compressor(1));
        if (!compressor_)
            throw std::bad_alloc();
        packed_.resize(libdeflate_zlib_compress_bound(compressor_.get(), size_t(data.size())));
        const size_t size = libdeflate_zlib_compress(compressor_.get(), data.data(), size_t(data.size()),
                                                     packed_.data(), packed_.size());
        return {packed_.data(), size};
    }

    struct TFreeCompressor {
        void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
    };
    std::unique_ptr<libdeflate_compressor, TFreeCompressor> compressor_;
    std::vector<char> packed_;

    void Start(int number)
    {
        offsets_[size_t(number - 1)] = written_;
        std::string head;
        AppendInt(head, number);
        head += " 0 obj\n";
        Write(head);
    }
    void Write(std::string_view bytes)
    {
        device_.write(bytes.data(), qint64(bytes.size()));
        written_ += qint64(bytes.size());
    }

    QIODevice& device_;
    std::vector<qint64> offsets_;
    qint64 written_ = 0;
};

// A font of the document: the embedded copy and the name the pages use for it.
struct TDocumentFont {
    std::unique_ptr<TPdfFont> Font;
    int Index = 0;        // 1, 2, ... in the order of first use
    std::string Resource; // "/F1"
    int Object = 0;       // the font dictionary's number
};

class TPdfDocumentWriter {
public:
    explicit TPdfDocumentWriter(QIODevice& device) : objects_(device) {}

    bool Write(const TReportDocument& document)
    {
        for (const TReportPage& page : document.Pages)
            if (!AddPage(page))
                return false;
        return Finish(document.Title);
    }

    bool AddPage(const TReportPage& page)
    {
        if (kids_.empty()) {
            catalog_ = objects_.Reserve();
            pages_ = objects_.Reserve();
            resources_ = objects_.Reserve();
        }
        content_.clear();
        if (!Content(page, content_))
            return false;
        const int pageObject = objects_.Reserve();
        const int contents = objects_.Reserve();
        objects_.Stream(contents, {}, QByteArrayView(content_.data(), qsizetype(content_.size())));
        std::string body = "<< /Type /Page /Parent ";
        AppendInt(body, pages_);
        body += " 0 R /MediaBox [0 0 ";
        AppendNumber(body, page.Size.width() * kPointsPerMm);
        AppendNumber(body, page.Size.height() * kPointsPerMm);
        body += "] /Resources ";
        AppendInt(body, resources_);
        body += " 0 R /Contents ";
        AppendInt(body, contents);
        body += " 0 R >>";
        objects_.Object(pageObject, body);
        kids_.push_back(pageObject);
        return true;
    }

    // After the last page: the fonts, the page tree and the file's end.
    bool Finish(const QString& title)
    {
        if (kids_.empty())
            return false;
        std::string fontList;
        for (const auto& font : fonts_) {
            WriteFont(*font);
            fontList += font->Resource + ' ';
            AppendInt(fontList, font->Object);
            fontList += " 0 R ";
        }
        // A document without pictures keeps the resources it always had.
        std::string imageList;
        for (const auto& [key, image] : images_) {
            imageList += image.Resource + ' ';
            AppendInt(imageList, image.Object);
            imageList += " 0 R ";
        }
        if (imageList.empty())
            objects_.Object(resources_, "<< /ProcSet [/PDF /Text] /Font << " + fontList + ">> >>");
        else
            objects_.Object(resources_, "<< /ProcSet [/PDF /Text /ImageC] /Font << " + fontList + ">> /XObject << "
                                            + imageList + ">> >>");
        std::string kidList;
        for (const int kid : kids_) {
            AppendInt(kidList, kid);
            kidList += " 0 R ";
        }
        std::string tree = "<< /Type /Pages /Kids [" + kidList + "] /Count ";
        AppendInt(tree, qint64(kids_.size()));
        objects_.Object(pages_, tree + " >>");
        std::string root = "<< /Type /Catalog /Pages ";
        AppendInt(root, pages_);
        objects_.Object(catalog_, root + " 0 R >>");
        const int info = objects_.Reserve();
        objects_.Object(info, "<< /Title " + TextString(title) + " /Creator " + TextString("Corvanel") + " >>");
        objects_.Finish(catalog_, info);
        return true;
    }

private:
    // The page's drawing: solid areas, pictures, frames, rules, then texts, as the other
    // devices paint them.
    bool Content(const TReportPage& page, std::string& out)
    {
        const double height = page.Size.height() * kPointsPerMm;
        double penWidth = -1;
        const auto pen = [&](double widthMm) {
            const double width = std::max(kThinnestPoints, widthMm * kPointsPerMm);
            if (width != penWidth) {
                AppendNumber(out, width);
                out += "w\n";
                penWidth = width;
            }
        };
        out += "0 g 0 G 2 J\n";
        for (const QRectF& r : page.Fills) {
            AppendNumber(out, r.left() * kPointsPerMm);
            AppendNumber(out, height - r.bottom() * kPointsPerMm);
            AppendNumber(out, r.width() * kPointsPerMm);
            AppendNumber(out, r.height() * kPointsPerMm);
            out += "re f\n";
        }
        for (const TPagePicture& picture : page.Pictures) {
            if (picture.Image.isNull())
                continue;
            // The image's unit square scaled onto its box.
            const QRectF& r = picture.Rect;
            out += "q ";
            AppendNumber(out, r.width() * kPointsPerMm);
            out += "0 0 ";
            AppendNumber(out, r.height() * kPointsPerMm);
            AppendNumber(out, r.left() * kPointsPerMm);
            AppendNumber(out, height - r.bottom() * kPointsPerMm);
            out += "cm " + ImageOf(picture.Image) + " Do Q\n";
        }
        for (const TPageRect& r : page.Rects) {
            pen(r.Width);
            AppendNumber(out, r.Rect.left() * kPointsPerMm);
            AppendNumber(out, height - r.Rect.bottom() * kPointsPerMm);
            AppendNumber(out, r.Rect.width() * kPointsPerMm);
            AppendNumber(out, r.Rect.height() * kPointsPerMm);
            out += "re S\n";
        }
        JoinRules(page.Lines, ruleKeys_, rules_);
        for (const TPageLine& line : rules_) {
            pen(line.Width);
            AppendNumber(out, line.From.x() * kPointsPerMm);
            AppendNumber(out, height - line.From.y() * kPointsPerMm);
            out += "m ";
            AppendNumber(out, line.To.x() * kPointsPerMm);
            AppendNumber(out, height - line.To.y() * kPointsPerMm);
            out += "l S\n";
        }
        if (page.Texts.empty())
            return true;
        out += "BT\n";
        const TDocumentFont* current = nullptr;
        double currentSize = -1;
        std::vector<quint16> glyphs;
        for (const TPageText& text : page.Texts) {
            if (text.Text.isEmpty())
                continue;
            TDocumentFont* font = FontOf(text.Font);
            if (!font)
                return false;
            glyphs.clear();
            const qint64 advance = font->Font->AppendGlyphs(text.Text, glyphs);
            if (advance < 0)
                return false;
            const double size = text.Font.PointSize;
            if (font != current || size != currentSize) {
                out += font->Resource + ' ';
                AppendNumber(out, size);
                out += "Tf\n";
                current = font;
                currentSize = size;
            }
            // Aligned in its box by its width, its line centred in the box's height.
            const double width = double(advance) * size / font->Font->UnitsPerEm();
            const QRectF box(text.Rect.topLeft() * kPointsPerMm, text.Rect.size() * kPointsPerMm);
            double x = box.left();
            if (text.Alignment == TReportAlignment::Center)
                x += (box.width() - width) / 2;
            else if (text.Alignment == TReportAlignment::Right)
                x = box.right() - width;
            const double ascent = font->Font->Ascent() * size;
            const double lineHeight = ascent + font->Font->Descent() * size;
            const double baseline = box.top() + (box.height() - lineHeight) / 2 + ascent;
            // Placed absolutely: moved from the text before (Td), a reader's sum of the steps
            // can put a glyph on the other side of a pixel's edge.
            out += "1 0 0 1 ";
            AppendNumber(out, x);
            AppendNumber(out, height - baseline);
            out += "Tm (";
            AppendCodes(out, glyphs);
            out += ") Tj\n";
        }
        out += "ET\n";
        return true;
    }

    // The document's font for a page font, made on first use; null when it cannot be embedded.
    TDocumentFont* FontOf(const TPageFont& pageFont)
    {
        // Asked for every text, mostly in the font of the text before: compared field by
        // field, without a key made (and its family's string copied) for each.
        if (lastFont_ && pageFont.Bold == std::get<1>(lastKey_) && pageFont.Italic == std::get<2>(lastKey_)
            && pageFont.FixedPitch == std::get<3>(lastKey_) && pageFont.Family == std::get<0>(lastKey_))
            return lastFont_;
        const auto key = std::make_tuple(pageFont.Family, pageFont.Bold, pageFont.Italic, pageFont.FixedPitch);
        auto found = byPageFont_.find(key);
        if (found == byPageFont_.end()) {
            // Page fonts that resolve to one face share its copy.
            const QRawFont raw = QRawFont::fromFont(PageQFont(pageFont));
            const QString face = raw.familyName() + QLatin1Char('|') + raw.styleName() + QLatin1Char('|')
                                 + QString::number(raw.weight()) + QLatin1Char('|') + QString::number(int(raw.style()));
            auto shared = byFace_.find(face);
            if (shared == byFace_.end()) {
                TDocumentFont* font = nullptr;
                if (auto pdfFont = TPdfFont::Open(raw, pageFont.Bold, pageFont.Italic)) {
                    fonts_.push_back(std::make_unique<TDocumentFont>());
                    font = fonts_.back().get();
                    font->Font = std::move(pdfFont);
                    font->Index = int(fonts_.size());
                    font->Resource = "/F" + std::to_string(font->Index);
                    font->Object = objects_.Reserve();
                }
                shared = byFace_.emplace(face, font).first;
            }
            found = byPageFont_.emplace(key, shared->second).first;
        }
        lastKey_ = key;
        lastFont_ = found->second;
        return lastFont_;
    }

    // The name the pages draw an image by; written once, however many pages show it.
    std::string ImageOf(const QImage& image)
    {
        auto found = images_.find(image.cacheKey());
        if (found != images_.end())
            return found->second.Resource;
        TDocumentImage entry;
        entry.Resource = "/Im" + std::to_string(images_.size() + 1);
        entry.Object = objects_.Reserve();
        // Transparent parts show the white sheet, as on the other devices.
        QImage rgb(image.size(), QImage::Format_RGB888);
        rgb.fill(Qt::white);
        {
            QPainter painter(&rgb);
            painter.drawImage(0, 0, image);
        }
        QByteArray samples;
        const qsizetype row = qsizetype(rgb.width()) * 3;
        samples.reserve(row * rgb.height());
        for (int y = 0; y < rgb.height(); ++y)
            samples.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), row);
        std::string dictionary = " /Type /XObject /Subtype /Image /Width ";
        AppendInt(dictionary, rgb.width());
        dictionary += " /Height ";
        AppendInt(dictionary, rgb.height());
        dictionary += " /ColorSpace /DeviceRGB /BitsPerComponent 8";
        objects_.Stream(entry.Object, dictionary, samples);
        return images_.emplace(image.cacheKey(), std::move(entry)).first->second.Resource;
    }

    void WriteFont(const TDocumentFont& documentFont)
    {
        const TPdfFont& font = *documentFont.Font;
        // A subset's name begins with six capitals of its own.
        std::string name = "CVNL";
        name += char('A' + documentFont.Index / 26 % 26);
        name += char('A' + documentFont.Index % 26);
        name += '+' + font.PostScriptName().toStdString();

        const int cidFont = objects_.Reserve();
        const int descriptor = objects_.Reserve();
        const int file = objects_.Reserve();
        const int toUnicode = objects_.Reserve();
        std::string type0 = "<< /Type /Font /Subtype /Type0 /BaseFont /" + name
                            + " /Encoding /Identity-H /DescendantFonts [";
        AppendInt(type0, cidFont);
        type0 += " 0 R] /ToUnicode ";
        AppendInt(type0, toUnicode);
        objects_.Object(documentFont.Object, type0 + " 0 R >>");

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
        objects_.Object(cidFont, cid);

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
        objects_.Object(descriptor, desc + " 0 R >>");

        const QByteArray subset = font.Subset();
        std::string fileDict = " /Length1 ";
        AppendInt(fileDict, subset.size());
        objects_.Stream(file, fileDict, subset);

        // What each glyph shows, for copying and searching the text.
        std::string cmap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                           "/CIDSystemInfo << /Registry (Adobe) /Ordering (UCS) /Supplement 0 >> def\n"
                           "/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n"
                           "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n";
        auto next = used.begin();
        while (next != used.end()) {
            const size_t count = std::min<size_t>(100, size_t(std::distance(next, used.end())));
            AppendInt(cmap, qint64(count));
            cmap += " beginbfchar\n";
            for (size_t i = 0; i < count; ++i, ++next) {
                cmap += '<';
                AppendHex16(cmap, next->first);
                cmap += "> <";
                AppendUtf16Hex(cmap, next->second);
                cmap += ">\n";
            }
            cmap += "endbfchar\n";
        }
        cmap += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
        objects_.Stream(toUnicode, {}, QByteArrayView(cmap.data(), qsizetype(cmap.size())));
    }

    struct TDocumentImage {
        std::string Resource; // "/Im1"
        int Object = 0;
    };

    TPdfObjects objects_;
    int catalog_ = 0;
    int pages_ = 0;
    int resources_ = 0;
    std::vector<int> kids_;
    std::string content_; // the page's drawing, its room kept from page to page
    std::vector<TPageLine> rules_; // the page's rules joined, the same
    std::vector<TRuleKey> ruleKeys_; // and their keys
    std::vector<std::unique_ptr<TDocumentFont>> fonts_;
    std::map<qint64, TDocumentImage> images_; // by QImage::cacheKey
    std::map<std::tuple<QString, bool, bool, bool>, TDocumentFont*> byPageFont_;
    std::map<QString, TDocumentFont*> byFace_;
    std::tuple<QString, bool, bool, bool> lastKey_;
    TDocumentFont* lastFont_ = nullptr;
};

} // namespace

bool WritePdf(const TReportDocument& document, QIODevice& device)
{
    TPdfDocumentWriter writer(device);
    return writer.Write(document);
}

struct TPdfPageWriter::TImpl {
    explicit TImpl(QIODevice& device) : Writer(device) {}
    TPdfDocumentWriter Writer;
};

TPdfPageWriter::TPdfPageWriter(QIODevice& device) : impl_(std::make_unique<TImpl>(device)) {}
TPdfPageWriter::~TPdfPageWriter() = default;
bool TPdfPageWriter::AddPage(const TReportPage& page) { return impl_->Writer.AddPage(page); }
bool TPdfPageWriter::Finish(const QString& title) { return impl_->Writer.Finish(title); }

} // namespace fw

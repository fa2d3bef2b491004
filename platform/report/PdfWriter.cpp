#include "platform/report/PdfWriter.h"

#include "platform/report/PdfFont.h"
#include "platform/report/PdfFontObjects.h"
#include "platform/report/PdfObjects.h"
#include "platform/report/ReportPainter.h"

#include <QIODevice>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <tuple>
#include <vector>

namespace fw {

namespace {

using pdf::AppendInt;
using pdf::TDocumentFont;
using pdf::TPdfObjects;
using pdf::TextString;

constexpr double kPointsPerMm = 72.0 / 25.4;
// The thinnest rule, as the other devices draw it: one dot at 600 dpi.
constexpr double kThinnestPoints = 72.0 / 600;

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

// The part after the point of a number in thousandths as written, without trailing zeros:
// ".5", ".25", ".125", nothing for none. All thousand made once: worked out digit by digit
// for each number, it was a quarter of the number's formatting.
struct TFraction {
    char Text[4];
    unsigned char Size;
};
constexpr std::array<TFraction, 1000> kFractions = [] {
    std::array<TFraction, 1000> table{};
    for (unsigned f = 1; f < 1000; ++f) {
        const char digits[3] = {char('0' + f / 100), char('0' + f / 10 % 10), char('0' + f % 10)};
        unsigned size = 3;
        while (digits[size - 1] == '0')
            --size;
        TFraction& fraction = table[f];
        fraction.Text[0] = '.';
        for (unsigned i = 0; i < size; ++i)
            fraction.Text[i + 1] = digits[i];
        fraction.Size = static_cast<unsigned char>(size + 1);
    }
    return table;
}();

// A number as a PDF reads it: at most three decimals, no trailing zeros, then a space.
// Counted in thousandths as a whole number and spelt backwards into a buffer appended once:
// formatting a double to a precision, then digits appended a piece at a time, were each
// about a quarter of the writer's time.
void AppendThousandths(std::string& out, long long scaled)
{
    char buffer[32];
    char* const point = buffer + sizeof buffer - 5; // the fraction and the space after it
    const bool negative = scaled < 0;
    unsigned long long rest = negative ? 0ULL - static_cast<unsigned long long>(scaled) : static_cast<unsigned long long>(scaled);
    const TFraction& fraction = kFractions[rest % 1000];
    std::memcpy(point, fraction.Text, sizeof fraction.Text);
    point[fraction.Size] = ' ';
    char* p = point;
    rest /= 1000;
    do {
        *--p = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative)
        *--p = '-';
    out.append(p, size_t(point + fraction.Size + 1 - p));
}

void AppendNumber(std::string& out, double value) { AppendThousandths(out, Thousandths(value)); }

// What follows the backslash of a byte a literal string escapes, zero for a byte written as
// is: a reader would take an unescaped line end for a newline, and the parentheses and
// backslash for the string's syntax.
constexpr std::array<char, 256> kEscape = [] {
    std::array<char, 256> escape{};
    escape['('] = '(';
    escape[')'] = ')';
    escape['\\'] = '\\';
    escape['\r'] = 'r';
    escape['\n'] = 'n';
    return escape;
}();

inline char* PutEscaped(char* p, unsigned byte)
{
    if (const char escaped = kEscape[byte]; escaped != 0) {
        *p++ = '\\';
        *p++ = escaped;
    } else {
        *p++ = char(byte);
    }
    return p;
}

// The glyphs' codes, two bytes each, in a literal string: half the bytes of the same codes
// in hex, which the compressor then does not have to go through. Written through a pointer
// into room made once for the most they can take (every byte escaped): a byte appended at a
// time was a fifth of the page's drawing.
void AppendCodes(std::string& out, const std::vector<quint16>& glyphs)
{
    const size_t at = out.size();
    out.resize(at + glyphs.size() * 4);
    char* p = out.data() + at;
    for (const quint16 glyph : glyphs)
        p = PutEscaped(PutEscaped(p, unsigned(glyph >> 8)), unsigned(glyph & 0xFF));
    out.resize(size_t(p - out.data()));
}

// A text whose characters are all below 256 as codes of a byte each, the characters' own,
// escaped, into `codes`; each code noted with the glyph it shows, for the encoding written
// at the end. Glyph and advance are found as the font finds them for the two-byte codes, in
// the same pass. Its advance in font units; -1 when the text is not one for these codes (a
// character beyond, or one the font lacks: the two-byte codes tell which).
qint64 ByteCodes(TPdfFont& font, const QString& text, std::string& codes, std::array<quint16, 256>& byteGlyphs)
{
    codes.resize(size_t(text.size()) * 2);
    char* p = codes.data();
    qint64 advance = 0;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code >= 256)
            return -1;
        const quint32 entry = font.LatinGlyph(code);
        const auto glyph = quint16(entry & 0xFFFF);
        if (glyph == 0)
            return -1;
        byteGlyphs[code] = glyph;
        advance += entry >> 16;
        p = PutEscaped(p, code);
    }
    codes.resize(size_t(p - codes.data()));
    return advance;
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
void JoinRules(std::span<const TPageLine> lines, std::vector<TRuleKey>& keys, std::vector<TPageLine>& out)
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

// Whether two items of pages draw the same, compared exactly (Qt's comparisons of points
// and rectangles are fuzzy, and a difference can still round to other thousandths).
bool Same(const QPointF& a, const QPointF& b) { return a.x() == b.x() && a.y() == b.y(); }
bool Same(const QRectF& a, const QRectF& b)
{
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}
bool Same(const TPageText& a, const TPageText& b)
{
    return a.Text == b.Text && Same(a.Rect, b.Rect) && a.Alignment == b.Alignment && a.Font.Family == b.Font.Family
           && a.Font.PointSize == b.Font.PointSize && a.Font.Bold == b.Font.Bold && a.Font.Italic == b.Font.Italic
           && a.Font.FixedPitch == b.Font.FixedPitch;
}
bool Same(const TPageLine& a, const TPageLine& b) { return Same(a.From, b.From) && Same(a.To, b.To) && a.Width == b.Width; }
bool Same(const TPageRect& a, const TPageRect& b) { return Same(a.Rect, b.Rect) && a.Width == b.Width; }
bool Same(const TPagePicture& a, const TPagePicture& b)
{
    return a.Image.cacheKey() == b.Image.cacheKey() && Same(a.Rect, b.Rect);
}
template <class T> bool Same(const std::vector<T>& kept, std::span<const T> items)
{
    return kept.size() == items.size()
           && std::equal(kept.begin(), kept.end(), items.begin(), [](const T& a, const T& b) { return Same(a, b); });
}

// An image or a form of the document: the name the pages draw it by, and its object.
struct TDocumentXObject {
    std::string Resource; // "/Im1", "/Fm1"
    int Object = 0;
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
            WriteFont(objects_, *font);
            fontList += font->Resource + ' ';
            AppendInt(fontList, font->Object);
            fontList += " 0 R ";
            if (font->ByteObject != 0) {
                fontList += font->ByteResource + ' ';
                AppendInt(fontList, font->ByteObject);
                fontList += " 0 R ";
            }
        }
        // A document without pictures or forms keeps the resources it always had.
        std::string xObjects;
        const auto list = [&xObjects](const TDocumentXObject& x) {
            xObjects += x.Resource + ' ';
            AppendInt(xObjects, x.Object);
            xObjects += " 0 R ";
        };
        for (const auto& [key, image] : images_)
            list(image);
        for (const auto& [drawing, form] : forms_)
            list(form);
        const std::string procSet = images_.empty() ? "[/PDF /Text]" : "[/PDF /Text /ImageC]";
        if (xObjects.empty())
            objects_.Object(resources_, "<< /ProcSet " + procSet + " /Font << " + fontList + ">> >>");
        else
            objects_.Object(resources_, "<< /ProcSet " + procSet + " /Font << " + fontList + ">> /XObject << " + xObjects
                                            + ">> >>");
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
    // What is drawn together: the page header's items, or the rest of the page.
    struct TItems {
        std::span<const QRectF> Fills;
        std::span<const TPagePicture> Pictures;
        std::span<const TPageRect> Rects;
        std::span<const TPageLine> Lines;
        std::span<const TPageText> Texts;
    };

    // The page's drawing: its header (a form shared by the pages), then the rest.
    bool Content(const TReportPage& page, std::string& out)
    {
        const double height = page.Size.height() * kPointsPerMm;
        out += "0 g 0 G 2 J\n";
        const auto split = [](const auto& list, size_t count) {
            const size_t n = std::min(count, list.size());
            return std::pair{std::span(list).first(n), std::span(list).subspan(n)};
        };
        const auto [headTexts, texts] = split(page.Texts, page.Header.Texts);
        const auto [headLines, lines] = split(page.Lines, page.Header.Lines);
        const auto [headRects, rects] = split(page.Rects, page.Header.Rects);
        const auto [headPictures, pictures] = split(page.Pictures, page.Header.Pictures);
        const TItems header{{}, headPictures, headRects, headLines, headTexts};
        if (!(header.Pictures.empty() && header.Rects.empty() && header.Lines.empty() && header.Texts.empty())
            && !Header(header, page.Size * kPointsPerMm, out))
            return false;
        return Draw({page.Fills, pictures, rects, lines, texts}, height, out);
    }

    // The page header as a form, written once and shown by every page whose header draws the
    // same: a year's report repeats its header on each of its pages, a sixth of each page's
    // drawing, compressed again and again. Compared with the page before by its items, so
    // that a repeated header is not drawn again either. A header that changes from page to
    // page (a page number in it) would make a form for each: after a few, the rest are drawn
    // into their pages.
    bool Header(const TItems& header, const QSizeF& size, std::string& out)
    {
        constexpr size_t kMostForms = 8;
        if (!header_.SameAs(header, size)) {
            header_.Keep(header, size);
            header_.Drawing.clear();
            AppendNumber(header_.Drawing, size.width());
            AppendNumber(header_.Drawing, size.height());
            header_.Start = header_.Drawing.size();
            if (!Draw(header, size.height(), header_.Drawing))
                return false;
            const auto found = forms_.find(header_.Drawing);
            header_.Form = found != forms_.end()         ? &found->second
                           : forms_.size() < kMostForms ? &MakeForm(header_.Drawing, header_.Start, size)
                                                        : nullptr;
        }
        if (header_.Form) {
            out += header_.Form->Resource;
            out += " Do\n";
        } else {
            out.append(header_.Drawing, header_.Start);
        }
        return true;
    }

    // A form of a header's drawing (after the page's size that begins it), written at once.
    const TDocumentXObject& MakeForm(const std::string& drawing, size_t start, const QSizeF& size)
    {
        TDocumentXObject form;
        form.Resource = "/Fm" + std::to_string(forms_.size() + 1);
        form.Object = objects_.Reserve();
        std::string dictionary = " /Type /XObject /Subtype /Form /BBox [0 0 ";
        AppendNumber(dictionary, size.width());
        AppendNumber(dictionary, size.height());
        dictionary += "] /Resources ";
        AppendInt(dictionary, resources_);
        dictionary += " 0 R";
        const std::string stream = "0 g 0 G 2 J\n" + drawing.substr(start);
        objects_.Stream(form.Object, dictionary, QByteArrayView(stream.data(), qsizetype(stream.size())));
        return forms_.emplace(drawing, std::move(form)).first->second;
    }

    // Solid areas, pictures, frames, rules, then texts, as the other devices paint them.
    bool Draw(const TItems& items, double height, std::string& out)
    {
        double penWidth = -1;
        const auto pen = [&](double widthMm) {
            const double width = std::max(kThinnestPoints, widthMm * kPointsPerMm);
            if (width != penWidth) {
                AppendNumber(out, width);
                out += "w\n";
                penWidth = width;
            }
        };
        for (const QRectF& r : items.Fills) {
            AppendNumber(out, r.left() * kPointsPerMm);
            AppendNumber(out, height - r.bottom() * kPointsPerMm);
            AppendNumber(out, r.width() * kPointsPerMm);
            AppendNumber(out, r.height() * kPointsPerMm);
            out += "re f\n";
        }
        for (const TPagePicture& picture : items.Pictures) {
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
        for (const TPageRect& r : items.Rects) {
            pen(r.Width);
            AppendNumber(out, r.Rect.left() * kPointsPerMm);
            AppendNumber(out, height - r.Rect.bottom() * kPointsPerMm);
            AppendNumber(out, r.Rect.width() * kPointsPerMm);
            AppendNumber(out, r.Rect.height() * kPointsPerMm);
            out += "re S\n";
        }
        JoinRules(items.Lines, ruleKeys_, rules_);
        for (const TPageLine& line : rules_) {
            pen(line.Width);
            AppendNumber(out, line.From.x() * kPointsPerMm);
            AppendNumber(out, height - line.From.y() * kPointsPerMm);
            out += "m ";
            AppendNumber(out, line.To.x() * kPointsPerMm);
            AppendNumber(out, height - line.To.y() * kPointsPerMm);
            out += "l S\n";
        }
        if (items.Texts.empty())
            return true;
        out += "BT\n";
        const std::string* current = nullptr; // the font resource in use
        double currentSize = -1;
        std::vector<quint16>& glyphs = glyphs_;
        for (const TPageText& text : items.Texts) {
            if (text.Text.isEmpty())
                continue;
            TDocumentFont* font = FontOf(text.Font);
            if (!font)
                return false;
            qint64 advance = ByteCodes(*font->Font, text.Text, codes_, font->ByteGlyphs);
            const bool oneByte = advance >= 0;
            if (!oneByte) {
                glyphs.clear();
                advance = font->Font->AppendGlyphs(text.Text, glyphs);
                if (advance < 0)
                    return false;
            }
            if (oneByte && font->ByteObject == 0) {
                font->ByteObject = objects_.Reserve();
                font->ByteResource = font->Resource + 'b';
            }
            const std::string& resource = oneByte ? font->ByteResource : font->Resource;
            const double size = text.Font.PointSize;
            if (&resource != current || size != currentSize) {
                out += resource + ' ';
                AppendNumber(out, size);
                out += "Tf\n";
                current = &resource;
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
            if (oneByte)
                out += codes_;
            else
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
        TDocumentXObject entry;
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

    // The header drawn last, what it was drawn from, and its form.
    struct TLastHeader {
        std::vector<TPagePicture> Pictures;
        std::vector<TPageRect> Rects;
        std::vector<TPageLine> Lines;
        std::vector<TPageText> Texts;
        QSizeF Size;
        bool Kept = false;
        std::string Drawing; // the page's size, then the header's drawing
        size_t Start = 0;    // where the drawing begins in it
        const TDocumentXObject* Form = nullptr;

        bool SameAs(const TItems& items, const QSizeF& size) const
        {
            return Kept && size.width() == Size.width() && size.height() == Size.height() && Same(Texts, items.Texts)
                   && Same(Lines, items.Lines) && Same(Rects, items.Rects) && Same(Pictures, items.Pictures);
        }
        void Keep(const TItems& items, const QSizeF& size)
        {
            Pictures.assign(items.Pictures.begin(), items.Pictures.end());
            Rects.assign(items.Rects.begin(), items.Rects.end());
            Lines.assign(items.Lines.begin(), items.Lines.end());
            Texts.assign(items.Texts.begin(), items.Texts.end());
            Size = size;
            Kept = true;
        }
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
    std::map<qint64, TDocumentXObject> images_; // by QImage::cacheKey
    std::map<std::string, TDocumentXObject> forms_; // by the page's size and the drawing
    TLastHeader header_;
    std::vector<quint16> glyphs_; // a text's glyphs, the room kept from text to text
    std::string codes_;           // a text's one-byte codes, the same
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

#include "platform/report/PdfObjects.h"

#include <QChar>
#include <QIODevice>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <new>

#include <libdeflate.h>

namespace fw::pdf {

void AppendInt(std::string& out, long long value)
{
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, error == std::errc() ? end : buffer);
}

void AppendHex16(std::string& out, unsigned value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    const char digits[4] = {kDigits[(value >> 12) & 15], kDigits[(value >> 8) & 15], kDigits[(value >> 4) & 15],
                            kDigits[value & 15]};
    out.append(digits, 4);
}

void AppendUtf16Hex(std::string& out, char32_t character)
{
    if (character > 0xFFFF) {
        AppendHex16(out, QChar::highSurrogate(character));
        AppendHex16(out, QChar::lowSurrogate(character));
    } else {
        AppendHex16(out, unsigned(character));
    }
}

std::string TextString(const QString& text)
{
    std::string out = "<FEFF";
    for (const QChar c : text)
        AppendHex16(out, c.unicode());
    return out + '>';
}

TPdfObjects::TPdfObjects(QIODevice& device) : device_(device) { Write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n"); }

TPdfObjects::~TPdfObjects() = default;

void TPdfObjects::TFreeCompressor::operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }

int TPdfObjects::Reserve()
{
    offsets_.push_back(-1);
    return int(offsets_.size());
}

void TPdfObjects::Object(int number, std::string_view body)
{
    Start(number);
    Write(body);
    Write("\nendobj\n");
}

void TPdfObjects::Stream(int number, std::string_view dictionary, QByteArrayView data)
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

void TPdfObjects::Finish(int catalog, int info)
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

// A zlib stream (what /FlateDecode reads) of the data, in a buffer kept from one stream to
// the next. libdeflate at its fastest level: about twice zlib's speed at level 1, for a
// file a little smaller; compressing was a sixth of a long report's time.
std::string_view TPdfObjects::Compress(QByteArrayView data)
{
    if (!compressor_)
        compressor_.reset(libdeflate_alloc_compressor(1));
    if (!compressor_)
        throw std::bad_alloc();
    packed_.resize(libdeflate_zlib_compress_bound(compressor_.get(), size_t(data.size())));
    const size_t size =
        libdeflate_zlib_compress(compressor_.get(), data.data(), size_t(data.size()), packed_.data(), packed_.size());
    return {packed_.data(), size};
}

void TPdfObjects::Start(int number)
{
    offsets_[size_t(number - 1)] = written_;
    std::string head;
    AppendInt(head, number);
    head += " 0 obj\n";
    Write(head);
}

void TPdfObjects::Write(std::string_view bytes)
{
    device_.write(bytes.data(), qint64(bytes.size()));
    written_ += qint64(bytes.size());
}

} // namespace fw::pdf

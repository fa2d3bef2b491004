#pragma once

// The objects of the reports' PDF files and the values written into them (internal to the
// PDF writer).

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QIODevice;
struct libdeflate_compressor;

namespace fw::pdf {

void AppendInt(std::string& out, long long value);
// Four hex digits of a 16-bit value.
void AppendHex16(std::string& out, unsigned value);
// A character as UTF-16 in hex (two units for one outside the basic plane).
void AppendUtf16Hex(std::string& out, char32_t character);
// A text string of the document's information (UTF-16 in hex).
std::string TextString(const QString& text);

// The objects of the file, numbered from 1, each written at an offset the cross-reference
// table lists. Numbers may be taken before their objects are written.
class TPdfObjects {
public:
    explicit TPdfObjects(QIODevice& device);
    ~TPdfObjects();
    TPdfObjects(const TPdfObjects&) = delete;
    TPdfObjects& operator=(const TPdfObjects&) = delete;

    int Reserve();
    void Object(int number, std::string_view body);
    // A stream object; compressed unless small. Dictionary holds the entries besides the length.
    void Stream(int number, std::string_view dictionary, QByteArrayView data);
    // The cross-reference table and the trailer.
    void Finish(int catalog, int info);

private:
    std::string_view Compress(QByteArrayView data);
    void Start(int number);
    void Write(std::string_view bytes);

    struct TFreeCompressor {
        void operator()(libdeflate_compressor* c) const;
    };
    std::unique_ptr<libdeflate_compressor, TFreeCompressor> compressor_;
    std::vector<char> packed_;
    QIODevice& device_;
    std::vector<qint64> offsets_;
    qint64 written_ = 0;
};

} // namespace fw::pdf

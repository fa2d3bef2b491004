#include "paradox/CodePage.h"

#include "paradox/ImportMessages.h"

#include <iconv.h>
#include <map>
#include <mutex>

namespace paradox {

namespace {

// What one byte stands for, asked of the system's converter.
enum class TByte { Char, Unknown, MultiByte };

TByte Convert(iconv_t cd, unsigned char byte, char16_t& out)
{
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[1] = {char(byte)};
    char buffer[8];
    char* inp = in;
    char* outp = buffer;
    size_t inLeft = 1, outLeft = sizeof buffer;
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == size_t(-1))
        return errno == EINVAL ? TByte::MultiByte : TByte::Unknown;
    // A character outside the basic plane is no character of an old single-byte page.
    if (sizeof buffer - outLeft != 2)
        return TByte::Unknown;
    out = char16_t(static_cast<unsigned char>(buffer[0]) | (static_cast<unsigned char>(buffer[1]) << 8));
    return TByte::Char;
}

} // namespace

std::shared_ptr<const TCodePage> TCodePage::Find(int number, QString* why)
{
    static std::mutex guard;
    static std::map<int, std::shared_ptr<const TCodePage>> known;
    const std::lock_guard<std::mutex> lock(guard);
    if (auto it = known.find(number); it != known.end())
        return it->second;

    const QByteArray name = "CP" + QByteArray::number(number);
    // iconv_open's documented failure value is the handle (iconv_t)-1.
    const auto failed = iconv_t(-1); // NOLINT(performance-no-int-to-ptr)
    iconv_t cd = number > 0 ? iconv_open("UTF-16LE", name.constData()) : failed;
    if (cd == failed) {
        if (why)
            *why = msg::UnknownCodePage(number);
        return nullptr;
    }
    std::shared_ptr<TCodePage> page(new TCodePage(number));
    bool singleByte = true;
    for (int b = 1; b < 256 && singleByte; ++b) {
        char16_t c = 0;
        switch (Convert(cd, static_cast<unsigned char>(b), c)) {
        case TByte::Char:
            page->chars_[size_t(b)] = c;
            page->known_[size_t(b)] = true;
            break;
        case TByte::Unknown:
            break;
        case TByte::MultiByte:
            singleByte = false;
        }
    }
    iconv_close(cd);
    if (!singleByte) {
        if (why)
            *why = msg::MultiByteCodePage(number);
        return nullptr;
    }
    known.emplace(number, page);
    return page;
}

bool TCodePage::Decode(const char* bytes, qsizetype size, QString& text, unsigned char* badByte) const
{
    text.resize(size);
    QChar* out = text.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (!known_[b]) {
            if (badByte)
                *badByte = b;
            text.clear();
            return false;
        }
        out[i] = QChar(chars_[b]);
    }
    return true;
}

} // namespace paradox

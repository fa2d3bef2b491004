#pragma once

// The single-byte code pages Paradox tables keep their text in (a Romanian company's are
// CP1250 or CP852), decoded through a table of the 255 characters each byte stands for.

#include <QChar>
#include <QString>
#include <array>
#include <memory>

namespace paradox {

class TCodePage final {
public:
    // The code page of that number (1250, 852, ...): null, with the reason in `why`, when
    // the system does not know it or it is not one byte a character.
    static std::shared_ptr<const TCodePage> Find(int number, QString* why);

    int Number() const { return number_; }
    // The text of `size` bytes (no NUL among them). A byte that stands for no character in
    // this code page makes it fail: false, with that byte in `badByte`.
    bool Decode(const char* bytes, qsizetype size, QString& text, unsigned char* badByte) const;

private:
    explicit TCodePage(int number) : number_(number) {}

    int number_;
    std::array<char16_t, 256> chars_{};
    std::array<bool, 256> known_{};
};

} // namespace paradox

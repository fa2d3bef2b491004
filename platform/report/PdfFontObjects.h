#pragma once

// A document's font as its PDF holds it (internal to the PDF writer).

#include "platform/report/PdfFont.h"
#include "platform/report/PdfObjects.h"

#include <array>
#include <memory>
#include <string>

namespace fw::pdf {

// A font of the document: the embedded copy and the name the pages use for it.
struct TDocumentFont {
    std::unique_ptr<TPdfFont> Font;
    int Index = 0;        // 1, 2, ... in the order of first use
    std::string Resource; // "/F1"
    int Object = 0;       // the font dictionary's number
    // A text all of whose characters are below 256 is written a byte a character, half the
    // bytes of its glyphs' codes, in a second font over the same embedded copy whose
    // encoding maps each such code to the glyph noted for it here (0: code unused).
    std::string ByteResource; // "/F1b"
    int ByteObject = 0;       // 0 until a page uses it
    std::array<quint16, 256> ByteGlyphs{};
};

// The font's objects, after the last page: its dictionaries, the embedded subset of the
// glyphs used, what each glyph shows, and the one-byte font where a page used it.
void WriteFont(TPdfObjects& objects, const TDocumentFont& documentFont);

} // namespace fw::pdf

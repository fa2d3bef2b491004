#pragma once

#include "platform/report/PageModel.h"

class QIODevice;

namespace fw {

// Writes the pages to a PDF: each text as one run of glyphs of a copy of its font, embedded
// with only the glyphs the document uses; the rules and frames as strokes; each picture as
// one image, shared by the pages that show it. False when a
// text's font cannot be embedded so (see TPdfFont::Open) or lacks one of its characters:
// what was written is then to be thrown away.
bool WritePdf(const TReportDocument& document, QIODevice& device);

} // namespace fw

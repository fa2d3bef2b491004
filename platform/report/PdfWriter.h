#pragma once

#include "platform/report/PageModel.h"

#include <memory>

class QIODevice;

namespace fw {

// Writes the pages to a PDF: each text as one run of glyphs of a copy of its font, embedded
// with only the glyphs the document uses; the rules and frames as strokes; each picture as
// one image, shared by the pages that show it. False when a
// text's font cannot be embedded so (see TPdfFont::Open) or lacks one of its characters:
// what was written is then to be thrown away.
bool WritePdf(const TReportDocument& document, QIODevice& device);

// The same, page by page as a report makes them (TReport::Generate with a page handler):
// AddPage for each, then Finish. False as WritePdf; Finish is false when no page was added.
class TPdfPageWriter {
public:
    explicit TPdfPageWriter(QIODevice& device);
    ~TPdfPageWriter();
    TPdfPageWriter(const TPdfPageWriter&) = delete;
    TPdfPageWriter& operator=(const TPdfPageWriter&) = delete;

    bool AddPage(const TReportPage& page);
    bool Finish(const QString& title);

private:
    struct TImpl;
    std::unique_ptr<TImpl> impl_;
};

} // namespace fw

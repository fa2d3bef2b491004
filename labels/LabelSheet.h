#pragma once

// Lot labels laid out as pages of the report layer, to be printed or written to PDF as any
// report is: the label's text, a GS1-128 barcode with its text in parentheses under it, and
// a GS1 DataMatrix, both holding the label's GS1 elements. The barcodes are drawn by the
// barcode library and kept as solid rectangles (vector shapes), never as an image.

#include "labels/LotLabel.h"
#include "platform/report/PageModel.h"

#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

namespace corvanel {

enum class TLabelSize {
    Label100x50,  // one label a page, 100 x 50 mm
    Label100x150, // one label a page, 100 x 150 mm
    SheetA4,      // A4 sheets of ten 100 x 50 mm labels, their edges marked for cutting
};

// The size named as the user writes it ("100x50", "100x150", "A4"); none for another.
std::optional<TLabelSize> LabelSizeNamed(const QString& name);

// A barcode's dark modules, each as a rectangle in fractions (0 to 1) of the symbol's box,
// quiet zones included.
struct TBarcodeShape {
    std::vector<QRectF> Bars;
};
// The GS1-128 and GS1 DataMatrix of the elements. gs1::EInvalid with the library's
// explanation when it cannot encode them.
TBarcodeShape Gs1_128(const std::vector<gs1::TElement>& elements);
TBarcodeShape Gs1DataMatrix(const std::vector<gs1::TElement>& elements);

// `copies` labels of the lot, on pages of the size. The document's title names the lot.
fw::TReportDocument LabelDocument(const TLotLabel& label, TLabelSize size, int copies);

} // namespace corvanel

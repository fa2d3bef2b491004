#pragma once

// The genealogy of a consumption document, written with the document, in its transaction:
// which lines of the receipt each consumption line fed and how much, and the stock lot it
// drew on as that lot stood before the drawing.

#include "data/Genealogy.h"
#include "platform/db/Connection.h"

#include <vector>

namespace corvanel {

class TProductionData;
struct TStockLot;

class TGenealogyWriter final {
public:
    // Reads the lines of incoming document `receipt` and their recipe terms. Made inside
    // the document's transaction, so that they are the lines the document is written for.
    TGenealogyWriter(TProductionData& dm, double receipt);

    // The genealogy's columns, in the order of the rows Record gives.
    static const QStringList& Columns();
    // The rows of line `line` of consumption document `document`, added to `rows`:
    // `quantity` of the material (group and code) taken from `lot` (read for the draw, as
    // it was before it), shared among the receipt's lines by what they ask of the material.
    // A receipt without lines gets one row naming no receipt line, which still keeps the lot.
    void Record(double document, double line, const QString& group, const QString& code, double quantity,
                const TStockLot& lot, std::vector<QVariantList>& rows) const;

private:
    TReceiptWeights weights_;
};

} // namespace corvanel

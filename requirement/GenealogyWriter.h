#pragma once

// The genealogy of a consumption document, written line by line with the document, in its
// transaction: which lines of the receipt each consumption line fed and how much, and the
// stock lot it drew on as that lot stood before the drawing.

#include "data/Genealogy.h"
#include "platform/db/Table.h"

namespace fw {
class TDataSet;
}

namespace corvanel {

class TProductionData;

class TGenealogyWriter final {
public:
    // Reads the lines of incoming document `receipt` and their recipe terms. Made inside
    // the document's transaction, so that they are the lines the document is written for.
    TGenealogyWriter(TProductionData& dm, double receipt);

    // Records line `line` of consumption document `document`: `quantity` taken from the
    // stock row `lot` stands on (still as it was before the drawing), shared among the
    // receipt's lines by what they ask of its material. A receipt without lines gets one
    // row naming no receipt line, which still keeps the lot.
    void Record(double document, double line, double quantity, const fw::TDataSet& lot);

private:
    void Write(double document, double line, const TReceiptWeights::TLine* fed, double share, const fw::TDataSet& lot);

    TReceiptWeights weights_;
    fw::TTable table_;
};

} // namespace corvanel

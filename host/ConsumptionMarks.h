#pragma once

// How the host's windows tell a consumption document in force from one that was reversed and
// from the reversal itself. A reversal carries the number and date of the document it
// reverses, so by those alone the two look like one document twice; the add-on records each
// reversal in its table Stornari.DB (described with the company's tables), which the host
// reads where the company has it. Without it no document was reversed.

#include "platform/core/Readable.h"

#include <QDate>
#include <QObject>
#include <vector>

namespace fw {
class TQuery;
}

namespace pelmaris {

struct TConsumptionDocument {
    double Number = 0;
    QDate Date;
    bool Reversed = false; // reversed by another document
    bool Reversal = false; // the document that reversed another
    QDate ReversedOn;      // the day the reversal was written, for either of the pair
};

// The receipts' "Consum" column: "BMC", the documents in force by number and date, then each
// reversed one marked "anulat prin stornarea din DD/MM/YYYY"; a reversal is named only through
// the document it reversed. Empty when there is no document.
QString ConsumptionColumnText(const std::vector<TConsumptionDocument>& documents,
                              const fw::TFormatSettings& formats = fw::DefaultFormatSettings());
// The outgoing documents' mark of either of a reversed pair ("anulat prin stornarea din ...",
// "stornare: anuleaza nr. N"); empty for any other document.
QString ReversalMarkText(const TConsumptionDocument& document,
                         const fw::TFormatSettings& formats = fw::DefaultFormatSettings());

// Reads the reversal marks of documents by counter, through one statement prepared once.
class TReversalMarks final : public QObject {
public:
    explicit TReversalMarks(QObject* owner);
    // Sets the document's marks; leaves it in force when the company keeps no reversals.
    void Mark(double counter, TConsumptionDocument& document);

private:
    fw::TQuery* query_;
    int tableExists_ = -1; // asked on first use: -1 not yet, then 0 or 1
};

} // namespace pelmaris

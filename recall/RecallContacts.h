#pragma once

// What an inspector asks of a recall beyond the tree: one step back (who delivered what
// went in: name, fiscal code, address, phone, the receipt, the quantity, the lot), one step
// forward (who received what came out: name, address, phone, the outgoing document and its
// dispatch date, the product, the quantity, the lot), forward the customers to call with
// their phones, and the mass balance. Partners as the partners' table has them.

#include "platform/core/Formats.h"
#include "recall/LotRecall.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace corvanel {

// A lot on one step back or forward, with the document that brought it in or shipped it.
struct TInspectionLine {
    const TRecallNode* Node = nullptr;
    double Quantity = 0; // received on the receipt (back) or shipped (forward), in the lot's unit
};

// Back: the lots the chain starts from (reached lots nothing was made of: each came from a
// supplier, or with the opening stock), and forward the followed lot's own receipts.
std::vector<TInspectionLine> StepBack(const TRecall& recall);
// Forward: every shipment reached. None backward.
std::vector<TInspectionLine> StepForward(const TRecall& recall);

// A section of the inspection: its title and its lines.
struct TInspectionSection {
    QString Title;
    QStringList Lines;
};
// The customers to call, each once with the phone: forward only (else none); first in the
// text and the report.
TInspectionSection CustomersToCall(const TRecall& recall);
// The drill (when the recall is one), one step back, one step forward and the mass balance
// (when it was asked), those with any lines, in that order: after the totals.
std::vector<TInspectionSection> InspectionSections(const TRecall& recall, const fw::TFormatSettings& formats);
// Sections as indented text, each under its title.
QString SectionsText(const std::vector<TInspectionSection>& sections);

} // namespace corvanel

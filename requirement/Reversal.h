#pragma once

// Reversing a consumption document: a document of the opposite quantities, every quantity
// back in the lot it was drawn from, and the original marked as reversed, in one
// transaction. Without any window: the menu, the recall window and the tool call these.

#include "platform/core/Exceptions.h"

#include <QDate>
#include <QString>
#include <vector>

namespace corvanel {

class TProductionData;

// A consumption document as the user picks it.
struct TConsumptionDocument {
    double Counter = 0;
    double Number = 0;
    QDate Date;
    QString Label; // "nr. N din DD.MM.YYYY"
    bool Reversed = false; // reversed, or itself a reversal
};

// The reversal cannot be done; the message says why. Nothing was written.
class EReversalRefused final : public fw::Exception {
public:
    using Exception::Exception;
};

// The consumption documents of incoming document `receipt` (tied by its number and date, as
// the host's column ties them) that are neither reversed nor reversals, in counter order.
std::vector<TConsumptionDocument> ReversibleDocumentsOf(TProductionData& dm, double receipt);
// Every consumption document numbered `number` (of date `date` when it is valid), those
// reversed or reversing included and marked, in counter order.
std::vector<TConsumptionDocument> ConsumptionDocumentsNumbered(TProductionData& dm, double number, const QDate& date = {});

// Writes the reversal of consumption document `document` (its counter): a document of type
// "BMC" with the original's number and date, each line of the original with the opposite
// quantity, each quantity back in its lot (a lot emptied and deleted since is made again
// from the genealogy as it was; for a document without genealogy the lot must still exist,
// found by group, article, lot and warehouse), and the original marked as reversed; both
// the document and the mark carry `agent` (the user's initials).
// Decided and written under the counter row's lock. Returns the reversing document's
// counter. EReversalRefused or EDatabaseError leave the database as it was.
double ReverseConsumption(TProductionData& dm, double document, const QString& agent);

// For a window: asks whether to reverse `document` (No the default), reverses it and says
// so (the new document named), or shows the refusal or the database error. True when
// written; the context's ReceiptsNeedRefresh then says so too.
bool AskAndReverse(TProductionData& dm, const TConsumptionDocument& document);

} // namespace corvanel

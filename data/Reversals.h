#pragma once

// The consumption documents reversed, and the documents that reversed them, as the add-on's
// table Stornari.DB records them. Neither is a consumption any longer: the second
// consumption question, the reversal and the following of a lot leave both out.

#include <QString>
#include <map>
#include <set>

namespace fw {
class TSession;
}

namespace corvanel {

struct TReversals {
    std::map<double, double> ReversedBy; // reversed document -> the document that reversed it
    std::map<double, double> Reverses;   // reversing document -> the document it reversed
    // Whether the document (by counter) is either.
    bool Involves(double counter) const { return ReversedBy.contains(counter) || Reverses.contains(counter); }
};

// Reads the table whole (one row per reversal); empty when the company lacks it (a company
// the user may only read). EDatabaseError when it cannot be read.
TReversals ReadReversals(fw::TSession* session, const QString& database);

} // namespace corvanel

#pragma once

// The certificate of analysis ("Buletin de analiza") of a finished lot: its laboratory
// results against their norms, and the lots it was made from (one step back through the
// recall's walk) with theirs. What it holds, apart from how it is printed.

#include "data/LotStatus.h"

#include <QString>
#include <vector>

namespace fw {
class Connection;
}

namespace corvanel {

class TLotWalk;
struct TLotKey;

// A result as the certificate prints it: the parameter's name, the value as recorded (a
// number with "."), the unit, the norm in force ("min - max", ">= min", "<= max", the word
// expected, or "fara norma") and the verdict given when it was recorded.
struct TCertificateResult {
    QString Parameter;
    QString Value;
    QString Unit;
    QString Norm;
    QString Verdict; // "conform" / "neconform"
    QString Date;    // YYYY-MM-DD
};

struct TCertificateLot {
    TLotId Lot;
    QString Name;     // of the article
    QString Supplier; // of a lot it was made from: who brought it in (empty for the lot itself)
    QString Standing; // "Eliberat", or the standing and its reason ("Blocat: motiv")
    std::vector<TCertificateResult> Results; // in the order recorded
};

struct TCertificate {
    TCertificateLot Product;
    std::vector<TCertificateLot> Materials; // in the order the walk meets them, each once
};

// The certificate of the lot `lot` (found by the walk: see TLotWalk::FindLots), read
// through `engine`, the company database the walk reads. EDatabaseError when it cannot be read.
TCertificate ReadCertificate(TLotWalk& walk, fw::Connection& engine, const TLotKey& lot);

} // namespace corvanel

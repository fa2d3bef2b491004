#pragma once

// A lot code read by a scanner into a lot box: the GS1 string it typed, read into the lot
// (10) and the article whose catalog barcode is its GTIN (01).

#include <QString>

namespace fw {
class TSession;
}

namespace corvanel {

struct TScannedLot {
    QString Group; // empty, with Code, when the scan holds no GTIN
    QString Code;
    QString Lot;
};

// The lot and article of a scanned GS1 string (see gs1::ParseScanned for the forms taken).
// gs1::EInvalid when the scan cannot be read, holds no lot, or holds a GTIN that no article
// of the catalog, or more than one, has as its barcode (as a GTIN-8, -12, -13 or -14);
// EDatabaseError when the catalog cannot be read.
TScannedLot ReadScannedLot(fw::TSession* session, const QString& scanned);

} // namespace corvanel

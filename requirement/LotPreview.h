#pragma once

// What generation would draw for one requirement row, shown before it is written: the lots
// of its material in the order they are drawn, and what each would give.

#include <QDate>
#include <QString>
#include <vector>

namespace corvanel {

class TProductionData;

struct TLotPreviewLine {
    QString Lot;
    QString Warehouse;
    QDate Entry;
    QDate Expiry;
    double OnHand = 0;
    double Taken = 0; // what the document's line would take; 0 when the lot is not drawn on
    bool Drawn = false;
    bool Expired = false;     // drawn all the same: the settings draw expired lots
    bool ExpiresSoon = false; // within the settings' days of the document
    bool EnteredLater = false; // entered after the document's day: listed apart, never drawn
    QString State;  // a lot that is not usable: its standing ("Blocat"...), listed apart, never drawn
    QString Reason; // and why it stands so
};

struct TLotPreview {
    std::vector<TLotPreviewLine> Lines;
    // The lots cannot give the row whole: generation would leave it out (after asking).
    bool Short = false;
};

// The lots a row of `quantity` of the material would be drawn from on a document dated
// `day`, as generation decides it on the lots as they are now; after them, the lots that
// are not usable and those that entered after `day`, which it neither counts nor draws.
TLotPreview PreviewDraw(TProductionData& dm, const QString& group, const QString& code, double quantity, const QDate& day);

} // namespace corvanel

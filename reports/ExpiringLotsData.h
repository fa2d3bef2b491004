#pragma once

// What the report of expiring lots reads: the stock lots of articles with a shelf life that
// have expired or expire within some days, by warehouse and article. The report window and
// the tool lay out the same rows.

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace fw {
class TSession;
}

namespace corvanel {

struct TExpiringLot {
    QString Warehouse;
    QString Group;
    QString Code;
    QString Name;
    QString Unit;
    QString Lot;
    QDate Entry;
    QDate Expiry;
    int DaysLeft = 0; // from the day asked about to the expiry; negative once expired
    double Quantity = 0;
    double Price = 0;
    double Value = 0; // quantity times purchase price
    QString State;    // a lot that is not usable: its standing ("Blocat", "Neconform"); empty when released
    // The lot's name as a person reads it, its standing beside it when it is not released.
    QString LotText() const;
};

// The lots with a positive quantity that have expired by `day` or expire within `days`
// after it, in warehouses `warehouses` (none: every one), ordered by warehouse, group,
// article, expiry and lot, each with its standing. Read in `session`'s company database (KRBPROD); EDatabaseError
// when it fails.
std::vector<TExpiringLot> ReadExpiringLots(fw::TSession* session, const QDate& day, int days,
                                           const QStringList& warehouses);

} // namespace corvanel

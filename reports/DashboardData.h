#pragma once

// What the dashboard shows, read with no window: the lots expiring soon, the receipts of
// finished goods no consumption was written for yet, and this month's production against
// last month's.

#include "reports/ExpiringLotsData.h"
#include "reports/ProductionCharts.h"

#include <QDate>
#include <QString>
#include <vector>

namespace fw {
class TSession;
}

namespace corvanel {

struct TUnconsumedReceipt {
    double Receipt = 0; // Contor
    double Number = 0;
    QDate Date;
};

struct TMonthProduction {
    QString Group;
    QString Code;
    QString Name;
    QString Unit;
    double ThisMonth = 0; // from the first of the month to the day asked about
    double LastMonth = 0; // the whole month before
};

// A lot that may not be used: held by hand, out of its norm, or waiting for its release.
struct TStoppedLot {
    QString Group;
    QString Code;
    QString Name;
    QString Lot;
    QString State;  // "Blocat", "Neconform", "In asteptare"
    QString Reason;
};

struct TDashboard {
    std::vector<TExpiringLot> Expiring;
    std::vector<TStoppedLot> Stopped; // by group, code and lot
    std::vector<TUnconsumedReceipt> Unconsumed; // newest first
    std::vector<TMonthProduction> Production;   // by group and code
    // For the charts: the year up to the day asked about (the eleven months before its
    // month and that month so far).
    TPeriodFigures Year;
};

// As of `day`: the lots expired or expiring within `expiringDays` days; the lots held, not
// conforming or waiting for a release (none on a company without the standings' table); the receipts from
// production of the dashboard's year (from the first of the month eleven months before, as
// its charts) with a product that has a recipe and no consumption document (one reversed
// does not count; a document is tied to its receipt by the genealogy, or, older, by number
// and date); the batches made this month and last, per product. EDatabaseError when the
// company cannot be read.
TDashboard ReadDashboard(fw::TSession* session, const QDate& day, int expiringDays);

// The dashboard's receipts from production without consumption, those dated from `since`
// on, newest first. EDatabaseError when the company cannot be read.
std::vector<TUnconsumedReceipt> ReadUnconsumedReceipts(fw::TSession* session, const QDate& since);

} // namespace corvanel

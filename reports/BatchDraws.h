#pragma once

// What the batches of a period were and what was drawn for them: the lines of the receipts
// of finished goods, and the raw-material lots their consumption documents took for each
// line, as the genealogy shares them out. The cost and the yield variance are both worked
// out from these two reads.

#include <QDate>
#include <QString>
#include <vector>

namespace fw {
class TSession;
}

namespace corvanel {

// A line of a receipt of finished goods: one product lot made.
struct TBatchLine {
    double Receipt = 0; // Contor of the incoming document
    double Line = 0;    // its Contor_secundar
    double Number = 0;  // the document's number
    QDate Date;         // the document's date: the day the batch was made
    QString Group;
    QString Code;
    QString Name; // from the catalog, empty when it has no row
    QString Unit;
    QString Lot;
    double Quantity = 0;
};

// A part of a raw-material lot that went into one receipt line.
struct TBatchDraw {
    double Document = 0; // the consumption document
    double Receipt = 0;
    double Line = 0;
    QString Group;
    QString Code;
    QString Lot;
    double Quantity = 0;
    double Price = 0;     // the lot's purchase price
    bool Priced = false;  // false when the lot had no purchase price
};

struct TBatchPeriod {
    QDate From;
    QDate To;
};

// The lines of the receipts dated within the period (both days included) whose product
// has a recipe or had anything drawn for it, by date, receipt and line. EDatabaseError when
// they cannot be read.
std::vector<TBatchLine> ReadBatchLines(fw::TSession* session, const TBatchPeriod& period);

// What the consumption documents drew for the lines of those receipts, by receipt, line
// and material. A reversed document and the document that reversed it draw nothing: both
// are left out. EDatabaseError when they cannot be read.
std::vector<TBatchDraw> ReadBatchDraws(fw::TSession* session, const TBatchPeriod& period);

} // namespace corvanel

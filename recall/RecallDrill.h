#pragma once

// A recall drill ("Exercitiu de retragere"): a lot followed as a real recall would be, the
// time each step was reached written down (the search, the tree, the balance, the report)
// and the drill kept on record in the add-on's table Exercitii.DB with what it found, so
// that the yearly test of the recall can be shown with its times.

#include "recall/LotRecall.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace fw {
class TSession;
} // namespace fw

namespace corvanel {

struct TDrill {
    QDateTime Start; // UTC
    QString Lot;
    QString Group;   // of the article asked for; empty with the article
    QString Article; // empty: every article holding the lot
    TRecallDirection Direction = TRecallDirection::Forward;
    QString Operator;
    // Milliseconds each step took: the lot found, its tree, its balance, the report written.
    qint64 Search = 0, Tree = 0, Balance = 0, Report = 0;
    qint64 Total() const { return Search + Tree + Balance + Report; }
    int Lots = 0;          // lots reached
    int Customers = 0;     // customers reached
    double Difference = 0; // of the balances of the lots followed
};

// Runs a drill of the lot (of the article, when given) with `walk`: finds it, follows it,
// balances it, then writes the report with `report` (the recall carries the drill's lines
// so far), each step timed. False, with nothing recorded, when the lot does not exist.
// EDatabaseError from the walk as it comes.
bool RunDrill(TLotWalk& walk, TDrill& drill, TRecall& recall, const std::function<void(const TRecall&)>& report);
// The lines of a drill, as the report and the text show them ("Exercitiu de retragere").
QStringList DrillLines(const TDrill& drill);
QString DrillTitle();

// Keeps the drill in Exercitii.DB, made when the company lacks it. EDatabaseError with the
// add-on's words when it cannot be written.
void RecordDrill(fw::TSession* session, const QString& database, const TDrill& drill);
// The drills on record, the latest first; none when the company has no such table.
std::vector<TDrill> ReadDrills(fw::TSession* session, const QString& database);
// Inceput;Lot;Cod_grupa;Cod_articol;Directie;Operator;Cautare;Arbore;Bilant;Raport;Total;Loturi;Clienti;Diferenta
// (times in milliseconds, the start in ISO UTC).
QString DrillsCsv(const std::vector<TDrill>& drills);

} // namespace corvanel

#pragma once

// What every consumption document the add-on writes shares, whether it draws on the lots
// or puts them back: the counter, the header, and the datasets left clean afterwards.
// All of it runs inside the writer's transaction, the counter row already locked.

#include <QString>
#include <QVariant>

#include <cstddef>
#include <vector>

namespace fw {
class TDataSet;
}

namespace corvanel {

class TProductionData;

// A dataset read again from the database (opened if it was closed): what it cached may be
// older than the transaction, or may have been rolled back.
void Reread(fw::TDataSet* ds);

// Opens the outgoing tables, takes the next outgoing counter (never one in use) and inserts
// the header of a document of type "BMC" with the number and date given (those of the
// receipt it consumes for), `agent` (the user's initials), and the explanation. Returns the
// counter.
double BeginConsumptionDocument(TProductionData& dm, const QVariant& number, const QVariant& date, const QString& agent,
                                const QString& explanation);

// Once the writer's transaction has ended: the outgoing tables closed, nothing left in
// editing and, when it was rolled back, the tables that were written read again.
void EndConsumptionDocument(TProductionData& dm, bool committed);

// Runs `write`, a writer that commits its own transaction, and then ends the document as
// committed, or as rolled back when `write` throws; returns what `write` returns.
template <class Write>
auto WithConsumptionDocument(TProductionData& dm, Write&& write) -> decltype(write())
{
    try {
        auto result = write();
        EndConsumptionDocument(dm, true);
        return result;
    } catch (...) {
        EndConsumptionDocument(dm, false);
        throw;
    }
}

} // namespace corvanel

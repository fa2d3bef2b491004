#pragma once

// A company moved from its SQLite file onto a server, in steps that a kill or a power cut
// between any two of them leaves recoverable. The tables go to the server in one
// transaction that also records the move's identifier; meanwhile the connection file and
// that identifier wait in a staging folder beside the company. Only once the server has
// committed does the directory switch: the connection file takes its place (from then on
// every program opens the server), then the SQLite file, with its log, becomes
// tables.sqlite.vechi, and the staging folder goes. At every moment the directory names
// exactly one place that holds the company as it stands.

#include "platform/schema/CompanyMigration.h"

#include <QString>
#include <functional>
#include <vector>

namespace fw {
struct TServerDatabase;
}

namespace pelmaris {

// What the company's SQLite file is kept as once the company lives on a server.
inline const QString OldDatabaseFile = QStringLiteral("tables.sqlite.vechi");

// The first step of a move: the staging folder, with the connection file and the move's
// identifier. EInOutError when it cannot be written.
struct TStagedMove {
    QString Staging;
    QString Id;
};
TStagedMove StageCompanyMove(const QString& directory, const fw::TServerDatabase& server);

// The whole move, for a caller that holds the company alone (TakeCompanyForRemaking).
// EDatabaseError when the copy fails (the directory then stays as it was, unless the
// server did take the company, in which case the switch is made all the same);
// EInOutError when a step of the switch fails. `progress` hears of each table as it is begun.
std::vector<fw::TMigratedTable> MoveCompanyToServer(const QString& directory, const fw::TServerDatabase& server,
                                                    const std::function<void(const QString& table)>& progress = {});

enum class TInterruptedMove {
    None,     // no move was under way
    Finished, // the server had taken the company: the switch is made
    Dropped,  // the server had not: the staging folder is gone, the SQLite file stays the company's
};

// A move that was cut short, settled by a caller that holds the company alone. EDatabaseError
// when the server cannot say whether it took the company (nothing is changed then);
// EInOutError, saying where the company is, when a step of the switch fails.
TInterruptedMove FinishInterruptedMove(const QString& directory);

// Before a company is opened: a move cut short is settled first, with the company held alone
// for that while. Nothing is done while another program has the company (whoever opened it
// settled it, or is moving it and holds it alone). Errors as FinishInterruptedMove.
void SettleInterruptedMove(const QString& directory);

} // namespace pelmaris

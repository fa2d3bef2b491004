#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace fw {

struct TIntegrityReport {
    bool Ok = false;        // checked whole and nothing found
    bool Stopped = false;   // the caller stopped it before the end
    QStringList Problems;   // the engine's findings, table by table
};

// Runs the engine's integrity check over the database of a company directory: table by
// table, each with its indexes, on a read-only connection of its own, so that it may run
// on a thread of its own while the program goes on. Before each table (named), now and
// then while a large one is checked, and at the end (no name), `progress` hears how much
// is done out of the total (tables weighted by their rows); returning false stops the
// check, within a table too. A file that cannot be opened or read at all is a problem
// like any other.
using TIntegrityProgress = std::function<bool(qint64 done, qint64 total, const QString& table)>;
TIntegrityReport CheckDatabaseIntegrity(const QString& directory, const TIntegrityProgress& progress = {});

// The same for a company kept on a server (a directory with a connection file leads here):
// every row of every table read whole, and each index checked where the database has the
// server's "amcheck" extension.
struct TServerDatabase;
TIntegrityReport CheckServerIntegrity(const TServerDatabase& server, const TIntegrityProgress& progress = {});

// What either engine's check does table by table: each table (with its weight in the
// progress) is checked by `check`, which asks `keepGoing` now and then and says whether
// it was stopped; findings go to the report.
struct TTableToCheck {
    QString Name;
    qint64 Weight = 1;
};
struct TTableCheckResult {
    bool Stopped = false;
    QStringList Findings; // already naming the table
};
using TCheckTable = std::function<TTableCheckResult(const TTableToCheck& table, const std::function<bool()>& keepGoing)>;
TIntegrityReport CheckTables(const std::vector<TTableToCheck>& tables, const TIntegrityProgress& progress,
                             const TCheckTable& check);

} // namespace fw

#pragma once

// Moving a company from one database to another: typically from the SQLite file of a
// directory to the server's database that another directory's connection file names,
// when a company outgrows one workstation.

#include <QString>
#include <functional>
#include <vector>

namespace fw {

struct TMigratedTable {
    QString Name;
    qint64 Rows = 0;
};

// Copies every table of the company in `fromDirectory` into the database of `toDirectory`
// (made when missing), all in one transaction of the destination: each table with its
// columns, key and indexes, its rows in their order. Before that transaction commits,
// every table is compared on both sides: its row count, the sum of each numeric column,
// and for every other column how many rows hold a value and how long the texts are in all;
// any difference rolls everything back. While it copies, nobody can write to the source
// (its write lock is held). EDatabaseError when the source holds no company, when the
// destination already holds any table of it (nothing is overwritten), when the comparison
// finds a difference, or when either database fails; the destination is then as it was.
// `progress` hears of each table as it is begun. `moveId`, when given, is recorded in the
// destination (a table of its own) in the same transaction as the tables, so that a move cut
// short after the commit can be told from one cut short before it (HoldsMigration).
std::vector<TMigratedTable> MigrateCompany(const QString& fromDirectory, const QString& toDirectory,
                                           const std::function<void(const QString& table)>& progress = {},
                                           const QString& moveId = {});

// Whether the database of `directory` took the migration recorded as `moveId`: false when
// it has no database, no record, or another one. EDatabaseError when it cannot be asked.
bool HoldsMigration(const QString& directory, const QString& moveId);

} // namespace fw

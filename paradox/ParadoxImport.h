#pragma once

// Bringing a company over from the program it kept its data in before: a directory of
// Paradox tables (with their memo files) and its settings file KRBDEF.INI become a new
// company, in the SQLite file of the target directory or in the server's database its
// connection file names.

#include "paradox/ImportPlan.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace paradox {

struct TImportOptions {
    // The code page of the tables whose header names none (0: none given).
    int CodePage = 0;
};

struct TImportProgress {
    QString Table; // the company's table being filled ("Stoc.DB"); empty when saving
    qint64 TableRows = 0;
    qint64 TableDone = 0;
    qint64 Rows = 0; // in every table
    qint64 Done = 0;
    bool Saving = false; // everything is written and checked; the company is being committed
    qint64 RowsPerSecond = 0; // rows read and written a second since the first row, 0 before a second's worth
};
// How fast it goes, as the windows and the tool show it beside the rows ("61000 inregistrari/s");
// empty while there is no figure yet.
QString RateText(const TImportProgress& progress);
// Heard as each table is begun, every few thousand rows, and once more before the commit;
// false stops the import.
using TImportProgressFn = std::function<bool(const TImportProgress&)>;

// The caller stopped the import; nothing was written.
class EImportStopped final : public fw::Exception {
public:
    EImportStopped();
};

struct TImportedTable {
    QString Name;     // the company's table ("Stoc.DB")
    QString File;     // the file it came from ("STOC.DB"); empty: none, the table was made empty
    qint64 Rows = 0;
    int CodePage = 0; // its text's, 0 when it has none
};

struct TImportReport {
    std::vector<TImportedTable> Tables;
    QStringList Notes; // what was left out, and what stays empty
    bool SettingsCopied = false;
};

// Imports the Paradox tables of `from` into a new company in `to` (made when missing, with
// every missing folder of its path): every company table is made from its description,
// the ones found in `from` (by file name, without regard to case) filled with their rows,
// in one transaction of the target; before it commits each filled table is compared with
// what was read (rows, sums of the numeric fields, non-empty values of the others).
// KRBDEF.INI is copied byte for byte, under its own name only once the company is
// committed. Tables the company does not know, fields it has no place for, fields a file
// lacks are listed in the report.
//
// Whatever stops it leaves `to` as it was (a server's schema made for it stays, empty):
// EImportDirectoryRefused, before anything is made, when `from` does not exist or holds no
// table of the company, or `to` is not a directory, holds anything but a server's
// connection file (and what a run killed before its commit left), or a database with
// tables; EImportRefused listing what in the source stands in the way (nothing is read
// beyond the headers when the files themselves are the problem); EImportStopped when
// `progress` said stop; EDatabaseError when the target database fails or differs from what
// was read; EInOutError when a directory or KRBDEF.INI cannot be written.
TImportReport ImportParadoxCompany(const QString& from, const QString& to, const TImportOptions& options = {},
                                   const TImportProgressFn& progress = {});

} // namespace paradox

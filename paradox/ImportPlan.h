#pragma once

// What an import of a directory of Paradox tables will do, decided before anything is
// written: which file is which company table, which of its fields goes into which field
// of the company's description, what is left out and why, and whether anything stands in
// the way. Also how one value read from a table becomes the value the company stores.

#include "paradox/ParadoxTable.h"
#include "platform/schema/CompanyTables.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

namespace paradox {

// The source cannot be imported as it is: every problem found, each naming its file, and
// where it is a value its row and field. Nothing was written.
class EImportRefused final : public fw::Exception {
public:
    explicit EImportRefused(QStringList problems);
    const QStringList& Problems() const { return problems_; }

private:
    QStringList problems_;
};

// The directories given cannot serve, and nothing was read in them beyond their listings
// or made: the source does not exist or holds no table of the company, the target is not
// a new company's directory. The message says what stands in the way.
class EImportDirectoryRefused final : public fw::Exception {
public:
    using Exception::Exception;
};

struct TTablePlan {
    const fw::TTableLayout* Layout = nullptr;
    QString File;                          // the file's name in the directory; empty when there is none
    std::unique_ptr<TParadoxTable> Reader; // null when there is no file
    // For each field of the layout, the index of the file's field that fills it (-1: none).
    std::vector<int> SourceOf;
};

struct TImportPlan {
    QString Directory;
    std::vector<TTablePlan> Tables; // every company table, in the order the company lists them
    QStringList Notes;              // what is left out, and what stays empty
    QString SettingsFile;           // the name of the company's settings file there, if any
    QByteArray Settings;            // its bytes
    qint64 Rows = 0;                // in all the files
};

// Looks at every file of the directory and every header; reads no row. The company's
// tables are the host's and the add-on's (recipes, genealogy, reversals).
// EImportDirectoryRefused, naming the files looked for, when the directory holds none of
// them; EImportRefused listing every problem (files that cannot be read, fields whose type
// the company cannot hold, two files for one table, text with no code page, a settings
// file that cannot be read). `codePage`: for tables whose header names none (0: none
// given).
TImportPlan PlanImport(const QString& directory, int codePage);

// Whether a field of that type can go into a company field of that type; memo and BLOB
// kinds that hold bytes can go nowhere (no company field holds bytes) and are left out.
bool Storable(TParadoxType source, fw::TFieldType target);
bool LeftOut(TParadoxType source);

// The value a company field stores for a value read (null stays null): false, with the
// reason in `why`, when the field cannot hold it exactly (a text longer than its width,
// a time of day a date would lose, an integer beyond its range).
bool TargetValue(const QVariant& value, const fw::TFieldDef& target, QVariant& stored, QString& why);
// The same value in the form it is bound to the engine in (fw::ToSqlValue's), at once.
bool BoundValue(const QVariant& value, const fw::TFieldDef& target, QVariant& bound, QString& why);

} // namespace paradox

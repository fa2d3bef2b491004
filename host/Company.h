#pragma once

#include "host/Schema.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace fw {
class Connection;
class TFileLock;
} // namespace fw

namespace pelmaris {

// What the host tells the user about company directories.
QString CompanyBeingRemadeText(const QString& directory);
// What keeps a directory from being opened as a company: it does not exist (or is no
// directory), or the user may not enter or read it (or a directory on the way to it); empty
// when nothing does. Said with the directory as given; `unreadable`, when given, tells
// the second kind from the first.
QString CompanyDirectoryProblem(const QString& directory, bool* unreadable = nullptr);
inline const QString DemoInUseText =
    QStringLiteral("Firma demonstrativa este deschisa si in alt program: s-a deschis asa cum este, fara a fi creata din nou.");
inline const QString ReadOnlyCompanyText = QStringLiteral("doar citire");

// Database names the host defines for both modules.
inline const QString AliasTVELDA = QStringLiteral("TVELDA");
inline const QString AliasKRB_PRIV = QStringLiteral("KRB_PRIV");

// Where the host keeps its own per-user data: $XDG_DATA_HOME/Vendrako/Pelmaris.
QString PelmarisDataDir();
// The demo company.
QString DemoCompanyDir();
// The current user's private working directory (alias KRB_PRIV).
QString PrivateDir();

// Whether a directory already holds a company database file, or a connection file naming
// a server's database (what either holds is checked when it is opened).
bool IsCompanyDirectory(const QString& directory);
// The file a user is told a company's database is in: its SQLite file, or the connection
// file naming its server's database.
QString CompanyDatabaseFile(const QString& directory);

// The company lock: a file in the company directory that every host holding the company
// open has a shared lock on, so that several users may work on one company at once while
// nobody can wipe it under them. Whoever wants to wipe and remake a company (the demo)
// needs the lock alone.
inline const QString CompanyLockFile = QStringLiteral("pelmaris.lck");
// The shared hold of a host that opens the company; waits while someone is remaking it
// (EInOutError with CompanyBeingRemadeText when that lasts too long). Null where the
// lock file can neither be opened nor made (a company the user may only read, which
// this user cannot wipe either).
std::unique_ptr<fw::TFileLock> HoldCompany(const QString& directory);
// The lock alone, for wiping the company; null while anybody (this program included)
// has it open. EInOutError when the lock file cannot be made.
std::unique_ptr<fw::TFileLock> TakeCompanyForRemaking(const QString& directory);

// The company database of a directory as the host opens it: made when `create` and
// missing; refused untouched (EDatabaseError naming the file) when it holds none of the
// host's tables; read-only when the user may not write it.
std::shared_ptr<fw::Connection> OpenCompanyDatabase(const QString& directory, bool create);

// Makes a directory a usable company: every host table that is missing is created (a
// new users table gets the administrator, a new currency table the local currency),
// the counter row is made when there is none, then every missing table of `extra` (the
// add-on's) is created. Tables that exist are left as they are. Returns the names of
// the tables created. EDatabaseError when the database cannot be written.
QStringList PrepareCompanyDatabase(const QString& directory, const std::vector<TTableLayout>& extra = {});

// Points TVELDA at the company and KRB_PRIV at the private directory (created when
// missing).
void SetCompanyAliases(const QString& directory);

// The company's name from its firm data; empty when there is none.
QString CompanyName(const QString& directory);

// The host's own settings file (fw::HostIniFileName()): made, with its folder, holding an
// empty key "NetControlDir" of section "Initial" when it is missing, never written otherwise.
// Returns that key's value.
QString EnsureHostIni(const QString& iniFile);

} // namespace pelmaris

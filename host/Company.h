#pragma once

#include "host/Schema.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace pelmaris {

// Database names the host defines for both modules.
inline const QString AliasTVELDA = QStringLiteral("TVELDA");
inline const QString AliasKRB_PRIV = QStringLiteral("KRB_PRIV");

// Where the host keeps its own per-user data: $XDG_DATA_HOME/Vendrako/Pelmaris.
QString PelmarisDataDir();
// The demo company.
QString DemoCompanyDir();
// The current user's private working directory (alias KRB_PRIV).
QString PrivateDir();

// Whether a directory already holds a company database.
bool IsCompanyDirectory(const QString& directory);

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

// The host's own settings file (next to the program): makes sure it exists with the key
// "NetControlDir" of section "Initial" and returns that key's value.
QString EnsureHostIni(const QString& iniFile);

} // namespace pelmaris

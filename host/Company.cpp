#include "host/Company.h"

#include "platform/config/FileLock.h"
#include "platform/config/IniFile.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/ServerDatabase.h"
#include "platform/schema/CompanyColumns.h"
#include "platform/schema/CompanyTables.h"
#include "platform/schema/StockTotals.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pelmaris {

QString PelmarisDataDir()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Vendrako/Pelmaris"));
}

QString DemoCompanyDir() { return QDir(PelmarisDataDir()).filePath(QStringLiteral("demo")); }

QString PrivateDir() { return QDir(PelmarisDataDir()).filePath(QStringLiteral("private")); }

bool IsCompanyDirectory(const QString& directory) { return fw::Connection::HasDatabase(directory); }

QString CompanyDatabaseFile(const QString& directory)
{
    const QDir dir(directory);
    const QString server = dir.filePath(fw::TServerDatabase::FileName());
    return QFileInfo(server).isFile() ? server : dir.filePath(fw::DatabaseFileName());
}

QString CompanyDirectoryProblem(const QString& directory, bool* unreadable)
{
    const QString shown = QDir::toNativeSeparators(directory);
    const QByteArray path = QFile::encodeName(directory);
    struct stat info {};
    const bool there = ::stat(path.constData(), &info) == 0;
    const int error = there ? 0 : errno;
    if (unreadable)
        *unreadable = false;
    if ((there && !S_ISDIR(info.st_mode)) || error == ENOENT || error == ENOTDIR)
        return QStringLiteral("Directorul <%1> nu exista!").arg(shown);
    if (!there || ::faccessat(AT_FDCWD, path.constData(), R_OK | X_OK, AT_EACCESS) != 0) {
        if (unreadable)
            *unreadable = true;
        return QStringLiteral("Directorul <%1> nu poate fi citit: nu aveti drept de acces la el sau la un director "
                              "care il contine.\rCereti administratorului calculatorului dreptul de a-l citi.")
            .arg(shown);
    }
    return QString();
}

QString CompanyBeingRemadeText(const QString& directory)
{
    return QStringLiteral("Firma din directorul <%1> este creata din nou de alt program.\rIncercati peste cateva momente.")
        .arg(QDir::toNativeSeparators(directory));
}

namespace {

// Remaking the demo takes a few seconds; a wait longer than this means something hangs.
constexpr int RemakeWaitMs = 30000;

QString LockFileOf(const QString& directory) { return QDir(directory).filePath(CompanyLockFile); }

} // namespace

std::unique_ptr<fw::TFileLock> HoldCompany(const QString& directory)
{
    std::unique_ptr<fw::TFileLock> hold;
    try {
        hold = fw::TFileLock::Acquire(LockFileOf(directory), fw::TFileLock::TKind::Shared, RemakeWaitMs);
    } catch (const fw::EInOutError&) {
        return nullptr;
    }
    if (!hold)
        throw fw::EInOutError(CompanyBeingRemadeText(directory));
    return hold;
}

std::unique_ptr<fw::TFileLock> TakeCompanyForRemaking(const QString& directory)
{
    return fw::TFileLock::Acquire(LockFileOf(directory), fw::TFileLock::TKind::Exclusive, 0);
}

std::shared_ptr<fw::Connection> OpenCompanyDatabase(const QString& directory, bool create)
{
    QStringList names;
    for (const TTableLayout& table : HostTables())
        names << table.Name;
    return fw::Connection::Open(directory, create ? fw::TOpenMode::CreateMissing : fw::TOpenMode::Existing, names);
}

namespace {

void AppendOne(const QString& directory, const QString& name, const QVariantList& values)
{
    OpenTable(directory, name)->AppendRecord(values);
}

} // namespace

QStringList PrepareCompanyDatabase(const QString& directory, const std::vector<TTableLayout>& extra)
{
    QStringList created = CreateMissingTables(directory, HostTables());
    if (created.contains(fw::UserDB))
        AppendOne(directory, fw::UserDB, {QStringLiteral("ADM"), QStringLiteral("Administrator")});
    if (created.contains(fw::ValutaDB))
        AppendOne(directory, fw::ValutaDB, {QStringLiteral("RON"), QStringLiteral("Leu romanesc"), 1.0});
    // Both modules raise the counters of the row the table opens on: there must be one.
    auto counter = OpenTable(directory, fw::CounterDB);
    if (counter->IsEmpty())
        counter->AppendRecord({0.0, 0.0});
    counter->Close();
    created << CreateMissingTables(directory, extra);
    // Tables made before a column joined them get it, empty (a company opened read only
    // keeps them as they are).
    fw::EnsureColumns(directory);
    // The stock's totals per article, kept by the engine from the first lot on, so that no
    // reader has to make them later (StockTotals.h).
    fw::EnsureStockTotals(fw::Connection::Open(directory));
    return created;
}

void SetCompanyAliases(const QString& directory)
{
    fw::TSession::AddAlias(AliasTVELDA, directory);
    const QString priv = PrivateDir();
    if (!QDir().mkpath(priv))
        throw fw::EInOutError(QStringLiteral("Nu pot crea directorul %1").arg(priv));
    fw::TSession::AddAlias(AliasKRB_PRIV, priv);
}

QString CompanyName(const QString& directory)
{
    try {
        if (!IsCompanyDirectory(directory))
            return QString();
        auto firm = OpenTable(directory, fw::FirmDataDB);
        return firm->IsEmpty() ? QString() : firm->FieldByName(QStringLiteral("Denumire"))->AsString();
    } catch (const fw::EDatabaseError&) {
        return QString();
    }
}

QString EnsureHostIni(const QString& iniFile)
{
    const QString section = QStringLiteral("Initial");
    const QString key = QStringLiteral("NetControlDir");
    fw::TIniFile ini(iniFile);
    // Only a missing file is made. A file that is there belongs to whoever set it up:
    // a key it lacks reads as its default, and nothing in it is changed at start-up.
    if (!QFileInfo::exists(iniFile)) {
        try {
            // The user's configuration directory may not be there yet.
            QDir().mkpath(QFileInfo(iniFile).absolutePath());
            ini.WriteString(section, key, QString());
        } catch (const fw::EInOutError&) {
            // A folder the user may not write to: the file stays missing and the
            // setting empty, which is its default anyway.
        }
    }
    return ini.ReadString(section, key, QString());
}

} // namespace pelmaris

#include "host/Company.h"

#include "platform/config/IniFile.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pelmaris {

QString PelmarisDataDir()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Vendrako/Pelmaris"));
}

QString DemoCompanyDir() { return QDir(PelmarisDataDir()).filePath(QStringLiteral("demo")); }

QString PrivateDir() { return QDir(PelmarisDataDir()).filePath(QStringLiteral("private")); }

bool IsCompanyDirectory(const QString& directory)
{
    return QFileInfo(QDir(directory).filePath(fw::DatabaseFileName())).isFile();
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
    auto justCreated = [&](const char* name) { return created.contains(QString::fromLatin1(name)); };
    if (justCreated("USER.DB"))
        AppendOne(directory, QStringLiteral("USER.DB"), {QStringLiteral("ADM"), QStringLiteral("Administrator")});
    if (justCreated("VALUTA.DB"))
        AppendOne(directory, QStringLiteral("VALUTA.DB"), {QStringLiteral("RON"), QStringLiteral("Leu romanesc"), 1.0});
    // Both modules raise the counters of the row the table opens on: there must be one.
    auto counter = OpenTable(directory, QStringLiteral("COUNTER.DB"));
    if (counter->IsEmpty())
        counter->AppendRecord({0.0, 0.0});
    counter->Close();
    created << CreateMissingTables(directory, extra);
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
        auto firm = OpenTable(directory, QStringLiteral("FIRMDATA.DB"));
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
    if (!ini.ValueExists(section, key)) {
        try {
            ini.WriteString(section, key, QString());
        } catch (const fw::EInOutError&) {
            // A program folder the user may not write to (an installed program): the
            // file stays missing and the setting empty, which is its default anyway.
        }
    }
    return ini.ReadString(section, key, QString());
}

} // namespace pelmaris

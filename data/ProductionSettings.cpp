#include "data/ProductionSettings.h"

#include "platform/config/IniFile.h"
#include "platform/config/Paths.h"
#include "platform/config/SettingsStore.h"
#include "platform/core/Formats.h"
#include "platform/schema/CompanyTables.h"

#include <QDir>

namespace corvanel {

namespace {

const QString kSection = QStringLiteral("Productie");

// The directory of KRBDEF.INI: the company a program was given to work on; else the host's
// last database directory; when it recorded none, the one it handed over last, and before
// any, the current directory.
QString SettingsDirectory(const TProductionSettings& settings)
{
    if (!settings.FixedDirectory.isEmpty())
        return fw::IncludeTrailingPathDelimiter(settings.FixedDirectory);
    fw::TSettingsStore store;
    store.Create();
    QString dir = store.ReadString(fw::TSettingsStore::LastDatabaseDir);
    if (dir.isEmpty())
        dir = settings.HandedOverDirectory;
    if (dir.isEmpty())
        dir = QDir::currentPath();
    return fw::IncludeTrailingPathDelimiter(dir);
}

void ReadPrefix(const fw::TIniFile& ini, const QString& key, QChar& prefix)
{
    const QString value = ini.ReadString(kSection, key, QString(prefix));
    if (!value.isEmpty())
        prefix = value.at(0);
}

} // namespace

void TProductionSettings::Load()
{
    Directory = SettingsDirectory(*this);
    const fw::TIniFile ini(Directory + fw::CompanySettingsFile);
    ReadPrefix(ini, QStringLiteral("IndGest"), RawWarehousePrefix);
    ReadPrefix(ini, QStringLiteral("IndCod"), RawMaterialPrefix);
    ReadPrefix(ini, QStringLiteral("IndSemi"), SemiFinishedPrefix);
}

void TProductionSettings::Save()
{
    Directory = SettingsDirectory(*this);
    fw::TIniFile ini(Directory + fw::CompanySettingsFile);
    ini.WriteString(kSection, QStringLiteral("IndGest"), QString(RawWarehousePrefix));
    ini.WriteString(kSection, QStringLiteral("IndCod"), QString(RawMaterialPrefix));
    ini.WriteString(kSection, QStringLiteral("IndSemi"), QString(SemiFinishedPrefix));
}

bool StartsWithPrefix(const QString& code, QChar prefix) { return fw::StartsWithChar(code, prefix); }

} // namespace corvanel

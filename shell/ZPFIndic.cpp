#include "shell/ZPFIndic.h"

#include "platform/config/IniFile.h"
#include "platform/config/Paths.h"
#include "platform/config/SettingsStore.h"
#include "platform/core/Formats.h"

#include <QDir>

namespace corvanel {

QChar IndGest = QLatin1Char('_');
QChar IndCod = QLatin1Char('.');
QChar IndSemi = QLatin1Char(';');
QString ProdDatabaseDir;
QString ChangeDBDirectory;

namespace {

// The directory of KRBDEF.INI: the host's last database directory; when it recorded none,
// the one it handed over last, and before any, the current directory.
void LoadDatabaseDir()
{
    fw::TSettingsStore store;
    store.Create();
    QString dir = store.ReadString(fw::TSettingsStore::LastDatabaseDir);
    if (dir.isEmpty())
        dir = ChangeDBDirectory;
    if (dir.isEmpty())
        dir = QDir::currentPath();
    ProdDatabaseDir = fw::IncludeTrailingPathDelimiter(dir);
}

void ReadPrefix(const fw::TIniFile& ini, const QString& key, QChar& prefix)
{
    const QString value = ini.ReadString(ProdSection, key, QString(prefix));
    if (!value.isEmpty())
        prefix = value.at(0);
}

} // namespace

void LoadProdSettings()
{
    LoadDatabaseDir();
    const fw::TIniFile ini(ProdDatabaseDir + ProdSettingsFile);
    ReadPrefix(ini, QStringLiteral("IndGest"), IndGest);
    ReadPrefix(ini, QStringLiteral("IndCod"), IndCod);
    ReadPrefix(ini, QStringLiteral("IndSemi"), IndSemi);
}

void SaveProdSettings()
{
    LoadDatabaseDir();
    fw::TIniFile ini(ProdDatabaseDir + ProdSettingsFile);
    ini.WriteString(ProdSection, QStringLiteral("IndGest"), QString(IndGest));
    ini.WriteString(ProdSection, QStringLiteral("IndCod"), QString(IndCod));
    ini.WriteString(ProdSection, QStringLiteral("IndSemi"), QString(IndSemi));
}

bool StartsWithPrefix(const QString& code, QChar prefix) { return fw::StartsWithChar(code, prefix); }

} // namespace corvanel

#include "data/ProductionSettings.h"

#include "platform/config/IniFile.h"
#include "platform/config/Paths.h"
#include "platform/config/SettingsStore.h"
#include "platform/core/Formats.h"
#include "platform/schema/CompanyTables.h"

#include <QDir>
#include <array>
#include <utility>

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

// The lot settings as the file spells them.
const QString kLotOrderKey = QStringLiteral("OrdineLoturi");
const QString kExpiredKey = QStringLiteral("LoturiExpirate");
const QString kExpiringKey = QStringLiteral("ZileExpirare");
const QString kDecimalsKey = QStringLiteral("ZecimaleNecesar");
const std::array<std::pair<TLotOrder, QLatin1String>, 3> kLotOrders{
    {{TLotOrder::Table, QLatin1String("Tabel")}, {TLotOrder::FirstIn, QLatin1String("FIFO")},
     {TLotOrder::FirstToExpire, QLatin1String("FEFO")}}};
const QLatin1String kDrawExpired("Consuma"), kLeaveOutExpired("Exclude");

void ReadLotSettings(const fw::TIniFile& ini, TProductionSettings& s)
{
    const QString order = ini.ReadString(kSection, kLotOrderKey, QString()).trimmed();
    for (const auto& [value, name] : kLotOrders)
        if (order.compare(name, Qt::CaseInsensitive) == 0)
            s.LotOrder = value;
    const QString expired = ini.ReadString(kSection, kExpiredKey, QString()).trimmed();
    if (expired.compare(kDrawExpired, Qt::CaseInsensitive) == 0)
        s.DrawExpiredLots = true;
    else if (expired.compare(kLeaveOutExpired, Qt::CaseInsensitive) == 0)
        s.DrawExpiredLots = false;
    bool ok = false;
    const int days = ini.ReadString(kSection, kExpiringKey, QString()).trimmed().toInt(&ok);
    if (ok && days >= 0)
        s.ExpiringWithinDays = days;
    const int decimals = ini.ReadString(kSection, kDecimalsKey, QString()).trimmed().toInt(&ok);
    if (ok && decimals >= 0 && decimals <= MaxRequirementDecimals)
        s.RequirementDecimals = decimals;
}

void WriteLotSettings(fw::TIniFile& ini, const TProductionSettings& s)
{
    for (const auto& [value, name] : kLotOrders)
        if (value == s.LotOrder)
            ini.WriteString(kSection, kLotOrderKey, name);
    ini.WriteString(kSection, kExpiredKey, s.DrawExpiredLots ? kDrawExpired : kLeaveOutExpired);
    ini.WriteString(kSection, kExpiringKey, QString::number(s.ExpiringWithinDays));
    ini.WriteString(kSection, kDecimalsKey, QString::number(s.RequirementDecimals));
}

} // namespace

void TProductionSettings::Load()
{
    Directory = SettingsDirectory(*this);
    const fw::TIniFile ini(Directory + fw::CompanySettingsFile);
    ReadPrefix(ini, QStringLiteral("IndGest"), RawWarehousePrefix);
    ReadPrefix(ini, QStringLiteral("IndCod"), RawMaterialPrefix);
    ReadPrefix(ini, QStringLiteral("IndSemi"), SemiFinishedPrefix);
    ReadLotSettings(ini, *this);
}

void TProductionSettings::Save()
{
    Directory = SettingsDirectory(*this);
    fw::TIniFile ini(Directory + fw::CompanySettingsFile);
    ini.WriteString(kSection, QStringLiteral("IndGest"), QString(RawWarehousePrefix));
    ini.WriteString(kSection, QStringLiteral("IndCod"), QString(RawMaterialPrefix));
    ini.WriteString(kSection, QStringLiteral("IndSemi"), QString(SemiFinishedPrefix));
    WriteLotSettings(ini, *this);
}

bool StartsWithPrefix(const QString& code, QChar prefix) { return fw::StartsWithChar(code, prefix); }

} // namespace corvanel

#include "data/ProductionSettings.h"

#include "data/Messages.h"
#include "platform/config/IniFile.h"
#include "platform/config/Paths.h"
#include "platform/config/SettingsStore.h"
#include "platform/core/Exceptions.h"
#include "platform/core/Formats.h"
#include "platform/schema/CompanyTables.h"

#include <QDir>
#include <algorithm>
#include <array>
#include <optional>
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

// A key of the section that is there must hold a value the add-on knows: a value it would
// otherwise replace by the default unseen could change what a consumption draws (an
// "Exclude" misspelt would draw expired lots). EInOutError naming the file, the key and
// the values allowed.
[[noreturn]] void RaiseUnknownValue(const fw::TIniFile& ini, const QString& key, const QString& value,
                                    const QString& allowed)
{
    throw fw::EInOutError(
        msg::UnknownSettingValue(QDir::toNativeSeparators(ini.FileName()), kSection, key, value, allowed));
}

// The value of a key of the section, trimmed; nothing when the key is not there.
std::optional<QString> ValueOf(const fw::TIniFile& ini, const QString& key)
{
    if (!ini.ValueExists(kSection, key))
        return std::nullopt;
    return ini.ReadString(kSection, key, QString()).trimmed();
}

void ReadPrefix(const fw::TIniFile& ini, const QString& key, QChar& prefix)
{
    const std::optional<QString> value = ValueOf(ini, key);
    if (!value)
        return;
    // The first character of a longer value, as the program always took it.
    if (value->isEmpty())
        RaiseUnknownValue(ini, key, *value, QStringLiteral("un caracter (primul caracter al codurilor)"));
    prefix = value->at(0);
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

// A whole number from `low` to `high` written in decimal; nothing when it is not one.
std::optional<int> WholeNumber(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

void ReadLotSettings(const fw::TIniFile& ini, TProductionSettings& s)
{
    if (const std::optional<QString> order = ValueOf(ini, kLotOrderKey)) {
        const auto known = std::find_if(kLotOrders.cbegin(), kLotOrders.cend(), [&](const auto& entry) {
            return order->compare(entry.second, Qt::CaseInsensitive) == 0;
        });
        if (known == kLotOrders.cend())
            RaiseUnknownValue(ini, kLotOrderKey, *order, QStringLiteral("Tabel, FIFO, FEFO"));
        s.LotOrder = known->first;
    }
    if (const std::optional<QString> expired = ValueOf(ini, kExpiredKey)) {
        if (expired->compare(kDrawExpired, Qt::CaseInsensitive) == 0)
            s.DrawExpiredLots = true;
        else if (expired->compare(kLeaveOutExpired, Qt::CaseInsensitive) == 0)
            s.DrawExpiredLots = false;
        else
            RaiseUnknownValue(ini, kExpiredKey, *expired, QStringLiteral("Consuma, Exclude"));
    }
    if (const std::optional<QString> days = ValueOf(ini, kExpiringKey)) {
        const std::optional<int> value = WholeNumber(*days, 0, MaxExpiringDays);
        if (!value)
            RaiseUnknownValue(ini, kExpiringKey, *days,
                              QStringLiteral("un numar intreg de zile, de la 0 la %1").arg(MaxExpiringDays));
        s.ExpiringWithinDays = *value;
    }
    if (const std::optional<QString> decimals = ValueOf(ini, kDecimalsKey)) {
        const std::optional<int> value = WholeNumber(*decimals, 0, MaxRequirementDecimals);
        if (!value)
            RaiseUnknownValue(ini, kDecimalsKey, *decimals,
                              QStringLiteral("un numar intreg de la 0 la %1").arg(MaxRequirementDecimals));
        s.RequirementDecimals = *value;
    }
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
    // All of it or nothing: a value refused halfway leaves the settings as they were.
    TProductionSettings loaded = *this;
    const fw::TIniFile ini(Directory + fw::CompanySettingsFile);
    ReadPrefix(ini, QStringLiteral("IndGest"), loaded.RawWarehousePrefix);
    ReadPrefix(ini, QStringLiteral("IndCod"), loaded.RawMaterialPrefix);
    ReadPrefix(ini, QStringLiteral("IndSemi"), loaded.SemiFinishedPrefix);
    ReadLotSettings(ini, loaded);
    *this = std::move(loaded);
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

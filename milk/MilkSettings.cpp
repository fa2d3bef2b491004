#include "milk/MilkSettings.h"

#include "data/Messages.h"
#include "milk/MilkMessages.h"
#include "platform/config/IniFile.h"
#include "platform/config/Paths.h"
#include "platform/core/Csv.h"
#include "platform/core/Exceptions.h"
#include "platform/schema/CompanyTables.h"

#include <QDir>
#include <QLocale>
#include <cmath>
#include <optional>

namespace corvanel {

namespace {

const QString kSection = QStringLiteral("Lapte");

std::optional<double> ReadNumber(const QString& text)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

class TSectionReader {
public:
    explicit TSectionReader(const QString& file) : ini_(file) {}

    void Text(const char* key, QString& value) const
    {
        if (ini_.ValueExists(kSection, QLatin1String(key)))
            value = ini_.ReadString(kSection, QLatin1String(key), QString()).trimmed();
    }
    void Number(const char* key, double& value, bool positive) const
    {
        QString text;
        if (!Present(key, text))
            return;
        const std::optional<double> number = ReadNumber(text);
        if (!number || (positive && *number <= 0))
            Refuse(key, text, positive ? QStringLiteral("un numar mai mare decat 0, cu punct zecimal")
                                       : QStringLiteral("un numar cu punct zecimal"));
        value = *number;
    }
    void Unit(const char* key, bool& perLitre) const
    {
        QString text;
        if (!Present(key, text))
            return;
        if (text.compare(QLatin1String("kg"), Qt::CaseInsensitive) == 0)
            perLitre = false;
        else if (text.compare(QLatin1String("l"), Qt::CaseInsensitive) == 0)
            perLitre = true;
        else
            Refuse(key, text, QStringLiteral("kg, l"));
    }
    void Classes(const char* key, std::vector<TMilkClass>& classes) const
    {
        QString text;
        if (Present(key, text) && !ReadClasses(text, classes))
            throw fw::EInOutError(msg::MilkBadClasses(QLatin1String(key), text));
    }

private:
    bool Present(const char* key, QString& text) const
    {
        if (!ini_.ValueExists(kSection, QLatin1String(key)))
            return false;
        text = ini_.ReadString(kSection, QLatin1String(key), QString()).trimmed();
        return true;
    }
    [[noreturn]] void Refuse(const char* key, const QString& value, const QString& allowed) const
    {
        throw fw::EInOutError(
            msg::UnknownSettingValue(QDir::toNativeSeparators(ini_.FileName()), kSection, QLatin1String(key), value, allowed));
    }

    fw::TIniFile ini_;
};

QString SettingsFile(const QString& directory)
{
    return fw::IncludeTrailingPathDelimiter(directory) + fw::CompanySettingsFile;
}

} // namespace

QString ClassesText(const std::vector<TMilkClass>& classes)
{
    QStringList parts;
    for (const TMilkClass& c : classes)
        parts << fw::CsvNumber(c.Above) + QLatin1Char(':') + fw::CsvNumber(c.Deduction);
    return parts.join(QLatin1Char(';'));
}

bool ReadClasses(const QString& text, std::vector<TMilkClass>& classes)
{
    std::vector<TMilkClass> read;
    for (const QString& part : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList pair = part.split(QLatin1Char(':'));
        if (pair.size() != 2)
            return false;
        const std::optional<double> above = ReadNumber(pair[0]), deduction = ReadNumber(pair[1]);
        if (!above || !deduction || *above < 0 || (!read.empty() && *above <= read.back().Above))
            return false;
        read.push_back({*above, *deduction});
    }
    classes = std::move(read);
    return true;
}

double ClassDeduction(const std::vector<TMilkClass>& classes, double mean)
{
    double deduction = 0;
    for (const TMilkClass& c : classes)
        if (mean > c.Above)
            deduction = c.Deduction;
    return deduction;
}

void TMilkSettings::Load(const QString& directory)
{
    TMilkSettings loaded = *this;
    const TSectionReader ini(SettingsFile(directory));
    ini.Text("Grupa", loaded.Group);
    ini.Text("Articol", loaded.Article);
    ini.Text("Gestiune", loaded.Warehouse);
    ini.Number("Densitate", loaded.Density, true);
    ini.Number("PretBaza", loaded.BasePrice, false);
    ini.Unit("UnitatePret", loaded.PricePerLitre);
    ini.Number("GrasimeReferinta", loaded.ReferenceFat, true);
    ini.Number("ProteinaReferinta", loaded.ReferenceProtein, true);
    ini.Number("BonusGrasime", loaded.FatBonus, false);
    ini.Number("BonusProteina", loaded.ProteinBonus, false);
    ini.Classes("ClaseNTG", loaded.GermClasses);
    ini.Classes("ClaseNCS", loaded.CellClasses);
    *this = std::move(loaded);
}

void TMilkSettings::Save(const QString& directory) const
{
    fw::TIniFile ini(SettingsFile(directory));
    const auto put = [&](const char* key, const QString& value) { ini.WriteString(kSection, QLatin1String(key), value); };
    put("Grupa", Group);
    put("Articol", Article);
    put("Gestiune", Warehouse);
    put("Densitate", fw::CsvNumber(Density));
    put("PretBaza", fw::CsvNumber(BasePrice));
    put("UnitatePret", PricePerLitre ? QStringLiteral("l") : QStringLiteral("kg"));
    put("GrasimeReferinta", fw::CsvNumber(ReferenceFat));
    put("ProteinaReferinta", fw::CsvNumber(ReferenceProtein));
    put("BonusGrasime", fw::CsvNumber(FatBonus));
    put("BonusProteina", fw::CsvNumber(ProteinBonus));
    put("ClaseNTG", ClassesText(GermClasses));
    put("ClaseNCS", ClassesText(CellClasses));
}

} // namespace corvanel

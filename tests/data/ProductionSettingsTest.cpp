// The production settings in KRBDEF.INI, found through the host's last database directory.
#include "Company.h"
#include "platform/config/SettingsStore.h"
#include "platform/core/Exceptions.h"
#include "platform/schema/CompanyTables.h"
#include "data/ProductionSettings.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace testsupport;

namespace {

class Settings : public ::testing::Test {
protected:
    void SetUp() override { SetLastDir(dir.Path()); }
    static void SetLastDir(const QString& d) { fw::TSettingsStore().WriteString(fw::TSettingsStore::LastDatabaseDir, d); }
    void Write(const QByteArray& text) const
    {
        QFile f(dir.File(fw::CompanySettingsFile));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }
    QByteArray Read() const
    {
        QFile f(dir.File(fw::CompanySettingsFile));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString Prefixes() const
    {
        return QString(settings.RawWarehousePrefix) + settings.RawMaterialPrefix + settings.SemiFinishedPrefix;
    }
    TempDir dir;
    TProductionSettings settings;
};

TEST_F(Settings, LoadingTakesTheFirstCharacterOfEachKeyAndKeepsTheRest)
{
    struct Case {
        const char* file;
        const char* expected;
    } cases[] = {
        {"", "_.;"},                                      // no file
        {"[Altceva]\r\nIndCod=X\r\n", "_.;"},            // no section
        {"[Productie]\r\nIndCod=M\r\n", "_M;"},          // one key
        {"[Productie]\r\nIndCod=MP\r\n", "_M;"},         // longer value: its first character
        {"[productie]\r\nindsemi=s\r\n", "_.s"},         // names are not case-sensitive
    };
    for (const Case& c : cases) {
        settings = TProductionSettings();
        Write(c.file);
        settings.Load();
        EXPECT_EQ(Prefixes(), QString::fromLatin1(c.expected)) << c.file;
    }
}

TEST_F(Settings, SavingWritesTheThreeKeysAndLeavesTheRestOfTheFile)
{
    Write("; setari comune\r\n[Firma]\r\nNume=Lactate SRL\r\n\r\n[Productie]\r\nIndCod=MP\r\n");
    settings.Load();
    settings.Save();
    const QString text = QString::fromUtf8(Read());
    EXPECT_TRUE(text.contains("; setari comune\r\n"));
    EXPECT_TRUE(text.contains("Nume=Lactate SRL\r\n"));
    EXPECT_TRUE(text.contains("IndCod=M\r\n"));
    EXPECT_TRUE(text.contains("IndGest=_\r\n"));
    EXPECT_TRUE(text.contains("IndSemi=;\r\n"));
    EXPECT_FALSE(text.contains("MP"));
    EXPECT_EQ(text.count('\n'), text.count(QLatin1String("\r\n"))); // the file's line ends stay
}

TEST_F(Settings, TheDirectoryWithOrWithoutItsSeparatorLeadsToTheSameFile)
{
    Write("[Productie]\r\nIndGest=G\r\n");
    for (const QString& d : {dir.Path(), dir.Path() + "/"}) {
        settings.RawWarehousePrefix = '_';
        SetLastDir(d);
        settings.Load();
        EXPECT_EQ(settings.Directory, dir.Path() + "/");
        EXPECT_EQ(settings.RawWarehousePrefix, QChar('G'));
    }
}

TEST_F(Settings, WithoutARecordedDirectoryTheHandedOverOneServesThenTheCurrentOne)
{
    SetLastDir(QString());
    settings.HandedOverDirectory = dir.Path();
    Write("[Productie]\r\nIndSemi=S\r\n");
    settings.Load();
    EXPECT_EQ(settings.Directory, dir.Path() + "/");
    EXPECT_EQ(settings.SemiFinishedPrefix, QChar('S'));
    settings.HandedOverDirectory.clear();
    settings.Load();
    EXPECT_EQ(settings.Directory, QDir::currentPath() + "/");
}

TEST_F(Settings, TheLotSettingsLoadByNameAndAreWrittenBack)
{
    Write("[Productie]\r\nOrdineLoturi=fefo\r\nLoturiExpirate=Exclude\r\nZileExpirare=3\r\nZecimaleNecesar=3\r\n");
    settings.Load();
    EXPECT_EQ(settings.RequirementDecimals, 3);
    EXPECT_EQ(settings.LotOrder, TLotOrder::FirstToExpire);
    EXPECT_FALSE(settings.DrawExpiredLots);
    EXPECT_EQ(settings.ExpiringWithinDays, 3);
    settings.LotOrder = TLotOrder::FirstIn;
    settings.Save();
    const QString text = QString::fromUtf8(Read());
    for (const char* line : {"OrdineLoturi=FIFO\r\n", "LoturiExpirate=Exclude\r\n", "ZileExpirare=3\r\n", "ZecimaleNecesar=3\r\n"})
        EXPECT_TRUE(text.contains(line)) << line;
    const TProductionSettings fresh;
    EXPECT_EQ(fresh.LotOrder, TLotOrder::Table); // as before the setting existed
    EXPECT_TRUE(fresh.DrawExpiredLots);
    EXPECT_EQ(fresh.RequirementDecimals, 0);
}

TEST_F(Settings, AValueTheAddOnDoesNotKnowIsAnErrorNamingTheFileTheKeyAndTheValuesAllowed)
{
    const QString file = dir.File(fw::CompanySettingsFile);
    const struct {
        const char* line;
        const char* key;
        const char* value;
        const char* allowed;
    } cases[] = {
        {"OrdineLoturi=ZZZ", "OrdineLoturi", "ZZZ", "Tabel, FIFO, FEFO"},
        {"LoturiExpirate=Exlude", "LoturiExpirate", "Exlude", "Consuma, Exclude"}, // misspelt: never "Consuma" unseen
        {"LoturiExpirate=", "LoturiExpirate", "", "Consuma, Exclude"},
        {"ZecimaleNecesar=9", "ZecimaleNecesar", "9", "un numar intreg de la 0 la 3"},
        {"ZecimaleNecesar=1.5", "ZecimaleNecesar", "1.5", "un numar intreg de la 0 la 3"},
        {"ZileExpirare=-2", "ZileExpirare", "-2", "un numar intreg de zile, de la 0 la 3650"},
        {"IndCod=", "IndCod", "", "un caracter (primul caracter al codurilor)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        settings = TProductionSettings();
        Write(QByteArray("[Firma]\r\nNume=Lactate SRL\r\n[Productie]\r\nIndGest=G\r\n") + c.line + "\r\n");
        try {
            settings.Load();
            ADD_FAILURE() << "loaded";
        } catch (const fw::EInOutError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Fisierul de setari <%1>, sectiunea [Productie]: cheia %2 are valoarea "
                                                  "\"%3\", pe care programul nu o cunoaste.\rValorile permise: %4. "
                                                  "Corectati valoarea in fisier; pana atunci programul nu lucreaza cu "
                                                  "setarile de productie.")
                                       .arg(file, c.key, c.value, c.allowed));
        }
    }
}

TEST_F(Settings, ASettingsFileInUtf16WithItsMarkIsRead)
{
    // As Notepad saves it: the mark, then UTF-16 little-endian.
    const QString text = QStringLiteral("\uFEFF[Productie]\r\nIndCod=M\r\nLoturiExpirate=Exclude\r\nOrdineLoturi=FEFO\r\n");
    Write(QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
    settings.Load();
    EXPECT_EQ(Prefixes(), "_M;");
    EXPECT_FALSE(settings.DrawExpiredLots);
    EXPECT_EQ(settings.LotOrder, TLotOrder::FirstToExpire);
}

TEST(Prefix, ACodeBelongsWhenItsFirstCharacterIsThePrefix)
{
    for (const char* code : {"M", "M01", "MZ-9"})
        EXPECT_TRUE(StartsWithPrefix(code, 'M')) << code;
    for (const char* code : {"m01", "N01", "", "LM"})
        EXPECT_FALSE(StartsWithPrefix(code, 'M')) << code;
}

} // namespace

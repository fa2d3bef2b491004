// The per-user settings store, the safe replacement of shared files, and the path rules.
#include "platform/config/AtomicFile.h"
#include "platform/config/Paths.h"
#include "platform/config/SettingsStore.h"
#include "platform/core/Exceptions.h"

#include "support/FileText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <sys/stat.h>
#include <unistd.h>

using namespace fw;

namespace {

QByteArray ReadAll(const QString& fileName) { return testsupport::ReadFileBytes(fileName); }

} // namespace

TEST(SettingsStore, TheHostsLastDirectoryReachesTheAddOn)
{
    TSettingsStore host;
    QFile::remove(host.FileName());
    EXPECT_TRUE(host.FileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));

    // Opening with creation allowed makes an empty store; a missing value reads empty.
    TSettingsStore addOn;
    addOn.Create();
    EXPECT_TRUE(addOn.Exists());
    EXPECT_EQ(addOn.ReadString(TSettingsStore::LastDatabaseDir), QString());
    EXPECT_FALSE(addOn.ValueExists(TSettingsStore::LastDatabaseDir));

    const QString dir = QStringLiteral("/srv/firmă/Lactate SRL");
    host.WriteString(TSettingsStore::LastDatabaseDir, dir);
    EXPECT_EQ(addOn.ReadString(TSettingsStore::LastDatabaseDir), dir);
    EXPECT_EQ(host.FileName(), QDir(qEnvironmentVariable("XDG_CONFIG_HOME")).filePath(QStringLiteral("Vendrako/Pelmaris.conf")));

    // Creating an existing store keeps what it holds.
    addOn.Create();
    EXPECT_EQ(addOn.ReadString(TSettingsStore::LastDatabaseDir), dir);
}

TEST(SettingsStore, AStoreThatCannotBeMadeReadsEmptyAndOnlyAWriteFails)
{
    // The store's folder would have to be made inside a plain file.
    testsupport::TempDir dir;
    const QString blocker = dir.File(QStringLiteral("fisier"));
    QFile(blocker).open(QIODevice::WriteOnly);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, blocker + QStringLiteral("/config"));
    TSettingsStore store;
    const bool created = store.Create();
    const QString value = store.ReadString(TSettingsStore::LastDatabaseDir);
    bool writeFailed = false;
    try {
        store.WriteString(TSettingsStore::LastDatabaseDir, QStringLiteral("/srv/firma"));
    } catch (const fw::EInOutError&) {
        writeFailed = true;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, qEnvironmentVariable("XDG_CONFIG_HOME"));
    EXPECT_FALSE(created);
    EXPECT_EQ(value, QString());
    EXPECT_TRUE(writeFailed);
}

TEST(AtomicFile, ReplacementKeepsWhatTheFileIs)
{
    testsupport::TempDir dir;
    const QString real = dir.File(QStringLiteral("KRBDEF.INI"));
    const QString link = dir.File(QStringLiteral("legatura.ini"));
    ASSERT_TRUE(SaveFileAtomically(real, "v1\r\n"));
    QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    ASSERT_TRUE(QFile::link(real, link));

    ASSERT_TRUE(SaveFileAtomically(link, "v2\r\n"));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadAll(real), "v2\r\n");
    // Owner, group and others; the "current user" bits only repeat one of them.
    const auto modeBits = QFile::permissions(real) & QFileDevice::Permissions(0x7077);
    EXPECT_EQ(modeBits, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup);
    EXPECT_EQ(QDir(dir.Path()).entryList(QDir::Files | QDir::System).size(), 2);

    // Not a file at all.
    EXPECT_FALSE(SaveFileAtomically(dir.Path(), "x"));

    // A directory that refuses new files: the file is rewritten where it stands.
    if (geteuid() != 0) {
        QFile::setPermissions(dir.Path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_TRUE(SaveFileAtomically(real, "v3 mai lung\r\n"));
        EXPECT_EQ(ReadAll(real), "v3 mai lung\r\n");
        QFile::setPermissions(dir.Path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

TEST(Paths, HostIniFileTakesTheExecutablesNameWithIni)
{
    const struct {
        const char* Executable;
        const char* Ini;
    } cases[] = {
        {"/opt/pelmaris/bin/pelmaris", "/opt/pelmaris/bin/pelmaris.INI"},
        {"/opt/pelmaris/bin/pelmaris.exe", "/opt/pelmaris/bin/pelmaris.INI"},
        {"/opt/pel.maris-2.1/bin/pelmaris", "/opt/pel.maris-2.1/bin/pelmaris.INI"},
        {"C:\\Pel.maris\\pelmaris", "C:\\Pel.maris\\pelmaris.INI"},
        {"C:\\Pelmaris\\PELMARIS.EXE", "C:\\Pelmaris\\PELMARIS.INI"},
        {"/opt/bin/pelmaris.bin.old", "/opt/bin/pelmaris.bin.INI"},
        {"/opt/bin/.pelmaris", "/opt/bin/.pelmaris.INI"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ChangeFileExt(QString::fromLatin1(c.Executable), QStringLiteral(".INI")), QString::fromLatin1(c.Ini));

    // The executable of the process, not the framework library that asks; with no file
    // beside it, the one beside the settings store.
    EXPECT_EQ(HostIniFileName(), qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vendrako/test_platform_config.INI"));
}

TEST(Paths, HostIniFileBesideTheExecutableIsTakenWhateverItIs)
{
    testsupport::TempDir dir;
    const QString program = dir.File(QStringLiteral("pelmaris"));
    const QString beside = dir.File(QStringLiteral("pelmaris.INI"));
    const QString config = QStringLiteral("/home/ion/.config/Vendrako");
    EXPECT_EQ(ChooseHostIniFile(program, config), QStringLiteral("/home/ion/.config/Vendrako/pelmaris.INI"));
    // A link to nothing is there: its reader refuses it, rather than another file being read.
    ASSERT_TRUE(QFile::link(dir.File(QStringLiteral("nimic")), beside));
    EXPECT_EQ(ChooseHostIniFile(program, config), beside);
    QFile::remove(beside);
    // A pipe is there: its reader refuses it, rather than another file being read instead.
    ASSERT_EQ(::mkfifo(QFile::encodeName(beside).constData(), 0600), 0);
    EXPECT_EQ(ChooseHostIniFile(program, config), beside);
}

TEST(Paths, DirectoriesEndInExactlyOneSeparator)
{
    const struct {
        const char* Directory;
        const char* WithSeparator;
    } cases[] = {
        {"/srv/firma", "/srv/firma/"}, {"/srv/firma/", "/srv/firma/"}, {"/srv/firma//", "/srv/firma/"},
        {"D:\\Firma\\", "D:\\Firma\\"}, {"D:\\Firma", "D:\\Firma/"},    {"/", "/"},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IncludeTrailingPathDelimiter(QString::fromLatin1(c.Directory)), QString::fromLatin1(c.WithSeparator))
            << c.Directory;
    }
    EXPECT_EQ(JoinPath(QStringLiteral("/srv/firma"), QStringLiteral("KRBDEF.INI")), QStringLiteral("/srv/firma/KRBDEF.INI"));
    EXPECT_EQ(JoinPath(QStringLiteral("/srv/firma/"), QStringLiteral("KRBDEF.INI")), QStringLiteral("/srv/firma/KRBDEF.INI"));
    EXPECT_EQ(JoinPath(QString(), QStringLiteral("KRBDEF.INI")), QStringLiteral("KRBDEF.INI"));
}

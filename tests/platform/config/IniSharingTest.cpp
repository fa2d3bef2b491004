// One INI file shared by several programs at once, and by users with other rights.
#include "platform/config/IniFile.h"
#include "platform/core/Exceptions.h"

#include "support/ChildProcess.h"
#include "support/FileText.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>

using namespace fw;
using namespace testsupport;

namespace {

QByteArray ReadAll(const QString& fileName) { return testsupport::ReadFileBytes(fileName); }

void WriteAll(const QString& fileName, const QByteArray& text) { ASSERT_TRUE(testsupport::WriteFileBytes(fileName, text)); }

const QByteArray Shared = "; Setari comune ale firmei\r\n"
                          "[Firma]\r\n"
                          "Nume=Lactate SRL\r\n"
                          "\r\n"
                          "[Productie]\r\n"
                          "IndGest=_\r\n"
                          "IndCod=.\r\n"
                          "; sfarsit\r\n";

constexpr int KeysPerWriter = 300;

QString KeyName(const QString& prefix, int i) { return prefix + QString::number(i).rightJustified(3, QLatin1Char('0')); }

} // namespace

// The roles a child process of this executable plays.
TEST(ChildProcess, Role)
{
    const QString role = ChildRole();
    if (role.isEmpty())
        GTEST_SKIP() << "played by a second process that other tests start";
    const QStringList args = ChildArguments();
    try {
        if (role == QLatin1String("ini-writer")) {
            // file, section, key prefix: writes its keys one by one, as fast as it can.
            TIniFile ini(args.at(0));
            for (int i = 0; i < KeysPerWriter; ++i)
                ini.WriteString(args.at(1), KeyName(args.at(2), i), QString::number(i));
        } else if (role == QLatin1String("ini-write")) {
            // file, section, key, value.
            TIniFile(args.at(0)).WriteString(args.at(1), args.at(2), args.at(3));
        } else if (role == QLatin1String("ini-read")) {
            // file, section, key: says the value read.
            TellParent(QStringLiteral("read ") + TIniFile(args.at(0)).ReadString(args.at(1), args.at(2), QStringLiteral("implicit")));
            return;
        } else {
            FAIL() << role.toStdString();
        }
        TellParent(QStringLiteral("written"));
    } catch (const EInOutError& e) {
        TellParent(e.Message());
    }
}

TEST(IniSharing, TwoProgramsWritingAtOnceKeepEachOthersKeysAndTheRestOfTheFile)
{
    TempDir dir;
    const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
    WriteAll(fileName, Shared);
    TChildProcess first(QStringLiteral("ini-writer"), {fileName, QStringLiteral("Firma"), QStringLiteral("A")});
    TChildProcess second(QStringLiteral("ini-writer"), {fileName, QStringLiteral("Productie"), QStringLiteral("B")});
    EXPECT_EQ(first.Finish(), 0);
    EXPECT_EQ(second.Finish(), 0);
    EXPECT_EQ(first.Lines().filter(QStringLiteral("written")).size(), 1) << first.Lines().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(second.Lines().filter(QStringLiteral("written")).size(), 1) << second.Lines().join(QLatin1Char('|')).toStdString();

    const TIniFile ini(fileName);
    int found = 0;
    for (int i = 0; i < KeysPerWriter; ++i) {
        found += ini.ReadString(QStringLiteral("Firma"), KeyName(QStringLiteral("A"), i), QString()) == QString::number(i);
        found += ini.ReadString(QStringLiteral("Productie"), KeyName(QStringLiteral("B"), i), QString()) == QString::number(i);
    }
    EXPECT_EQ(found, 2 * KeysPerWriter);
    // Without the new keys the file is what it was, byte for byte.
    QString text = QString::fromLatin1(ReadAll(fileName));
    text.remove(QRegularExpression(QStringLiteral("[AB]\\d{3}=\\d+\r\n")));
    EXPECT_EQ(text.toLatin1(), Shared);
}

TEST(IniSharing, AFileTheUserMayNotWriteIsNeverReplaced)
{
    // The file is read-only (and another user's, where this process can make one) in a
    // directory everybody may write: a rename would put a new file in its place.
    TempDir dir;
    QFile::setPermissions(dir.Path(), QFileDevice::Permissions(0x7777));
    const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
    WriteAll(fileName, Shared);
    ASSERT_EQ(::chmod(QFile::encodeName(fileName).constData(), 0444), 0);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(fileName).constData(), &before), 0);

    TChildProcess writer(QStringLiteral("ini-write"),
                         {fileName, QStringLiteral("Productie"), QStringLiteral("IndCod"), QStringLiteral("M")}, true);
    EXPECT_EQ(writer.Finish(), 0);
    EXPECT_EQ(writer.Lines().filter(QStringLiteral("Unable to write to ")), QStringList{QStringLiteral("Unable to write to ") + fileName});

    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(fileName).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(ReadAll(fileName), Shared);
}

TEST(IniSharing, AFileTheUserMayNotReadIsAnErrorNotItsDefaults)
{
    TempDir dir;
    QFile::setPermissions(dir.Path(), QFileDevice::Permissions(0x7777));
    const QString fileName = dir.File(QStringLiteral("KRBDEF.INI"));
    WriteAll(fileName, Shared);
    ASSERT_EQ(::chmod(QFile::encodeName(fileName).constData(), 0), 0);
    TChildProcess reader(QStringLiteral("ini-read"), {fileName, QStringLiteral("Productie"), QStringLiteral("IndGest")}, true);
    EXPECT_EQ(reader.Finish(), 0);
    EXPECT_EQ(reader.Lines().filter(fileName),
              QStringList{QStringLiteral("Fisierul de setari <%1> nu poate fi citit: nu aveti drept de citire.").arg(fileName)})
        << reader.Lines().join(QLatin1Char('|')).toStdString();
}

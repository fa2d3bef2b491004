// The files of a company as the host meets them: its own settings file, directories
// that hold no company, a company other programs have open, one the user may only read.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "host/Company.h"
#include "host/DemoCompany.h"
#include "host/DataForm.h"
#include "host/MainForm.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"

#include "support/ChildProcess.h"
#include "support/FileText.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStatusBar>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace pelmaris;
using namespace testsupport;

namespace {

template <size_t N>
QByteArray Bytes(const char (&text)[N])
{
    return QByteArray(text, N - 1);
}

QString DatabaseFile(const QString& dir) { return QDir(dir).filePath(fw::DatabaseFileName()); }

QStringList Entries(const QString& dir) { return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot); }

ino_t Inode(const QString& file)
{
    struct stat info {};
    return ::stat(QFile::encodeName(file).constData(), &info) == 0 ? info.st_ino : 0;
}

int GestRows(const QString& dir, const char* code)
{
    return RawColumn(dir, QStringLiteral("SELECT COUNT(*) FROM Gest WHERE Cod = '%1'").arg(QLatin1String(code))).value(0).toInt();
}

// Another program's database: one table of its own, the engine's default journal.
void WriteForeignDatabase(const QString& file)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        QSqlQuery(db).exec(QStringLiteral("CREATE TABLE Clienti (Nume TEXT)"));
        QSqlQuery(db).exec(QStringLiteral("INSERT INTO Clienti VALUES ('Popescu')"));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
}

// Makes every file of the directory, and the directory itself unless `directoryWritable`,
// something the unprivileged child may read but not write.
void MakeReadOnly(const QString& dir, bool directoryWritable)
{
    const auto chmod = [](const QString& path, mode_t mode) { ::chmod(QFile::encodeName(path).constData(), mode); };
    for (const QString& name : Entries(dir))
        chmod(QDir(dir).filePath(name), PermissionsBind() ? 0444 : 0644);
    chmod(dir, directoryWritable ? 0777 : (PermissionsBind() ? 0555 : 0755));
}

} // namespace

// The roles a child process of this executable plays.
TEST(ChildProcess, Role)
{
    const QString role = ChildRole();
    if (role.isEmpty())
        GTEST_SKIP() << "played by a second process that other tests start";
    const QString dir = ChildArguments().value(0);
    fw::TMessageRecorder messages;
    hosttest::THost host;
    TellParent(host->OpenCompany(dir, false) ? QStringLiteral("open") : QStringLiteral("not open"));
    TellParent(host->MainForm()->CompanyText());
    for (const QString& text : messages.Texts())
        TellParent(text);
    if (role == QLatin1String("hold-company"))
        WaitForParent();
    if (TDataForm* stock = host->ShowStock(); stock && stock->Grids().front()->ReadOnly())
        TellParent(QStringLiteral("windows read-only"));
    // A change of the company, as every window makes it.
    try {
        testsupport::OpenTable(dir, fw::GestDB)->AppendRecord({QStringLiteral("ZZ"), QStringLiteral("Gestiune noua")});
        TellParent(QStringLiteral("written"));
    } catch (const fw::EDatabaseError& e) {
        TellParent(e.Message());
    }
}

TEST(CompanyFiles, TheHostsOwnSettingsFileIsWrittenOnlyToMakeIt)
{
    const struct {
        const char* Name;
        QByteArray Text;
        const char* NetControlDir;
    } cases[] = {
        {"an old end-of-file mark before the key",
         Bytes("[AddOns]\nProduction=\n\x1A\n[Initial]\r\nNetControlDir=/srv/net\n[Alta]\nX=1\n"), "/srv/net"},
        {"no key at all", Bytes("[Alta]\r\nX=1\r\n"), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        THostOptions options;
        options.IniFile = dir.File(QStringLiteral("pelmaris.INI"));
        options.LoadAddOn = false;
        ASSERT_TRUE(WriteFileBytes(options.IniFile, c.Text));
        fw::TSession::Default()->SetNetFileDir(QString());
        TPelmarisHost(options).Start();
        EXPECT_EQ(fw::TSession::Default()->NetFileDir(), QString::fromLatin1(c.NetControlDir));
        EXPECT_EQ(ReadFileBytes(options.IniFile), c.Text);
    }
    fw::TSession::Default()->SetNetFileDir(QString());
}

TEST(CompanyFiles, AHostSettingsFileThatCannotBeReadIsToldAndTheAddOnItChoosesIsNotLoaded)
{
    fw::TMessageRecorder messages;
    TempDir dir;
    THostOptions options;
    options.IniFile = dir.File(QStringLiteral("pelmaris.INI"));
    options.AddOnFile = QString::fromUtf8(built::kFakeAddOnFile);
    ASSERT_EQ(::mkfifo(QFile::encodeName(options.IniFile).constData(), 0600), 0);
    qputenv("FAKE_ADDON_LOG", dir.File(QStringLiteral("addon.log")).toLocal8Bit());
    TPelmarisHost host(options);
    host.Start();
    EXPECT_EQ(messages.Texts(), QStringList{"<" + options.IniFile +
                                            "> nu este un fisier obisnuit: setarile nu pot fi citite din el.\rModulul "
                                            "suplimentar nu a fost incarcat."});
    EXPECT_FALSE(QFile::exists(dir.File(QStringLiteral("addon.log"))));
}

TEST(CompanyFiles, FilesThatAreNoCompanyAreNeitherMadeOneNorTouched)
{
    const struct {
        const char* Name;
        std::function<void(const QString& file)> Make; // the database file, when there is one
        bool Asked;                                     // whether the host asks to make a company
    } cases[] = {
        {"an empty directory", nullptr, true},
        {"an empty file", [](const QString& file) { WriteFileBytes(file, {}); }, false},
        {"another program's database", WriteForeignDatabase, false},
        {"a file that is no database", [](const QString& file) { WriteFileBytes(file, QByteArray(4096, 'x')); }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir dir;
        const QString file = DatabaseFile(dir.Path());
        if (c.Make)
            c.Make(file);
        const QByteArray before = ReadFileBytes(file);
        const QStringList entries = Entries(dir.Path());

        // The add-on's database is only pointed at a directory: that makes nothing there.
        fw::TDatabase addOnDb;
        addOnDb.SetDatabaseName(QStringLiteral("KRBPROD_TEST"));
        addOnDb.Params() << QStringLiteral("PATH=") + dir.Path();
        if (!c.Make) {
            try {
                addOnDb.Open();
                ADD_FAILURE() << "connected to a directory without a database";
            } catch (const fw::EDatabaseError& e) {
                EXPECT_EQ(e.Message(), QStringLiteral("Baza de date <%1> nu exista.").arg(file));
            }
        }

        fw::TMessageRecorder messages;
        messages.SetDefaultAnswer(fw::TModalResult::No);
        hosttest::THost host;
        EXPECT_FALSE(host->OpenCompany(dir.Path()));
        ASSERT_EQ(messages.Count(), 1);
        if (c.Asked) {
            EXPECT_EQ(messages.Last().Kind, fw::TMsgDlgType::Confirmation);
        } else {
            EXPECT_EQ(messages.Last().Text,
                      QStringLiteral("Eroare de acces la baza de date!\r<Fisierul <%1> nu este baza de date a unei firme.> !").arg(file));
        }
        EXPECT_EQ(ReadFileBytes(file), before);
        EXPECT_EQ(Entries(dir.Path()), entries);
        EXPECT_EQ(host->CompanyDir(), QString());
    }
}

TEST(CompanyFiles, TheDemoIsNeverRemadeWhileAnotherProgramHasItOpen)
{
    const QString demo = QDir::cleanPath(DemoCompanyDir());
    ASSERT_TRUE(CreateDemoCompany(demo));
    TChildProcess other(QStringLiteral("hold-company"), {demo});
    ASSERT_TRUE(other.WaitFor(QStringLiteral("open"))) << other.Lines().join(QLatin1Char('|')).toStdString();
    const ino_t inode = Inode(DatabaseFile(demo));
    {
        fw::TMessageRecorder messages;
        hosttest::THost host;
        ASSERT_TRUE(host->OpenDemoCompany(true));
        EXPECT_EQ(host->MainForm()->statusBar()->currentMessage(), DemoInUseText);
        EXPECT_EQ(Inode(DatabaseFile(demo)), inode);

        // What the other program saves afterwards lands in the company, not in a file
        // deleted under it; and both have it open at once.
        other.Send(QStringLiteral("go on"));
        EXPECT_TRUE(other.WaitFor(QStringLiteral("written"))) << other.Lines().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(other.Finish(), 0);
        EXPECT_EQ(GestRows(demo, "ZZ"), 1);
        // This host has it open now.
        EXPECT_FALSE(CreateDemoCompany(demo));
        EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
    }
    // Nobody has it: it is remade.
    ASSERT_TRUE(CreateDemoCompany(demo));
    EXPECT_EQ(GestRows(demo, "ZZ"), 0);
}

TEST(CompanyFiles, ACompanyTheUserMayOnlyReadOpensReadOnlyAndRefusesChanges)
{
    const struct {
        const char* Name;
        bool DirectoryWritable;
    } cases[] = {{"nothing of it may be written", false}, {"its files may not be written", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TempDir temp;
        QFile::setPermissions(temp.Path(), QFileDevice::Permissions(0x7755));
        const QString dir = temp.SubDir(QStringLiteral("firma"));
        {
            hosttest::THost maker;
            ASSERT_TRUE(maker->OpenCompany(dir, false));
        }
        MakeReadOnly(dir, c.DirectoryWritable);
        const QByteArray before = ReadFileBytes(DatabaseFile(dir));

        TChildProcess user(QStringLiteral("open-company"), {dir}, true);
        EXPECT_EQ(user.Finish(), 0);
        EXPECT_EQ(user.Lines().filter(QRegularExpression(QStringLiteral("^(open|not open|Firma: .*|windows.*|Eroare.*|Baza de date.*)$"))),
                  (QStringList{QStringLiteral("open"), QStringLiteral("Firma: firma (doar citire)"), QStringLiteral("windows read-only"),
                               QStringLiteral("Baza de date poate fi doar citita: modificarea nu a fost salvata.")}))
            << user.Lines().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(ReadFileBytes(DatabaseFile(dir)), before);
        ::chmod(QFile::encodeName(dir).constData(), 0755);
    }
}

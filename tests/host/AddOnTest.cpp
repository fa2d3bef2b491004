// The host and the add-on library: the order of the entry-point calls and what they are
// given, a library missing or incomplete, and entry points that throw.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "host/DocInForm.h"
#include "host/MainForm.h"
#include "platform/boundary/SysMem.h"
#include "platform/db/Connection.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageDlg.h"

#include <QDir>
#include <QMenuBar>
#include <gtest/gtest.h>

using namespace pelmaris;
using hosttest::THost;

namespace {

QString Pointer(const void* p) { return QString::asprintf("%p", p); }

bool HasTable(const QString& dir, const char* table)
{
    return !fw::Connection::Open(dir)->StoredTableName(QString::fromLatin1(table)).isEmpty();
}

} // namespace

TEST(AddOnLoader, EntryPointsAreCalledInOrderWithTheHostsObjects)
{
    fw::TMessageRecorder messages;
    const fw::TSysMemStatus before = fw::SysMemStatus();
    THost host;
    const QString company = host.NewDir(QStringLiteral("firma"));
    ASSERT_TRUE(host->OpenCompany(company, false));
    TDocInForm* docIn = host->ShowDocIn();
    ASSERT_NE(docIn, nullptr);
    const QString screen = Pointer(host->Screen());
    const QString application = Pointer(host->Application());
    const QString mainForm = Pointer(static_cast<QObject*>(host->MainForm()));
    EXPECT_EQ(host->AddOnName(), QStringLiteral("Modul de proba"));
    EXPECT_EQ(host->MainForm()->AddOnText(), QStringLiteral("Modul: Modul de proba"));
    // The directory string and the table definitions crossed and were given back.
    EXPECT_EQ(fw::SysMemStatus().Blocks, before.Blocks);
    host.Shutdown();

    const QStringList expected = {
        QStringLiteral("load"),
        QStringLiteral("InitAddOnDLL|%1|%2").arg(screen, application),
        QStringLiteral("QvxAddOnGetName"),
        QStringLiteral("QvxAddOnAddTables|0"),
        QStringLiteral("QvxAddOnMainForm|%1").arg(mainForm),
        // The directory exactly as opened, in a string of the shared manager held once.
        QStringLiteral("QvxAddOnChangeDB|%1|1").arg(QDir::cleanPath(company)),
        QStringLiteral("QvxAddOnDocInForm|DocInForm|Doc_inDB"),
        // The menus module goes with the main window, before the add-on is cleared.
        QStringLiteral("MenusDestroyed"),
        QStringLiteral("ClearAddOnDLL"),
        QStringLiteral("unload"),
    };
    EXPECT_EQ(host.Log(), expected);
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}

TEST(AddOnLoader, HandedOverTablesAreCreatedInEachCompanyOpened)
{
    fw::TMessageRecorder messages;
    THost host;
    ASSERT_EQ(host->AddOnTables().size(), 2u);
    const QString first = host.NewDir(QStringLiteral("a"));
    const QString second = host.NewDir(QStringLiteral("b"));
    ASSERT_TRUE(host->OpenCompany(first, false));
    ASSERT_TRUE(host->OpenCompany(second, false));
    for (const QString& dir : {first, second}) {
        EXPECT_TRUE(HasTable(dir, "Proba"));
        EXPECT_TRUE(HasTable(dir, "Jurnal"));
    }
    const QStringList changes = host.Log().filter(QStringLiteral("QvxAddOnChangeDB"));
    EXPECT_EQ(changes, (QStringList{QStringLiteral("QvxAddOnChangeDB|%1|1").arg(first),
                                    QStringLiteral("QvxAddOnChangeDB|%1|1").arg(second)}));
    EXPECT_EQ(messages.Count(), 0);
}

TEST(AddOnLoader, MissingLibraryIsReportedAndTheHostRunsWithoutIt)
{
    fw::TMessageRecorder messages;
    const QString missing = QDir::temp().filePath(QStringLiteral("nicaieri/libCorvanel.so"));
    THost host(missing);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Kind, fw::TMsgDlgType::Error);
    EXPECT_TRUE(messages.Last().Text.startsWith(QStringLiteral("Modulul suplimentar nu a putut fi incarcat:\r") + missing))
        << messages.Last().Text.toStdString();
    EXPECT_TRUE(messages.Last().Text.endsWith(QStringLiteral("\rProgramul continua fara el.")));
    EXPECT_FALSE(host->AddOn().Loaded());
    EXPECT_EQ(hosttest::Entries(host->MainForm()->menuBar()),
              (QStringList{QStringLiteral("&Sistem"), QStringLiteral("&Nomenclatoare"), QStringLiteral("&Operatii"),
                           QStringLiteral("&Rapoarte"), QStringLiteral("&Fereastra")}));
    ASSERT_TRUE(host->OpenCompany(host.NewDir(QStringLiteral("firma")), false));
    EXPECT_NE(host->ShowDocIn(), nullptr);
    EXPECT_EQ(messages.Count(), 1);
}

TEST(AddOnLoader, LibraryLackingAnEntryPointIsReportedAndUnloaded)
{
    fw::TMessageRecorder messages;
    THost host(QString::fromUtf8(built::kFakeAddOnPartialFile));
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Modulul suplimentar %1 nu contine functia QvxAddOnDocInForm.\r"
                                                   "Programul continua fara el.")
                                        .arg(QString::fromUtf8(built::kFakeAddOnPartialFile)));
    EXPECT_FALSE(host->AddOn().Loaded());
    // Nothing of it was called.
    EXPECT_EQ(host.Log(), (QStringList{QStringLiteral("load"), QStringLiteral("unload")}));
}

TEST(AddOnLoader, AnEntryPointThatThrowsIsReportedAndTheHostCarriesOn)
{
    struct Case {
        const char* entryPoint;
        std::function<void(THost&)> check;
    } cases[] = {
        {"InitAddOnDLL",
         [](THost& host) {
             // Without a working start the add-on is given back its objects and dropped.
             EXPECT_FALSE(host->AddOn().Loaded());
             EXPECT_EQ(host.Log().mid(2), (QStringList{QStringLiteral("ClearAddOnDLL"), QStringLiteral("unload")}));
         }},
        {"QvxAddOnGetName", [](THost& host) { EXPECT_TRUE(host->AddOnName().isEmpty()); }},
        {"QvxAddOnAddTables",
         [](THost& host) {
             // What it wrote before it failed is still used.
             ASSERT_EQ(host->AddOnTables().size(), 1u);
             EXPECT_EQ(host->AddOnTables()[0].Name, QStringLiteral("Proba.DB"));
         }},
        {"QvxAddOnMainForm",
         [](THost& host) {
             EXPECT_EQ(hosttest::Entries(host->MainForm()->SistemMenu()).size(), 7); // the host's own only
             EXPECT_FALSE(host->MainForm()->WindowMenuMerged());
         }},
        {"QvxAddOnChangeDB", [](THost& host) { EXPECT_FALSE(host->CompanyDir().isEmpty()); }},
        {"QvxAddOnDocInForm", [](THost& host) { EXPECT_FALSE(host->MainForm()->WindowMenuMerged()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entryPoint);
        fw::TMessageRecorder messages;
        const fw::TSysMemStatus before = fw::SysMemStatus();
        THost host(QString::fromUtf8(built::kFakeAddOnFile), c.entryPoint);
        ASSERT_TRUE(host->OpenCompany(host.NewDir(QStringLiteral("firma")), false));
        EXPECT_NE(host->ShowDocIn(), nullptr);
        ASSERT_EQ(messages.Count(), 1);
        EXPECT_EQ(messages.Last().Text, QStringLiteral("Eroare in modulul suplimentar, la apelul %1:\rEroare simulata in %1")
                                            .arg(QString::fromLatin1(c.entryPoint)));
        EXPECT_EQ(fw::SysMemStatus().Blocks, before.Blocks);
        c.check(host);
    }
}

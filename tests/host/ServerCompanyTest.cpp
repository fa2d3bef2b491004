// A company on a server, made from the host's menu: the directory keeps the connection
// file, the tables go into the server's database, and another workstation joins it.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "Named.h"
#include "host/MainForm.h"
#include "host/ServerCompanyDlg.h"
#include "platform/db/Connection.h"
#include "platform/db/IntegrityCheck.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace hosttest;
using testsupport::OnServer;

namespace {

TEST(ServerCompany, TheDialogAsksForADirectoryWithoutACompanyAndADatabase)
{
    fw::TMessageRecorder messages;
    testsupport::TempDir dir;
    testsupport::CreateTable(dir.SubDir("veche"), fw::GestDB, {{"Cod", fw::TFieldType::String, 4}});
    const QString missing = "Completati directorul firmei si numele bazei de date!";
    struct Case {
        QString directory, database;
        QString told; // empty: accepted
    } cases[] = {
        {dir.File("noua"), "", missing},
        {"", "fabrica", missing},
        {dir.File("veche"), "fabrica", "Directorul <" + QDir::toNativeSeparators(dir.File("veche")) + "> contine deja o firma."},
        {dir.File("noua"), "fabrica", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.directory.toStdString() + " / " + c.database.toStdString());
        messages.Clear();
        pelmaris::TServerCompanyDlg dialog;
        fw::TModalResult result = fw::TModalResult::None;
        {
            fw::TModalHook hook([&](fw::TForm*) {
                const auto type = [&](const char* edit, const QString& text) {
                    testsupport::Named<QLineEdit>(&dialog, edit)->setText(text);
                };
                type("DirectoryEdit", c.directory);
                type("HostEdit", "depozit");
                type("PortEdit", "5433");
                type("DatabaseEdit", c.database);
                type("SchemaEdit", "Lactate");
                testsupport::Named<QPushButton>(&dialog, "OkButton")->click();
                return dialog.ModalResult();
            });
            result = dialog.ShowModal();
        }
        EXPECT_EQ(messages.Texts(), c.told.isEmpty() ? QStringList() : QStringList{c.told});
        EXPECT_EQ(result, c.told.isEmpty() ? fw::TModalResult::OK : fw::TModalResult::Cancel);
        const fw::TServerDatabase server = dialog.Server();
        EXPECT_EQ(server.Describe(), "depozit:5433/" + c.database + ".lactate");
    }
    pelmaris::TServerCompanyDlg look;
    look.adjustSize();
    EXPECT_TRUE(look.grab().save(testsupport::LookDir() + "/host-server-company.png"));
}

TEST(ServerCompanyOnServer, MadeFromTheMenuItsTablesLiveOnTheServerAndAnotherWorkstationJoinsIt)
{
    if (!OnServer())
        GTEST_SKIP() << "a company on a server: runs with the PostgreSQL tests (host.pg.)";
    fw::TMessageRecorder messages;
    THost host(QString::fromUtf8(built::kRealAddOnFile));
    const fw::TServerDatabase server = testsupport::NewServerSchema();
    const QString dir = host.Dir().File("firma");
    host->AskServerCompany = [&](QString& directory, fw::TServerDatabase& chosen) {
        directory = dir;
        chosen = server;
        return true;
    };
    FindAction(host->MainForm()->SistemMenu(), "Firma noua pe &server...")->trigger();
    EXPECT_EQ(messages.Texts(), QStringList());
    EXPECT_EQ(host->CompanyDir(), dir);
    EXPECT_TRUE(QFileInfo::exists(dir + "/firma.pgsql"));
    EXPECT_FALSE(QFileInfo::exists(dir + "/tables.sqlite"));
    auto conn = fw::Connection::Open(dir);
    EXPECT_EQ(conn->Engine(), fw::TEngine::PostgreSQL);
    for (const char* table : {"Stoc", "Doc_in", "COUNTER", "Reteta"})
        EXPECT_FALSE(conn->StoredTableName(table).isEmpty()) << table;

    // Its check reads every table on the server.
    QStringList checked;
    EXPECT_TRUE(fw::CheckDatabaseIntegrity(dir, [&](qint64, qint64, const QString& table) {
                    checked << table;
                    return true;
                }).Ok);
    EXPECT_TRUE(checked.contains("stoc") && checked.contains("reteta")) << checked.join(' ').toStdString();
    FindAction(host->MainForm()->SistemMenu(), "&Verificare firma")->trigger();
    EXPECT_EQ(messages.Texts(), QStringList{"Baza de date a firmei este in regula:\r" + QDir::toNativeSeparators(dir + "/firma.pgsql")});

    // Another workstation names the same database in a directory of its own.
    const QString other = host.Dir().File("statia2");
    testsupport::CreateTable(dir, "Proba.DB", {{"Cod", fw::TFieldType::String, 4}}, {}, {{"X"}});
    EXPECT_TRUE(host->CreateServerCompany(other, server));
    EXPECT_EQ(testsupport::Column(*testsupport::OpenTable(other, "Proba.DB"), "Cod"), QStringList{"X"});

    // Refused: a directory that holds a company, a server that cannot be reached (and
    // the directory is left without a connection file).
    fw::TServerDatabase unreachable = server;
    unreachable.Host = "127.0.0.1";
    unreachable.Port = 1;
    messages.Clear();
    EXPECT_FALSE(host->CreateServerCompany(other, server));
    EXPECT_FALSE(host->CreateServerCompany(host.Dir().File("a3a"), unreachable));
    ASSERT_EQ(messages.Count(), 2);
    EXPECT_EQ(messages.Texts()[0], "Directorul <" + QDir::toNativeSeparators(other) + "> contine deja o firma.");
    EXPECT_TRUE(messages.Texts()[1].contains("Serverul bazei de date <127.0.0.1:1/" + server.Database));
    EXPECT_FALSE(QFileInfo::exists(host.Dir().File("a3a")));
    EXPECT_EQ(host->CompanyDir(), other);
    host.Shutdown();
    testsupport::ForgetDatabase(dir);
}

} // namespace

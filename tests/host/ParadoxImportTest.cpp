// Sistem > Importa firma Paradox...: the imported company is opened; a directory without
// the company's tables is refused and nothing opened; the progress dialog's button stops
// the import and nothing is left.
#include "HostFixture.h"
#include "ParadoxWriter.h"
#include "TempDir.h"
#include "host/MainForm.h"
#include "platform/db/Connection.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QDir>
#include <QProgressDialog>
#include <QTimer>
#include <gtest/gtest.h>

using hosttest::FindAction;
using hosttest::THost;

namespace {

void WriteStock(const QString& dir, int rows)
{
    paradoxtest::TFixtureTable stoc{{paradoxtest::Number("Cantitate"), paradoxtest::Alpha("Cod_articol", 30)}, {}, 1250};
    for (int i = 0; i < rows; ++i)
        stoc.Rows.push_back({double(i), QByteArray("LAPTE")});
    ASSERT_TRUE(paradoxtest::WriteTable(QDir(dir).filePath(QStringLiteral("STOC.DB")), stoc));
}

} // namespace

TEST(ParadoxImport, FromTheMenuTheCompanyIsImportedAndOpenedAndAStopLeavesNothing)
{
    THost host;
    fw::TMessageRecorder messages;
    const QString from = host.NewDir(QStringLiteral("vechi"));
    const QString stopped = host.Dir().File(QStringLiteral("oprita"));
    WriteStock(from, 20000);
    host->AskImport = [&](pelmaris::TParadoxImportRequest& request) {
        request = {from, stopped, 0};
        return true;
    };
    QAction* item = FindAction(host->MainForm()->SistemMenu(), QStringLiteral("Im&porta firma Paradox..."));
    ASSERT_NE(item, nullptr);

    // A directory without the company's tables: refused, nothing made, nothing opened.
    const QString empty = host.NewDir(QStringLiteral("gol")), none = host.Dir().File(QStringLiteral("nimic"));
    host->AskImport = [&](pelmaris::TParadoxImportRequest& request) {
        request = {empty, none, 0};
        return true;
    };
    item->trigger();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.contains(QStringLiteral("nu contine nicio tabela Paradox a firmei")));
    EXPECT_FALSE(QFileInfo::exists(none));
    EXPECT_TRUE(host->CompanyDir().isEmpty());
    messages.Clear();
    host->AskImport = [&](pelmaris::TParadoxImportRequest& request) {
        request = {from, stopped, 0};
        return true;
    };

    // The dialog's button, pressed while the rows go in.
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<QProgressDialog*>(w)) {
                dialog->grab().save(testsupport::LookDir() + QStringLiteral("/paradox-import-progress.png"));
                dialog->cancel();
            }
    });
    item->trigger();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text, QStringLiteral("Importul a fost oprit; nu a fost scris nimic."));
    EXPECT_FALSE(QFileInfo::exists(stopped));
    EXPECT_TRUE(host->CompanyDir().isEmpty());

    const QString to = host.Dir().File(QStringLiteral("firma"));
    host->AskImport = [&](pelmaris::TParadoxImportRequest& request) {
        request = {from, to, 0};
        return true;
    };
    messages.Clear();
    item->trigger();
    ASSERT_GE(messages.Count(), 1);
    EXPECT_TRUE(messages.Messages().front().Text.startsWith(QStringLiteral("Firma din directorul <")));
    EXPECT_EQ(host->CompanyDir(), to);
    EXPECT_EQ(fw::Connection::Open(to)->ScalarInt(QStringLiteral("SELECT count(*) FROM Stoc"), {}), 20000);
}

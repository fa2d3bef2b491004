// A company whose database has damaged pages: said in Romanian with the file's name,
// when opening and on a later read, and no longer opened at the next start; the
// integrity check finds the damage and passes a sound company.
#include "DbFixture.h"
#include "HostFixture.h"
#include "host/Company.h"
#include "host/CompanyCheck.h"
#include "host/MainForm.h"
#include "platform/config/SettingsStore.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/IntegrityCheck.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <gtest/gtest.h>

using namespace pelmaris;
using hosttest::THost;

namespace {

// A company whose stock fills many pages of the file.
QString CompanyWithStock(THost& host, const QString& name)
{
    QString dir = host.NewDir(name);
    PrepareCompanyDatabase(dir);
    auto connection = fw::Connection::Open(dir);
    fw::TTransaction tx(connection);
    for (int i = 0; i < 3000; ++i)
        connection->Exec(QStringLiteral("INSERT INTO Stoc (Cantitate, Cod_articol, Cod_grupa, Cod_gestiune, Lot) "
                                        "VALUES (?, ?, '01', '_MP', ?)"),
                         {double(i), QStringLiteral(".ART%1").arg(i % 40), QStringLiteral("LOT-%1").arg(i)});
    tx.Commit();
    return dir;
}

// Overwrites the first page of a table's tree, as a failing disk would. Every connection
// to the company is gone by then, so the file holds all that was written.
void DamageTable(const QString& dir, const char* table)
{
    const qint64 page = testsupport::RawColumn(dir, QStringLiteral("SELECT rootpage FROM sqlite_master WHERE name = '%1'")
                                                         .arg(QString::fromLatin1(table)))
                            .value(0)
                            .toLongLong();
    const qint64 size = testsupport::RawColumn(dir, "PRAGMA page_size").value(0).toLongLong();
    ASSERT_GT(page, 1);
    QFile file(QDir(dir).filePath(fw::DatabaseFileName()));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek((page - 1) * size));
    file.write(QByteArray(int(size), '\xff'));
}

QString Last() { return fw::TSettingsStore().ReadString(fw::TSettingsStore::LastDatabaseDir); }

} // namespace

TEST(DamagedCompany, IsSaidToBeDamagedAndNotOpenedAgainAtTheNextStart)
{
    struct Case {
        const char* what;
        const char* damaged;
        bool opens; // the damage lies where opening does not read
    } cases[] = {
        {"counters, read when opening", "COUNTER", false},
        {"stock, read by its window", "Stoc", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fw::TMessageRecorder messages;
        THost host;
        fw::TSettingsStore().WriteString(fw::TSettingsStore::LastDatabaseDir, QString());
        const QString dir = CompanyWithStock(host, QString::fromLatin1(c.damaged));
        DamageTable(dir, c.damaged);
        const QString said = DamagedCompanyText(QDir(dir).filePath(fw::DatabaseFileName()));
        EXPECT_TRUE(said.contains(QDir::toNativeSeparators(dir)));

        EXPECT_EQ(host->OpenCompany(dir, false), c.opens);
        if (c.opens) {
            EXPECT_EQ(Last(), dir);
            EXPECT_EQ(host->ShowStock(), nullptr);
            QApplication::processEvents();
        }
        EXPECT_EQ(messages.Texts(), QStringList{said});
        EXPECT_EQ(messages.Last().Kind, fw::TMsgDlgType::Error);
        EXPECT_TRUE(Last().isEmpty());
        EXPECT_TRUE(host->CompanyDamaged());
    }
}

TEST(DamagedCompany, CheckFindsTheDamageAndPassesASoundCompany)
{
    fw::TMessageRecorder messages;
    THost host;
    const QString sound = CompanyWithStock(host, QStringLiteral("buna"));
    const QString damaged = CompanyWithStock(host, QStringLiteral("stricata"));
    DamageTable(damaged, "Stoc");

    std::vector<std::pair<qint64, qint64>> steps;
    QStringList tables;
    const fw::TIntegrityReport good = fw::CheckDatabaseIntegrity(sound, [&](qint64 done, qint64 total, const QString& t) {
        steps.emplace_back(done, total);
        if (!tables.contains(t))
            tables << t;
        return true;
    });
    EXPECT_TRUE(good.Ok);
    EXPECT_TRUE(good.Problems.isEmpty());
    ASSERT_GE(steps.size(), 2u);
    EXPECT_EQ(steps.front().first, 0);
    EXPECT_EQ(steps.back().first, steps.back().second);
    EXPECT_TRUE(std::is_sorted(steps.begin(), steps.end()));
    EXPECT_TRUE(tables.contains(QStringLiteral("Stoc")));
    EXPECT_EQ(tables.last(), QString()); // the end

    const fw::TIntegrityReport bad = fw::CheckDatabaseIntegrity(damaged);
    EXPECT_FALSE(bad.Ok);
    ASSERT_FALSE(bad.Problems.isEmpty());
    EXPECT_TRUE(bad.Problems.first().startsWith(QStringLiteral("Stoc: "))) << bad.Problems.first().toStdString();

    // Stopped before a table, or in the middle of one.
    for (const char* at : {"COUNTER", "Stoc"}) {
        bool started = false;
        const fw::TIntegrityReport stopped =
            fw::CheckDatabaseIntegrity(sound, [&](qint64, qint64, const QString& t) {
                if (t != QLatin1String(at))
                    return true;
                const bool first = !started;
                started = true;
                return first && QLatin1String(at) == QLatin1String("Stoc"); // asked again inside
            });
        EXPECT_TRUE(stopped.Stopped) << at;
        EXPECT_FALSE(stopped.Ok) << at;
    }

    // The menu command on the open company.
    ASSERT_TRUE(host->OpenCompany(sound, false));
    QAction* check = hosttest::FindAction(host->MainForm()->SistemMenu(), "&Verificare firma");
    ASSERT_NE(check, nullptr);
    check->trigger();
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Kind, fw::TMsgDlgType::Information);
    EXPECT_TRUE(messages.Last().Text.startsWith(QStringLiteral("Baza de date a firmei este in regula:\r")));
}

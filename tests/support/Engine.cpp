#include "Engine.h"

#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/db/ServerDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <unistd.h>

namespace testsupport {

namespace {

struct TServer {
    bool active = false;
    QString connInfo;
    QString unavailable;
};

const TServer& Server()
{
    static const TServer server = [] {
        TServer s;
        const QString value = qEnvironmentVariable("CORVANEL_TEST_PG").trimmed();
        if (value.isEmpty())
            return s;
        s.active = true;
        if (!value.startsWith(QLatin1Char('@'))) {
            s.connInfo = value;
            return s;
        }
        const QString file = value.mid(1);
        QFile info(file);
        if (info.open(QIODevice::ReadOnly))
            s.connInfo = QString::fromUtf8(info.readAll()).trimmed();
        if (s.connInfo.isEmpty()) {
            // The test command's server leaves the reason it did not start beside it.
            QFile why(QFileInfo(file).dir().filePath(QStringLiteral("unavailable")));
            s.unavailable = why.open(QIODevice::ReadOnly)
                                ? QString::fromUtf8(why.readAll()).trimmed()
                                : QStringLiteral("the PostgreSQL test server did not start (no %1)").arg(file);
        }
        return s;
    }();
    return server;
}

// Runs statements on the server outside the layer, on a connection of its own.
void OnServerDirectly(const fw::TServerDatabase& server, const QStringList& statements)
{
    static int serial = 0;
    const QString name = QStringLiteral("test-direct-%1").arg(++serial);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(server.Host);
        db.setPort(server.Port);
        db.setDatabaseName(server.Database);
        db.setUserName(server.User);
        if (db.open()) {
            QSqlQuery q(db);
            for (const QString& sql : statements)
                if (!q.exec(sql))
                    ADD_FAILURE() << sql.toStdString() << ": " << q.lastError().text().toStdString();
        }
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

bool OnServer() { return Server().active; }

QString ServerUnavailable() { return Server().unavailable; }

fw::TServerDatabase NewServerSchema()
{
    static int serial = 0;
    fw::TServerDatabase server = fw::TServerDatabase::FromConnectionString(Server().connInfo);
    server.Schema = QStringLiteral("t%1_%2_%3").arg(getpid()).arg(++serial).arg(QRandomGenerator::global()->bounded(1 << 20));
    return server;
}

std::shared_ptr<fw::Connection> UseTestEngine(const QString& directory)
{
    if (!OnServer() || !ServerUnavailable().isEmpty())
        return nullptr;
    NewServerSchema().Write(directory);
    return fw::Connection::Open(directory, fw::TOpenMode::CreateMissing);
}

void ForgetDatabase(const QString& directory)
{
    if (!OnServer())
        return;
    std::optional<fw::TServerDatabase> server;
    try {
        server = fw::TServerDatabase::Read(directory);
    } catch (const std::exception&) {
    }
    if (!server)
        return;
    // A test that left a transaction open must not make the next one wait for ever.
    OnServerDirectly(*server, {QStringLiteral("SET lock_timeout TO '5s'"), QStringLiteral("SET client_min_messages TO warning"),
                               QStringLiteral("DROP SCHEMA IF EXISTS \"%1\" CASCADE").arg(server->SchemaName())});
}

QSqlDatabase OtherConnection(const QString& directory, const QString& name)
{
    if (const std::optional<fw::TServerDatabase> server = fw::TServerDatabase::Read(directory)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(server->Host);
        db.setPort(server->Port);
        db.setDatabaseName(server->Database);
        db.setUserName(server->User);
        if (db.open())
            QSqlQuery(db).exec(QStringLiteral("SET search_path TO \"%1\"").arg(server->SchemaName()));
        return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(QDir(directory).filePath(fw::DatabaseFileName()));
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    db.open();
    return db;
}

struct TOtherTransaction::State {
    std::thread thread;
    bool sawWaiter = false;
    QStringList failures;
};

TOtherTransaction::TOtherTransaction(const QString& directory, const QStringList& statements)
    : state_(std::make_unique<State>())
{
    static std::atomic<int> serial{0};
    const QString name = QStringLiteral("other-transaction-%1").arg(++serial);
    std::promise<void> ran;
    std::future<void> statementsRan = ran.get_future();
    state_->thread = std::thread([this, directory, statements, name, ran = std::move(ran)]() mutable {
        {
            QSqlDatabase db = OtherConnection(directory, name);
            QSqlQuery q(db);
            const bool server = db.driverName() == QLatin1String("QPSQL");
            for (const QString& sql : QStringList{server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")} + statements)
                if (!q.exec(sql))
                    state_->failures << sql + QStringLiteral(": ") + q.lastError().text();
            ran.set_value();
            if (server) {
                // Whoever waits for a row this transaction locked waits for its identifier.
                for (int waited = 0; waited < 5000 && !state_->sawWaiter; waited += 20) {
                    QThread::msleep(20);
                    state_->sawWaiter = q.exec(QStringLiteral("SELECT COUNT(*) FROM pg_locks WHERE NOT granted AND "
                                                              "transactionid::text = txid_current()::text"))
                                        && q.next() && q.value(0).toInt() > 0;
                }
            } else {
                QThread::msleep(300);
            }
            if (!q.exec(QStringLiteral("COMMIT")))
                state_->failures << QStringLiteral("COMMIT: ") + q.lastError().text();
        }
        QSqlDatabase::removeDatabase(name);
    });
    statementsRan.wait();
}

TOtherTransaction::~TOtherTransaction()
{
    if (state_->thread.joinable())
        state_->thread.join();
}

bool TOtherTransaction::Finish()
{
    if (state_->thread.joinable())
        state_->thread.join();
    EXPECT_TRUE(state_->failures.isEmpty()) << state_->failures.join('\n').toStdString();
    return state_->sawWaiter;
}

QString RowIdColumn() { return OnServer() ? QStringLiteral("fw_rowid") : QStringLiteral("rowid"); }

void AddRefusingTrigger(const QString& directory, const QString& table, const QString& when, const QString& message)
{
    auto conn = fw::Connection::Open(directory);
    if (conn->Engine() == fw::TEngine::SQLite) {
        conn->Exec(QStringLiteral("CREATE TRIGGER refuse_%1 %2 ON %1 BEGIN SELECT RAISE(ABORT, '%3'); END").arg(table, when, message));
        return;
    }
    conn->Exec(QStringLiteral("CREATE OR REPLACE FUNCTION refuse_%1() RETURNS trigger LANGUAGE plpgsql AS "
                              "$$BEGIN RAISE EXCEPTION '%2'; END$$")
                   .arg(table, message));
    conn->Exec(QStringLiteral("CREATE TRIGGER refuse_%1 %2 ON %1 FOR EACH ROW EXECUTE PROCEDURE refuse_%1()").arg(table, when));
}

void DropRefusingTrigger(const QString& directory, const QString& table)
{
    auto conn = fw::Connection::Open(directory);
    conn->Exec(conn->Engine() == fw::TEngine::SQLite ? QStringLiteral("DROP TRIGGER IF EXISTS refuse_%1").arg(table)
                                                     : QStringLiteral("DROP TRIGGER IF EXISTS refuse_%1 ON %1").arg(table));
}

} // namespace testsupport

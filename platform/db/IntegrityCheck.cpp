#include "platform/db/IntegrityCheck.h"

#include "platform/core/Exceptions.h"
#include "platform/db/Database.h"
#include "platform/db/DbMessages.h"
#include "platform/db/ServerDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <algorithm>
#include <utility>
#include <vector>

namespace fw {

namespace {

class TReadOnlyDb {
public:
    explicit TReadOnlyDb(const QString& file)
    {
        const QByteArray name = QFile::encodeName(file);
        if (sqlite3_open_v2(name.constData(), &db_, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK)
            sqlite3_busy_timeout(db_, 10000);
    }
    ~TReadOnlyDb() { sqlite3_close_v2(db_); }
    TReadOnlyDb(const TReadOnlyDb&) = delete;
    TReadOnlyDb& operator=(const TReadOnlyDb&) = delete;

    // Asks `keepGoing` every so many steps of the engine; false interrupts the statement.
    void WhileRunning(std::function<bool()> keepGoing)
    {
        keepGoing_ = std::move(keepGoing);
        if (db_)
            sqlite3_progress_handler(db_, keepGoing_ ? 10000 : 0, &TReadOnlyDb::Step, this);
    }
    bool Interrupted() const { return db_ && sqlite3_errcode(db_) == SQLITE_INTERRUPT; }

    QString Error() const { return db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : dbmsg::OutOfMemory(); }

    // Runs a statement and hands over the first column of each row; false on an error.
    bool Each(const QString& sql, const std::function<void(sqlite3_stmt*)>& row)
    {
        sqlite3_stmt* st = nullptr;
        const QByteArray text = sql.toUtf8();
        if (!db_ || sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &st, nullptr) != SQLITE_OK)
            return false;
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            row(st);
        sqlite3_finalize(st);
        return rc == SQLITE_DONE;
    }

private:
    static int Step(void* self) { return static_cast<TReadOnlyDb*>(self)->keepGoing_() ? 0 : 1; }

    sqlite3* db_ = nullptr;
    std::function<bool()> keepGoing_;
};

QString Quoted(QString name) { return QLatin1Char('"') + name.replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"'); }

QString Text(sqlite3_stmt* st, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)));
}

} // namespace

TIntegrityReport CheckDatabaseIntegrity(const QString& directory, const TIntegrityProgress& progress)
{
    TIntegrityReport report;
    try {
        if (const std::optional<TServerDatabase> server = TServerDatabase::Read(directory))
            return CheckServerIntegrity(*server, progress);
    } catch (const EDatabaseError& e) {
        report.Problems << e.Message();
        return report;
    }
    const QString file = QDir(directory).filePath(DatabaseFileName());
    if (!QFileInfo(file).isFile()) {
        report.Problems << QStringLiteral("unable to open database file");
        return report;
    }
    TReadOnlyDb db(file);
    // The tables and a weight for each: the largest row id stands for the row count at
    // the cost of one seek.
    std::vector<TTableToCheck> tables;
    if (!db.Each(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                                "ORDER BY name"),
                 [&](sqlite3_stmt* st) { tables.push_back({Text(st, 0), 1}); })) {
        report.Problems << db.Error();
        return report;
    }
    for (TTableToCheck& table : tables)
        db.Each(QStringLiteral("SELECT MAX(rowid) FROM %1").arg(Quoted(table.Name)),
                [&](sqlite3_stmt* st) { table.Weight = std::max<qint64>(1, sqlite3_column_int64(st, 0)); });
    return CheckTables(tables, progress, [&](const TTableToCheck& table, const std::function<bool()>& keepGoing) {
        TTableCheckResult result;
        if (progress)
            db.WhileRunning(keepGoing);
        const bool ran = db.Each(QStringLiteral("PRAGMA integrity_check(%1)").arg(Quoted(table.Name)), [&](sqlite3_stmt* st) {
            const QString finding = Text(st, 0);
            if (finding != QLatin1String("ok"))
                result.Findings << QStringLiteral("%1: %2").arg(table.Name, finding);
        });
        result.Stopped = !ran && db.Interrupted();
        if (!ran && !result.Stopped)
            result.Findings << QStringLiteral("%1: %2").arg(table.Name, db.Error());
        return result;
    });
}

TIntegrityReport CheckTables(const std::vector<TTableToCheck>& tables, const TIntegrityProgress& progress,
                             const TCheckTable& check)
{
    TIntegrityReport report;
    qint64 total = 0;
    for (const TTableToCheck& table : tables)
        total += table.Weight;
    qint64 done = 0;
    for (const TTableToCheck& table : tables) {
        if (progress && !progress(done, total, table.Name)) {
            report.Stopped = true;
            return report;
        }
        const TTableCheckResult result = check(table, [&] { return !progress || progress(done, total, table.Name); });
        if (result.Stopped) {
            report.Stopped = true;
            return report;
        }
        report.Problems << result.Findings;
        done += table.Weight;
    }
    if (progress)
        progress(total, total, QString());
    report.Ok = report.Problems.isEmpty();
    return report;
}

} // namespace fw

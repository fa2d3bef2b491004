#include "platform/db/IntegrityCheck.h"

#include "platform/db/Database.h"

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

    QString Error() const { return db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory"); }

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
    const QString file = QDir(directory).filePath(DatabaseFileName());
    if (!QFileInfo(file).isFile()) {
        report.Problems << QStringLiteral("unable to open database file");
        return report;
    }
    TReadOnlyDb db(file);
    // The tables and a weight for each: the largest row id stands for the row count at
    // the cost of one seek.
    std::vector<std::pair<QString, qint64>> tables;
    if (!db.Each(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%' "
                                "ORDER BY name"),
                 [&](sqlite3_stmt* st) { tables.emplace_back(Text(st, 0), 1); })) {
        report.Problems << db.Error();
        return report;
    }
    qint64 total = 0;
    for (auto& [name, weight] : tables) {
        db.Each(QStringLiteral("SELECT MAX(rowid) FROM %1").arg(Quoted(name)),
                [&](sqlite3_stmt* st) { weight = std::max<qint64>(1, sqlite3_column_int64(st, 0)); });
        total += weight;
    }
    qint64 done = 0;
    for (const auto& [name, weight] : tables) {
        if (progress && !progress(done, total, name)) {
            report.Stopped = true;
            return report;
        }
        if (progress)
            db.WhileRunning([&, table = name] { return progress(done, total, table); });
        const bool ran = db.Each(QStringLiteral("PRAGMA integrity_check(%1)").arg(Quoted(name)), [&](sqlite3_stmt* st) {
            const QString finding = Text(st, 0);
            if (finding != QLatin1String("ok"))
                report.Problems << QStringLiteral("%1: %2").arg(name, finding);
        });
        if (!ran && db.Interrupted()) {
            report.Stopped = true;
            return report;
        }
        if (!ran)
            report.Problems << QStringLiteral("%1: %2").arg(name, db.Error());
        done += weight;
    }
    if (progress)
        progress(total, total, QString());
    report.Ok = report.Problems.isEmpty();
    return report;
}

} // namespace fw

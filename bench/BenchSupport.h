#pragma once

// What the benchmarks share: a company database file written straight through SQLite (so
// that building a million rows takes seconds), and the program around the benchmarks.

#include "RatioReporter.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/ServerDatabase.h"
#include "platform/schema/CompanyMigration.h"
#include "platform/schema/CompanyTables.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QString>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <regex>
#include <string>

namespace bench {

// The PostgreSQL server the benchmarks measure beside SQLite: CORVANEL_TEST_PG, a
// connection string or "@" and a file holding one (as tools/pg-test-server.sh gives it).
// Nothing, and one line saying so, when none is named.
inline std::optional<fw::TServerDatabase> BenchServer()
{
    QString text = qEnvironmentVariable("CORVANEL_TEST_PG").trimmed();
    if (text.startsWith(QLatin1Char('@'))) {
        QFile file(text.mid(1));
        text = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).trimmed() : QString();
    }
    if (text.isEmpty()) {
        std::printf("PostgreSQL half skipped: no server named (run through tools/pg-test-server.sh run, or set "
                    "CORVANEL_TEST_PG)\n");
        return std::nullopt;
    }
    return fw::TServerDatabase::FromConnectionString(text);
}

// A company directory `dir` whose tables are on the server (schema `schema`, made anew),
// holding what the SQLite company in `sqliteDir` holds; the copy is timed and said. False,
// with one line saying why, when the server cannot be used.
inline bool CopyToServer(const QString& sqliteDir, fw::TServerDatabase server, const QString& dir, const QString& schema)
{
    QDir().mkpath(dir);
    server.Schema = schema;
    server.Write(dir);
    try {
        auto conn = fw::Connection::Open(dir, fw::TOpenMode::CreateMissing);
        for (const QString& table : conn->TableNames())
            conn->DropTable(table);
        QElapsedTimer timer;
        timer.start();
        fw::MigrateCompany(sqliteDir, dir);
        // Measured as a company the server has settled: statistics for its planner, and
        // the pages marked visible so that a covering index answers alone, rather than
        // with the background vacuum arriving in the middle of the measurements.
        conn->Exec(QStringLiteral("VACUUM ANALYZE"));
        std::printf("copied %s to the server in %.1f s\n", qPrintable(QDir(sqliteDir).dirName()), double(timer.elapsed()) / 1000);
        return true;
    } catch (const fw::EDatabaseError& e) {
        std::printf("PostgreSQL half skipped: %s\n", qPrintable(e.Message()));
        return false;
    }
}

// The companies `<root>/c10k` and `<root>/c1m` copied onto the benchmark server as
// `<root>/pg10k` and `<root>/pg1m`, and held open as a host holds its company's; empty when
// there is no server to use.
inline std::vector<std::shared_ptr<fw::Connection>> CopyPairToServer(const QString& root, const QString& schemaPrefix)
{
    const auto server = BenchServer();
    if (!server || !CopyToServer(root + "/c10k", *server, root + "/pg10k", schemaPrefix + "10k")
        || !CopyToServer(root + "/c1m", *server, root + "/pg1m", schemaPrefix + "1m"))
        return {};
    return {fw::Connection::Open(root + "/pg10k"), fw::Connection::Open(root + "/pg1m")};
}

// Creates the tables file of a company directory with a schema (SQL statements) and
// begins the transaction that the rows go in; EndDatabase commits and closes it.
inline sqlite3* BeginDatabase(const QString& dir, const char* schema)
{
    QDir().mkpath(dir);
    sqlite3* db = nullptr;
    sqlite3_open((dir + QStringLiteral("/tables.sqlite")).toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL;", nullptr, nullptr, nullptr);
    sqlite3_exec(db, schema, nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN;", nullptr, nullptr, nullptr);
    return db;
}

inline void EndDatabase(sqlite3* db)
{
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// Runs SQL straight on a file being built; a failure is said, the building goes on.
inline void Exec(sqlite3* db, const char* sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, error);
        sqlite3_free(error);
    }
}

// Runs an insert once per row, binding what `bind` sets for that row.
inline void InsertRows(sqlite3* db, const char* sql, int rows, const std::function<void(sqlite3_stmt*, int)>& bind)
{
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    for (int i = 0; i < rows; ++i) {
        bind(st, i);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
}

inline void Text(sqlite3_stmt* st, int column, const QByteArray& text)
{
    sqlite3_bind_text(st, column, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

// The company's tables as the host creates them, in a new company directory.
inline void CreateTables(const QString& company, const std::vector<fw::TTableLayout>& tables)
{
    QDir().mkpath(company);
    for (const fw::TTableLayout& table : tables)
        fw::CreateCompanyTable(company, table);
}

// An empty company as the host and the add-on make it (with its private directory), its
// database opened for writing straight through SQLite.
inline sqlite3* CreateCompany(const QString& company)
{
    QDir().mkpath(company + "/private");
    std::vector<fw::TTableLayout> tables = fw::HostTables();
    tables.push_back(fw::RecipeTable());
    for (const fw::TTableLayout* own : fw::AddOnOwnTables())
        tables.push_back(*own);
    CreateTables(company, tables);
    sqlite3* db = nullptr;
    sqlite3_open((company + "/tables.sqlite").toUtf8().constData(), &db);
    return db;
}

// Whether the benchmarks' filter (`--benchmark_filter`, a regular expression, "-" before it
// for all but those) lets a benchmark of this full name run: a program builds only the data
// that its chosen benchmarks read. Any doubt (a filter the expression cannot read) says yes.
inline bool Wanted(const std::string& name)
{
    std::string filter = benchmark::GetBenchmarkFilter();
    if (filter.empty() || filter == "all")
        return true;
    const bool negative = filter.front() == '-';
    if (negative)
        filter.erase(0, 1);
    try {
        return std::regex_search(name, std::regex(filter, std::regex::extended)) != negative;
    } catch (const std::regex_error&) {
        return true;
    }
}

// An offscreen application, the data built, the benchmarks run, then what to say of them.
inline int RunBenchmarks(int argc, char** argv, const std::function<void()>& build,
                         const std::function<void(RatioReporter&)>& summary)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv); // before building, so that `build` may ask Wanted
    build();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    summary(reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace bench

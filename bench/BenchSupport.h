#pragma once

// What the benchmarks share: a company database file written straight through SQLite (so
// that building a million rows takes seconds), and the program around the benchmarks.

#include "RatioReporter.h"

#include <QApplication>
#include <QDir>
#include <QString>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <functional>

namespace bench {

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

// An offscreen application, the data built, the benchmarks run, then what to say of them.
inline int RunBenchmarks(int argc, char** argv, const std::function<void()>& build,
                         const std::function<void(RatioReporter&)>& summary)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    build();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    summary(reporter);
    benchmark::Shutdown();
    return 0;
}

} // namespace bench

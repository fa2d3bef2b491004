// The dataset layer against the raw SQLite C API on the same files, and on a PostgreSQL
// server (when one is named) against a raw libpq loop on the same tables, in the same run:
// walking a table, key searches, changing rows one by one, and the first steps on a
// million-row table (what the add-on does to the host's stock and document tables).
#include "platform/db/Table.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include "BenchSupport.h"
#include "RatioReporter.h"
#include <libpq-fe.h>

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

using namespace fw;

namespace {

QTemporaryDir* g_dir = nullptr;
QString Dir(const char* sub) { return g_dir->path() + "/" + sub; }

// Builds a table of `rows` stock lots straight through SQLite, keyed by (Cod_grupa, Cod_articol, Lot).
void Build(const QString& dir, int rows)
{
    QDir().mkpath(dir);
    sqlite3* db = nullptr;
    sqlite3_open((dir + "/tables.sqlite").toUtf8().constData(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL;"
                 "CREATE TABLE Stoc (Cantitate DOUBLE, Cod_articol VARCHAR(30), Cod_grupa VARCHAR(8),"
                 " Cod_gestiune VARCHAR(4), Pret_achizitie DOUBLE, Lot VARCHAR(30), Agent VARCHAR(3),"
                 " PRIMARY KEY (Cod_grupa, Cod_articol, Lot));"
                 "BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Stoc VALUES (?,?,?,?,?,?,?)", -1, &st, nullptr);
    for (int i = 0; i < rows; ++i) {
        char art[32], grp[16], lot[32];
        std::snprintf(art, sizeof art, ".M%05d", i % 5000);
        std::snprintf(grp, sizeof grp, "%02d", i % 7);
        std::snprintf(lot, sizeof lot, "L%08d", i);
        sqlite3_bind_double(st, 1, 1.0 + i % 13);
        sqlite3_bind_text(st, 2, art, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, grp, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 4, "_MP1", -1, SQLITE_STATIC);
        sqlite3_bind_double(st, 5, 2.5);
        sqlite3_bind_text(st, 6, lot, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 7, "ADM", -1, SQLITE_STATIC);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

std::unique_ptr<TTable> StockTable(const QString& dir)
{
    auto t = std::make_unique<TTable>();
    t->SetDatabaseName(dir);
    t->SetTableName("Stoc.DB");
    t->AddField("Cantitate", TFieldType::Float);
    t->AddField("Cod_articol", TFieldType::String, 30);
    t->AddField("Cod_grupa", TFieldType::String, 8);
    t->AddField("Cod_gestiune", TFieldType::String, 4);
    t->AddField("Pret_achizitie", TFieldType::Float);
    t->AddField("Lot", TFieldType::String, 30);
    t->AddField("Agent", TFieldType::String, 3);
    return t;
}

long PeakKb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

void Walk_Dataset(benchmark::State& state, const char* dir)
{
    auto t = StockTable(Dir(dir));
    for (auto _ : state) {
        t->Open();
        double sum = 0;
        TField* q = t->FieldByName("Cantitate");
        TField* lot = t->FieldByName("Lot");
        while (!t->Eof()) {
            sum += q->AsFloat();
            benchmark::DoNotOptimize(lot->AsString());
            t->Next();
        }
        benchmark::DoNotOptimize(sum);
        t->Close();
    }
}

void Walk_RawSqlite(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open((Dir("walk") + "/tables.sqlite").toUtf8().constData(), &db);
    for (auto _ : state) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT rowid, Cantitate, Cod_articol, Cod_grupa, Cod_gestiune, Pret_achizitie, Lot, Agent "
                           "FROM Stoc ORDER BY Cod_grupa, Cod_articol, Lot, rowid",
                           -1, &st, nullptr);
        double sum = 0;
        while (sqlite3_step(st) == SQLITE_ROW) {
            sum += sqlite3_column_double(st, 1);
            // Read every column, as a dataset record holds them.
            for (int c = 2; c < 8; ++c)
                benchmark::DoNotOptimize(sqlite3_column_text(st, c));
        }
        sqlite3_finalize(st);
        benchmark::DoNotOptimize(sum);
    }
    sqlite3_close(db);
}

void FindKey_Dataset(benchmark::State& state, const char* dir)
{
    auto t = StockTable(Dir(dir));
    t->Open();
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < 10000; ++k, ++i) {
            char art[32], lot[32];
            std::snprintf(art, sizeof art, ".M%05d", (i * 7919) % 5000);
            const int row = (i * 7919) % 100000;
            std::snprintf(lot, sizeof lot, "L%08d", row);
            const bool found = t->FindKey({QString("%1").arg(row % 7, 2, 10, QChar('0')), QString(".M%1").arg(row % 5000, 5, 10, QChar('0')),
                                           QString::fromLatin1(lot)});
            benchmark::DoNotOptimize(found);
        }
    }
}

void FindKey_RawSqlite(benchmark::State& state)
{
    sqlite3* db = nullptr;
    sqlite3_open((Dir("walk") + "/tables.sqlite").toUtf8().constData(), &db);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT rowid, Cantitate, Cod_articol, Cod_grupa, Cod_gestiune, Pret_achizitie, Lot, Agent FROM Stoc "
                       "WHERE Cod_grupa = ? AND Cod_articol = ? AND Lot = ? ORDER BY Cod_grupa, Cod_articol, Lot, rowid LIMIT 1",
                       -1, &st, nullptr);
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < 10000; ++k, ++i) {
            const int row = (i * 7919) % 100000;
            char grp[8], art[32], lot[32];
            std::snprintf(grp, sizeof grp, "%02d", row % 7);
            std::snprintf(art, sizeof art, ".M%05d", row % 5000);
            std::snprintf(lot, sizeof lot, "L%08d", row);
            sqlite3_bind_text(st, 1, grp, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, art, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, lot, -1, SQLITE_TRANSIENT);
            if (sqlite3_step(st) == SQLITE_ROW)
                for (int c = 1; c < 8; ++c)
                    benchmark::DoNotOptimize(sqlite3_column_text(st, c));
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

// Changing one lot at a time, as a user or the consumption of stock does: the dataset
// reads the row again when the edit begins and writes it only while it holds what was read.
void EditPost_Dataset(benchmark::State& state, const char* dir)
{
    auto t = StockTable(Dir(dir));
    t->Open();
    TField* q = t->FieldByName("Cantitate");
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < 1000; ++k, ++i) {
            const int row = (i * 7919) % 100000;
            char lot[32];
            std::snprintf(lot, sizeof lot, "L%08d", row);
            t->FindKey({QString("%1").arg(row % 7, 2, 10, QChar('0')), QString(".M%1").arg(row % 5000, 5, 10, QChar('0')),
                        QString::fromLatin1(lot)});
            t->Edit();
            q->SetAsFloat(q->AsFloat() + 1);
            t->Post();
        }
    }
}

// `apart`: the search's statement is done with before the change is written, as a program
// that reads a row, lets the user work and then writes must do; otherwise the change runs
// inside the search's read transaction and the two statements share one.
void EditPost_RawSqlite(benchmark::State& state, bool apart)
{
    sqlite3* db = nullptr;
    sqlite3_open((Dir("walk") + "/tables.sqlite").toUtf8().constData(), &db);
    // Commits as the dataset layer's connection makes them.
    sqlite3_exec(db, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    sqlite3_stmt* find = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT rowid, Cantitate, Cod_articol, Cod_grupa, Cod_gestiune, Pret_achizitie, Lot, Agent FROM Stoc "
                       "WHERE Cod_grupa = ? AND Cod_articol = ? AND Lot = ? LIMIT 1",
                       -1, &find, nullptr);
    sqlite3_stmt* update = nullptr;
    sqlite3_prepare_v2(db, "UPDATE Stoc SET Cantitate = ? WHERE rowid = ?", -1, &update, nullptr);
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < 1000; ++k, ++i) {
            const int row = (i * 7919) % 100000;
            char grp[8], art[32], lot[32];
            std::snprintf(grp, sizeof grp, "%02d", row % 7);
            std::snprintf(art, sizeof art, ".M%05d", row % 5000);
            std::snprintf(lot, sizeof lot, "L%08d", row);
            sqlite3_bind_text(find, 1, grp, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(find, 2, art, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(find, 3, lot, -1, SQLITE_TRANSIENT);
            if (sqlite3_step(find) == SQLITE_ROW) {
                sqlite3_bind_double(update, 1, sqlite3_column_double(find, 1) + 1);
                sqlite3_bind_int64(update, 2, sqlite3_column_int64(find, 0));
                if (apart)
                    sqlite3_reset(find);
                sqlite3_step(update);
                sqlite3_reset(update);
            }
            sqlite3_reset(find);
        }
    }
    sqlite3_finalize(find);
    sqlite3_finalize(update);
    sqlite3_close(db);
}

void Million_OpenFindKeyAppend(benchmark::State& state, const char* dir)
{
    static int n = 0;
    for (auto _ : state) {
        auto t = StockTable(Dir(dir));
        t->Open();
        const bool found = t->FindKey({"03", ".M02345", "L00502345"});
        benchmark::DoNotOptimize(found);
        t->Append();
        t->FieldByName("Cod_grupa")->SetAsString("99");
        t->FieldByName("Cod_articol")->SetAsString(".NOU");
        t->FieldByName("Lot")->SetAsString(QString("BENCH%1").arg(n++));
        t->FieldByName("Cantitate")->SetAsFloat(1);
        t->Post();
        t->Close();
    }
    state.counters["peak_rss_MB"] = double(PeakKb()) / 1024.0;
}

void Million_OpenFirst50(benchmark::State& state, const char* dir)
{
    for (auto _ : state) {
        auto t = StockTable(Dir(dir));
        t->Open();
        double sum = 0;
        for (int i = 0; i < 50 && !t->Eof(); ++i) {
            sum += t->FieldByName("Cantitate")->AsFloat();
            t->Next();
        }
        benchmark::DoNotOptimize(sum);
        t->Close();
    }
    state.counters["peak_rss_MB"] = double(PeakKb()) / 1024.0;
}

// ---------------------------------------------------------------- the same on a server

const char* const kSelect = "SELECT fw_rowid, cantitate, cod_articol, cod_grupa, cod_gestiune, pret_achizitie, lot, agent FROM stoc";

// A raw connection to the server's copy of a company, with its schema in the search path.
PGconn* RawServer(const QString& dir)
{
    const fw::TServerDatabase s = *fw::TServerDatabase::Read(Dir(qPrintable(dir)));
    const QByteArray host = s.Host.toUtf8(), port = QByteArray::number(s.Port), db = s.Database.toUtf8(), user = s.User.toUtf8();
    const char* keys[] = {"host", "port", "dbname", "user", nullptr};
    const char* values[] = {host.constData(), port.constData(), db.constData(), user.constData(), nullptr};
    PGconn* pg = PQconnectdbParams(keys, values, 0);
    PQclear(PQexec(pg, ("SET search_path TO " + s.SchemaName().toUtf8()).constData()));
    return pg;
}

void Walk_RawLibpq(benchmark::State& state)
{
    PGconn* pg = RawServer("pgwalk");
    const QByteArray sql = QByteArray(kSelect) + " ORDER BY cod_grupa NULLS FIRST, cod_articol NULLS FIRST, lot NULLS FIRST, fw_rowid";
    for (auto _ : state) {
        PGresult* r = PQexec(pg, sql.constData());
        double sum = 0;
        for (int i = 0; i < PQntuples(r); ++i) {
            sum += std::strtod(PQgetvalue(r, i, 1), nullptr);
            // Read every column, as a dataset record holds them.
            for (int c = 2; c < 8; ++c)
                benchmark::DoNotOptimize(PQgetvalue(r, i, c));
        }
        PQclear(r);
        benchmark::DoNotOptimize(sum);
    }
    PQfinish(pg);
}

// A key of the walk table as text: group, article, lot.
std::array<QByteArray, 3> Key(int i)
{
    const int row = (i * 7919) % 100000;
    return {QByteArray::number(row % 7).rightJustified(2, '0'), ".M" + QByteArray::number(row % 5000).rightJustified(5, '0'),
            "L" + QByteArray::number(row).rightJustified(8, '0')};
}

void FindKey_RawLibpq(benchmark::State& state)
{
    PGconn* pg = RawServer("pgwalk");
    PQclear(PQprepare(pg, "find",
                      (QByteArray(kSelect) + " WHERE cod_grupa = $1 AND cod_articol = $2 AND lot = $3 ORDER BY cod_grupa, "
                                             "cod_articol, lot, fw_rowid LIMIT 1")
                          .constData(),
                      0, nullptr));
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < 10000; ++k, ++i) {
            const auto key = Key(i);
            const char* values[] = {key[0].constData(), key[1].constData(), key[2].constData()};
            PGresult* r = PQexecPrepared(pg, "find", 3, values, nullptr, nullptr, 0);
            if (PQntuples(r) > 0)
                for (int c = 1; c < 8; ++c)
                    benchmark::DoNotOptimize(PQgetvalue(r, 0, c));
            PQclear(r);
        }
    }
    PQfinish(pg);
}

void EditPost_RawLibpq(benchmark::State& state)
{
    PGconn* pg = RawServer("pgwalk");
    PQclear(PQprepare(pg, "find", (QByteArray(kSelect) + " WHERE cod_grupa = $1 AND cod_articol = $2 AND lot = $3 LIMIT 1").constData(),
                      0, nullptr));
    PQclear(PQprepare(pg, "update", "UPDATE stoc SET cantitate = $1 WHERE fw_rowid = $2", 0, nullptr));
    int i = 0;
    for (auto _ : state) {
        for (int k = 0; k < 1000; ++k, ++i) {
            const auto key = Key(i);
            const char* values[] = {key[0].constData(), key[1].constData(), key[2].constData()};
            PGresult* r = PQexecPrepared(pg, "find", 3, values, nullptr, nullptr, 0);
            if (PQntuples(r) > 0) {
                const QByteArray quantity = QByteArray::number(std::strtod(PQgetvalue(r, 0, 1), nullptr) + 1);
                const char* update[] = {quantity.constData(), PQgetvalue(r, 0, 0)};
                PQclear(PQexecPrepared(pg, "update", 2, update, nullptr, nullptr, 0));
            }
            PQclear(r);
        }
    }
    PQfinish(pg);
}

void Register(bool server)
{
    auto add = [](const char* name, auto&& fn, double minTime) {
        benchmark::RegisterBenchmark(name, fn)->Unit(benchmark::kMillisecond)->MinTime(minTime);
    };
    add("Walk_Dataset", [](benchmark::State& s) { Walk_Dataset(s, "walk"); }, 2.0);
    add("Walk_RawSqlite", Walk_RawSqlite, 2.0);
    add("FindKey_Dataset", [](benchmark::State& s) { FindKey_Dataset(s, "walk"); }, 2.0);
    add("FindKey_RawSqlite", FindKey_RawSqlite, 2.0);
    add("EditPost_Dataset", [](benchmark::State& s) { EditPost_Dataset(s, "walk"); }, 2.0);
    add("EditPost_RawSqlite", [](benchmark::State& s) { EditPost_RawSqlite(s, false); }, 2.0);
    add("EditPost_RawSqliteApart", [](benchmark::State& s) { EditPost_RawSqlite(s, true); }, 2.0);
    add("Million_OpenFindKeyAppend", [](benchmark::State& s) { Million_OpenFindKeyAppend(s, "million"); }, 1.0);
    add("Million_OpenFirst50", [](benchmark::State& s) { Million_OpenFirst50(s, "million"); }, 1.0);
    if (!server)
        return;
    add("Walk_Dataset_Pg", [](benchmark::State& s) { Walk_Dataset(s, "pgwalk"); }, 2.0);
    add("Walk_RawLibpq", Walk_RawLibpq, 2.0);
    add("FindKey_Dataset_Pg", [](benchmark::State& s) { FindKey_Dataset(s, "pgwalk"); }, 2.0);
    add("FindKey_RawLibpq", FindKey_RawLibpq, 2.0);
    add("EditPost_Dataset_Pg", [](benchmark::State& s) { EditPost_Dataset(s, "pgwalk"); }, 2.0);
    add("EditPost_RawLibpq", EditPost_RawLibpq, 2.0);
    add("Million_OpenFindKeyAppend_Pg", [](benchmark::State& s) { Million_OpenFindKeyAppend(s, "pgmillion"); }, 1.0);
    add("Million_OpenFirst50_Pg", [](benchmark::State& s) { Million_OpenFirst50(s, "pgmillion"); }, 1.0);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    benchmark::Initialize(&argc, argv);
    // The million-row table only for a filter that runs one of its benchmarks (building it
    // takes most of a run under callgrind).
    const bool million = bench::Wanted("Million_OpenFindKeyAppend/min_time:1.000") || bench::Wanted("Million_OpenFirst50/min_time:1.000")
                         || bench::Wanted("Million_OpenFindKeyAppend_Pg/min_time:1.000")
                         || bench::Wanted("Million_OpenFirst50_Pg/min_time:1.000");
    std::printf(million ? "building 100,000 and 1,000,000-row stock tables...\n" : "building a 100,000-row stock table...\n");
    Build(Dir("walk"), 100000);
    if (million)
        Build(Dir("million"), 1000000);
    std::printf("peak RSS after building: %.1f MB\n", double(PeakKb()) / 1024.0);
    bool server = false;
    // Held open as a host holds its company's: a server's connection is not made anew
    // for each table opened.
    std::vector<std::shared_ptr<fw::Connection>> held;
    if (const auto s = bench::BenchServer())
        server = bench::CopyToServer(Dir("walk"), *s, Dir("pgwalk"), QStringLiteral("bench_walk"))
                 && (!million || bench::CopyToServer(Dir("million"), *s, Dir("pgmillion"), QStringLiteral("bench_million")));
    if (server) {
        held = {fw::Connection::Open(Dir("pgwalk"))};
        if (million)
            held.push_back(fw::Connection::Open(Dir("pgmillion")));
    }
    Register(server);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* op : {"Walk", "FindKey", "EditPost"}) {
        reporter.PrintRatio(std::string(op) + "_Dataset/min_time:2.000", std::string(op) + "_RawSqlite/min_time:2.000");
        reporter.PrintRatio(std::string(op) + "_Dataset_Pg/min_time:2.000", std::string(op) + "_RawLibpq/min_time:2.000");
    }
    reporter.PrintRatio("EditPost_Dataset/min_time:2.000", "EditPost_RawSqliteApart/min_time:2.000");
    benchmark::Shutdown();
    return 0;
}

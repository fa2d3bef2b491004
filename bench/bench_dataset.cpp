// The dataset layer against the raw SQLite C API on the same files, in the same run:
// walking a table, key searches, changing rows one by one, and the first steps on a
// million-row table (what the add-on does to the host's stock and document tables).
#include "platform/db/Table.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <cstdio>
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

void Walk_Dataset(benchmark::State& state)
{
    auto t = StockTable(Dir("walk"));
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

void FindKey_Dataset(benchmark::State& state)
{
    auto t = StockTable(Dir("walk"));
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
void EditPost_Dataset(benchmark::State& state)
{
    auto t = StockTable(Dir("walk"));
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

void EditPost_RawSqlite(benchmark::State& state)
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

void Million_OpenFindKeyAppend(benchmark::State& state)
{
    static int n = 0;
    for (auto _ : state) {
        auto t = StockTable(Dir("million"));
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

void Million_OpenFirst50(benchmark::State& state)
{
    for (auto _ : state) {
        auto t = StockTable(Dir("million"));
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

BENCHMARK(Walk_Dataset)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Walk_RawSqlite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(FindKey_Dataset)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(FindKey_RawSqlite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(EditPost_Dataset)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(EditPost_RawSqlite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(Million_OpenFindKeyAppend)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Million_OpenFirst50)->Unit(benchmark::kMillisecond)->MinTime(1.0);


} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    g_dir = &dir;
    std::printf("building 100,000 and 1,000,000-row stock tables...\n");
    Build(Dir("walk"), 100000);
    Build(Dir("million"), 1000000);
    std::printf("peak RSS after building: %.1f MB\n", PeakKb() / 1024.0);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("Walk_Dataset/min_time:2.000", "Walk_RawSqlite/min_time:2.000");
    reporter.PrintRatio("FindKey_Dataset/min_time:2.000", "FindKey_RawSqlite/min_time:2.000");
    reporter.PrintRatio("EditPost_Dataset/min_time:2.000", "EditPost_RawSqlite/min_time:2.000");
    benchmark::Shutdown();
    return 0;
}

// Stock figures of a 50-row requirement against stock tables of 10,000 and 1,000,000 lots:
// the cost of a row must not grow with the size of the stock table.
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include "BenchSupport.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <map>
#include <memory>
#include <tuple>

using namespace corvanel;
using namespace fw;

namespace {

QTemporaryDir* g_dir = nullptr;

// A company with `lots` stock lots over 5,000 materials in three warehouses, and a
// 50-row requirement in the private directory.
void Build(const QString& company, int lots)
{
    QDir().mkpath(company);
    sqlite3* db = nullptr;
    sqlite3_open((company + "/tables.sqlite").toUtf8().constData(), &db);
    sqlite3_exec(db,
                 "PRAGMA journal_mode=WAL;"
                 "CREATE TABLE Stoc (Cantitate DOUBLE, Cod_articol VARCHAR(30), Cod_grupa VARCHAR(8),"
                 " Cod_gestiune VARCHAR(4), Pret_achizitie DOUBLE, Lot VARCHAR(30), Agent VARCHAR(3));"
                 "CREATE INDEX Stoc_ByArticle ON Stoc (Cod_grupa, Cod_articol);"
                 "CREATE TABLE CATALOG (Grupa VARCHAR(8), Cod VARCHAR(30), Denumire VARCHAR(255), Cont_TVA_Iesiri VARCHAR(20),"
                 " Cont_marfa VARCHAR(20), Unitate_masura VARCHAR(4), Moneda VARCHAR(3), Cont_cheltuieli VARCHAR(20),"
                 " Cont_accize VARCHAR(20), Cont_adaos VARCHAR(20), Cont_venituri VARCHAR(20), PRIMARY KEY (Grupa, Cod));"
                 "BEGIN;",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Stoc VALUES (?,?,'01',?,2.5,?,'ADM')", -1, &st, nullptr);
    static const char* warehouses[] = {"_MP1", "_MP2", "PF1"};
    for (int i = 0; i < lots; ++i) {
        char art[32], lot[32];
        std::snprintf(art, sizeof art, ".M%05d", i % 5000);
        std::snprintf(lot, sizeof lot, "L%08d", i);
        sqlite3_bind_double(st, 1, 1.0 + i % 7);
        sqlite3_bind_text(st, 2, art, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, warehouses[i % 3], -1, SQLITE_STATIC);
        sqlite3_bind_text(st, 4, lot, -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_prepare_v2(db, "INSERT INTO CATALOG (Grupa, Cod, Denumire) VALUES ('01', ?, 'Materie prima')", -1, &st, nullptr);
    for (int m = 0; m < 5000; ++m) {
        char art[32];
        std::snprintf(art, sizeof art, ".M%05d", m);
        sqlite3_bind_text(st, 1, art, -1, SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
    sqlite3_close(db);

    const QString priv = company + "/private";
    QDir().mkpath(priv);
    sqlite3_open((priv + "/tables.sqlite").toUtf8().constData(), &db);
    sqlite3_exec(db, "CREATE TABLE temp (Cod_Grupa VARCHAR(8), Cod_MatPrim VARCHAR(30), Cant DOUBLE, PRIMARY KEY (Cod_Grupa, Cod_MatPrim));",
                 nullptr, nullptr, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO temp VALUES ('01', ?, ?)", -1, &st, nullptr);
    for (int r = 0; r < 50; ++r) {
        char art[32];
        std::snprintf(art, sizeof art, ".M%05d", r * 97);
        sqlite3_bind_text(st, 1, art, -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(st, 2, 10.0);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

// Opens the requirement and reads every row's stock figures, as the grid does when it
// shows the requirement.
// The company `name` (its requirement in the private directory of `local`, the SQLite
// company it was copied from).
void StockFigures(benchmark::State& state, const char* name, const char* local)
{
    const QString company = g_dir->path() + "/" + name;
    TProductionContext context;
    TProductionData dm(context, nullptr);
    dm.ProductionDatabase->Params() << "PATH=" + company;
    TSession::AddAlias("KRB_PRIV", g_dir->path() + "/" + local + "/private");
    dm.Requirement().RequirementMaterialTable()->Open();
    double sum = 0;
    for (auto _ : state) {
        dm.Requirement().TempTable()->Open();
        while (!dm.Requirement().TempTable()->Eof()) {
            sum += dm.Requirement().TempTable()->FieldByName("StocFin")->AsFloat();
            dm.Requirement().TempTable()->Next();
        }
        dm.Requirement().TempTable()->Close();
    }
    benchmark::DoNotOptimize(sum);
    state.counters["per_row_ms"] = benchmark::Counter(50, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert) ;
}

void Register(bool server)
{
    for (const auto& [name, company, local] :
         {std::tuple{"Stock_10k", "c10k", "c10k"}, {"Stock_1M", "c1m", "c1m"}, {"Stock_10k_Pg", "pg10k", "c10k"},
          {"Stock_1M_Pg", "pg1m", "c1m"}}) {
        if (!server && QByteArray(company).startsWith("pg"))
            continue;
        benchmark::RegisterBenchmark(name, [company = company, local = local](benchmark::State& s) {
            StockFigures(s, company, local);
        })->Unit(benchmark::kMillisecond)->MinTime(2.0);
    }
}


} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    std::vector<std::shared_ptr<fw::Connection>> held;
    return bench::RunBenchmarks(
        argc, argv,
        [&] {
            std::printf("building stock tables of 10,000 and 1,000,000 lots...\n");
            Build(dir.path() + "/c10k", 10000);
            Build(dir.path() + "/c1m", 1000000);
            held = bench::CopyPairToServer(dir.path(), QStringLiteral("bench_stock"));
            Register(!held.empty());
        },
        [](RatioReporter& reporter) {
            for (const char* engine : {"", "_Pg"}) {
                const double small = reporter.times[std::string("Stock_10k") + engine + "/min_time:2.000"];
                const double large = reporter.times[std::string("Stock_1M") + engine + "/min_time:2.000"];
                if (small > 0 && large > 0)
                    std::printf("%s 50 rows: 10,000 lots %.3f ms, 1,000,000 lots %.3f ms (%.3f ms per row); ratio %.2fx\n",
                                *engine ? "PostgreSQL" : "SQLite", small, large, large / 50, large / small);
            }
        });
}

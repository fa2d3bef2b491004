// The farm gate at its size: 30 farmers delivering every day of a year, each delivery
// with its five results. A month's quality per farmer (three months of deliveries read)
// and a month's statement, from the database to the figures.
#include "milk/MilkQuality.h"
#include "milk/MilkStatement.h"
#include "platform/db/Connection.h"

#include "BenchSupport.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

QTemporaryDir* g_dir = nullptr;
constexpr int kFarmers = 30;
constexpr int kDays = 365;

QString Company() { return g_dir->path() + QStringLiteral("/milk"); }

void Build()
{
    sqlite3* db = bench::CreateCompany(Company());
    bench::Exec(db, "BEGIN");
    bench::InsertRows(db, "INSERT INTO Furn (Cod_furnizor, Nume_furnizor) VALUES (?, 'Ferma')", kFarmers,
                      [](sqlite3_stmt* st, int i) { bench::Text(st, 1, "F" + QByteArray::number(i)); });
    const auto day = [](int i) { return QDate(2026, 1, 1).addDays(i / kFarmers).toString(Qt::ISODate).toUtf8(); };
    bench::InsertRows(db,
                      "INSERT INTO LivrariLapte (Contor, Contor_secundar, Data, Cod_furnizor, Cod_grupa, Cod_articol, Lot, "
                      "Cod_gestiune, Litri, Kg) VALUES (?, 1, ?, ?, '01', '.LAPTE', ?, '_FRG', 1000, 1029)",
                      kFarmers * kDays, [&](sqlite3_stmt* st, int i) {
                          sqlite3_bind_int(st, 1, i + 1);
                          bench::Text(st, 2, day(i));
                          bench::Text(st, 3, "F" + QByteArray::number(i % kFarmers));
                          bench::Text(st, 4, "LL" + QByteArray::number(i + 1));
                      });
    const char* parameters[] = {"GRASIME", "PROTEINA", "NTG", "NCS", "INHIBITORI"};
    bench::InsertRows(db,
                      "INSERT INTO AnalizeLot (Cod_grupa, Cod_articol, Lot, Parametru, Valoare, Valoare_text, Data, Conform) "
                      "VALUES ('01', '.LAPTE', ?, ?, ?, ?, ?, 1)",
                      kFarmers * kDays * 5, [&](sqlite3_stmt* st, int r) {
                          const int i = r / 5, p = r % 5;
                          bench::Text(st, 1, "LL" + QByteArray::number(i + 1));
                          bench::Text(st, 2, parameters[p]);
                          const double values[] = {3.7 + 0.01 * (i % 7), 3.2, 50000.0 + 100 * (i % 13), 250000.0 + 1000 * (i % 11)};
                          if (p < 4)
                              sqlite3_bind_double(st, 3, values[p]);
                          else
                              bench::Text(st, 4, "negativ");
                          bench::Text(st, 5, day(i));
                      });
    bench::Exec(db, "COMMIT");
    sqlite3_close(db);
}

void BM_MonthQuality(benchmark::State& state)
{
    auto engine = fw::Connection::Open(Company());
    for (auto _ : state)
        benchmark::DoNotOptimize(corvanel::ReadFarmersQuality(*engine, QDate(2026, 11, 1)));
}
BENCHMARK(BM_MonthQuality)->Unit(benchmark::kMillisecond);

void BM_MonthStatement(benchmark::State& state)
{
    auto engine = fw::Connection::Open(Company());
    corvanel::TMilkSettings settings;
    settings.BasePrice = 2.2;
    settings.GermClasses = {{100000, 0.05}};
    settings.CellClasses = {{400000, 0.08}};
    for (auto _ : state)
        benchmark::DoNotOptimize(corvanel::ReadFarmersStatements(*engine, QDate(2026, 11, 1), settings));
}
BENCHMARK(BM_MonthStatement)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    return bench::RunBenchmarks(argc, argv, Build, [](RatioReporter&) {});
}

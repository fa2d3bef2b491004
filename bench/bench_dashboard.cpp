// The dashboard's receipts from production still waiting for their consumption, in a
// company of one year (2,000 receipts, each consumed and followed by its genealogy, save
// 20) and in one with twenty years more of the same before it: the look-up must not grow
// with the years behind the dashboard's own.
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/db/Database.h"
#include "reports/DashboardData.h"

#include <QDate>
#include <QTemporaryDir>
#include "BenchSupport.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

using namespace corvanel;
using namespace fw;

namespace {

constexpr int kReceiptsAYear = 2000;
constexpr int kMaterials = 5; // genealogy rows per receipt
const QDate kDay(2026, 12, 10);
const QDate kYearStart(2026, 1, 1); // the dashboard's: the first of the month eleven months before

QTemporaryDir* g_dir = nullptr;

using bench::Exec;
using bench::InsertRows;
using bench::Text;

// The receipts of `years` years, the last one the dashboard's; each receipt i has the
// number 100000 + i and the consumption document 1000000 + i, every 100th of the last year
// left waiting; the years before also bring a reversal for every 50 of their receipts.
void Build(const QString& company, int years)
{
    sqlite3* db = bench::CreateCompany(company);
    const int receipts = years * kReceiptsAYear;
    const int firstOfYear = (years - 1) * kReceiptsAYear;
    const auto day = [&](int i) {
        const QDate start = kYearStart.addYears(i / kReceiptsAYear - (years - 1));
        return start.addDays(i % kReceiptsAYear * 340 / kReceiptsAYear).toString(Qt::ISODate).toUtf8();
    };
    Exec(db, "BEGIN;"
             "INSERT INTO CATALOG (Grupa, Cod, Denumire, CantReteta) VALUES ('02', 'IAURT', 'Iaurt', 100), ('01', '.LAPTE', 'Lapte', NULL);"
             "INSERT INTO Reteta (Cod, Cod_MatPrim, Cant_MatPrim, Cod_Grupa) VALUES ('IAURT', '.LAPTE', 13, '01');");
    InsertRows(db, "INSERT INTO Doc_in (Contor, Data_inregistrarii, Numar, Tip, Data, Furnizor) VALUES (?, ?, ?, 'BP', ?, 'PF1')",
               receipts, [&](sqlite3_stmt* st, int i) {
                   sqlite3_bind_double(st, 1, i + 1);
                   Text(st, 2, day(i));
                   sqlite3_bind_double(st, 3, 100000 + i);
                   Text(st, 4, day(i));
               });
    InsertRows(db, "INSERT INTO Item_in (Contor, Contor_secundar, Cod_gestiune, Cod_grupa, Cod_articol, Lot, Cantitate)"
                   " VALUES (?, 1, 'PF1', '02', 'IAURT', ?, 200)",
               receipts, [](sqlite3_stmt* st, int i) {
                   sqlite3_bind_double(st, 1, i + 1);
                   Text(st, 2, "P" + QByteArray::number(i));
               });
    InsertRows(db, "INSERT INTO Doc_out (Contor, Data_inregistrarii, Numar, Tip, Data) VALUES (?, ?, ?, 'BMC', ?)", receipts,
               [&](sqlite3_stmt* st, int i) {
                   sqlite3_bind_double(st, 1, 1000000 + i);
                   Text(st, 2, day(i));
                   sqlite3_bind_double(st, 3, 100000 + i);
                   Text(st, 4, day(i));
               });
    InsertRows(db, "INSERT INTO Genealogie (Contor_out, Contor_secundar_out, Contor_produs, Contor_secundar_produs, Cantitate,"
                   " Cod_grupa, Cod_articol, Lot, Cod_gestiune, Pret_achizitie, Agent, Contor_in, Contor_secundar_in,"
                   " Data_intrare) VALUES (?, ?, ?, 1, 5.2, '01', '.LAPTE', 'LC', '_MP', 2.5, 'ADM', 1, 1, '2026-01-01')",
               receipts * kMaterials, [&](sqlite3_stmt* st, int k) {
                   const int i = k / kMaterials;
                   sqlite3_bind_double(st, 1, 1000000 + i);
                   sqlite3_bind_double(st, 2, k % kMaterials + 1);
                   sqlite3_bind_double(st, 3, i + 1);
               });
    // The waiting receipts' consumption was never written.
    const QByteArray waiting = QByteArray::number(1000000 + firstOfYear);
    Exec(db, ("DELETE FROM Doc_out WHERE Contor >= " + waiting + " AND CAST(Contor AS INTEGER) % 100 = 0;").constData());
    Exec(db, ("DELETE FROM Genealogie WHERE Contor_out >= " + waiting + " AND CAST(Contor_out AS INTEGER) % 100 = 0;").constData());
    // Reversals of the years before (of documents since gone), so that Stornari grows too.
    InsertRows(db, "INSERT INTO Stornari (Contor_out, Contor_stornare, Data, Agent) VALUES (?, ?, '2020-01-01', 'ADM')",
               firstOfYear / 50, [](sqlite3_stmt* st, int r) {
                   sqlite3_bind_double(st, 1, 5000000 + 2 * r);
                   sqlite3_bind_double(st, 2, 5000001 + 2 * r);
               });
    Exec(db, "COMMIT;");
    sqlite3_close(db);
}

void Unconsumed(benchmark::State& state, const char* name)
{
    TProductionContext context;
    TProductionData dm(context, nullptr);
    dm.ProductionDatabase->Params() << "PATH=" + g_dir->filePath(QString::fromLatin1(name));
    size_t found = 0;
    for (auto _ : state)
        found = ReadUnconsumedReceipts(context.Session(), kYearStart).size();
    state.counters["receipts"] = double(found);
}

constexpr const char* kCompanies[][2] = {{"Unconsumed_1year", "c1"}, {"Unconsumed_21years", "c21"},
                                         {"Unconsumed_1year_Pg", "pg1"}, {"Unconsumed_21years_Pg", "pg21"}};

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    return bench::RunBenchmarks(
        argc, argv,
        [&] {
            std::printf("building companies of 1 and 21 years of %d receipts...\n", kReceiptsAYear);
            Build(dir.filePath("c1"), 1);
            Build(dir.filePath("c21"), 21);
            const auto server = bench::BenchServer();
            const bool onServer = server && bench::CopyToServer(dir.filePath("c1"), *server, dir.filePath("pg1"), "bench_dash1")
                                  && bench::CopyToServer(dir.filePath("c21"), *server, dir.filePath("pg21"), "bench_dash21");
            for (const auto& [benchmarkName, company] : kCompanies) {
                if (!onServer && QByteArray(company).startsWith("pg"))
                    continue;
                benchmark::RegisterBenchmark(benchmarkName, [company = company](benchmark::State& s) { Unconsumed(s, company); })
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(1.0);
            }
        },
        [](RatioReporter& reporter) {
            reporter.PrintRatio("Unconsumed_21years/min_time:1.000", "Unconsumed_1year/min_time:1.000");
            reporter.PrintRatio("Unconsumed_21years_Pg/min_time:1.000", "Unconsumed_1year_Pg/min_time:1.000");
        });
}

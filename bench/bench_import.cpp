// Bringing a large company over from Paradox tables: a million stock rows and a million
// outgoing lines, imported into a new SQLite company. Peak memory is reported beside the
// time: the tables are read a row at a time, so it should not grow with the rows.
#include "ParadoxWriter.h"
#include "paradox/ParadoxImport.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

double PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

void WriteSource(const QString& dir, int rows)
{
    using namespace paradoxtest;
    const auto article = [](qint64 i) { return "ART" + QByteArray::number(i % 5000); };
    const auto lot = [](qint64 i) { return "L" + QByteArray::number(i); };
    WriteTable(QDir(dir).filePath(QStringLiteral("STOC.DB")),
               {Number("Cantitate"), Alpha("Cod_articol", 30), Alpha("Cod_grupa", 8), Alpha("Cod_gestiune", 4),
                Number("Pret_achizitie"), Alpha("Lot", 30), Alpha("Agent", 3), Number("Contor_in"),
                Number("Contor_secundar_in"), Date("Data_intrare")},
               1250, rows, [&](qint64 i) {
                   return TRow{double(i % 1000) + 0.5, article(i), QByteArray("01"), QByteArray("_FRG"), 1.25, lot(i),
                               QByteArray("ADM"), double(qint64(i / 10) + 1), double(i % 10 + 1),
                               QDate(2024, 1, 1).addDays(i % 700)};
               });
    WriteTable(QDir(dir).filePath(QStringLiteral("ITEM_OUT.DB")),
               {Number("Contor"), Number("Contor_secundar"), Alpha("Cod_gestiune", 4), Alpha("Cod_grupa", 8),
                Alpha("Cod_articol", 30), Number("Cantitate"), Number("Pret_achizitie"), Alpha("Lot", 30)},
               1250, rows, [&](qint64 i) {
                   return TRow{double(qint64(i / 10) + 1), double(i % 10 + 1), QByteArray("_FRG"), QByteArray("01"), article(i),
                               double(i % 50) + 0.25, 1.25, lot(i)};
               });
}

void BM_ImportParadox(benchmark::State& state)
{
    const int rows = int(state.range(0));
    QTemporaryDir source;
    WriteSource(source.path(), rows);
    int run = 0;
    for (auto _ : state) {
        QTemporaryDir target;
        paradox::ImportParadoxCompany(source.path(), QDir(target.path()).filePath(QString::number(run++)));
    }
    state.counters["rows"] = double(2 * rows);
    state.counters["peak_MiB"] = PeakMiB();
}
BENCHMARK(BM_ImportParadox)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

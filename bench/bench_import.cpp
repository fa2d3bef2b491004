// Bringing a large company over from Paradox tables: stock rows, receipt lines as many, and
// a receipt for every ten lines, imported into a new company on SQLite and, when a server is
// named (CORVANEL_TEST_PG), on the server. Only the import is measured: the source tables
// are written once and kept under <build>/bench-cache, by their shape and the version of
// what they hold, for every later run. Beside the wall time: the process's CPU time, rows a
// second, and peak memory (run one benchmark a process, --benchmark_filter, for a peak of
// its own: the peak is the process's).
#include "BenchSupport.h"
#include "ParadoxWriter.h"
#include "paradox/ParadoxImport.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

// Raised whenever what WriteSource writes changes, so that no older source is measured.
constexpr int kSourceVersion = 2;

double PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// The process's CPU time, or the calling thread's alone: the thread that writes is the
// import's critical path on two cores, whatever reads ahead beside it.
double CpuSeconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void WriteSource(const QString& dir, qint64 lines)
{
    using namespace paradoxtest;
    const auto article = [](qint64 i) { return "ART" + QByteArray::number(i % 5000); };
    const auto lot = [](qint64 i) { return "L" + QByteArray::number(i); };
    const qint64 receipts = lines / 10;
    WriteTable(QDir(dir).filePath(QStringLiteral("STOC.DB")),
               {Number("Cantitate"), Alpha("Cod_articol", 30), Alpha("Cod_grupa", 8), Alpha("Cod_gestiune", 4),
                Number("Pret_achizitie"), Alpha("Lot", 30), Alpha("Agent", 3), Number("Contor_in"),
                Number("Contor_secundar_in"), Date("Data_intrare")},
               1250, lines, [&](qint64 i) {
                   return TRow{double(i % 1000) + 0.5, article(i), QByteArray("01"), QByteArray("_FRG"), 1.25, lot(i),
                               QByteArray("ADM"), double(qint64(i / 10) + 1), double(i % 10 + 1),
                               QDate(2024, 1, 1).addDays(int(i % 700))};
               });
    WriteTable(QDir(dir).filePath(QStringLiteral("ITEM_IN.DB")),
               {Number("Contor"), Number("Contor_secundar"), Alpha("Cod_gestiune", 4), Alpha("Cod_grupa", 8),
                Alpha("Cod_articol", 30), Alpha("Lot", 30), Number("Cantitate"), Number("Pret_achizitie_lei"),
                Alpha("Valuta", 3), Alpha("Agent", 3)},
               1250, lines, [&](qint64 i) {
                   return TRow{double(qint64(i / 10) + 1), double(i % 10 + 1), QByteArray("_FRG"), QByteArray("01"),
                               article(i), lot(i), double(i % 1000) + 0.5, 1.25, QByteArray("LEI"), QByteArray("ADM")};
               });
    WriteTable(QDir(dir).filePath(QStringLiteral("DOC_IN.DB")),
               {Number("Contor"), Date("Data_inregistrarii"), Number("Numar"), Alpha("Tip", 3), Date("Data"),
                Alpha("Furnizor", 30), Alpha("Explicatie", 255)},
               1250, receipts, [&](qint64 i) {
                   const QDate day = QDate(2024, 1, 1).addDays(int(i % 700));
                   return TRow{double(i + 1), day, double(i % 100000 + 1), QByteArray("NIR"), day,
                               "F" + QByteArray::number(i % 300), QByteArray("Receptie lapte crud")};
               });
}

// The source of `lines` lines, written the first time it is asked for.
QString CachedSource(qint64 lines)
{
    const QString cache = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../bench-cache"));
    QString dir = QStringLiteral("%1/paradox-v%2-%3").arg(cache).arg(kSourceVersion).arg(lines);
    if (QFileInfo::exists(dir))
        return dir;
    // Written aside and renamed, so that a run stopped halfway leaves no half a source.
    const QString part = dir + QStringLiteral(".part");
    QDir(part).removeRecursively();
    QDir().mkpath(part);
    QElapsedTimer timer;
    timer.start();
    WriteSource(part, lines);
    QDir().rename(part, dir);
    std::printf("wrote the source of %lld lines in %.1f s (kept in %s)\n", lines, double(timer.elapsed()) / 1000,
                qPrintable(dir));
    return dir;
}

void Measure(benchmark::State& state, const QString& source, const std::function<QString(int)>& target)
{
    const qint64 lines = state.range(0);
    const qint64 rows = 2 * lines + lines / 10;
    int run = 0;
    double cpu = 0;
    double writer = 0;
    double wall = 0;
    for (auto _ : state) {
        const QString to = target(run++);
        QElapsedTimer timer;
        timer.start();
        const double cpuBefore = CpuSeconds();
        const double writerBefore = CpuSeconds(RUSAGE_THREAD);
        paradox::ImportParadoxCompany(source, to);
        cpu += CpuSeconds() - cpuBefore;
        writer += CpuSeconds(RUSAGE_THREAD) - writerBefore;
        wall += double(timer.nsecsElapsed()) / 1e9;
    }
    state.counters["rows"] = double(rows);
    state.counters["cpu_s"] = cpu / double(run);
    state.counters["writer_cpu_s"] = writer / double(run);
    state.counters["rows_per_s"] = double(rows) * double(run) / wall;
    state.counters["peak_MiB"] = PeakMiB();
}

void BM_ImportParadox(benchmark::State& state)
{
    const QString source = CachedSource(state.range(0));
    QTemporaryDir targets;
    Measure(state, source, [&](int run) { return QDir(targets.path()).filePath(QString::number(run)); });
}
BENCHMARK(BM_ImportParadox)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

// The same into a server's database: the process's CPU time is the import's side alone.
void BM_ImportParadoxServer(benchmark::State& state)
{
    auto server = bench::BenchServer();
    if (!server) {
        state.SkipWithError("no server");
        return;
    }
    const QString source = CachedSource(state.range(0));
    QTemporaryDir targets;
    Measure(state, source, [&](int run) {
        QString dir = QDir(targets.path()).filePath(QString::number(run));
        QDir().mkpath(dir);
        server->Schema = QStringLiteral("bench_import_%1").arg(run);
        server->Write(dir);
        // A schema left by an earlier run would have the import refuse a company that is not new.
        auto conn = fw::Connection::Open(dir, fw::TOpenMode::CreateMissing);
        for (const QString& table : conn->TableNames())
            conn->DropTable(table);
        return dir;
    });
}
BENCHMARK(BM_ImportParadoxServer)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// The requirement of a 100-line receipt and the consumption document made from it, in a
// company of 100,000 articles with 10,000 and with 1,000,000 stock lots, in two shapes:
// the million lots spread over every material (the recipes' materials keep their two lots
// each), and the million lots all of the recipes' materials (200 lots each, 100 times
// more). Preparing and generating must not grow with the size of the stock table in
// either shape, in any lot order.
#include "tests/support/BuiltFiles.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "requirement/Reversal.h"

#include "BenchSupport.h"
#include "RatioReporter.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace corvanel;
using namespace fw;

namespace {

QTemporaryDir* g_dir = nullptr;

constexpr int kMaterials = 50000;       // ".M00000" .. in group 01
constexpr int kProducts = 50000;        // "P00000" .. in group 02, yield 100
constexpr int kRecipeMaterials = 5000;  // the materials recipes use
constexpr int kRecipeRows = 8;          // per product
constexpr int kRecipeLots = 10000;      // lots of the recipes' materials
constexpr int kReceiptLines = 100;

using bench::Exec;
using bench::InsertRows;
using bench::Text;

QByteArray Code(const char* pattern, int n) { return QByteArray(pattern) + QByteArray::number(n).rightJustified(5, '0'); }

// Recipe row k of product p uses this material.
int RecipeMaterial(int p, int k) { return (p * 37 + k * 613) % kRecipeMaterials; }

// How the lots of a company are spread over its materials.
enum class TLotShape {
    Wide, // 10,000 lots of the recipes' materials, the rest over the other materials
    Deep, // every lot of a recipe's material
};

// A company with the host's tables, 100,000 articles, their recipes, `lots` stock lots
// (each large enough to cover a receipt), and receipt 1.
void Build(const QString& company, int lots, TLotShape shape)
{
    sqlite3* db = bench::CreateCompany(company);
    Exec(db, "BEGIN");
    // Materials keep 30 days; lots entered over November, so that some have expired by the
    // receipt's date and the orders by date differ from the table's.
    InsertRows(db, "INSERT INTO CATALOG (Grupa, Cod, Denumire, CantReteta, Cont_marfa, ZileValabilitate)"
                   " VALUES (?, ?, ?, ?, '301', 30)",
               kMaterials + kProducts, [](sqlite3_stmt* st, int i) {
                   const bool material = i < kMaterials;
                   Text(st, 1, material ? "01" : "02");
                   Text(st, 2, material ? Code(".M", i) : Code("P", i - kMaterials));
                   Text(st, 3, material ? "Materie prima" : "Produs");
                   if (material)
                       sqlite3_bind_null(st, 4);
                   else
                       sqlite3_bind_double(st, 4, 100);
               });
    InsertRows(db, "INSERT INTO Reteta (Cod, Cod_MatPrim, Cant_MatPrim, Cod_Grupa) VALUES (?, ?, ?, '01')",
               kProducts * kRecipeRows, [](sqlite3_stmt* st, int i) {
                   const int p = i / kRecipeRows, k = i % kRecipeRows;
                   Text(st, 1, Code("P", p));
                   Text(st, 2, Code(".M", RecipeMaterial(p, k)));
                   sqlite3_bind_double(st, 3, 1 + k);
               });
    InsertRows(db,
               "INSERT INTO Stoc (Cantitate, Cod_articol, Cod_grupa, Cod_gestiune, Pret_achizitie, Lot, Agent, Data_intrare)"
               " VALUES (?, ?, '01', ?, 2.5, ?, 'ADM', ?)",
               lots, [shape](sqlite3_stmt* st, int i) {
                   // Wide: the materials of the recipes have two lots each whatever the
                   // size; the other lots belong to the other materials.
                   static const char* warehouses[] = {"_MP1", "_MP2", "PF1"};
                   const int material = i < kRecipeLots || shape == TLotShape::Deep
                                            ? i % kRecipeMaterials
                                            : kRecipeMaterials + i % (kMaterials - kRecipeMaterials);
                   sqlite3_bind_double(st, 1, 100000 + i % 7);
                   Text(st, 2, Code(".M", material));
                   Text(st, 3, warehouses[(i / kRecipeMaterials) % 3]);
                   Text(st, 4, "L" + QByteArray::number(i));
                   Text(st, 5, "2026-11-" + QByteArray::number(30 - i % 29).rightJustified(2, '0'));
               });
    Exec(db, "INSERT INTO Doc_in (Contor, Data_inregistrarii, Numar, Tip, Data) VALUES (1, '2026-12-07', 125, 'BP', '2026-12-07')");
    InsertRows(db, "INSERT INTO Item_in (Contor, Contor_secundar, Cod_gestiune, Cod_grupa, Cod_articol, Lot, Cantitate)"
                   " VALUES (1, ?, 'PF', '02', ?, 'P1', 100)",
               kReceiptLines, [](sqlite3_stmt* st, int i) {
                   sqlite3_bind_int(st, 1, i + 1);
                   Text(st, 2, Code("P", i * 7));
               });
    Exec(db, "INSERT INTO COUNTER (NewCounterIn, NewCounterOut) VALUES (1, 0)");
    Exec(db, "INSERT INTO USER (Init, Name) VALUES ('ADM', 'Administrator')");
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

// The data module of a workstation on one of the companies (its private directory that of
// the SQLite company `local` a server's company was copied from).
struct Workstation {
    Workstation(const char* name, const char* local, TLotOrder order)
    {
        context.Settings.LotOrder = order;
        // Ordered by date, expired lots are left out too: the dearest combination.
        context.Settings.DrawExpiredLots = order == TLotOrder::Table;
        const QString company = g_dir->path() + "/" + name;
        TSession::AddAlias("KRB_PRIV", g_dir->path() + "/" + local + "/private");
        dm.ConnectTo(company); // as the add-on connects, making sure of its indexes
    }
    ~Workstation() { CloseRequirement(dm); }
    TProductionContext context; // the prefixes "_", "." and ";"
    TProductionData dm{context, nullptr};
    TMessageRecorder answers; // any question is answered "Da"
};

// Preparing, then reading every row's stock figures as the tool prints them (the grid
// reads those of the rows it shows).
void Prepare(benchmark::State& state, const char* company, const char* local, TLotOrder order)
{
    Workstation w(company, local, order);
    std::size_t rows = 0;
    double stock = 0;
    for (auto _ : state) {
        PrepareRequirement(w.dm, 1);
        TTable* temp = w.dm.Requirement().TempTable();
        rows = 0;
        for (temp->First(); !temp->Eof(); temp->Next(), ++rows)
            stock += temp->FieldByName("StocFin")->AsFloat();
        state.PauseTiming();
        CloseRequirement(w.dm);
        state.ResumeTiming();
    }
    benchmark::DoNotOptimize(stock);
    state.counters["rows"] = double(rows);
}

// `rows`: the requirement cut to its first rows (0: all of them).
void Generate(benchmark::State& state, const char* company, const char* local, TLotOrder order, int rows = 0)
{
    Workstation w(company, local, order);
    PrepareRequirement(w.dm, 1);
    if (rows > 0) {
        TTable* temp = w.dm.Requirement().TempTable();
        for (temp->Last(); temp->RecordCount() > rows;)
            temp->Delete(); // the one before becomes the last
    }
    const int before = w.answers.Count();
    for (auto _ : state)
        benchmark::DoNotOptimize(GenerateConsumption(w.dm, 1, w.dm.Requirement().AgentInitials()));
    state.counters["rows"] = double(w.dm.Requirement().TempTable()->RecordCount());
    state.counters["questions"] = double(w.answers.Count() - before);
}

// Reversing the consumption document of the whole receipt: each of its lines puts back
// what it drew on the stock row it drew on.
void Reverse(benchmark::State& state, const char* company, const char* local)
{
    Workstation w(company, local, TLotOrder::Table);
    PrepareRequirement(w.dm, 1);
    for (auto _ : state) {
        state.PauseTiming();
        const std::optional<double> document = GenerateConsumption(w.dm, 1, w.dm.Requirement().AgentInitials());
        if (!document) {
            state.SkipWithError("no consumption document to reverse");
            break;
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(ReverseConsumption(w.dm, *document, w.dm.Requirement().AgentInitials()));
    }
    state.counters["rows"] = double(w.dm.Requirement().TempTable()->RecordCount());
}

// The tool's `requirement` of the same receipt, as a script runs it: the whole program, from
// its start (the company opened, its indexes and totals made sure of) to the figures printed.
// Timed on the clock: the work is the child's.
void Tool(benchmark::State& state, const char* company)
{
    const QStringList args{"requirement", "--company", g_dir->path() + "/" + company, "--counter", "1", "--csv"};
    for (auto _ : state) {
        QProcess tool;
        tool.setStandardOutputFile(QProcess::nullDevice());
        tool.start(built::kCorvanelFile, args);
        if (!tool.waitForFinished(600000) || tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0) {
            state.SkipWithError("corvanel failed");
            break;
        }
    }
}

// The companies measured, each under the name its benchmarks carry.
struct TCompany {
    const char* size;   // in the benchmarks' names
    const char* local;  // the SQLite company's directory
    const char* copy;   // the directory of its copy on the server
    const char* schema; // the copy's schema
    int lots;
    TLotShape shape;
};
constexpr TCompany kCompanies[] = {
    {"10k", "c10k", "pg10k", "bench_req10k", 10000, TLotShape::Wide},
    {"1M", "c1m", "pg1m", "bench_req1m", 1000000, TLotShape::Wide},
    {"1Mx100", "c1mx100", "pg1mx100", "bench_req1mx100", 1000000, TLotShape::Deep},
};
constexpr const char* kEngines[] = {"", "_Pg"};
constexpr std::pair<TLotOrder, const char*> kOrders[] = {
    {TLotOrder::Table, ""}, {TLotOrder::FirstIn, "_FIFO"}, {TLotOrder::FirstToExpire, "_FEFO"}};
const std::string kToolSuffix = "/min_time:2.000/min_warmup_time:1.000/real_time";

// Whether any benchmark on the company is to run: building a million lots takes minutes.
bool Wanted(const TCompany& c)
{
    if (bench::Wanted(std::string("Tool_") + c.local + kToolSuffix))
        return true;
    for (const char* engine : kEngines)
        for (const auto& [order, name] : kOrders)
            for (const char* step : {"Prepare_", "Generate_", "Reverse_", "Generate100_"})
                if (bench::Wanted(step + std::string(c.size) + engine + name + "/min_time:2.000"))
                    return true;
    return false;
}

void Register(bool server, const std::vector<const TCompany*>& built)
{
    for (const TCompany* c : built)
        benchmark::RegisterBenchmark((std::string("Tool_") + c->local).c_str(), [company = c->local](benchmark::State& s) {
            Tool(s, company);
        })
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime()
            ->MinWarmUpTime(1.0) // the first opening makes the company's totals
            ->MinTime(2.0);
    for (const char* engine : kEngines) {
        if (*engine && !server)
            continue;
        for (const TCompany* c : built) {
            const char* company = *engine ? c->copy : c->local;
            const char* local = c->local;
            for (const auto& [order, name] : kOrders) {
                const std::string suffix = std::string("_") + c->size + engine + name;
                benchmark::RegisterBenchmark(("Prepare" + suffix).c_str(),
                                             [=, order = order](benchmark::State& s) { Prepare(s, company, local, order); })
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(2.0);
                benchmark::RegisterBenchmark(("Generate" + suffix).c_str(),
                                             [=, order = order](benchmark::State& s) { Generate(s, company, local, order); })
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(2.0);
                if (*name)
                    continue;
                benchmark::RegisterBenchmark(("Reverse" + suffix).c_str(),
                                             [=](benchmark::State& s) { Reverse(s, company, local); })
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(2.0);
                benchmark::RegisterBenchmark(("Generate100" + suffix).c_str(),
                                             [=, order = order](benchmark::State& s) { Generate(s, company, local, order, 100); })
                    ->Unit(benchmark::kMillisecond)
                    ->MinTime(2.0);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    // The production settings are looked for through the user's settings: not the real ones.
    qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toLocal8Bit());
    std::vector<std::shared_ptr<Connection>> held;
    return bench::RunBenchmarks(
        argc, argv,
        [&] {
            // Only the companies the chosen benchmarks read, each copied to the server when
            // one is named; the server's half is left out whole if any copy fails.
            std::vector<const TCompany*> built;
            for (const TCompany& c : kCompanies)
                if (Wanted(c)) {
                    std::printf("building a company of 100,000 articles and %d lots (%s)...\n", c.lots, c.local);
                    Build(dir.path() + "/" + c.local, c.lots, c.shape);
                    built.push_back(&c);
                }
            const auto server = built.empty() ? std::nullopt : bench::BenchServer();
            bool copied = server.has_value();
            for (const TCompany* c : built) {
                copied = copied
                         && bench::CopyToServer(dir.path() + "/" + c->local, *server, dir.path() + "/" + c->copy,
                                                QString::fromLatin1(c->schema));
                if (copied)
                    held.push_back(Connection::Open(dir.path() + "/" + c->copy));
            }
            if (!copied)
                held.clear();
            Register(copied, built);
        },
        [](RatioReporter& reporter) {
            for (const char* engine : {"", "_Pg"})
                for (const char* big : {"1M", "1Mx100"})
                    for (const char* step : {"Prepare_", "Generate_", "Generate100_", "Reverse_"})
                        reporter.PrintRatio(step + std::string(big) + engine + "/min_time:2.000",
                                            step + std::string("10k") + engine + "/min_time:2.000");
            for (const char* big : {"c1m", "c1mx100"})
                reporter.PrintRatio(std::string("Tool_") + big + kToolSuffix, "Tool_c10k" + kToolSuffix);
            // The consumption document on the server against the same one on SQLite.
            reporter.PrintRatio("Generate100_10k_Pg/min_time:2.000", "Generate100_10k/min_time:2.000");
        });
}

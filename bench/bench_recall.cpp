// `corvanel recall` forward and backward, as a script runs it (the whole program, from its
// start to the CSV written), on a company of 1,000,000 stock lots, 100,000 receipts and
// 1,000,000 outgoing lines with three levels of semi-finished products, and on one of
// 10,000 lots: following one lot must not grow with the size of the company. Besides, a
// recall drill forward, from the command to the PDF written and the drill recorded.
#include "tests/support/BuiltFiles.h"
#include "platform/schema/CompanyTables.h"

#include "BenchSupport.h"
#include "RatioReporter.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

using namespace fw;

namespace {

QTemporaryDir* g_dir = nullptr;

constexpr int kLinesPerReceipt = 10;
constexpr int kLevels = 4;     // raw material, two semi-finished products, the finished one
constexpr int kArticles = 1000; // per level

using bench::Exec;
using bench::InsertRows;
using bench::Text;

QByteArray LotName(int k) { return "L" + QByteArray::number(k); }
int Level(int k) { return k % kLevels; }
QByteArray GroupOf(int level) { return QByteArray("0") + QByteArray::number(level + 1); }
QByteArray CodeOf(int level, int article) { return QByteArray(level == 0 ? ".M" : "P") + QByteArray::number(level * kArticles + article); }
QByteArray Group(int k) { return GroupOf(Level(k)); }
QByteArray Code(int k) { return CodeOf(Level(k), k % kArticles); }
double Receipt(int k) { return double(int(k / kLinesPerReceipt) + 1); } // whole receipts
double ReceiptLine(int k) { return k % kLinesPerReceipt + 1; }

// `lots` receipt lines, each making or bringing in a lot that is also in stock. Lot k is of
// level k % 4: a lot of level 1 to 3 was made from lot k - 1 (the consumption document of
// its receipt drew it, the genealogy says so); a finished lot was shipped to two
// customers. Every lot's chain is three levels deep, and the outgoing lines as many as the
// lots.
void Build(const QString& company, int lots)
{
    sqlite3* db = bench::CreateCompany(company);
    Exec(db, "BEGIN");
    InsertRows(db, "INSERT INTO CATALOG (Grupa, Cod, Denumire, CantReteta) VALUES (?, ?, 'Articol', 100)",
               kLevels * kArticles, [](sqlite3_stmt* st, int i) {
                   Text(st, 1, GroupOf(i / kArticles));
                   Text(st, 2, CodeOf(i / kArticles, i % kArticles));
               });
    const int receipts = lots / kLinesPerReceipt;
    InsertRows(db, "INSERT INTO Doc_in (Contor, Data_inregistrarii, Numar, Tip, Data, Furnizor)"
                   " VALUES (?, '2026-01-01', ?, 'NIR', '2026-01-01', 'FERMA1')",
               receipts, [](sqlite3_stmt* st, int r) {
                   sqlite3_bind_int(st, 1, r + 1);
                   sqlite3_bind_int(st, 2, r + 1);
               });
    InsertRows(db, "INSERT INTO Item_in (Contor, Contor_secundar, Cod_gestiune, Cod_grupa, Cod_articol, Lot, Cantitate)"
                   " VALUES (?, ?, '_MP', ?, ?, ?, 100)",
               lots, [](sqlite3_stmt* st, int k) {
                   sqlite3_bind_double(st, 1, Receipt(k));
                   sqlite3_bind_double(st, 2, ReceiptLine(k));
                   Text(st, 3, Group(k));
                   Text(st, 4, Code(k));
                   Text(st, 5, LotName(k));
               });
    InsertRows(db, "INSERT INTO Stoc (Cantitate, Cod_articol, Cod_grupa, Cod_gestiune, Pret_achizitie, Lot, Agent,"
                   " Contor_in, Contor_secundar_in, Data_intrare) VALUES (50, ?, ?, '_MP', 2.5, ?, 'ADM', ?, ?, '2026-01-01')",
               lots, [](sqlite3_stmt* st, int k) {
                   Text(st, 1, Code(k));
                   Text(st, 2, Group(k));
                   Text(st, 3, LotName(k));
                   sqlite3_bind_double(st, 4, Receipt(k));
                   sqlite3_bind_double(st, 5, ReceiptLine(k));
               });
    // Receipt r's consumption document is 2r - 1, its shipments 2r.
    InsertRows(db, "INSERT INTO Doc_out (Contor, Data_inregistrarii, Numar, Tip, Data, Client) VALUES (?, '2026-01-01', ?, ?, "
                   "'2026-01-01', ?)",
               2 * receipts, [](sqlite3_stmt* st, int i) {
                   const bool consumption = i % 2 == 0;
                   sqlite3_bind_int(st, 1, i + 1);
                   sqlite3_bind_int(st, 2, i / 2 + 1);
                   Text(st, 3, consumption ? "BMC" : "FAC");
                   if (consumption)
                       sqlite3_bind_null(st, 4);
                   else
                       Text(st, 4, "CLIENT" + QByteArray::number(i % 97));
               });
    // Per lot one outgoing line: a made lot's draw on the lot before it, or (for a raw
    // lot, whose slot no draw takes) half of the shipment of the finished lot beside it.
    InsertRows(db, "INSERT INTO Item_out (Contor, Contor_secundar, Cod_gestiune, Cod_grupa, Cod_articol, Cantitate, Lot)"
                   " VALUES (?, ?, '_MP', ?, ?, ?, ?)",
               lots, [](sqlite3_stmt* st, int k) {
                   const bool draw = Level(k) != 0;
                   const int drawn = draw ? k - 1 : k + kLevels - 1;
                   sqlite3_bind_double(st, 1, draw ? 2 * Receipt(k) - 1 : 2 * Receipt(k));
                   sqlite3_bind_double(st, 2, ReceiptLine(k));
                   Text(st, 3, Group(drawn));
                   Text(st, 4, Code(drawn));
                   sqlite3_bind_double(st, 5, draw ? 50 : 25);
                   Text(st, 6, LotName(drawn));
               });
    InsertRows(db, "INSERT INTO Genealogie (Contor_out, Contor_secundar_out, Contor_produs, Contor_secundar_produs, Cantitate,"
                   " Cod_grupa, Cod_articol, Lot, Cod_gestiune, Pret_achizitie, Agent, Contor_in, Contor_secundar_in,"
                   " Data_intrare) VALUES (?, ?, ?, ?, 50, ?, ?, ?, '_MP', 2.5, 'ADM', ?, ?, '2026-01-01')",
               lots / kLevels * (kLevels - 1), [](sqlite3_stmt* st, int i) {
                   const int k = i / (kLevels - 1) * kLevels + i % (kLevels - 1) + 1; // the i-th made lot
                   sqlite3_bind_double(st, 1, 2 * Receipt(k) - 1);
                   sqlite3_bind_double(st, 2, ReceiptLine(k));
                   sqlite3_bind_double(st, 3, Receipt(k));
                   sqlite3_bind_double(st, 4, ReceiptLine(k));
                   Text(st, 5, Group(k - 1));
                   Text(st, 6, Code(k - 1));
                   Text(st, 7, LotName(k - 1));
                   sqlite3_bind_double(st, 8, Receipt(k - 1));
                   sqlite3_bind_double(st, 9, ReceiptLine(k - 1));
               });
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

// Runs the tool once, its output in `out`; false when it failed.
bool Run(const QStringList& arguments, const QString& out)
{
    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")); // the PDF's fonts, no display
    tool.setProcessEnvironment(environment);
    tool.setStandardOutputFile(out);
    tool.start(built::kCorvanelFile, arguments);
    return tool.waitForFinished(600000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

bool Recall(const QString& company, int lot, const char* direction)
{
    return Run({"recall", "--company", company, "--lot", QString::fromLatin1(LotName(lot)), QString::fromLatin1(direction),
                "--csv"},
               g_dir->filePath("recall.csv"));
}

// A raw lot in the middle of the company forward, a finished one backward.
int Followed(int lots, bool forward) { return lots / 2 / kLevels * kLevels + (forward ? 0 : kLevels - 1); }

void Tool(benchmark::State& state, const char* company, int lots, bool forward)
{
    const QString dir = g_dir->filePath(QString::fromLatin1(company));
    const int lot = Followed(lots, forward);
    for (auto _ : state)
        if (!Recall(dir, lot, forward ? "--forward" : "--backward"))
            state.SkipWithError("corvanel failed");
    QFile csv(g_dir->filePath("recall.csv"));
    csv.open(QIODevice::ReadOnly);
    state.counters["rows"] = double(csv.readAll().count('\n'));
}

// The raw lot's drill forward: found, followed through three levels, balanced, the PDF
// written and the drill kept.
void Drill(benchmark::State& state, const char* company, int lots)
{
    const QString dir = g_dir->filePath(QString::fromLatin1(company));
    const QString pdf = g_dir->filePath("drill.pdf");
    for (auto _ : state)
        if (!Run({"recall", "--company", dir, "--lot", QString::fromLatin1(LotName(Followed(lots, true))), "--forward", "--drill",
                  "--operator", "bench", "--pdf", pdf},
                 g_dir->filePath("drill.txt")))
            state.SkipWithError("corvanel failed");
    state.counters["pdf_bytes"] = double(QFileInfo(pdf).size());
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    qputenv("XDG_CONFIG_HOME", (dir.path() + "/config").toLocal8Bit());
    return bench::RunBenchmarks(
        argc, argv,
        [&] {
            std::printf("building companies of 10,000 and 1,000,000 lots...\n");
            for (const auto& [name, lots] : {std::pair{"c10k", 10000}, std::pair{"c1m", 1000000}}) {
                Build(dir.filePath(QString::fromLatin1(name)), lots);
                // The first connection makes the indexes the walk seeks by.
                Recall(dir.filePath(QString::fromLatin1(name)), 0, "--forward");
                benchmark::RegisterBenchmark((std::string("Forward_") + (name + 1)).c_str(),
                                             [name = name, lots = lots](benchmark::State& s) { Tool(s, name, lots, true); })
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(5);
                benchmark::RegisterBenchmark((std::string("Backward_") + (name + 1)).c_str(),
                                             [name = name, lots = lots](benchmark::State& s) { Tool(s, name, lots, false); })
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(5);
                benchmark::RegisterBenchmark((std::string("Drill_") + (name + 1)).c_str(),
                                             [name = name, lots = lots](benchmark::State& s) { Drill(s, name, lots); })
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(5);
            }
        },
        [](RatioReporter& reporter) {
            reporter.PrintRatio("Forward_1m/iterations:5", "Forward_10k/iterations:5");
            reporter.PrintRatio("Backward_1m/iterations:5", "Backward_10k/iterations:5");
            reporter.PrintRatio("Drill_1m/iterations:5", "Drill_10k/iterations:5");
        });
}

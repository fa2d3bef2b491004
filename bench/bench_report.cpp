// The traceability report for one year of a plant: 2,000 finished-goods receipts of 10
// lines each (20,000 receipt lines, one lot and one article group each, so 2,000 pages
// and 2,000 raw-material footers), every receipt with a 5-line consumption document.
// The whole report to PDF is set against running its queries alone, and the PDF writer
// alone (with and without the texts) against the same queries.
#include "tests/support/BuiltFiles.h"
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/report/ReportPainter.h"
#include "platform/schema/CompanyTables.h"
#include "reports/PrintSettings.h"
#include "reports/TraceabilityReport.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include "BenchSupport.h"
#include "RatioReporter.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

using namespace corvanel;
using namespace fw;

namespace {

constexpr int kReceipts = 2000;
constexpr int kLinesPerReceipt = 10;
constexpr int kMaterialsPerReceipt = 5;
const QDate kFirstDay(2025, 1, 1);

QTemporaryDir* g_dir = nullptr;
// Where the reports are written: outside the company, whose files are never written over.
// CORVANEL_BENCH_OUT names a folder to keep them in, to compare two builds' output.
QDir g_out;

using bench::Exec;
using bench::InsertRows;
using bench::Text;

QByteArray IsoDay(int receipt) { return kFirstDay.addDays(receipt * 365 / kReceipts).toString(Qt::ISODate).toUtf8(); }

void Build(const QString& dir)
{
    // The tables as the host creates them, then the rows straight into the file.
    bench::CreateTables(dir, HostTables());
    EnsureIndexes(dir, {fw::ItemInDB, fw::DocOutDB, fw::ItemOutDB});
    sqlite3* db = nullptr;
    sqlite3_open((dir + "/tables.sqlite").toUtf8().constData(), &db);
    Exec(db, "BEGIN;"
             "INSERT INTO FIRMDATA (Denumire, Adresa, \"Cod fiscal\") VALUES ('Lactate Izvoare SRL', 'Sanpetru', 'RO1');"
             "INSERT INTO Gest (Cod, Denumire) VALUES ('PF1', 'Vana 1'), ('PF2', 'Vana 2');"
             "INSERT INTO Grup (Cod_material, Cod_grupa, Denumire) VALUES ('MP', '01', 'Materii prime'),"
             " ('PF', '02', 'Produse finite');");
    InsertRows(db, "INSERT INTO Furn (Cod_furnizor, Nume_furnizor) VALUES (?, ?)", 5, [](sqlite3_stmt* st, int i) {
        Text(st, 1, "FERMA" + QByteArray::number(i));
        Text(st, 2, "Ferma de lapte numarul " + QByteArray::number(i));
    });
    InsertRows(db, "INSERT INTO CATALOG (Grupa, Cod, Denumire, Unitate_masura, ZileValabilitate, Descriere)"
               " VALUES (?, ?, ?, 'kg', ?, 'Descrierea produsului')",
           30, [](sqlite3_stmt* st, int i) {
               const bool product = i < 10;
               Text(st, 1, product ? "02" : "01");
               Text(st, 2, (product ? "P" : ".M") + QByteArray::number(i));
               Text(st, 3, (product ? "Produs finit " : "Materie prima ") + QByteArray::number(i));
               sqlite3_bind_double(st, 4, 30);
           });
    InsertRows(db, "INSERT INTO Doc_in (Contor, Data_inregistrarii, Numar, Tip, Data, Furnizor) VALUES (?, ?, ?, 'BP', ?, ?)",
           kReceipts, [](sqlite3_stmt* st, int i) {
               sqlite3_bind_double(st, 1, i + 1);
               Text(st, 2, IsoDay(i));
               sqlite3_bind_double(st, 3, 10000 + i);
               Text(st, 4, IsoDay(i));
               Text(st, 5, "FERMA" + QByteArray::number(i % 5));
           });
    InsertRows(db, "INSERT INTO Item_in (Contor, Contor_secundar, Cod_gestiune, Cod_grupa, Cod_articol, Lot, Cantitate,"
               " Pret_achizitie_lei) VALUES (?, ?, ?, '02', ?, ?, ?, 2.5)",
           kReceipts * kLinesPerReceipt, [](sqlite3_stmt* st, int i) {
               const int receipt = i / kLinesPerReceipt;
               sqlite3_bind_double(st, 1, receipt + 1);
               sqlite3_bind_double(st, 2, i % kLinesPerReceipt + 1);
               Text(st, 3, receipt % 2 ? "PF1" : "PF2");
               Text(st, 4, "P" + QByteArray::number(i % kLinesPerReceipt));
               Text(st, 5, "L" + QByteArray::number(100000 + receipt));
               sqlite3_bind_double(st, 6, 10 + i % 7);
           });
    InsertRows(db, "INSERT INTO Doc_out (Contor, Data_inregistrarii, Numar, Tip, Data) VALUES (?, ?, ?, 'BMC', ?)", kReceipts,
           [](sqlite3_stmt* st, int i) {
               sqlite3_bind_double(st, 1, i + 1);
               Text(st, 2, IsoDay(i));
               sqlite3_bind_double(st, 3, 10000 + i);
               Text(st, 4, IsoDay(i));
           });
    InsertRows(db, "INSERT INTO Item_out (Contor, Contor_secundar, Cod_gestiune, Cod_grupa, Cod_articol, Cantitate, Lot)"
               " VALUES (?, ?, '_MP', '01', ?, ?, ?)",
           kReceipts * kMaterialsPerReceipt, [](sqlite3_stmt* st, int i) {
               const int receipt = i / kMaterialsPerReceipt;
               sqlite3_bind_double(st, 1, receipt + 1);
               sqlite3_bind_double(st, 2, i % kMaterialsPerReceipt + 1);
               Text(st, 3, ".M" + QByteArray::number(10 + i % 20));
               sqlite3_bind_double(st, 4, 1.5 + i % 11);
               Text(st, 5, "MP" + QByteArray::number(i));
           });
    Exec(db, "COMMIT;");
    sqlite3_close(db);
}

struct TCompany {
    TCompany()
    {
        PresetTraceabilityPrintSettings(PrintSettingsOf(context));
        dm.ProductionDatabase->Params() << "PATH=" + g_dir->path();
        TSession::AddAlias("TVELDA", g_dir->path());
    }
    TProductionContext context;
    TProductionData dm{context, nullptr};
};

std::unique_ptr<TTraceabilityReport> OpenYear(TCompany& company)
{
    return OpenTraceabilityReport(company.context, nullptr, DateToDateTime(kFirstDay),
                                  DateToDateTime(kFirstDay.addDays(364)), QString(), QString());
}

// What the report asks of the database and nothing else: the receipts, and the raw
// materials of each article group's receipt.
void Report_QueriesAlone(benchmark::State& state)
{
    TCompany company;
    int footers = 0;
    for (auto _ : state) {
        auto form = OpenYear(company);
        TQuery* q = form->Receipts;
        TField* group = q->FieldByName("Cod_grupa");
        TField* lot = q->FieldByName("Lot");
        QString lastKey;
        footers = 0;
        for (q->First(); !q->Eof(); q->Next()) {
            const QString key = lot->AsString() + '|' + group->AsString();
            if (key == lastKey)
                continue;
            lastKey = key;
            form->RawMaterialsBeforePrint();
            ++footers;
        }
    }
    state.counters["footers"] = footers;
}

// The page model alone.
void Report_Generate(benchmark::State& state)
{
    TCompany company;
    int pages = 0;
    for (auto _ : state) {
        auto form = OpenYear(company);
        pages = form->Report->Generate().PageCount();
    }
    state.counters["pages"] = pages;
}

// The whole report written to a PDF file, as the program writes it.
void Report_ToPdf(benchmark::State& state)
{
    TCompany company;
    const QString file = g_out.filePath("trasabilitate.pdf");
    for (auto _ : state) {
        auto form = OpenYear(company);
        form->Report->ExportPdf(file);
    }
    state.counters["MB"] = double(QFileInfo(file).size()) / 1e6;
}

// The PDF writer alone on the pages generated once: what painting costs beside the queries
// and the pre-renderer.
void Report_PdfWriterAlone(benchmark::State& state)
{
    TCompany company;
    const TReportDocument document = OpenYear(company)->Report->Generate();
    const QString file = g_out.filePath("writer.pdf");
    for (auto _ : state)
        ExportPdf(document, file);
}

// The same pages without their texts: the rules and frames, and the pages themselves.
void Report_PdfWriterWithoutTexts(benchmark::State& state)
{
    TCompany company;
    TReportDocument document = OpenYear(company)->Report->Generate();
    for (TReportPage& page : document.Pages)
        page.Texts.clear();
    const QString file = g_out.filePath("writer.pdf");
    for (auto _ : state)
        ExportPdf(document, file);
}

// The command-line tool on the same company, as a script runs it: the whole program,
// from its start to the file written.
void RunTool(benchmark::State& state, const QStringList& output)
{
    const QStringList args = QStringList{"trace", "--company", g_dir->path(), "--from", kFirstDay.toString(Qt::ISODate),
                                         "--to", kFirstDay.addDays(364).toString(Qt::ISODate)}
                             + output;
    for (auto _ : state) {
        QProcess tool;
        tool.setStandardOutputFile(g_out.filePath("trasabilitate.csv"));
        tool.start(built::kCorvanelFile, args);
        if (!tool.waitForFinished(600000) || tool.exitCode() != 0)
            state.SkipWithError("corvanel failed");
    }
}

void Tool_TraceCsv(benchmark::State& state)
{
    RunTool(state, {"--csv"});
    state.counters["MB"] = double(QFileInfo(g_out.filePath("trasabilitate.csv")).size()) / 1e6;
}

void Tool_TracePdf(benchmark::State& state) { RunTool(state, {"--pdf", g_out.filePath("tool.pdf")}); }

BENCHMARK(Report_QueriesAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Report_Generate)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Report_ToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Report_PdfWriterAlone)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Report_PdfWriterWithoutTexts)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Tool_TraceCsv)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Tool_TracePdf)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    QTemporaryDir out;
    g_dir = &dir;
    const QString kept = qEnvironmentVariable("CORVANEL_BENCH_OUT");
    g_out.setPath(kept.isEmpty() ? out.path() : kept);
    return bench::RunBenchmarks(
        argc, argv,
        [&] {
            std::printf("building a year of receipts: %d lines, %d consumption documents...\n",
                        kReceipts * kLinesPerReceipt, kReceipts);
            Build(dir.path());
        },
        [](RatioReporter& reporter) {
            reporter.PrintRatio("Report_Generate/iterations:3", "Report_QueriesAlone/iterations:3");
            reporter.PrintRatio("Report_ToPdf/iterations:3", "Report_QueriesAlone/iterations:3");
            reporter.PrintRatio("Report_PdfWriterAlone/iterations:3", "Report_QueriesAlone/iterations:3");
            reporter.PrintRatio("Report_PdfWriterWithoutTexts/iterations:3", "Report_PdfWriterAlone/iterations:3");
            reporter.PrintRatio("Tool_TracePdf/iterations:3", "Report_ToPdf/iterations:3");
        });
}

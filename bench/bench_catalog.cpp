// The catalog lookup over catalogs of 10,000 and 1,000,000 articles, groups of 100 articles
// in both: opening on an article, searching by name, indexing a group's prices. None of
// them may grow with the size of the catalog.
#include "catalog/CatalogLookup.h"
#include "catalog/PriceIndexing.h"
#include "data/ProductionContext.h"
#include "platform/ui/Beep.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/MessageDlg.h"
#include "BenchSupport.h"
#include "RatioReporter.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>

using namespace corvanel;
using namespace fw;

namespace {

QTemporaryDir* g_dir = nullptr;
constexpr int kGroupSize = 100;

using bench::Exec;

// A company whose catalog holds `articles` articles in groups of 100 over ten classes.
void Build(const QString& company, int articles)
{
    std::vector<TTableLayout> tables;
    for (const QString& name : {fw::MaterialeDB, fw::GrupDB, fw::CatalogDB, fw::ValutaDB})
        tables.push_back(CompanyTable(name));
    bench::CreateTables(company, tables);
    sqlite3* db = nullptr;
    sqlite3_open((company + "/" + DatabaseFileName()).toUtf8().constData(), &db);
    Exec(db, "BEGIN; INSERT INTO VALUTA VALUES ('RON', 'Leu', 1);");
    char sql[256];
    for (int c = 0; c < 10; ++c) {
        std::snprintf(sql, sizeof sql, "INSERT INTO Materiale VALUES ('C%d', 'Clasa %d', '301');", c, c);
        Exec(db, sql);
    }
    sqlite3_stmt* group = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Grup VALUES (?, ?, ?, '301')", -1, &group, nullptr);
    sqlite3_stmt* article = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO CATALOG (Grupa, Cod, Denumire, Descriere, Unitate_masura, Pret_vinzare, Moneda)"
                       " VALUES (?, ?, ?, ?, 'kg', ?, 'RON')",
                       -1, &article, nullptr);
    for (int g = 0; g < articles / kGroupSize; ++g) {
        char cls[8], code[16], name[64];
        std::snprintf(cls, sizeof cls, "C%d", g % 10);
        std::snprintf(code, sizeof code, "G%05d", g);
        std::snprintf(name, sizeof name, "Grupa %05d", g);
        sqlite3_bind_text(group, 1, cls, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(group, 2, code, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(group, 3, name, -1, SQLITE_TRANSIENT);
        sqlite3_step(group);
        sqlite3_reset(group);
        for (int a = 0; a < kGroupSize; ++a) {
            char art[16], artName[64];
            std::snprintf(art, sizeof art, "A%03d", a);
            std::snprintf(artName, sizeof artName, "Articol %03d", (a * 37) % kGroupSize);
            sqlite3_bind_text(article, 1, code, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(article, 2, art, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(article, 3, artName, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(article, 4, artName, -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(article, 5, 1.0 + a);
            sqlite3_step(article);
            sqlite3_reset(article);
        }
    }
    sqlite3_finalize(group);
    sqlite3_finalize(article);
    Exec(db, "COMMIT;");
    sqlite3_close(db);
}

// The middle group of the catalog.
QString MiddleGroup(int articles)
{
    return QStringLiteral("G%1").arg(articles / kGroupSize / 2, 5, 10, QLatin1Char('0'));
}

int Articles(const char* name) { return QString::fromLatin1(name) == QLatin1String("c1m") ? 1000000 : 10000; }

void UseCompany(const char* name) { TSession::AddAlias(QStringLiteral("TVELDA"), g_dir->path() + "/" + name); }

// Creating the window positioned on an article, with its first screen of articles read.
void OpenOnArticle(benchmark::State& state, const char* name)
{
    UseCompany(name);
    TProductionContext context;
    TMessageRecorder messages;
    const QString group = MiddleGroup(Articles(name));
    int rows = 0;
    for (auto _ : state) {
        TCatalogLookupForm form(context, nullptr);
        form.ShowGroup(group);
        form.ShowArticle(QStringLiteral("A050"));
        const QAbstractItemModel* articles = form.findChild<QAbstractItemView*>(QStringLiteral("ArticleGrid"))->model();
        for (int r = 0; r < 20; ++r)
            rows += int(articles->data(articles->index(r, 1)).toString().size());
    }
    benchmark::DoNotOptimize(rows);
}

// Typing a name into the search box in the order by name.
void SearchByName(benchmark::State& state, const char* name)
{
    UseCompany(name);
    TProductionContext context;
    TMessageRecorder messages;
    TCatalogLookupForm form(context, nullptr);
    form.ShowGroup(MiddleGroup(Articles(name)));
    form.findChild<QComboBox*>(QStringLiteral("OrderCombo"))->setCurrentIndex(1);
    auto* search = form.findChild<QLineEdit*>(QStringLiteral("SearchEdit"));
    int i = 0;
    for (auto _ : state) {
        search->setText(QStringLiteral("Articol %1").arg(i++ % kGroupSize, 3, 10, QLatin1Char('0')));
        benchmark::DoNotOptimize(form.CurrentArticle());
    }
}

// The update of one group's prices, progress window and success message included.
void IndexGroup(benchmark::State& state, const char* name)
{
    UseCompany(name);
    TProductionContext context;
    TMessageRecorder messages;
    fw::BeepObserver = [](fw::TBeep) {};
    QWidget owner;
    const QString group = MiddleGroup(Articles(name));
    for (auto _ : state)
        IndexGroupPrices(context, &owner, group, 1.0);
    BeepObserver = nullptr;
}

void Open_10k(benchmark::State& s) { OpenOnArticle(s, "c10k"); }
void Open_1M(benchmark::State& s) { OpenOnArticle(s, "c1m"); }
void Search_10k(benchmark::State& s) { SearchByName(s, "c10k"); }
void Search_1M(benchmark::State& s) { SearchByName(s, "c1m"); }
void Index_10k(benchmark::State& s) { IndexGroup(s, "c10k"); }
void Index_1M(benchmark::State& s) { IndexGroup(s, "c1m"); }
BENCHMARK(Open_10k)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Open_1M)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Search_10k)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(Search_1M)->Unit(benchmark::kMicrosecond)->MinTime(1.0);
BENCHMARK(Index_10k)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(Index_1M)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    return bench::RunBenchmarks(
        argc, argv,
        [&] {
            // The lookup writes its layout file into the current directory.
            QDir::setCurrent(dir.path());
            std::printf("building catalogs of 10,000 and 1,000,000 articles...\n");
            Build(dir.path() + "/c10k", 10000);
            Build(dir.path() + "/c1m", 1000000);
        },
        [](RatioReporter& reporter) {
            for (const char* what : {"Open", "Search", "Index"})
                reporter.PrintRatio(std::string(what) + "_1M/min_time:1.000", std::string(what) + "_10k/min_time:1.000");
        });
}

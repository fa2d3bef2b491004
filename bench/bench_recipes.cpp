// What the recipe editor does over its product list, against catalogs of 1,000 and of
// 100,000 raw materials (with the same 2,000 products): opening the list and the recipe,
// a typed search, and moving to the next product with its recipe. Raw materials are the
// rows the product list filters out, and in group order they come before the products.
#include "data/ProductionContext.h"
#include "data/ProductionData.h"
#include "platform/db/Database.h"
#include "platform/db/Table.h"

#include "BenchSupport.h"

#include <QTemporaryDir>

#include <cstdio>

using namespace corvanel;
using namespace fw;

namespace {

QTemporaryDir* g_dir = nullptr;
constexpr int kProducts = 2000;

void Build(const QString& company, int materials)
{
    sqlite3* db = bench::BeginDatabase(
        company, "CREATE TABLE CATALOG (Grupa VARCHAR(8), Cod VARCHAR(30), Denumire VARCHAR(255), CantReteta DOUBLE,"
                 " PRIMARY KEY (Grupa, Cod));"
                 "CREATE INDEX CATALOG_Cod ON CATALOG (Cod);"
                 "CREATE TABLE Reteta (Cod VARCHAR(30), Cod_MatPrim VARCHAR(30), Cant_MatPrim DOUBLE, Cod_Grupa VARCHAR(8),"
                 " PRIMARY KEY (Cod, Cod_MatPrim));");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO CATALOG VALUES (?, ?, ?, ?)", -1, &st, nullptr);
    auto article = [st](const char* group, const char* code, const char* name, double yield) {
        sqlite3_bind_text(st, 1, group, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, code, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, name, -1, SQLITE_STATIC);
        if (yield > 0)
            sqlite3_bind_double(st, 4, yield);
        else
            sqlite3_bind_null(st, 4);
        sqlite3_step(st);
        sqlite3_reset(st);
    };
    char group[16], code[32]; // a product code fits the group buffer too
    for (int m = 0; m < materials; ++m) {
        std::snprintf(group, sizeof group, "0%d", 1 + m % 5);
        std::snprintf(code, sizeof code, ".M%06d", m);
        article(group, code, "Materie prima", 0);
    }
    for (int p = 0; p < kProducts; ++p) {
        std::snprintf(group, sizeof group, "P%02d", p % 40);
        std::snprintf(code, sizeof code, "PF%05d", p);
        article(group, code, "Produs finit", 100);
    }
    sqlite3_finalize(st);
    // Eight lines to every product's recipe.
    sqlite3_prepare_v2(db, "INSERT INTO Reteta VALUES (?, ?, 1.5, '01')", -1, &st, nullptr);
    for (int p = 0; p < kProducts; ++p) {
        std::snprintf(group, sizeof group, "PF%05d", p); // the product's code
        for (int l = 0; l < 8; ++l) {
            std::snprintf(code, sizeof code, ".M%06d", (p * 8 + l) % materials);
            sqlite3_bind_text(st, 1, group, -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 2, code, -1, SQLITE_TRANSIENT);
            sqlite3_step(st);
            sqlite3_reset(st);
        }
    }
    sqlite3_finalize(st);
    bench::EndDatabase(db);
}

struct Editor {
    explicit Editor(const char* name)
    {
        dm.ProductionDatabase->Params() << "PATH=" + g_dir->path() + "/" + name;
    }
    void Open()
    {
        dm.Recipes().ProductTable()->Open();
        dm.Recipes().RecipeMaterialTable()->Open();
        dm.Recipes().RetetaTable()->Open();
    }
    void Close()
    {
        dm.Recipes().ProductTable()->Close();
        dm.Recipes().RecipeMaterialTable()->Close();
        dm.Recipes().RetetaTable()->Close();
    }
    TProductionContext context; // the prefixes "_", "." and ";"
    TProductionData dm{context, nullptr};
};

void OpenEditor(benchmark::State& state, const char* name)
{
    Editor e(name);
    for (auto _ : state) {
        e.Open();
        benchmark::DoNotOptimize(e.dm.Recipes().RetetaTable()->FieldByName("DenMat_Prim")->AsString());
        e.Close();
    }
}

// Searches typed over the list, one after the other: "P1" and "P3" land among the
// products; "0" lands on the raw materials, which the list filters out, so that search
// must find the first product after them.
void Search(benchmark::State& state, const char* name, const char* first, const char* second)
{
    Editor e(name);
    e.Open();
    bool flip = false;
    for (auto _ : state) {
        flip = !flip;
        e.dm.Recipes().ProductTable()->FindNearest({QString::fromLatin1(flip ? first : second)});
        benchmark::DoNotOptimize(e.dm.Recipes().RetetaTable()->RecordCount());
    }
}

void NextProduct(benchmark::State& state, const char* name)
{
    Editor e(name);
    e.Open();
    for (auto _ : state) {
        e.dm.Recipes().ProductTable()->Next();
        if (e.dm.Recipes().ProductTable()->Eof())
            e.dm.Recipes().ProductTable()->First();
        benchmark::DoNotOptimize(e.dm.Recipes().RetetaTable()->FieldByName("DenMat_Prim")->AsString());
    }
}

void Open_1k(benchmark::State& s) { OpenEditor(s, "c1k"); }
void Open_100k(benchmark::State& s) { OpenEditor(s, "c100k"); }
void SearchProducts_1k(benchmark::State& s) { Search(s, "c1k", "P1", "P3"); }
void SearchProducts_100k(benchmark::State& s) { Search(s, "c100k", "P1", "P3"); }
void SearchPastMaterials_1k(benchmark::State& s) { Search(s, "c1k", "0", "P1"); }
void SearchPastMaterials_100k(benchmark::State& s) { Search(s, "c100k", "0", "P1"); }
void Next_1k(benchmark::State& s) { NextProduct(s, "c1k"); }
void Next_100k(benchmark::State& s) { NextProduct(s, "c100k"); }
BENCHMARK(Open_1k)->Unit(benchmark::kMillisecond);
BENCHMARK(Open_100k)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchProducts_1k)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchProducts_100k)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchPastMaterials_1k)->Unit(benchmark::kMillisecond);
BENCHMARK(SearchPastMaterials_100k)->Unit(benchmark::kMillisecond);
BENCHMARK(Next_1k)->Unit(benchmark::kMillisecond);
BENCHMARK(Next_100k)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    return bench::RunBenchmarks(
        argc, argv,
        [&] {
            std::printf("building catalogs of 1,000 and 100,000 raw materials...\n");
            Build(dir.path() + "/c1k", 1000);
            Build(dir.path() + "/c100k", 100000);
        },
        [](RatioReporter& reporter) {
            for (const char* b : {"Open", "SearchProducts", "SearchPastMaterials", "Next"})
                reporter.PrintRatio(std::string(b) + "_100k", std::string(b) + "_1k");
        });
}

// Master-detail, lookup and calculated fields, filters: the links the production data relies on.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/DbMessages.h"
#include "platform/db/Table.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <functional>
#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

// The catalog's products (without the raw materials, whose codes begin with '.', unless
// every row is asked for) and their recipes as a detail linked by code; neither open.
struct ProductRecipes {
    explicit ProductRecipes(const QString& dir, bool productsOnly = true)
    {
        products.SetDatabaseName(dir);
        products.SetTableName("CATALOG.DB");
        if (productsOnly) {
            products.SetFiltered(true);
            products.OnFilterRecord = [](TDataSet* ds, bool& accept) {
                accept = !StartsWithChar(ds->FieldByName("Cod")->AsString(), '.');
            };
        }
        source.SetDataSet(&products);
        recipe.SetDatabaseName(dir);
        recipe.SetTableName("Reteta.DB");
        recipe.SetIndexFieldNames("Cod");
        recipe.SetMasterSource(&source);
        recipe.SetMasterFields("Cod");
    }
    TTable products;
    TDataSource source;
    TTable recipe;
};

class Links : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateTable(dir.Path(), "CATALOG.DB",
                    {{"Grupa", TFieldType::String, 8}, {"Cod", TFieldType::String, 30}, {"Denumire", TFieldType::String, 255}},
                    {{"", "Grupa;Cod", TIndexOption::Primary | TIndexOption::Unique}},
                    {{"01", ".LAPTE", "Lapte crud"},
                     {"02", "IAURT", "Iaurt 3%"},
                     {"02", "SANA", "Sana"},
                     {"05", ".LAPTE", "Lapte crud (grupa 05)"},
                     {"03", ";MAIA", "Maia"},
                     {"04", QVariant(), "Fara cod"}});
        CreateTable(dir.Path(), "Reteta.DB",
                    {{"Cod", TFieldType::String, 30}, {"Cod_MatPrim", TFieldType::String, 30}, {"Cant_MatPrim", TFieldType::Float, 0}},
                    {{"", "Cod;Cod_MatPrim", TIndexOption::Primary | TIndexOption::Unique}},
                    {{"IAURT", ".LAPTE", 10.0}, {"IAURT", ";MAIA", 1.0}, {"SANA", ".LAPTE", 12.0}, {"SANA", ".SMANT", 2.0}});
    }
    DatabaseDir dir;
};

TEST_F(Links, DetailShowsTheMasterRowsAndANewRowTakesTheMasterValue)
{
    ProductRecipes linked(dir.Path());
    TTable& products = linked.products;
    TTable& recipe = linked.recipe;
    QString codeAtNewRecord;
    recipe.OnNewRecord = [&](TDataSet* ds) { codeAtNewRecord = ds->FieldByName("Cod")->AsString(); };

    products.Open();
    recipe.Open();
    ASSERT_EQ(products.FieldByName("Cod")->AsString(), "IAURT"); // .LAPTE is filtered out
    EXPECT_EQ(Column(recipe, "Cod_MatPrim"), (QStringList{".LAPTE", ";MAIA"}));
    products.Next();
    EXPECT_EQ(products.FieldByName("Cod")->AsString(), "SANA");
    EXPECT_EQ(Column(recipe, "Cod_MatPrim"), (QStringList{".LAPTE", ".SMANT"}));

    recipe.Append();
    EXPECT_EQ(codeAtNewRecord, "SANA");
    recipe.FieldByName("Cod_MatPrim")->SetAsString(".ZAHAR");
    recipe.FieldByName("Cant_MatPrim")->SetAsFloat(1.5);
    recipe.Post();
    EXPECT_EQ(RawColumn(dir.Path(), "SELECT Cod FROM Reteta WHERE Cod_MatPrim='.ZAHAR'"), (QVariantList{"SANA"}));

    // A refused detail post stops the master from moving.
    recipe.BeforePost = [](TDataSet*) { Abort(); };
    recipe.Edit();
    recipe.FieldByName("Cant_MatPrim")->SetAsFloat(3.0);
    EXPECT_THROW(products.Prior(), EAbort);
    EXPECT_EQ(products.FieldByName("Cod")->AsString(), "SANA");
    EXPECT_EQ(recipe.State(), TDataSetState::Edit);
}

// A detail's raw materials as the master's last move left them: read on from where it
// stands, not from its first row, which is read anew.
QStringList Shown(TTable& recipe)
{
    QStringList shown;
    for (; !recipe.Eof(); recipe.Next())
        shown << recipe.FieldByName("Cod_MatPrim")->AsString();
    return shown;
}

// A report steps its master back onto a row for the footers and on again; the detail then
// shows what the table holds, whatever changed it since it last showed that row's rows.
TEST_F(Links, DetailBackOnAMasterRowShowsWhatTheTableHoldsNow)
{
    const auto otherProgram = [this](const QString& sql) {
        {
            QSqlQuery q(OtherConnection(dir.Path(), QStringLiteral("links-other")));
            EXPECT_TRUE(q.exec(sql)) << sql.toStdString();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("links-other"));
    };
    const auto ownDataSet = [this] { return OpenTable(dir.Path(), "Reteta.DB", "Cod;Cod_MatPrim"); };
    const QString addSugar = QStringLiteral("INSERT INTO Reteta (Cod, Cod_MatPrim, Cant_MatPrim) VALUES ('IAURT', '.ZAHAR', 1)");
    struct Case {
        const char* name;
        // Done while the master is on SANA; true when it leaves the master there (editing).
        std::function<bool(TTable& products, TTable& recipe)> change;
        QStringList iaurt; // the detail's rows on IAURT afterwards
    } cases[] = {
        {"nothing", [](TTable&, TTable&) { return false; }, {".LAPTE", ";MAIA"}},
        {"a row posted by another dataset",
         [&](TTable&, TTable&) {
             ownDataSet()->AppendRecord({"IAURT", ".ZAHAR", 1.0});
             return false;
         },
         {".LAPTE", ".ZAHAR", ";MAIA"}},
        {"a row deleted by another dataset",
         [&](TTable&, TTable&) {
             auto other = ownDataSet();
             EXPECT_TRUE(other->FindKey({"IAURT", ";MAIA"}));
             other->Delete();
             return false;
         },
         {".LAPTE"}},
        {"another program's row, then a refresh",
         [&](TTable&, TTable& recipe) {
             otherProgram(addSugar);
             recipe.Refresh();
             return false;
         },
         {".LAPTE", ".ZAHAR", ";MAIA"}},
        {"a filter",
         [](TTable&, TTable& recipe) {
             recipe.OnFilterRecord = [](TDataSet* ds, bool& accept) {
                 accept = !StartsWithChar(ds->FieldByName("Cod_MatPrim")->AsString(), ';');
             };
             recipe.SetFiltered(true);
             return false;
         },
         {".LAPTE"}},
        {"another order",
         [](TTable&, TTable& recipe) {
             recipe.SetIndexFieldNames("Cod;Cant_MatPrim");
             return false;
         },
         {";MAIA", ".LAPTE"}},
        {"another program's row, then the master's code edited",
         [&](TTable& products, TTable&) {
             otherProgram(addSugar);
             products.Edit();
             products.FieldByName("Cod")->SetAsString("IAURT");
             return true;
         },
         {".LAPTE", ".ZAHAR", ";MAIA"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        ProductRecipes linked(dir.Path());
        TTable& products = linked.products;
        TTable& recipe = linked.recipe;
        products.Open();
        recipe.Open();
        // On to SANA, back to IAURT and on again, as a report walks its master.
        for (int step = 0; step < 3; ++step) {
            step % 2 ? products.Prior() : products.Next();
            ASSERT_EQ(Shown(recipe), step % 2 ? QStringList({".LAPTE", ";MAIA"}) : QStringList({".LAPTE", ".SMANT"}));
        }
        if (!c.change(products, recipe))
            products.Prior();
        EXPECT_EQ(Shown(recipe), c.iaurt);
        if (products.IsEditing())
            products.Cancel();
    }
}

// An edit of a detail's row shown again from what was read before starts from what the
// row holds, changed meanwhile by another program.
TEST_F(Links, EditOfADetailRowShownAgainStartsFromWhatItHolds)
{
    ProductRecipes linked(dir.Path(), false);
    TTable& products = linked.products;
    TTable& recipe = linked.recipe;
    products.Open();
    recipe.Open();
    ASSERT_TRUE(products.FindKey({"02", "IAURT"}));
    ASSERT_EQ(recipe.FieldByName("Cod_MatPrim")->AsString(), ".LAPTE");
    products.Next();
    {
        QSqlQuery q(OtherConnection(dir.Path(), QStringLiteral("links-editor")));
        EXPECT_TRUE(q.exec("UPDATE Reteta SET Cant_MatPrim = 7 WHERE Cod = 'IAURT' AND Cod_MatPrim = '.LAPTE'"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("links-editor"));
    products.Prior();
    ASSERT_EQ(recipe.FieldByName("Cod_MatPrim")->AsString(), ".LAPTE");
    // Whether the detail showed the change already or the edit finds it, the edit has it.
    try {
        recipe.Edit();
    } catch (const ERecordChanged&) {
        recipe.Edit();
    }
    EXPECT_EQ(recipe.FieldByName("Cant_MatPrim")->AsFloat(), 7.0);
    recipe.Cancel();
}

TEST_F(Links, LookupGoesByCodeOnlyAndSeesOnlyWhatTheLookupListShows)
{
    TTable materials;
    materials.SetDatabaseName(dir.Path());
    materials.SetTableName("Catalog.DB");
    materials.AddField("Grupa", TFieldType::String, 8);
    materials.AddField("Cod", TFieldType::String, 30);
    materials.AddField("Denumire", TFieldType::String, 255);
    materials.SetFiltered(true);
    materials.OnFilterRecord = [](TDataSet* ds, bool& accept) {
        const QString c = ds->FieldByName("Cod")->AsString();
        accept = StartsWithChar(c, '.') || StartsWithChar(c, ';');
    };
    TTable recipe;
    recipe.SetDatabaseName(dir.Path());
    recipe.SetTableName("Reteta.DB");
    recipe.AddField("Cod", TFieldType::String, 30);
    recipe.AddField("Cod_MatPrim", TFieldType::String, 30);
    recipe.AddField("Cant_MatPrim", TFieldType::Float);
    recipe.AddLookupField("DenMat_Prim", 255, "Cod_MatPrim", &materials, "Cod", "Denumire");
    materials.Open();
    recipe.Open();
    QStringList names = Column(recipe, "DenMat_Prim");
    // .LAPTE is in two groups: the first row met wins; .SMANT is not in the catalog at all.
    EXPECT_EQ(names, (QStringList{"Lapte crud", "Maia", "Lapte crud", ""}));
    // While editing, the lookup follows the code.
    recipe.First();
    recipe.Edit();
    recipe.FieldByName("Cod_MatPrim")->SetAsString(";MAIA");
    EXPECT_EQ(recipe.FieldByName("DenMat_Prim")->AsString(), "Maia");
    recipe.FieldByName("Cod_MatPrim")->SetAsString("IAURT"); // a product, outside the list
    EXPECT_EQ(recipe.FieldByName("DenMat_Prim")->AsString(), "");
    recipe.Cancel();
}

TEST_F(Links, CalculatedFieldsAreComputedPerRecordAndCached)
{
    TTable recipe;
    recipe.SetDatabaseName(dir.Path());
    recipe.SetTableName("Reteta.DB");
    recipe.AddField("Cod", TFieldType::String, 30);
    recipe.AddField("Cod_MatPrim", TFieldType::String, 30);
    recipe.AddField("Cant_MatPrim", TFieldType::Float);
    TField* twice = recipe.AddCalcField("Dublu", TFieldType::Float);
    int calls = 0;
    recipe.OnCalcFields = [&](TDataSet* ds) {
        ++calls;
        ds->FieldByName("Dublu")->SetAsFloat(ds->FieldByName("Cant_MatPrim")->AsFloat() * 2);
    };
    recipe.Open();
    EXPECT_EQ(calls, 4); // each record once, when read
    QStringList values;
    for (int round = 0; round < 3; ++round) {
        values.clear();
        while (!recipe.Eof()) {
            values << twice->AsString();
            recipe.Next();
        }
        while (!recipe.Bof())
            recipe.Prior();
    }
    EXPECT_EQ(values, (QStringList{"20", "2", "24", "4"}));
    EXPECT_EQ(calls, 4); // moving over records already read does not compute again
    recipe.Last();
    recipe.Edit();
    recipe.FieldByName("Cant_MatPrim")->SetAsFloat(5);
    EXPECT_EQ(twice->AsFloat(), 10.0); // recomputed for the edited record
    recipe.Post();
    EXPECT_EQ(twice->AsFloat(), 10.0);
    EXPECT_THROW(twice->SetAsFloat(1), EDatabaseError); // read-only outside the calculation
}

TEST_F(Links, FilterHidesRowsFromKeySearchesCountsAndNavigation)
{
    auto catalog = OpenTable(dir.Path(), "CATALOG.DB");
    catalog->Close();
    catalog->SetFiltered(true);
    catalog->OnFilterRecord = [](TDataSet* ds, bool& accept) {
        accept = !StartsWithChar(ds->FieldByName("Cod")->AsString(), '.');
    };
    catalog->Open();
    EXPECT_EQ(catalog->RecordCount(), 4);
    EXPECT_FALSE(catalog->FindKey({"01", ".LAPTE"}));
    EXPECT_TRUE(catalog->FindKey({"02", "SANA"}));
    EXPECT_EQ(catalog->RecNo(), 2);
    EXPECT_TRUE(catalog->FindKey({"04", ""})); // an empty code is a key like any other
    EXPECT_EQ(catalog->FieldByName("Denumire")->AsString(), "Fara cod");
    EXPECT_EQ(Column(*catalog, "Cod"), (QStringList{"IAURT", "SANA", ";MAIA", ""}));
}

} // namespace

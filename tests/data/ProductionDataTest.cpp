// The rules of the production data: which articles each list shows, what a valid raw
// material is, what a row needs before it is saved, and the stock figures.
#include "ProductionFixture.h"
#include "DbFixture.h"
#include "data/Queries.h"
#include "data/ProductionData.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Query.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"

#include <QLabel>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace testsupport;

namespace {

class DataModule : public ::testing::Test {
protected:
    void SetUp() override
    {
        company.Article("01", ".LAPTE", "Lapte crud");
        company.Article("01", ".SMANT", "Smantana crud");
        company.Article("01", ".SARE", "Sare");
        company.Article("04", ".LAPTE", "Lapte crud (ambalat)");
        company.Article("03", ";MAIA", "Maia de iaurt");
        company.Article("02", "IAURT", "Iaurt 3%", 100.0);
        company.Article("02", "TELEMEA", "Telemea de vaca", 10.0);
        company.Article("02", "", "Articol fara cod");
        dm = &production.Connect(company);
    }
    void TearDown() override { production.Data.reset(); }

    void OpenRecipes()
    {
        dm->Recipes().ProductTable()->Open();
        dm->Recipes().RecipeMaterialTable()->Open();
        dm->Recipes().RetetaTable()->Open();
        ASSERT_TRUE(dm->Recipes().ProductTable()->Locate("Cod", {"IAURT"}));
    }
    // The working table of a requirement, as the requirement form leaves it.
    void MakeTemp(const std::vector<QVariantList>& rows)
    {
        CreateTable(company.PrivateDir(), fw::TempDB,
                    {{"Cod_Grupa", TFieldType::String, 8}, {"Cod_MatPrim", TFieldType::String, 30}, {"Cant", TFieldType::Float}},
                    {}, rows);
        TTable t;
        t.SetDatabaseName(company.PrivateDir());
        t.SetTableName(fw::TempDB);
        t.AddIndex("Cod_MatPrim", "Cod_grupa;Cod_MatPrim", TIndexOption::Primary);
        dm->Requirement().RequirementMaterialTable()->Open();
        dm->Requirement().TempTable()->Open();
    }
    QMap<QString, QPair<double, double>> StockFigures()
    {
        QMap<QString, QPair<double, double>> out;
        TTable* t = dm->Requirement().TempTable();
        t->First();
        while (!t->Eof()) {
            out[t->FieldByName("Cod_grupa")->AsString() + "/" + t->FieldByName("Cod_MatPrim")->AsString()] = {
                t->FieldByName("StocExist")->AsFloat(), t->FieldByName("StocFin")->AsFloat()};
            t->Next();
        }
        return out;
    }

    TestCompany company;
    testsupport::TProduction production;
    TProductionContext& context = production.Context;
    TProductionData* dm = nullptr;
    TMessageRecorder messages;
};

TEST_F(DataModule, EachListShowsItsArticles)
{
    dm->Recipes().ProductTable()->Open();
    dm->Requirement().RequirementMaterialTable()->Open();
    dm->Recipes().RecipeMaterialTable()->Open();
    // Products: everything but raw materials, the semi-finished and the code-less article too.
    EXPECT_EQ(Column(*dm->Recipes().ProductTable(), "Cod"), (QStringList{"", "IAURT", "TELEMEA", ";MAIA"}));
    // Materials: raw materials and semi-finished products only.
    const QStringList materials{".LAPTE", ".SARE", ".SMANT", ";MAIA", ".LAPTE"};
    EXPECT_EQ(Column(*dm->Requirement().RequirementMaterialTable(), "Cod"), materials);
    EXPECT_EQ(Column(*dm->Recipes().RecipeMaterialTable(), "Cod"), materials);
    // The prefixes are read when a list is filled: another IndCod changes the lists.
    context.Settings.RawMaterialPrefix = 'T';
    dm->Recipes().ProductTable()->Refresh();
    EXPECT_FALSE(Column(*dm->Recipes().ProductTable(), "Cod").contains("TELEMEA"));
}

TEST_F(DataModule, RecipeMaterialCheck)
{
    OpenRecipes();
    TField* group = dm->Recipes().RetetaTable()->FieldByName("Cod_Grupa");
    TField* code = dm->Recipes().RetetaTable()->FieldByName("Cod_MatPrim");
    dm->Recipes().RetetaTable()->Append();
    code->SetAsString("IAURT"); // no group yet: anything goes
    EXPECT_EQ(messages.Count(), 0);
    group->SetAsString("03");
    code->SetAsString(";MAIA"); // semi-finished under its group
    EXPECT_EQ(messages.Count(), 0);
    group->SetAsString("01");
    code->SetAsString(".LAPTE");
    EXPECT_THROW(code->SetAsString(".UNT"), EAbort); // raw-material prefix, not in the catalog under 01
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text,
              "Articolul <01  .UNT>  nu este de tip materie prima ! Apasati CTRL-ENTER pentru a selecta din catalog!!");
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Warning);
    EXPECT_EQ(code->AsString(), ".LAPTE"); // the refused value left the field as it was
    EXPECT_THROW(code->SetAsString("TELEMEA"), EAbort); // a finished product
    group->SetAsString("04");
    code->SetAsString(".LAPTE"); // the same code under another group it exists in
    EXPECT_EQ(messages.Count(), 2);
    code->SetAsString(""); // emptying is always accepted
    EXPECT_EQ(messages.Count(), 2);
}

TEST_F(DataModule, ChecksGiveAVerdictAndTheWarningIsShownByWhoeverShowsIt)
{
    OpenRecipes();
    EXPECT_EQ(dm->RecipeMaterialRefusal("01", ".LAPTE"), std::nullopt);
    EXPECT_EQ(dm->RecipeMaterialRefusal("", "TELEMEA"), std::nullopt); // no group yet
    EXPECT_EQ(dm->RecipeMaterialRefusal("02", "TELEMEA"),
              "Articolul <02  TELEMEA>  nu este de tip materie prima ! Apasati CTRL-ENTER pentru a selecta din catalog!!");
    EXPECT_EQ(messages.Count(), 0);
    // Nobody to show it: the refusal is an error that says why, never a silent one.
    dm->ShowWarning = nullptr;
    dm->Recipes().RetetaTable()->Append();
    dm->Recipes().RetetaTable()->FieldByName("Cod_Grupa")->SetAsString("01");
    try {
        dm->Recipes().RetetaTable()->FieldByName("Cod_MatPrim")->SetAsString("TELEMEA");
        ADD_FAILURE() << "accepted";
    } catch (const EAbort&) {
        ADD_FAILURE() << "refused silently";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.Message().startsWith("Articolul <01  TELEMEA>")) << qPrintable(e.Message());
    }
    EXPECT_EQ(messages.Count(), 0);
    dm->Recipes().RetetaTable()->Cancel();
}

TEST_F(DataModule, RequirementMaterialCheckNamesTheCodeAlone)
{
    MakeTemp({{"01", ".LAPTE", 10.0}});
    TField* code = dm->Requirement().TempTable()->FieldByName("Cod_MatPrim");
    dm->Requirement().TempTable()->Edit();
    EXPECT_THROW(code->SetAsString(".UNT"), EAbort);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Text,
              "Articolul <.UNT> nu este de tip materie prima ! Apasati CTRL-ENTER pentru a selecta din stocul existent!!");
    EXPECT_EQ(code->AsString(), ".LAPTE");
    code->SetAsString(".SARE");
    EXPECT_EQ(dm->Requirement().TempTable()->FieldByName("Denumire")->AsString(), "Sare");
}

TEST_F(DataModule, CompletenessChecksKeepTheRowEditing)
{
    OpenRecipes();
    TTable* recipe = dm->Recipes().RetetaTable();
    recipe->Append();
    recipe->FieldByName("Cod_Grupa")->SetAsString("01");
    recipe->FieldByName("Cod_MatPrim")->SetAsString(".SARE");
    EXPECT_THROW(recipe->Post(), EAbort); // no quantity
    EXPECT_EQ(messages.Texts(), QStringList{"Completati toate datele articolului!"});
    EXPECT_EQ(recipe->State(), TDataSetState::Insert);
    recipe->FieldByName("Cant_MatPrim")->SetAsFloat(0.0); // zero is a quantity
    recipe->Post();
    EXPECT_EQ(RawColumn(company.Dir(), "SELECT Cod FROM Reteta WHERE Cod_MatPrim='.SARE'"), QVariantList{"IAURT"});

    // The requirement row needs code and quantity; the group is not examined.
    MakeTemp({{"01", ".LAPTE", 10.0}});
    TTable* temp = dm->Requirement().TempTable();
    temp->Append();
    temp->FieldByName("Cant")->SetAsFloat(3);
    EXPECT_THROW(temp->Post(), EAbort);
    EXPECT_EQ(temp->State(), TDataSetState::Insert);
    temp->FieldByName("Cod_MatPrim")->SetAsString(".SMANT");
    temp->Post();
    EXPECT_EQ(messages.Count(), 2);
    EXPECT_EQ(temp->RecordCount(), 2);
}

TEST_F(DataModule, StockFiguresCountTheLotsTheStockRuleAllows)
{
    company.Lot("01", ".LAPTE", "_MP1", 3);
    company.Lot("01", ".LAPTE", "_MP2", 4);
    company.Lot("01", ".LAPTE", "PF1", 50);   // a finished-goods warehouse: not raw-material stock
    company.Lot("04", ".LAPTE", "_MP1", 100); // the same code under another group
    company.Lot("01", ".SARE", "_MP1", 2.5);
    company.Lot("03", ";MAIA", "PF1", 1.25);  // semi-finished: counts wherever it lies
    company.Lot("03", ";MAIA", "_MP1", 1);
    MakeTemp({{"01", ".LAPTE", 10.0}, {"01", ".SARE", 2.5}, {"01", ".SMANT", 4.0}, {"03", ";MAIA", 1.0}, {"01", ".X", QVariant()}});
    const auto figures = StockFigures();
    EXPECT_EQ(figures.value("01/.LAPTE"), qMakePair(7.0, -3.0));
    EXPECT_EQ(figures.value("01/.SARE"), qMakePair(2.5, 0.0));
    EXPECT_EQ(figures.value("01/.SMANT"), qMakePair(0.0, -4.0));
    EXPECT_EQ(figures.value("03/;MAIA"), qMakePair(2.25, 1.25));
    EXPECT_EQ(figures.value("01/.X"), qMakePair(0.0, 0.0)); // no quantity counts as 0
}

TEST_F(DataModule, FinalStockIsRoundedToHundredthsHalvesToEven)
{
    company.Lot("01", ".LAPTE", "_MP1", 1.0);
    company.Lot("01", ".SARE", "_MP1", 1.0);
    // 1 - 0.125 = 0.875 (exact in binary) -> 0.88; 1 - 0.875 = 0.125 -> 0.12.
    MakeTemp({{"01", ".LAPTE", 0.125}, {"01", ".SARE", 0.875}});
    const auto figures = StockFigures();
    EXPECT_DOUBLE_EQ(figures.value("01/.LAPTE").second, 0.88);
    EXPECT_DOUBLE_EQ(figures.value("01/.SARE").second, 0.12);
}

TEST_F(DataModule, RecipeLookupGoesByCodeOnly)
{
    company.RecipeRow("IAURT", ".LAPTE", "04", 10);
    company.RecipeRow("IAURT", ";MAIA", "03", 1);
    company.RecipeRow("IAURT", "TELEMEA", "02", 1); // not a material: no name shown
    OpenRecipes();
    QStringList names;
    TTable* recipe = dm->Recipes().RetetaTable();
    recipe->First();
    while (!recipe->Eof()) {
        names << recipe->FieldByName("DenMat_Prim")->AsString();
        recipe->Next();
    }
    // .LAPTE exists under 01 and 04: the first row met (group 01) names it, whatever the line's group.
    EXPECT_EQ(names, (QStringList{"Lapte crud", "Maia de iaurt", ""}));
}

TEST_F(DataModule, StateChangesLowerTheNegativeStockFlag)
{
    MakeTemp({{"01", ".LAPTE", 10.0}});
    context.NegativeStockShown = true;
    dm->Requirement().TempTable()->Edit();
    EXPECT_FALSE(context.NegativeStockShown);
    context.NegativeStockShown = true;
    dm->Requirement().TempTable()->FieldByName("Cant")->SetAsFloat(2); // a field change is not a state change
    EXPECT_TRUE(context.NegativeStockShown);
    dm->Requirement().TempTable()->Post();
    EXPECT_FALSE(context.NegativeStockShown);
}

TEST_F(DataModule, TheRequirementFormHearsWhetherThereAreRows)
{
    MakeTemp({{"01", ".LAPTE", 10.0}});
    dm->Requirement().TempTable()->Refresh(); // no form listening: nothing to do, nothing fails
    std::vector<bool> heard;
    dm->Requirement().RequirementRowsChanged = [&](bool hasRows) { heard.push_back(hasRows); };
    dm->Requirement().TempTable()->Refresh();
    ASSERT_FALSE(heard.empty());
    EXPECT_TRUE(heard.back());
    dm->Requirement().TempTable()->Delete();
    EXPECT_FALSE(heard.back());
    dm->Requirement().TempTable()->Append(); // a new row is not yet a row of the table
    EXPECT_FALSE(heard.back());
    dm->Requirement().RequirementRowsChanged = nullptr;
}

TEST_F(DataModule, MovingToAnotherProductEndsTheSearch)
{
    dm->Recipes().ProductTable()->Open();
    // The label an open recipe editor registers for the search text.
    QLabel label;
    dm->Recipes().SetProductSearchView(&label, [&] { label.setText(context.ProductSearchText); });
    context.ProductSearchText = "TEL";
    label.setText("TEL");
    context.ProductSearchActive = true; // the search itself moves the list
    dm->Recipes().ProductTable()->Next();
    EXPECT_EQ(context.ProductSearchText, "TEL");
    context.ProductSearchActive = false;
    dm->Recipes().ProductTable()->Next();
    EXPECT_EQ(context.ProductSearchText, "");
    EXPECT_EQ(label.text(), "");
    dm->Recipes().ProductTable()->Edit();
    context.ProductSearchText = "X";
    dm->Recipes().ProductTable()->FieldByName("CantReteta")->SetAsFloat(5); // a field change keeps it
    EXPECT_EQ(context.ProductSearchText, "X");
    dm->Recipes().ProductTable()->Cancel();
    dm->Recipes().RemoveProductSearchView(&label);
}

// All rows of a query, each as its values joined by blanks.
QStringList Rows(TQuery& q)
{
    QStringList rows;
    q.Open();
    for (q.First(); !q.Eof(); q.Next()) {
        QStringList values;
        for (int i = 0; i < q.FieldCount(); ++i)
            values << q.Fields(i)->AsString();
        rows << values.join(QLatin1Char(' '));
    }
    q.Close();
    return rows;
}

TEST_F(DataModule, EachFixedQueryReturnsItsRows)
{
    company.RecipeRow("IAURT", ".LAPTE", "01", 110.0);
    company.RecipeRow("IAURT", ";MAIA", "03", 2.0);
    company.Lot("01", ".LAPTE", "_MP1", 30);
    company.Lot("01", ".LAPTE", "_MP2", 12);
    company.Lot("01", ".LAPTE", "_MP1", 8, "L2");
    company.Lot("04", ".LAPTE", "_MP1", 100);
    company.Add(fw::ItemInDB, {{7.0, 1.0, "PF1", "02", "IAURT", "I1", 50.0}, {8.0, 1.0, "PF1", "02", "IAURT", "I2", 20.0}});
    company.Add(fw::GestDB, {{"_MP1", "Materii prime"}, {"PF1", "Produse finite"}});
    company.Add(fw::FurnDB, {{"F2", "Ferma Doi"}, {"F1", "Ferma Unu"}});
    CreateTable(company.PrivateDir(), fw::TempDB,
                {{"Cod_Grupa", TFieldType::String, 8}, {"Cod_MatPrim", TFieldType::String, 30}, {"Cant", TFieldType::Float}},
                {}, {{"01", ".LAPTE", 55.0}, {"03", ";MAIA", 1.0}, {"01", ".LAPTE", 22.0}});
    struct Case {
        const char* what;
        const QStringList& sql;
        const char* database;
        std::function<void(TQuery&)> bind;
        QStringList rows;
    } cases[] = {
        {"requirement of a document", RequirementTermsSql(), "KRBPROD",
         [](TQuery& q) { q.ParamByName("Contor")->SetAsFloat(7); }, {"01 .LAPTE 55", "03 ;MAIA 1"}},
        {"requirement summed per material", RequirementSumSql(), "KRB_PRIV", {}, {"01 .LAPTE 77", "03 ;MAIA 1"}},
        {"a product's recipe", RecipeRowsSql(), "KRBPROD", [](TQuery& q) { q.ParamByName("From")->SetAsString("IAURT"); },
         {"IAURT .LAPTE 01 110", "IAURT ;MAIA 03 2"}},
        {"stock by warehouse", StockByWarehouseSql(), "KRBPROD",
         [](TQuery& q) {
             q.ParamByName("Grupa")->SetAsString("01");
             q.ParamByName("Cod")->SetAsString(".LAPTE");
             q.ParamByName("Intrat")->SetAsDate(QDate(2026, 12, 7)); // lots without an entry date never expire
         },
         {"_MP1 38 0 0", "_MP2 12 0 0"}}, // the last: how many quantities are no number
        {"stock by warehouse, none expired", UnexpiredStockByWarehouseSql(), "KRBPROD",
         [](TQuery& q) {
             q.ParamByName("Grupa")->SetAsString("01");
             q.ParamByName("Cod")->SetAsString(".LAPTE");
         },
         {"_MP1 38 0", "_MP2 12 0"}},
        {"warehouses", WarehouseListSql(), "KRBPROD", {}, {"PF1 Produse finite", "_MP1 Materii prime"}},
        {"suppliers", SupplierListSql(), "KRBPROD", {}, {"F1 Ferma Unu", "F2 Ferma Doi"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TQuery q;
        q.SetSession(dm->Session);
        q.SetDatabaseName(QString::fromLatin1(c.database));
        q.SetSQL(c.sql);
        if (c.bind)
            c.bind(q);
        EXPECT_EQ(Rows(q), c.rows);
    }

    TQuery index;
    index.SetSession(dm->Session);
    index.SetDatabaseName(KRBPROD);
    index.SetSQL(IndexPricesSql());
    index.ParamByName("Coef")->SetAsFloat(1.5);
    index.ParamByName("Group")->SetAsString("01");
    index.ExecSQL();
    EXPECT_EQ(index.RowsAffected(), 3);
    EXPECT_EQ(RawColumn(company.Dir(), "SELECT DISTINCT Pret_vinzare FROM CATALOG WHERE Grupa = '01'"), (QVariantList{15.0}));
    EXPECT_EQ(RawColumn(company.Dir(), "SELECT DISTINCT Pret_vinzare FROM CATALOG WHERE Grupa <> '01'"), (QVariantList{10.0}));
}

TEST_F(DataModule, MaterialChecksRefuseACodeThatExistsOnlyUnderAnotherGroup)
{
    OpenRecipes();
    MakeTemp({});
    for (TTable* t : {dm->Recipes().RetetaTable(), dm->Requirement().TempTable()}) {
        SCOPED_TRACE(t->objectName().toStdString());
        t->Append();
        t->Fields(0)->SetAsString("04"); // .SMANT is a material of group 01 only
        messages.Clear();
        EXPECT_THROW(t->FieldByName("Cod_MatPrim")->SetAsString(".SMANT"), EAbort);
        EXPECT_EQ(messages.Count(), 1);
        EXPECT_TRUE(t->FieldByName("Cod_MatPrim")->IsNull());
        t->Fields(0)->SetAsString("01");
        t->FieldByName("Cod_MatPrim")->SetAsString(".SMANT");
        t->Cancel();
    }
}

TEST_F(DataModule, MaterialWithoutAGroupCountsTheLotsWithoutOne)
{
    company.Lot("", ".APA", "_MP1", 5);
    company.Lot("", ".APA", "_MP2", 6);
    company.Lot("01", ".APA", "_MP1", 100);
    MakeTemp({{QVariant(), ".APA", 4.0}});
    EXPECT_EQ(StockFigures().value("/.APA"), qMakePair(11.0, 7.0));
}

} // namespace

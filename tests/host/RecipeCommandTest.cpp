// "Retete de productie" in the host with the add-on library built beside it: the recipe
// editor as a child of the host's window, used as a new user would on the demo company.
#include "HostFixture.h"
#include "host/MainForm.h"
#include "platform/db/Table.h"
#include "platform/ui/DBEdit.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class RecipeCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host->AddOn().Loaded()) << messages.Texts().join(QLatin1Char('|')).toStdString();
        host->MainForm()->resize(1280, 800);
        host->MainForm()->show();
        QApplication::setActiveWindow(host->MainForm());
        ASSERT_TRUE(host->OpenDemoCompany(true));
        command = hosttest::FindAction(hosttest::SubMenu(host->MainForm()->menuBar(), QStringLiteral("&Sistem")),
                                       QStringLiteral("Retete de productie"));
        ASSERT_NE(command, nullptr);
    }

    // The editor's child windows in the host's document area.
    QList<QMdiSubWindow*> Editors()
    {
        QList<QMdiSubWindow*> found;
        for (QMdiSubWindow* w : host->MainForm()->MdiArea()->subWindowList()) {
            if (w->widget() && w->widget()->objectName() == QLatin1String("ZPFRetetaForm"))
                found << w;
        }
        return found;
    }
    fw::TForm* Choose()
    {
        command->trigger();
        QApplication::processEvents();
        const QList<QMdiSubWindow*> editors = Editors();
        return editors.size() == 1 ? dynamic_cast<fw::TForm*>(editors.front()->widget()) : nullptr;
    }
    template <typename T>
    T* Control(fw::TForm* form, const char* name) const
    {
        return dynamic_cast<T*>(form->findChild<QWidget*>(QString::fromLatin1(name)));
    }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    void Key(Qt::Key key) { QTest::keyClick(Focus(), key); }
    void Type(const QString& text)
    {
        for (QChar c : text)
            QTest::keyClick(Focus(), c.toLatin1());
    }
    // Picks a command of the recipe grid's context menu, as the right mouse button shows it.
    void ContextCommand(fw::TDBGridNormal* grid, const QString& caption)
    {
        emit grid->customContextMenuRequested(QPoint(20, 20));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        QAction* action = hosttest::FindAction(menu, caption);
        ASSERT_NE(action, nullptr) << caption.toStdString();
        menu->hide();
        action->trigger();
    }
    QStringList Stored(const QString& product)
    {
        QStringList out;
        for (const QVariant& v :
             testsupport::RawColumn(host->CompanyDir(), "SELECT Cod_Grupa || ' ' || Cod_MatPrim || '=' || Cant_MatPrim "
                                                         "FROM Reteta WHERE Cod = '" + product + "' ORDER BY Cod_MatPrim"))
            out << v.toString();
        return out;
    }
    void Look(const QString& name)
    {
        QApplication::processEvents();
        host->MainForm()->grab().save(testsupport::LookDir() + "/" + name + ".png");
    }

    fw::TMessageRecorder messages;
    hosttest::THost host{QStringLiteral(REAL_ADDON_FILE)};
    QAction* command = nullptr;
};

TEST_F(RecipeCommand, WriteARecipeForANewProductCopyItAndFindItAgain)
{
    // Two new products, as the host's catalog would have them.
    for (const char* sql : {"INSERT INTO CATALOG (Grupa, Cod, Denumire, CantReteta) VALUES ('02', 'CASCAVAL', "
                            "'Cascaval de vaca', 100)",
                            "INSERT INTO CATALOG (Grupa, Cod, Denumire, CantReteta) VALUES ('02', 'BURDUF', "
                            "'Branza de burduf', 100)"})
        testsupport::RawColumn(host->CompanyDir(), QString::fromLatin1(sql));

    fw::TForm* editor = Choose();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Caption(), "Reteta");
    EXPECT_EQ(editor->Owner(), host->MainForm());
    auto* products = Control<fw::TDBGridNormal>(editor, "KRPCatalogGrid");
    auto* recipe = Control<fw::TDBGridNormal>(editor, "KRPRetetaGrid");
    auto* yield = Control<fw::TDBEdit>(editor, "CantRetetaCBox");
    ASSERT_TRUE(products && recipe && yield);
    EXPECT_EQ(Focus(), products);
    // The window shows every column of both grids.
    EXPECT_GE(products->viewport()->width(), products->horizontalHeader()->length());
    EXPECT_GE(recipe->viewport()->width(), recipe->horizontalHeader()->length());
    Look("recipes-host-open");

    // The new product, its yield and two raw materials.
    ASSERT_TRUE(products->DataSet()->Locate("Cod", {"CASCAVAL"}));
    yield->setFocus();
    yield->selectAll();
    Type("50");
    recipe->setFocus();
    recipe->SetSelectedIndex(0);
    for (const QStringList& line : {QStringList{"01", ".LAPTE", "520"}, QStringList{"01", ".SARE", "1.5"}}) {
        for (const QString& cell : line) {
            if (&cell != &line.front())
                Key(Qt::Key_Tab);
            Type(cell);
        }
        Key(Qt::Key_Down); // saves the line and starts the next
        recipe->SetSelectedIndex(0);
    }
    Look("recipes-host-written");
    products->setFocus(); // the untouched new line is dropped
    EXPECT_EQ(Stored("CASCAVAL"), (QStringList{"01 .LAPTE=520.0", "01 .SARE=1.5"}));

    // Copied onto the other new product.
    recipe->setFocus();
    ContextCommand(recipe, "Copiaza reteta");
    ASSERT_TRUE(products->DataSet()->Locate("Cod", {"BURDUF"}));
    recipe->setFocus();
    ContextCommand(recipe, "Lipeste reteta");
    EXPECT_EQ(Stored("BURDUF"), Stored("CASCAVAL"));

    // Closed by its close box and chosen again: a new editor over what was saved.
    Editors().front()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Editors().isEmpty());
    EXPECT_EQ(testsupport::RawColumn(host->CompanyDir(), "SELECT CantReteta FROM CATALOG WHERE Cod = 'CASCAVAL'"),
              QVariantList{50.0});
    editor = Choose();
    ASSERT_NE(editor, nullptr);
    products = Control<fw::TDBGridNormal>(editor, "KRPCatalogGrid");
    recipe = Control<fw::TDBGridNormal>(editor, "KRPRetetaGrid");
    ASSERT_TRUE(products->DataSet()->Locate("Cod", {"BURDUF"}));
    EXPECT_EQ(recipe->model()->rowCount(), 2);
    Look("recipes-host-reopened");

    // Minimised and chosen again: the same editor comes back.
    Editors().front()->showMinimized();
    EXPECT_EQ(Choose(), editor);
    EXPECT_FALSE(Editors().front()->isMinimized());
    EXPECT_EQ(host->MainForm()->MdiArea()->activeSubWindow(), Editors().front());
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join(QLatin1Char('|')).toStdString();
}

TEST_F(RecipeCommand, TheProgramEndsEvenWhenTheEditorKeepsAnIncompleteLine)
{
    fw::TForm* editor = Choose();
    ASSERT_NE(editor, nullptr);
    auto* recipe = Control<fw::TDBGridNormal>(editor, "KRPRetetaGrid");
    recipe->setFocus();
    Key(Qt::Key_Insert);
    recipe->SetSelectedIndex(0);
    Type("01");
    Key(Qt::Key_Tab);
    Type(".SARE");
    // Closing the main window is refused with the line's warning; ending the program is not.
    EXPECT_FALSE(host->MainForm()->close());
    EXPECT_EQ(messages.Texts(), QStringList{"Completati toate datele articolului!"});
    host.Shutdown();
    EXPECT_EQ(host->MainForm(), nullptr);
}

TEST_F(RecipeCommand, AnEditorThatCannotOpenItsTablesLeavesNothingBehind)
{
    testsupport::RawColumn(host->CompanyDir(), "DROP TABLE Reteta");
    EXPECT_EQ(Choose(), nullptr);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Last().Text.startsWith("Eroare de acces la baza de date!\r<"));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(Editors().isEmpty());
    // The next choice tries again and, with the table back, opens.
    testsupport::RawColumn(host->CompanyDir(), "CREATE TABLE Reteta (Cod VARCHAR(30), Cod_MatPrim VARCHAR(30), "
                                               "Cant_MatPrim DOUBLE, Cod_Grupa VARCHAR(8), PRIMARY KEY (Cod, Cod_MatPrim))");
    EXPECT_NE(Choose(), nullptr);
}

} // namespace

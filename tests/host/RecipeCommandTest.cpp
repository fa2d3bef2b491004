// "Retete de productie" in the host with the add-on library built beside it: the recipe
// editor as a child of the host's window, used as a new user would on the demo company.
#include "BuiltFiles.h"
#include "HostFixture.h"
#include "Typing.h"
#include "host/MainForm.h"
#include "platform/db/DataSet.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Form.h"
#include "platform/ui/MessageDlg.h"

#include <QApplication>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace {

class RecipeCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        host->MainForm()->resize(1280, 800);
        host->MainForm()->show();
        QApplication::setActiveWindow(host->MainForm());
        ASSERT_TRUE(host->OpenDemoCompany(true));
        command = host.Command("&Sistem", "Retete de productie");
        ASSERT_NE(command, nullptr);
    }
    // Chooses the command; the one editor in the document area, if there is one.
    fw::TForm* Choose()
    {
        command->trigger();
        QApplication::processEvents();
        const QList<QMdiSubWindow*> windows = host->MainForm()->MdiArea()->subWindowList();
        return windows.size() == 1 ? dynamic_cast<fw::TForm*>(windows.front()->widget()) : nullptr;
    }
    fw::TDBGridNormal* Grid(const char* name)
    {
        return dynamic_cast<fw::TDBGridNormal*>(editor->findChild<QWidget*>(QString::fromLatin1(name)));
    }
    // A command of the recipe grid's context menu, as the right mouse button shows it.
    void ContextCommand(const QString& caption)
    {
        emit Grid("RecipeGrid")->customContextMenuRequested(QPoint(20, 20));
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        menu->hide();
        hosttest::FindAction(menu, caption)->trigger();
    }
    QStringList Stored(const QString& product)
    {
        QStringList out;
        for (const QVariant& v : testsupport::RawColumn(host->CompanyDir(), "SELECT Cod_Grupa || ' ' || Cod_MatPrim || '=' "
                                                                            "|| Cant_MatPrim FROM Reteta WHERE Cod = '" +
                                                                                product + "' ORDER BY Cod_MatPrim"))
            out << v.toString();
        return out;
    }
    void Look(const QString& name) { host->MainForm()->grab().save(testsupport::LookDir() + "/" + name + ".png"); }

    fw::TMessageRecorder messages;
    hosttest::THost host{QString::fromUtf8(built::kRealAddOnFile)};
    QAction* command = nullptr;
    fw::TForm* editor = nullptr;
};

TEST_F(RecipeCommand, WriteARecipeForANewProductCopyItAndFindItAgain)
{
    // Two new products, as the host's catalog would have them.
    testsupport::RawColumn(host->CompanyDir(), "INSERT INTO CATALOG (Grupa, Cod, Denumire, CantReteta) VALUES "
                                               "('02', 'CASCAVAL', 'Cascaval de vaca', 100), ('02', 'BURDUF', 'Burduf', 100)");
    editor = Choose();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Caption(), "Reteta");
    EXPECT_EQ(editor->Owner(), host->MainForm());
    fw::TDBGridNormal* products = Grid("ProductGrid");
    fw::TDBGridNormal* recipe = Grid("RecipeGrid");
    EXPECT_EQ(QApplication::focusWidget(), products);
    for (fw::TDBGridNormal* grid : {products, recipe}) // every column shows
        EXPECT_GE(grid->viewport()->width(), grid->horizontalHeader()->length());
    Look("recipes-host-open");

    // The new product, its yield and two raw materials, each line saved by Down.
    ASSERT_TRUE(products->DataSet()->Locate("Cod", {"CASCAVAL"}));
    editor->findChild<QWidget*>("YieldEdit")->setFocus();
    testsupport::Key(Qt::Key_A, Qt::ControlModifier);
    testsupport::Type("50");
    recipe->setFocus();
    for (const QString& line : {QStringLiteral("01\t.LAPTE\t520"), "01\t.SARE\t" + testsupport::Decimal("1.5")}) {
        recipe->SetSelectedIndex(0);
        testsupport::Type(line);
        testsupport::Key(Qt::Key_Down);
    }
    Look("recipes-host-written");
    products->setFocus(); // the untouched new line is dropped
    EXPECT_EQ(Stored("CASCAVAL"), (QStringList{"01 .LAPTE=520.0", "01 .SARE=1.5"}));

    // Copied onto the other new product through the recipe's context menu.
    recipe->setFocus();
    ContextCommand("Copiaza reteta");
    ASSERT_TRUE(products->DataSet()->Locate("Cod", {"BURDUF"}));
    ContextCommand("Lipeste reteta");
    EXPECT_EQ(Stored("BURDUF"), Stored("CASCAVAL"));

    // Closed by its close box and chosen again: a new editor over what was saved.
    editor->MDISubWindow()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(host->MainForm()->MdiArea()->subWindowList().isEmpty());
    EXPECT_EQ(testsupport::RawColumn(host->CompanyDir(), "SELECT CantReteta FROM CATALOG WHERE Cod = 'CASCAVAL'"),
              QVariantList{50.0});
    editor = Choose();
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(Grid("ProductGrid")->DataSet()->Locate("Cod", {"BURDUF"}));
    EXPECT_EQ(Grid("RecipeGrid")->model()->rowCount(), 2);
    Look("recipes-host-reopened");

    // Minimised and chosen again: the same editor comes back.
    editor->MDISubWindow()->showMinimized();
    EXPECT_EQ(Choose(), editor);
    EXPECT_FALSE(editor->IsMinimized());
    EXPECT_EQ(messages.Count(), 0) << messages.Texts().join('|').toStdString();

    // An incomplete line refuses the main window's closing; ending the program ends it.
    Grid("RecipeGrid")->setFocus();
    testsupport::Key(Qt::Key_Insert);
    testsupport::Type("01\t.SARE");
    EXPECT_FALSE(host->MainForm()->close());
    EXPECT_EQ(messages.Texts(), QStringList{"Completati toate datele articolului!"});
    host.Shutdown();
}

} // namespace

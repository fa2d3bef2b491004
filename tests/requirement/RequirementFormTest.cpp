// The requirement window: what it shows, when it offers a document, how it paints a
// shortage, and what "Genereaza document iesire " does when the stock moved or the database
// fails.
#include "Named.h"
#include "RequirementCompany.h"
#include "catalog/CatalogLookup.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/RequirementForm.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;
using testsupport::Named;

namespace {

// Naming the document written: the receipt's number and date.
const QString Success = "OK. Documentul de iesire din gestiunea de materii prime/materiale a fost generat cu succes.\r"
                        "Documentul de consum: nr. 125 din 07.12.2026.";

// Product P (yield 1) made of .A 10, .B 1 and .C 1, a receipt of one P, and lots.
void ReceiptOfOneP(RequirementCompany& c, const std::vector<std::pair<const char*, double>>& lots)
{
    c.company.Article("02", "P", "Produs", 1.0);
    for (const char* m : {".A", ".B", ".C"}) {
        c.company.Article("01", m, m);
        c.company.RecipeRow("P", m, "01", QLatin1String(m) == QLatin1String(".A") ? 10 : 1);
    }
    int n = 0;
    for (const auto& [material, quantity] : lots)
        c.company.Lot("01", material, "_MP", quantity, "L" + QString::number(++n));
    c.Receipt(1, {{"02", "P", 1}});
    c.production.Context.ReceiptCounter = 1;
}

TEST(RequirementForm, ShowsTheReceiptAndOffersADocumentOnlyForRows)
{
    for (const auto& [lines, rows] : {std::pair{std::vector<TLine>{{"02", "P", 1}}, true}, {{}, false}, {{{"02", "Q", 3}}, false}}) {
        TMessageRecorder messages;
        RequirementCompany c;
        c.company.Article("02", "P", "Produs", 1.0);
        c.company.RecipeRow("P", ".A", "01", 2);
        c.Receipt(4, lines);
        c.production.Context.ReceiptCounter = 4;
        TRequirementForm form(c.production.Context, nullptr);
        ASSERT_TRUE(form.Prepared());
        EXPECT_EQ(Named<QPushButton>(&form, "GenerateButton")->isEnabled(), rows);
        EXPECT_EQ(Named<QLabel>(&form, "NumberLabel")->text(), "125");
        EXPECT_EQ(Named<QLabel>(&form, "DateLabel")->text(), DateToStr(DateToDateTime(QDate(2026, 12, 7)), c.production.Context.Formats));
        if (rows) {
            c.dm->Requirement().TempTable()->Delete(); // the last row
            EXPECT_FALSE(Named<QPushButton>(&form, "GenerateButton")->isEnabled());
        }
        EXPECT_EQ(messages.Count(), 0);
    }
}

TEST(RequirementForm, ProductsLeftOutAreToldOnceAndAFailedPreparationLeavesTheFormUnused)
{
    TMessageRecorder messages;
    RequirementCompany c;
    c.company.Article("02", "TELEMEA", "Telemea", 0.0);
    c.company.RecipeRow("TELEMEA", ".SARE", "01", 5);
    c.Receipt(1, {{"02", "TELEMEA", 10}});
    c.production.Context.ReceiptCounter = 1;
    EXPECT_TRUE(TRequirementForm(c.production.Context, nullptr).Prepared());
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Warning);
    EXPECT_TRUE(messages.Last().Text.endsWith("\r02  TELEMEA  Telemea"));

    testsupport::RawColumn(c.company.Dir(), "DROP TABLE Reteta");
    TRequirementForm form(c.production.Context, nullptr);
    EXPECT_FALSE(form.Prepared());
    EXPECT_EQ(messages.Count(), 2);
    EXPECT_TRUE(messages.Last().Text.startsWith("Eroare de acces la baza de date.\r"));
    EXPECT_FALSE(Named<QPushButton>(&form, "GenerateButton")->isEnabled());

    // A settings file that cannot be read is told in its own words, never read as defaults.
    const QString settings = c.company.Dir() + "/KRBDEF.INI";
    ASSERT_EQ(::mkfifo(QFile::encodeName(settings).constData(), 0600), 0);
    c.production.Context.Settings.FixedDirectory = c.company.Dir();
    const TRequirementForm unread(c.production.Context, nullptr);
    EXPECT_FALSE(unread.Prepared());
    EXPECT_EQ(messages.Count(), 3);
    EXPECT_EQ(messages.Last().Text, "<" + settings + "> nu este un fisier obisnuit: setarile nu pot fi citite din el.");
}

TEST(RequirementForm, OnlyNegativeStockFiguresArePaintedRedAndBold)
{
    RequirementCompany c;
    ReceiptOfOneP(c, {{".A", 4}, {".B", -2}, {".C", 5}}); // final stock -6; stock itself -2; enough
    TRequirementForm form(c.production.Context, nullptr);
    form.show();
    Named<QPushButton>(&form, "GenerateButton")->setFocus(); // no cell highlighted
    const auto* grid = Named<TDBGridNormal>(&form, "RequirementGrid");
    const QImage image = grid->viewport()->grab().toImage();
    form.grab().save(testsupport::LookDir() + "/requirement-form.png");
    auto red = [&](int row, int column) {
        const QRect cell = grid->visualRect(grid->model()->index(row, column)) & image.rect();
        int count = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x)
                count += image.pixelColor(x, y) == QColor(255, 0, 0);
        return count;
    };
    // Columns: name, code, group, quantity, stock, final stock.
    EXPECT_EQ(QList<bool>({red(0, 3) > 0, red(0, 4) > 0, red(0, 5) > 0, red(1, 4) > 0, red(1, 5) > 0, red(2, 4) > 0, red(2, 5) > 0}),
              QList<bool>({false, false, true, true, true, false, false}));
}

TEST(RequirementForm, CtrlEnterPicksFromTheCatalogInTheMaterialColumnsOnly)
{
    TMessageRecorder messages;
    RequirementCompany c;
    ReceiptOfOneP(c, {});
    c.company.Add(fw::MaterialeDB, {{"MP", "Materii prime", "301"}});
    c.company.Add(fw::GrupDB, {{"MP", "01", "Materii prime", "301"}});
    c.company.Article("01", ".D", "Materia D");
    TRequirementForm form(c.production.Context, nullptr);
    form.show();
    QApplication::setActiveWindow(&form);
    auto* grid = Named<TDBGridNormal>(&form, "RequirementGrid");
    grid->setFocus();
    TModalHook hook([](TForm* lookup) {
        static_cast<TCatalogLookupForm*>(lookup)->ShowArticle(".D");
        return TModalResult::OK;
    });
    auto press = [&](const char* column, Qt::KeyboardModifiers modifiers) {
        grid->SetSelectedField(c.dm->Requirement().TempTable()->FieldByName(column));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, modifiers);
    };
    press("Cant", Qt::ControlModifier);
    press("StocFin", Qt::ControlModifier);
    press("Denumire", Qt::NoModifier);
    EXPECT_EQ(hook.Calls(), 0);
    c.dm->Requirement().TempTable()->Cancel();
    c.dm->Requirement().TempTable()->First(); // .A
    press("Denumire", Qt::ControlModifier);
    EXPECT_EQ(hook.Calls(), 1);
    EXPECT_EQ(c.dm->Requirement().TempTable()->State(), TDataSetState::Edit);
    const fw::TTable* temp = c.dm->Requirement().TempTable();
    EXPECT_EQ(temp->FieldByName("Cod_MatPrim")->AsString() + temp->FieldByName("Denumire")->AsString(), ".DMateria D");
    EXPECT_EQ(messages.Count(), 0);
}

TEST(RequirementForm, TheNegativeStockQuestionFollowsTheDataNotThePainting)
{
    TMessageRecorder messages;
    RequirementCompany c;
    ReceiptOfOneP(c, {{".A", 4}, {".B", 5}, {".C", 5}});
    TRequirementForm form(c.production.Context, nullptr); // never shown: nothing painted
    // A row still in editing is saved first, which lowers the painting's flag.
    ASSERT_TRUE(c.dm->Requirement().TempTable()->Locate("Cod_MatPrim", {".B"}));
    c.dm->Requirement().TempTable()->Edit();
    c.dm->Requirement().TempTable()->FieldByName("Cant")->SetAsFloat(2);
    messages.Answer(TModalResult::No);
    Named<QPushButton>(&form, "GenerateButton")->click();
    EXPECT_EQ(messages.Texts(), QStringList{NegativeQuestion});
    EXPECT_EQ(c.Strings("SELECT COUNT(*) FROM Doc_out"), QStringList{"0"});
    EXPECT_EQ(form.ModalResult(), TModalResult::None);

    Named<QPushButton>(&form, "GenerateButton")->click(); // "Da": the short material is left out
    EXPECT_EQ(messages.Texts(), (QStringList{NegativeQuestion, NegativeQuestion, Success}));
    EXPECT_EQ(J(c.Lines()), "1 01/.B L2 2.0 | 2 01/.C L3 1.0");
    EXPECT_EQ(form.ModalResult(), TModalResult::OK);
}

TEST(RequirementForm, ADatabaseErrorAtAnyWriteLeavesTheDatabaseAsItWasAndTheNextClickWorks)
{
    for (const auto& [when, table] : {std::pair{"BEFORE UPDATE", "COUNTER"}, {"BEFORE INSERT", "Doc_out"},
                                      {"BEFORE INSERT", "Item_out"}, {"BEFORE UPDATE", "Stoc"}, {"BEFORE DELETE", "Stoc"},
                                      {"BEFORE INSERT", "Genealogie"}}) {
        SCOPED_TRACE(std::string(when) + " ON " + table);
        TMessageRecorder messages;
        RequirementCompany c;
        ReceiptOfOneP(c, {{".A", 4}, {".A", 8}, {".B", 5}, {".C", 1}}); // emptied, reduced, reduced, emptied
        TRequirementForm form(c.production.Context, nullptr);
        const QStringList before = c.Dump();
        testsupport::AddRefusingTrigger(c.company.Dir(), table, when, "injected");
        Named<QPushButton>(&form, "GenerateButton")->click();
        EXPECT_EQ(messages.Texts(), QStringList{"Eroare de baza de date survenita in generarea documentului de iesire!\rinjected"});
        EXPECT_EQ(form.ModalResult(), TModalResult::None);
        testsupport::DropRefusingTrigger(c.company.Dir(), table);
        EXPECT_EQ(c.Dump(), before);

        Named<QPushButton>(&form, "GenerateButton")->click();
        EXPECT_EQ(messages.Last().Text, Success);
        EXPECT_EQ(c.Strings("SELECT Contor FROM Doc_out"), QStringList{"8.0"});
        EXPECT_EQ(J(c.Lines()), "1 01/.A L1 4.0 | 2 01/.A L2 6.0 | 3 01/.B L3 1.0 | 4 01/.C L4 1.0");
        EXPECT_EQ(J(c.Lots()), "L2=2.0 | L3=4.0");
    }
}

} // namespace

TEST(RequirementForm, EscapeInACellCancelsThatCellOnlyAndKeepsTheRowsEditedBefore)
{
    TMessageRecorder messages;
    RequirementCompany c;
    ReceiptOfOneP(c, {});
    TRequirementForm form(c.production.Context, nullptr);
    TTable* temp = c.dm->Requirement().TempTable();
    TModalHook hook([&](TForm* f) {
        QApplication::setActiveWindow(f);
        auto* grid = Named<TDBGridNormal>(&form, "RequirementGrid");
        grid->setFocus();
        temp->First(); // .A, 10 wanted
        grid->SetSelectedField(temp->FieldByName("Cant"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), "7");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // posts .A
        QTest::keyClicks(QApplication::focusWidget(), "5");
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            EXPECT_TRUE(f->InModal());
            EXPECT_EQ(temp->State(), TDataSetState::Browse);
        }
        temp->First();
        EXPECT_EQ(temp->FieldByName("Cod_MatPrim")->AsString() + " " + temp->FieldByName("Cant")->AsString(), ".A 7");
        temp->Next();
        EXPECT_EQ(temp->FieldByName("Cod_MatPrim")->AsString() + " " + temp->FieldByName("Cant")->AsString(), ".B 1");
        Named<QPushButton>(&form, "CancelButton")->setFocus(); // away from the grid, Escape is the window's again
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        EXPECT_FALSE(f->InModal());
        return TModalResult::OK;
    });
    EXPECT_EQ(form.ShowModal(), TModalResult::Cancel);
    EXPECT_EQ(messages.Count(), 0);
}

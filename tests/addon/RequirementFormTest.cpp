// The requirement window: what it shows of the receipt, when it lets a document be
// generated, how it paints a shortage, and what a click on "Genereaza document iesire "
// does when the stock moved or the database fails.
#include "RequirementCompany.h"
#include "platform/core/Formats.h"
#include "platform/ui/MessageDlg.h"
#include "requirement/Requirement.h"
#include "requirement/ZPFNeces.h"
#include "shell/AddOnFormats.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace corvanel;
using namespace fw;
using namespace reqtest;

namespace {

const QString Success =
    QStringLiteral("OK. Documentul de iesire din gestiunea de materii prime/materiale a fost generat cu succes.");

// Product P (yield 1) with a recipe of .A 10, .B 1 and .C 1, and a receipt of one P.
void ReceiptOfOneP(RequirementCompany& c)
{
    c.company.Article("02", "P", "Produs", 1.0);
    c.Materials({{"01", ".A"}, {"01", ".B"}, {"01", ".C"}});
    for (const char* m : {".A", ".B", ".C"})
        c.company.RecipeRow("P", m, "01", QLatin1String(m) == QLatin1String(".A") ? 10 : 1);
    c.Receipt(1, {{"02", "P", 1}});
    DocInContor = 1;
}

int RedPixels(const QImage& image, const QRect& rect)
{
    int count = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.red() > 180 && c.green() < 90 && c.blue() < 90;
        }
    return count;
}

TEST(RequirementForm, ShowsTheReceiptAndOffersADocumentOnlyForRows)
{
    struct Case {
        const char* Name;
        std::vector<TLine> Lines;
        bool Rows;
    };
    for (const Case& k : {Case{"rows", {{"02", "P", 1}}, true}, Case{"no lines", {}, false},
                          Case{"no recipe", {{"02", "Q", 3}}, false}}) {
        SCOPED_TRACE(k.Name);
        TMessageRecorder messages;
        RequirementCompany c;
        c.company.Article("02", "P", "Produs", 1.0);
        c.company.RecipeRow("P", ".A", "01", 2);
        c.Receipt(4, k.Lines);
        DocInContor = 4;
        QPointer<TZPFNecesarForm> form = new TZPFNecesarForm(nullptr);
        ZPFNecesarForm = form;
        ASSERT_TRUE(form->Prepared());
        EXPECT_EQ(form->GenDocOutBTN->isEnabled(), k.Rows);
        EXPECT_EQ(form->NrDocLbl->text(), "125");
        EXPECT_EQ(form->DataDocLbl->text(), DateToStr(DateToDateTime(QDate(2026, 12, 7)), FormatSettings()));
        if (k.Rows) {
            c.dm->TempTable->Delete(); // the last row
            EXPECT_FALSE(form->GenDocOutBTN->isEnabled());
        }
        // Closing frees the form, closes the tables and deletes the working table.
        EXPECT_TRUE(form->Close());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(form.isNull());
        EXPECT_EQ(ZPFNecesarForm, nullptr);
        EXPECT_FALSE(c.dm->StocTable->Active());
        EXPECT_FALSE(c.dm->TempTable->Exists());
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
    DocInContor = 1;
    {
        TZPFNecesarForm form(nullptr);
        EXPECT_TRUE(form.Prepared());
        ASSERT_EQ(messages.Count(), 1);
        EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Warning);
        EXPECT_TRUE(messages.Last().Text.endsWith("\r02  TELEMEA  Telemea"));
    }
    messages.Clear();
    testsupport::RawColumn(c.company.Dir(), "DROP TABLE Reteta");
    TZPFNecesarForm form(nullptr);
    EXPECT_FALSE(form.Prepared());
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Error);
    EXPECT_TRUE(messages.Last().Text.startsWith("Eroare de acces la baza de date.\r")) << messages.Last().Text.toStdString();
    EXPECT_FALSE(form.GenDocOutBTN->isEnabled());
    EXPECT_FALSE(c.dm->TempTable->Active());
}

TEST(RequirementForm, OnlyNegativeStockFiguresArePaintedRedAndBold)
{
    TMessageRecorder messages;
    RequirementCompany c;
    ReceiptOfOneP(c);
    c.company.Lot("01", ".A", "_MP", 4, "L1");  // 10 needed: final stock -6
    c.company.Lot("01", ".B", "_MP", -2, "L2"); // stock itself negative
    c.company.Lot("01", ".C", "_MP", 5, "L3");
    TZPFNecesarForm form(nullptr);
    form.show();
    form.GenDocOutBTN->setFocus(); // no cell highlighted
    NegativeStockShown = false;
    const QImage image = form.NecesarGrid->viewport()->grab().toImage();
    EXPECT_TRUE(NegativeStockShown);
    auto red = [&](int row, int column) {
        const QRect cell = form.NecesarGrid->visualRect(form.NecesarGrid->model()->index(row, column));
        return RedPixels(image, cell.intersected(QRect(QPoint(0, 0), image.size() / image.devicePixelRatio())));
    };
    enum { Quantity = 3, Stock = 4, Final = 5 };
    EXPECT_GT(red(0, Final), 5);
    EXPECT_EQ(red(0, Stock), 0);
    EXPECT_EQ(red(0, Quantity), 0);
    EXPECT_GT(red(1, Stock), 5);
    EXPECT_GT(red(1, Final), 5);
    EXPECT_EQ(red(2, Stock) + red(2, Final), 0);
    form.grab().save(testsupport::LookDir() + "/requirement-form.png");
}

TEST(RequirementForm, TheNegativeStockQuestionFollowsTheDataNotThePainting)
{
    TMessageRecorder messages;
    RequirementCompany c;
    ReceiptOfOneP(c);
    c.company.Lot("01", ".A", "_MP", 4, "L1");
    c.company.Lot("01", ".B", "_MP", 5, "L2");
    c.company.Lot("01", ".C", "_MP", 5, "L3");
    TZPFNecesarForm form(nullptr); // never shown: nothing painted
    // A row still being edited when the button is clicked: saved first, which lowers the
    // painting's flag; the question is asked all the same.
    ASSERT_TRUE(c.dm->TempTable->Locate("Cod_MatPrim", {".B"}));
    c.dm->TempTable->Edit();
    c.dm->TempTable->FieldByName("Cant")->SetAsFloat(2);
    messages.Answer(TModalResult::No);
    form.GenDocOutBTN->click();
    EXPECT_EQ(messages.Texts(), QStringList{NegativeQuestion});
    EXPECT_EQ(c.dm->TempTable->State(), TDataSetState::Browse);
    EXPECT_TRUE(c.Strings("SELECT Contor FROM Doc_out").isEmpty());
    EXPECT_EQ(form.ModalResult(), TModalResult::None);

    messages.Clear(); // "Da" this time: the short material is left out
    form.GenDocOutBTN->click();
    EXPECT_EQ(messages.Texts(), (QStringList{NegativeQuestion, Success}));
    EXPECT_EQ(J(c.Lines()), "1 01/.B L2 2.0 | 2 01/.C L3 1.0");
    EXPECT_EQ(form.ModalResult(), TModalResult::OK);
}

TEST(RequirementForm, ADatabaseErrorAtAnyWriteLeavesTheDatabaseAsItWasAndTheNextClickWorks)
{
    const std::vector<std::pair<const char*, const char*>> faults = {
        {"counter", "BEFORE UPDATE ON COUNTER"},  {"header", "BEFORE INSERT ON Doc_out"},
        {"line", "BEFORE INSERT ON Item_out"},    {"lot reduced", "BEFORE UPDATE ON Stoc"},
        {"lot emptied", "BEFORE DELETE ON Stoc"},
    };
    for (const auto& [name, when] : faults) {
        SCOPED_TRACE(name);
        TMessageRecorder messages;
        RequirementCompany c;
        ReceiptOfOneP(c);
        c.company.Lot("01", ".A", "_MP", 4, "L1"); // emptied
        c.company.Lot("01", ".A", "_MP", 8, "L2"); // reduced to 2
        c.company.Lot("01", ".B", "_MP", 5, "L3");
        c.company.Lot("01", ".C", "_MP", 1, "L4");
        TZPFNecesarForm form(nullptr);
        const QStringList before = c.Dump();
        testsupport::RawColumn(c.company.Dir(), QStringLiteral("CREATE TRIGGER Fault %1 BEGIN SELECT RAISE(ABORT, "
                                                               "'injected fault'); END")
                                                    .arg(QLatin1String(when)));
        form.GenDocOutBTN->click();
        ASSERT_EQ(messages.Count(), 1);
        EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Error);
        EXPECT_TRUE(messages.Last().Text.startsWith("Eroare de baza de date survenita in generarea documentului de iesire!\r"));
        EXPECT_TRUE(messages.Last().Text.contains("injected fault"));
        EXPECT_EQ(form.ModalResult(), TModalResult::None);
        testsupport::RawColumn(c.company.Dir(), "DROP TRIGGER Fault");
        EXPECT_EQ(c.Dump(), before);

        form.GenDocOutBTN->click();
        EXPECT_EQ(messages.Last().Text, Success);
        EXPECT_EQ(c.Strings("SELECT Contor FROM Doc_out"), QStringList{"8"});
        EXPECT_EQ(J(c.Lines()), "1 01/.A L1 4.0 | 2 01/.A L2 6.0 | 3 01/.B L3 1.0 | 4 01/.C L4 1.0");
        EXPECT_EQ(J(c.Lots()), "L2=2.0 | L3=4.0");
    }
}

} // namespace

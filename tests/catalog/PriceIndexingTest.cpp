// Indexing the sale prices of a group from the lookup's hidden menu: the prompt, the
// limits, the update itself, what the user sees afterwards, and a failing update.
#include "CatalogFixture.h"
#include "Engine.h"
#include "TempDir.h"
#include "data/Messages.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Query.h"
#include "platform/core/Formats.h"
#include "platform/ui/DBGridNormal.h"
#include "platform/ui/Menus.h"
#include "shell/EntryPoints.h"

#include <QAction>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>

#include <cmath>
#include <optional>

using namespace corvanel;
using namespace fw;
using namespace cattest;

namespace {

class PriceIndex : public cattest::CatalogFixture {
protected:
    // The command as the user gives it: edit mode on, group 01 current, the prompt answered
    // with a percentage (none: cancelled).
    void Index(std::optional<double> percentage, const QString& group = "01")
    {
        OpenForm();
        form->ShowGroup(group);
        form->show();
        EditButton(form.get())->click();
        TModalHook hook([&](TForm* f) {
            EXPECT_EQ(f->objectName(), "PercentageDlg");
            prompt = testsupport::Named<QLabel>(f, "Question")->text();
            EXPECT_GE(f->height(), f->sizeHint().height());
            f->grab().save(testsupport::LookDir() + "/catalog-ask-coef.png");
            auto* edit = testsupport::Named<QDoubleSpinBox>(f, "PercentageEdit");
            EXPECT_EQ(edit->value(), 0);
            if (percentage)
                edit->setValue(*percentage);
            testsupport::Named<QPushButton>(f, percentage ? "OkButton" : "CancelButton")->click();
            return TModalResult::None;
        });
        IndexPricesItem(form.get())->Action()->trigger();
        prompts = hook.Calls();
    }
    // What the lookup's grid shows as the first article's price.
    QString ShownPrice() const
    {
        const int column = ArticleGrid(form.get())->ColumnByFieldName("Pret_vinzare")->Index();
        return ArticleGrid(form.get())->model()->data(ArticleGrid(form.get())->model()->index(0, column)).toString();
    }
    // Nothing of the work is left behind: no progress window, controls back, normal cursor.
    void ExpectCleanedUp() const
    {
        EXPECT_TRUE(form->findChildren<TPriceIndexingForm*>().isEmpty());
        EXPECT_FALSE(ArticleTable(form.get())->ControlsDisabled());
        EXPECT_EQ(context.Screen->Cursor(), TCursor::Default);
    }

    QString prompt;
    int prompts = 0;
};

class PriceIndexBy : public PriceIndex, public ::testing::WithParamInterface<std::pair<double, const char*>> {};

TEST_P(PriceIndexBy, MultipliesTheGroupsPricesAndShowsThemAtOnce)
{
    const auto [percentage, prices] = GetParam();
    Index(percentage);
    EXPECT_EQ(StoredPrices("01"), prices);
    EXPECT_EQ(StoredPrices("04"), "D4=10.0"); // other groups keep theirs
    EXPECT_EQ(prompt,
              "Specificati coeficientul (în procente) cu care doriti sa modificati preturile de vînzare în grupa "
              "\"Lactate crude\" :");
    EXPECT_EQ(messages.Texts(), QStringList{"Preturile de vînzare pentru grupa \"01\" au fost actualizate cu succes!"});
    EXPECT_EQ(beeps, std::vector<TBeep>{TBeep::Information});
    EXPECT_EQ(ShownPrice(), FormatFloat("#,##0.00", ArticleTable(form.get())->Lookup("Cod", {"A1"}, "Pret_vinzare").toDouble()));
    ExpectCleanedUp();
}

INSTANTIATE_TEST_SUITE_P(Percentages, PriceIndexBy,
                         ::testing::Values(std::pair{10.0, "A1=11.0 B2=null C3=2.75"}, std::pair{-10.0, "A1=9.0 B2=null C3=2.25"},
                                           std::pair{0.0, "A1=10.0 B2=null C3=2.5"}, std::pair{-100.0, "A1=0.0 B2=null C3=0.0"}));

TEST_F(PriceIndex, BelowMinusHundredOrCancelledChangesNothing)
{
    EXPECT_TRUE(TPriceIndexingForm(context.Session(), nullptr).grab().save(testsupport::LookDir() + "/catalog-index-progress.png"));
    Index(-100.01);
    EXPECT_EQ(messages.Texts(), QStringList{"Coeficientul nu poate fi mai mic de -100% !"});
    messages.Clear();
    Index(std::nullopt);
    EXPECT_EQ(messages.Count(), 0);
    EXPECT_EQ(StoredPrices("01"), "A1=10.0 B2=null C3=2.5");
    EXPECT_TRUE(beeps.empty());
}

TEST_F(PriceIndex, AGroupWithoutArticlesOnlyBeeps)
{
    OtherUser("DELETE FROM CATALOG WHERE Grupa = '04'");
    Index(10, "04");
    EXPECT_EQ(prompts, 0);
    EXPECT_EQ(beeps, std::vector<TBeep>{TBeep::Error});
    EXPECT_EQ(messages.Count(), 0);
}

TEST_F(PriceIndex, AFailedUpdateChangesNoPriceAndSaysSo)
{
    // One article of the group cannot be written: none of the group's prices changes.
    OtherUser("CREATE TRIGGER Refuz BEFORE UPDATE ON CATALOG WHEN OLD.Cod = 'C3' BEGIN SELECT RAISE(ABORT, 'disc plin'); END");
    Index(10);
    EXPECT_EQ(StoredPrices("01"), "A1=10.0 B2=null C3=2.5");
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Error);
    EXPECT_TRUE(messages.Last().Text.startsWith("Eroare de acces la baza de date!\r<")) << qPrintable(messages.Last().Text);
    EXPECT_TRUE(messages.Last().Text.contains("disc plin"));
    EXPECT_TRUE(beeps.empty());
    EXPECT_EQ(ShownPrice(), FormatFloat("#,##0.00", 10));
    ExpectCleanedUp();
}

} // namespace

TEST_F(PriceIndex, TheCommandsHintLeavesTheStatusLineWithTheLookup)
{
    OpenForm();
    form->show();
    context.Application->SetHint(IndexPricesItem(form.get())->Hint()); // as hovering the command leaves it
    form->close();
    EXPECT_EQ(context.Application->Hint(), "");
}

// On both engines: a price taken past what a number holds would be stored as infinite by
// one engine, refused by the other, and -100% would then make it nothing at all.
class IndexedPrices : public cattest::CatalogFixture {
protected:
    QString Stored() { return testsupport::RawTexts(company.Dir(), "SELECT Cod, Pret_vinzare FROM CATALOG WHERE Grupa = '01' ORDER BY Cod").join(", "); }
    int Update(double factor)
    {
        const std::unique_ptr<TQuery> update(NewIndexPricesQuery(context.Session(), nullptr));
        return UpdateGroupPrices(*update, "01", factor);
    }
};

TEST_F(IndexedPrices, AResultPastTheLargestNumberChangesNoPriceOfTheGroup)
{
    const double factor = 1e306;
    EXPECT_EQ(Update(factor), 3);
    const QString huge = Stored();
    EXPECT_EQ(huge, "A1 1e+307, B2 NULL, C3 2.5e+306");
    EXPECT_THROW(Update(factor), fw::EAbort); // 1e307 x 1e306: past the largest double
    EXPECT_EQ(Stored(), huge);
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_EQ(messages.Last().Kind, TMsgDlgType::Warning);
    EXPECT_EQ(messages.Last().Text, msg::PricesOutOfRange("01"));
    EXPECT_EQ(Update(*IndexFactor(-100)), 3);
    EXPECT_EQ(Stored(), "A1 0.0, B2 NULL, C3 0.0");
    // The window's own limits, either way.
    EXPECT_TRUE(IndexFactor(kLargestPercentage));
    EXPECT_FALSE(IndexFactor(kLargestPercentage + 0.01));
    EXPECT_FALSE(IndexFactor(std::nan("")));
    EXPECT_EQ(messages.Last().Text, msg::PercentageAboveCeiling());
}

// The embedded engine keeps text in a number column and multiplies it as 0: the group's
// indexing stops at it, naming it, and no price changes.
TEST_F(IndexedPrices, APriceThatIsNoNumberStopsTheGroupsIndexing)
{
    if (testsupport::OnServer())
        GTEST_SKIP() << "a server's number column holds numbers only";
    fw::Connection::Open(company.Dir())->Exec("UPDATE CATALOG SET Pret_vinzare = 'scump' WHERE Cod = 'C3'");
    const QString before = Stored();
    try {
        Update(1.1);
        ADD_FAILURE() << "indexed over a price that is text";
    } catch (const fw::EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("Valoarea campului Pret_vinzare din tabela CATALOG.DB (inregistrarea cu Grupa = 01, "
                                         "Cod = C3)"))
            << qPrintable(e.Message());
    }
    EXPECT_EQ(Stored(), before);
}

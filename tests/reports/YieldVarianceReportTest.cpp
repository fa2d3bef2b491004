// The report "Necesar fata de consum" as a page model: a group a receipt and product, a line
// a material, the product's total under them; an unknown value prints as nothing.
#include "ReportFormats.h"
#include "platform/report/ReportTestSupport.h"
#include "reports/ProductFilterDialog.h"
#include "reports/YieldVarianceReport.h"
#include "ProductionFixture.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>
#include <limits>

using namespace corvanel;
using reporttest::TextsNamed;

namespace {

TEST(YieldVarianceReport, EachMaterialUnderItsProductAndTheProductsTotalUnderThem)
{
    testsupport::TProduction production;
    testsupport::UsePointAndDottedDates(production.Context.Formats);
    TYieldVarianceReport report(production.Context, nullptr);
    report.Period = {QDate(2026, 12, 1), QDate(2026, 12, 31)};
    const double unknown = std::numeric_limits<double>::quiet_NaN();
    TProductVariance p{5, 125, QDate(2026, 12, 7), "02", "IAURT", "Iaurt", "kg", 2000, {}, {}};
    // Milk: 260 planned, 280 drawn at 2.50; starter: 15 planned, none drawn, no price known.
    p.Materials = {{"01", ".LAPTE", 260, 280, 700, 2.5, 650}, {"04", ";MAIA", 15, 0, 0, unknown, unknown}};
    p.Total = {"", "", 275, 280, 700, unknown, unknown};
    report.SetVariances({p});
    const fw::TReportDocument doc = report.Report->Generate();
    EXPECT_EQ(TextsNamed(doc, "Product"), QStringList{"Receptia nr. 125 din 07.12.2026: 02 IAURT Iaurt, 2,000 kg"});
    EXPECT_EQ(TextsNamed(doc, "Material"), (QStringList{"01 .LAPTE", "04 ;MAIA"}));
    EXPECT_EQ(TextsNamed(doc, "Diferenta"), (QStringList{"20", "-15"}));
    EXPECT_EQ(TextsNamed(doc, "Procent"), (QStringList{"7.7", "-100.0"}));
    EXPECT_EQ(TextsNamed(doc, "Valoare"), (QStringList{"50.00", ""}));
    EXPECT_EQ(TextsNamed(doc, "TotalDiferenta"), QStringList{"5"});
    EXPECT_EQ(TextsNamed(doc, "TotalProcent"), QStringList{"1.8"});
    EXPECT_EQ(TextsNamed(doc, "TotalValoare"), QStringList{""});
    // The variance over time after the last product; the products asked for under the title.
    EXPECT_EQ(doc.Pages.back().Pictures.size(), 1u);
    report.Products = QStringList{"IAURT", "KEFIR"};
    EXPECT_EQ(TextsNamed(report.Report->Generate(), "Period"),
              QStringList{"receptii de produse din 01.12.2026 - 31.12.2026; produsele IAURT, KEFIR; valoarea la pretul "
                          "loturilor consumate"});
}

// Which products the report is about: all of them, or those ticked; a choice of none
// cannot be confirmed.
TEST(YieldVarianceReport, TheProductsChosenAreThoseTickedAndNoneCannotBeConfirmed)
{
    const std::vector<TRecipeProduct> recipes{{"CAS", "Cas"}, {"IAURT", "Iaurt"}, {"KEFIR", "Kefir"}};
    TProductFilterDialog dialog(recipes, {"KEFIR"}, nullptr);
    auto* every = dialog.findChild<QCheckBox*>("EveryProductCheck");
    auto* list = dialog.findChild<QListWidget*>("ProductList");
    QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    ASSERT_TRUE(every && list && ok);
    EXPECT_FALSE(every->isChecked());
    EXPECT_EQ(dialog.chosenProducts(), QStringList{"KEFIR"});
    list->item(2)->setCheckState(Qt::Unchecked);
    EXPECT_FALSE(ok->isEnabled());
    list->item(0)->setCheckState(Qt::Checked);
    list->item(1)->setCheckState(Qt::Checked);
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_EQ(dialog.chosenProducts(), (QStringList{"CAS", "IAURT"}));
    every->setChecked(true);
    EXPECT_FALSE(list->isEnabled());
    EXPECT_TRUE(ok->isEnabled());
    EXPECT_TRUE(dialog.chosenProducts().isEmpty());

    // The choice kept from an earlier run, none of whose products has a recipe here now.
    TProductFilterDialog gone(recipes, {"UNT"}, nullptr);
    EXPECT_TRUE(gone.findChild<QCheckBox*>("EveryProductCheck")->isChecked());
    EXPECT_TRUE(gone.chosenProducts().isEmpty());
}

} // namespace

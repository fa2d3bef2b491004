// "Receptie lapte": a delivery typed as a person types it (a decimal comma), written with
// its results; one with inhibitors shown non-conforming and refused by the tank, named.
#include "Company.h"
#include "ProductionFixture.h"
#include "milk/MilkIntakeForm.h"
#include "platform/schema/CompanyTables.h"
#include "platform/ui/MessageDlg.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace corvanel;

namespace {

template <typename T>
T* Find(QWidget& window, const char* name)
{
    T* widget = window.findChild<T*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
}

TEST(MilkIntakeWindow, ADeliveryWithInhibitorsIsShownNonConformingAndNoTankTakesIt)
{
    fw::TMessageRecorder messages;
    testsupport::TestCompany company;
    testsupport::TProduction production;
    company.Add(fw::FurnDB, {{"F1", "Ferma Unu"}});
    company.Article("01", ".LAPTE", "Lapte crud");
    company.WriteSettingsFile("[Lapte]\r\nGrupa=01\r\nArticol=.LAPTE\r\nGestiune=_MP\r\nDensitate=1.03\r\n");
    production.Connect(company);
    production.Context.Settings.Directory = company.Dir() + "/";
    TMilkIntakeForm form(production.Context, nullptr);
    Find<QDateEdit>(form, "Day")->setDate(QDate(2026, 11, 10));
    Find<QLineEdit>(form, "Litres")->setText("100,5");
    Find<QLineEdit>(form, "NTG")->setText("45000");
    auto* inhibitors = Find<QComboBox>(form, "Inhibitors");
    inhibitors->setCurrentIndex(inhibitors->findData("pozitiv"));
    Find<QPushButton>(form, "AddDelivery")->click();

    auto* grid = Find<QTableWidget>(form, "Deliveries");
    ASSERT_EQ(grid->rowCount(), 1) << messages.Texts().join('|').toStdString();
    const QString lot = grid->item(0, 2)->text();
    EXPECT_EQ(grid->item(0, 0)->text(), "F1");
    EXPECT_EQ(grid->item(0, 4)->text().toStdString(), QLocale().toString(103.515, 'f', 3).toStdString()); // 100.5 l * 1.03
    EXPECT_EQ(grid->item(0, 12)->text(), "Neconform");
    ASSERT_EQ(messages.Count(), 1);
    EXPECT_TRUE(messages.Texts().front().contains(lot));

    grid->item(0, 0)->setCheckState(Qt::Checked);
    Find<QPushButton>(form, "EmptyIntoTank")->click();
    ASSERT_EQ(messages.Count(), 2);
    EXPECT_TRUE(messages.Texts().back().contains(lot) && messages.Texts().back().contains("F1"))
        << messages.Texts().back().toStdString();
}

TEST(MilkIntakeWindow, FarmersWhoDeliveredAreOfferedFirstAndTheOtherSuppliersAfter)
{
    fw::TMessageRecorder messages;
    testsupport::TestCompany company;
    testsupport::TProduction production;
    company.Add(fw::FurnDB, {{"AMB", "Ambalaje SRL"}, {"F1", "Ferma Unu"}, {"F2", "Ferma Doi"}});
    company.Article("01", ".LAPTE", "Lapte crud");
    company.WriteSettingsFile("[Lapte]\r\nGrupa=01\r\nArticol=.LAPTE\r\nGestiune=_MP\r\nDensitate=1.03\r\n");
    production.Connect(company);
    production.Context.Settings.Directory = company.Dir() + "/";
    const auto offered = [&] {
        TMilkIntakeForm form(production.Context, nullptr);
        form.showDay();
        auto* farmer = Find<QComboBox>(form, "Farmer");
        QStringList codes;
        for (int i = 0; i < farmer->count(); ++i)
            codes << (farmer->itemData(i).isValid() ? farmer->itemData(i).toString() : QStringLiteral("--"));
        return codes.join(' ').toStdString();
    };
    EXPECT_EQ(offered(), "AMB F1 F2"); // nobody has delivered yet: no farmer is known

    {
        TMilkIntakeForm form(production.Context, nullptr);
        Find<QDateEdit>(form, "Day")->setDate(QDate(2026, 11, 10));
        form.showDay();
        auto* farmer = Find<QComboBox>(form, "Farmer");
        farmer->setCurrentIndex(farmer->findData("F2"));
        Find<QLineEdit>(form, "Litres")->setText("100");
        Find<QPushButton>(form, "AddDelivery")->click();
        ASSERT_EQ(Find<QTableWidget>(form, "Deliveries")->rowCount(), 1) << messages.Texts().join('|').toStdString();
    }
    EXPECT_EQ(offered(), "F2 -- AMB F1");
}

} // namespace

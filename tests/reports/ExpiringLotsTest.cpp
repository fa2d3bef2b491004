// The lots that have expired or expire within some days, as the report and the tool read them.
#include "ProductionFixture.h"
#include "platform/report/ReportTestSupport.h"
#include "platform/schema/CompanyTables.h"
#include "reports/ExpiringLotsReport.h"

#include <gtest/gtest.h>

using namespace corvanel;
using reporttest::TextsNamed;

namespace {

// A catalog row of group 01 with its shelf life (null: none).
QVariantList Article(const char* code, const char* name, const char* unit, const QVariant& shelfLife)
{
    return {"01", code, name, QVariant(), QString(), unit, 10.0, "RON", 19.0, 0.0, "371", "607",
            "4426", "4427", "446", "378", "707", 0.0, shelfLife};
}

TEST(ExpiringLots, ExpiredAndExpiringWithinTheDaysByWarehouseWithTheirValue)
{
    testsupport::TestCompany company;
    // .A keeps 10 days, .B no shelf life.
    company.Add(fw::CatalogDB, {Article(".A", "Lapte", "l", 10.0), Article(".B", "Sare", "kg", QVariant())});
    const auto lot = [&](const char* code, const char* warehouse, double quantity, const char* name, const QVariant& entry) {
        company.Add(fw::StocDB, {{quantity, code, "01", warehouse, 2.5, name, "ADM", 1.0, 1.0, entry}});
    };
    lot(".A", "_MP", 4, "A1", QDate(2026, 12, 1));   // expires 11.12
    lot(".A", "_MP", 2, "A2", QDate(2026, 11, 26));  // 6.12: expired the day before
    lot(".A", "_FRG", 6, "A3", QDate(2026, 11, 27)); // 7.12: the day itself
    lot(".A", "_MP", 9, "A4", QVariant());           // no entry date
    lot(".A", "_MP", 1, "A5", QDate(2026, 12, 5));   // 15.12: one day past the window
    lot(".A", "_MP", 8, "A6", QDate(2026, 12, 4));   // 14.12: its last day
    lot(".A", "_MP", 0, "A7", QDate(2026, 11, 1));   // nothing left of it
    lot(".B", "_MP", 5, "B1", QDate(2020, 1, 1));    // never expires
    testsupport::TProduction production;
    production.Connect(company);
    const auto read = [&](int days, const QStringList& warehouses) {
        QStringList out;
        for (const TExpiringLot& l : ReadExpiringLots(production.Context.Session(), QDate(2026, 12, 7), days, warehouses))
            out << QStringLiteral("%1 %2 %3 %4 %5 %6").arg(l.Warehouse, l.Lot, l.Expiry.toString(Qt::ISODate))
                       .arg(l.DaysLeft).arg(l.Quantity).arg(l.Value);
        return out.join(" | ").toStdString();
    };
    EXPECT_EQ(read(7, {}), "_FRG A3 2026-12-07 0 6 15 | _MP A2 2026-12-06 -1 2 5 | _MP A1 2026-12-11 4 4 10 | "
                           "_MP A6 2026-12-14 7 8 20");
    EXPECT_EQ(read(0, {"_MP"}), "_MP A2 2026-12-06 -1 2 5");
}

// A lot's own expiry date overrides its entry plus the article's shelf life, either way,
// and makes a lot of an article without one expire.
TEST(ExpiringLots, ALotsOwnDateOverridesTheShelfLife)
{
    testsupport::TestCompany company;
    // .A keeps 1.5 days (counted as one), .R none.
    company.Add(fw::CatalogDB, {Article(".A", "Cultura", "kg", 1.5), Article(".R", "Cheag", "kg", QVariant())});
    const auto lot = [&](const char* code, double quantity, const char* name, const QVariant& entry, const QVariant& own) {
        company.Add(fw::StocDB, {{quantity, code, "01", "_MP", 2.0, name, "ADM", 1.0, 1.0, entry, own}});
    };
    lot(".A", 1, "A1", QDate(2026, 12, 1), QDate(2026, 12, 30)); // by shelf life 2.12; its own date is later
    lot(".A", 2, "A2", QDate(2026, 12, 7), QDate(2026, 12, 6));  // by shelf life 8.12; its own date, earlier
    lot(".A", 3, "A3", QDate(2026, 12, 6), QVariant());          // by shelf life 7.12: the day itself
    lot(".A", 4, "A4", QDate(2026, 12, 5), QDate(2026, 12, 14)); // its own date the window's last day
    lot(".R", 5, "R1", QVariant(), QDate(2026, 12, 10));         // no entry date, no shelf life: its own date
    lot(".R", 6, "R2", QDate(2026, 12, 1), QVariant());          // neither: never expires
    testsupport::TProduction production;
    production.Connect(company);
    QStringList out;
    for (const TExpiringLot& l : ReadExpiringLots(production.Context.Session(), QDate(2026, 12, 7), 7, {}))
        out << QStringLiteral("%1 %2 %3 %4").arg(l.Code, l.Lot, l.Expiry.toString(Qt::ISODate)).arg(l.DaysLeft);
    EXPECT_EQ(out.join(" | ").toStdString(), ".A A2 2026-12-06 -1 | .A A3 2026-12-07 0 | .A A4 2026-12-14 7 | "
                                             ".R R1 2026-12-10 3");
}

TEST(ExpiringLots, TheReportTotalsEachWarehouseAndMarksTheExpired)
{
    testsupport::TProduction production;
    production.Context.Formats.DecimalSeparator = '.';
    production.Context.Formats.ThousandSeparator = ',';
    TExpiringLotsReport report(production.Context, nullptr);
    report.Day = QDate(2026, 12, 7);
    report.Days = 7;
    const auto lot = [](const char* warehouse, const char* name, int daysLeft, double quantity, double value) {
        TExpiringLot l;
        l.Warehouse = warehouse;
        l.Group = "01";
        l.Code = ".A";
        l.Name = "Lapte";
        l.Lot = name;
        l.Entry = QDate(2026, 11, 27);
        l.Expiry = QDate(2026, 12, 7).addDays(daysLeft);
        l.DaysLeft = daysLeft;
        l.Quantity = quantity;
        l.Value = value;
        return l;
    };
    report.FirmName = QStringLiteral("Lactate Izvoare SRL");
    report.SetLots({lot("_FRG", "A3", 0, 6, 15), lot("_MP", "A2", -1, 2.0000004, 5), lot("_MP", "A1", 4, 1200, 3000.5)});
    const fw::TReportDocument doc = report.Report->Generate();
    // The company heads the page, as on the other reports; quantities read as a person reads them.
    EXPECT_EQ(TextsNamed(doc, "Firma"), QStringList{"Lactate Izvoare SRL"});
    EXPECT_EQ(TextsNamed(doc, "Cantitate"), (QStringList{"6", "2", "1,200"}));
    EXPECT_EQ(TextsNamed(doc, "Warehouse"), (QStringList{"Gestiunea _FRG", "Gestiunea _MP"}));
    EXPECT_EQ(TextsNamed(doc, "Lot"), (QStringList{"A3", "A2", "A1"}));
    EXPECT_EQ(TextsNamed(doc, "Zile"), (QStringList{"0", "expirat", "4"}));
    EXPECT_EQ(TextsNamed(doc, "WarehouseValue"), (QStringList{"15.00", "3,005.50"}));
    EXPECT_EQ(TextsNamed(doc, "TotalValue"), QStringList{"3,020.50"});
    EXPECT_EQ(TextsNamed(doc, "Window"), QStringList{"expirate sau care expira pana la " +
                                                fw::DateToStr(fw::DateToDateTime(QDate(2026, 12, 14)), production.Context.Formats) +
                                                " (7 zile de la " +
                                                fw::DateToStr(fw::DateToDateTime(QDate(2026, 12, 7)), production.Context.Formats) + ")"});
    report.SetLots({});
    EXPECT_EQ(report.Report->Generate().PageCount(), 0); // nothing to print, no page
}

} // namespace

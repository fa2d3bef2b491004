// A scanned GS1 string read into the article its GTIN names and the lot.
#include "ProductionFixture.h"
#include "labels/Gs1.h"
#include "labels/ScannedLot.h"
#include "platform/schema/CompanyTables.h"

#include <gtest/gtest.h>

using namespace corvanel;

namespace {

QVariantList Article(const char* group, const char* code, const char* barcode)
{
    return {group, code, "Articol", QVariant(), QString(), "kg", 1.0, "RON", 9.0, 0.0, "345", "607",
            "4426", "4427", "446", "378", "701", 0.0, QVariant(), barcode};
}

// The catalog holds its barcodes as GTIN-13, -12 or -8; the scan always as GTIN-14.
TEST(ScannedLot, TheArticleIsFoundByItsGtinHoweverTheCatalogWritesIt)
{
    testsupport::TestCompany company;
    company.Add(fw::CatalogDB, {Article("02", "CAS", "9501101530003"), Article("02", "IAURT", "036000291452"),
                                Article("02", "UNT", "12345670"), Article("01", ".A", "10012345000017"),
                                Article("01", ".B", "4006381333931"), Article("01", ".C", "04006381333931")});
    testsupport::TProduction production;
    production.Connect(company);
    const auto read = [&](const QString& scanned) {
        const TScannedLot lot = ReadScannedLot(production.Context.Session(), scanned);
        return (lot.Group + "/" + lot.Code + " " + lot.Lot).toStdString();
    };
    const QString gs(gs1::GroupSeparator);
    EXPECT_EQ(read("]C1010950110153000317261229" "10C-1"), "02/CAS C-1");
    EXPECT_EQ(read("(01)00036000291452(10)I-7"), "02/IAURT I-7");
    EXPECT_EQ(read("]d2010000001234567010U-1" + gs + "21S9"), "02/UNT U-1");
    EXPECT_EQ(read("0110012345000017" "10A-1"), "01/.A A-1");
    // No GTIN: the lot alone.
    EXPECT_EQ(read("(10)LC-0901"), "/ LC-0901");

    const auto refusal = [&](const QString& scanned) {
        try {
            ReadScannedLot(production.Context.Session(), scanned);
        } catch (const gs1::EInvalid& e) {
            return e.Message();
        }
        return QStringLiteral("(nothing refused)");
    };
    EXPECT_EQ(refusal("(01)09501101530010(10)X"), "Niciun articol din catalog nu are codul de bare (GTIN) 09501101530010.");
    EXPECT_EQ(refusal("(01)04006381333931(10)X"),
              "Mai multe articole au codul de bare (GTIN) 04006381333931: 01/.B, 01/.C. Corectati catalogul.");
    EXPECT_EQ(refusal("(01)09501101530003(17)261229"), "Codul citit nu contine lotul (10): (01)09501101530003(17)261229");
}

} // namespace

// Quantities and days as a person reads them: a computed share never shows six decimals,
// and a day that is not there never shows as 30.12.1899.
#include "platform/core/Readable.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using namespace fw;

TEST(Readable, QuantitiesAtMostThreeDecimalsWithoutTrailingZerosGroupedByTheLocale)
{
    TFormatSettings ro;
    ro.DecimalSeparator = QLatin1Char(',');
    ro.ThousandSeparator = QLatin1Char('.');
    const TFormatSettings c; // '.' and ','
    struct Case {
        double value;
        const char* ro;
        const char* c;
    };
    const Case cases[] = {
        {1419.276119, "1.419,276", "1,419.276"}, // the recall's share of a raw material
        {30, "30", "30"},
        {0.5, "0,5", "0.5"},
        {2.25, "2,25", "2.25"},
        {0.0004, "0", "0"},   // below the last place shown
        {-0.0004, "0", "0"},  // and no "-0"
        {0.0005, "0,001", "0.001"}, // a half rounds away from zero
        {2.9996, "3", "3"},   // rounding carries into the whole part
        {999.9999, "1.000", "1,000"},
        {-1234.5678, "-1.234,568", "-1,234.568"},
        {1234567.1, "1.234.567,1", "1,234,567.1"},
        {0, "0", "0"},
    };
    for (const Case& k : cases) {
        EXPECT_EQ(QuantityToStr(k.value, ro), QString::fromUtf8(k.ro)) << k.value;
        EXPECT_EQ(QuantityToStr(k.value, c), QString::fromUtf8(k.c)) << k.value;
    }
    // What is no number shows as the system writes it, not as digits.
    EXPECT_EQ(QuantityToStr(std::numeric_limits<double>::quiet_NaN(), c), QStringLiteral("NAN"));
    EXPECT_EQ(QuantityToStr(std::numeric_limits<double>::infinity(), c), QStringLiteral("INF"));
}

TEST(Readable, ANullDayIsEmptyAndARealOneItsDate)
{
    TFormatSettings fs;
    fs.DateSeparator = QLatin1Char('.');
    fs.ShortDateFormat = QStringLiteral("dd/mm/yyyy");
    EXPECT_EQ(DateText(QDate(), fs), QString());
    EXPECT_EQ(DateText(QDate(2026, 12, 6), fs), QStringLiteral("06.12.2026"));
    EXPECT_EQ(DateText(QDate(1899, 12, 30), fs), QStringLiteral("30.12.1899"));
}

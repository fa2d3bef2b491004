// A reversed consumption document and its reversal carry the same number and date: the
// receipts' "Consum" column and the outgoing documents' grid tell them apart.
#include "host/ConsumptionMarks.h"

#include <gtest/gtest.h>

using namespace pelmaris;

TEST(ConsumptionMarks, TheDocumentInForceFirstAndTheReversedOneMarked)
{
    fw::TFormatSettings fs;
    fs.DateSeparator = QLatin1Char('.');
    const QDate day(2026, 12, 6);
    const QDate reversedOn(2026, 12, 7);
    const TConsumptionDocument inForce{1008, day, false, false, {}};
    const TConsumptionDocument reversed{1008, day, true, false, reversedOn};
    const TConsumptionDocument reversal{1008, day, false, true, reversedOn};
    struct Case {
        const char* what;
        std::vector<TConsumptionDocument> documents;
        const char* column;
    };
    const Case cases[] = {
        {"none", {}, ""},
        {"one in force", {inForce}, "BMC 1008 din 06.12.2026"},
        {"reversed, nothing in force", {reversed, reversal}, "BMC 1008 din 06.12.2026 anulat prin stornarea din 07.12.2026"},
        {"reversed, then a new one",
         {reversed, reversal, inForce},
         "BMC 1008 din 06.12.2026; 1008 din 06.12.2026 anulat prin stornarea din 07.12.2026"},
        {"two in force", {inForce, TConsumptionDocument{1010, day, false, false, {}}},
         "BMC 1008 din 06.12.2026, 1010 din 06.12.2026"},
        {"reversed on a day not recorded", {TConsumptionDocument{1008, day, true, false, {}}},
         "BMC 1008 din 06.12.2026 anulat prin stornare"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ConsumptionColumnText(c.documents, fs), QString::fromUtf8(c.column)) << c.what;

    EXPECT_EQ(ReversalMarkText(inForce, fs), QString());
    EXPECT_EQ(ReversalMarkText(reversed, fs), QStringLiteral("anulat prin stornarea din 07.12.2026"));
    EXPECT_EQ(ReversalMarkText(reversal, fs), QStringLiteral("stornare: anuleaza nr. 1008"));
}

// A value read from a table in the form it is written to the engine: the common forms in
// one step, the others as the company field takes them, and what would change refused.
#include "paradox/ImportPlan.h"

#include <QDate>
#include <QDateTime>
#include <gtest/gtest.h>

using namespace paradox;
using fw::TFieldType;

TEST(BoundValue, IsTheEnginesFormOrTheReasonItCannotBe)
{
    struct TCase {
        const char* Name;
        QVariant Read;
        fw::TFieldDef Target;
        QVariant Bound; // as written to the engine
        QString Why;    // empty when it can be written
    };
    const QString bmp = QStringLiteral("Br\u00e2nz\u0103");      // 6 characters, 6 units
    const QString astral = QStringLiteral("ab\U0001F95B\U0001F95B"); // 4 characters, 6 units
    const TCase cases[] = {
        {"text", bmp, {QStringLiteral("T"), TFieldType::String, 6}, bmp, {}},
        {"text a character too long", bmp, {QStringLiteral("T"), TFieldType::String, 5}, {},
         QStringLiteral("textul are 6 caractere, campul tine cel mult 5")},
        // Characters beyond the basic plane take two units each: counted once.
        {"four characters in six units", astral, {QStringLiteral("T"), TFieldType::String, 4}, astral, {}},
        {"empty text is no value", QString(""), {QStringLiteral("T"), TFieldType::String, 4}, {}, {}},
        {"null", QVariant(), {QStringLiteral("T"), TFieldType::String, 4}, {}, {}},
        {"number", 12.5, {QStringLiteral("N"), TFieldType::Float, 0}, 12.5, {}},
        {"money", -0.25, {QStringLiteral("N"), TFieldType::Currency, 0}, -0.25, {}},
        {"date", QDate(2024, 3, 5), {QStringLiteral("D"), TFieldType::Date, 0}, QStringLiteral("2024-03-05"), {}},
        {"date of a year under 1000", QDate(987, 12, 31), {QStringLiteral("D"), TFieldType::Date, 0},
         QStringLiteral("0987-12-31"), {}},
        {"moment at midnight in a date", QDateTime(QDate(2024, 1, 2), QTime(0, 0)), {QStringLiteral("D"), TFieldType::Date, 0},
         QStringLiteral("2024-01-02"), {}},
        {"whole number in an integer", 300.0, {QStringLiteral("I"), TFieldType::Smallint, 0}, qint64(300), {}},
        {"integer beyond a small integer", qint64(40000), {QStringLiteral("I"), TFieldType::Smallint, 0}, {},
         QStringLiteral("valoarea 40000 este in afara domeniului campului (-32768 .. 32767)")},
        {"logical", true, {QStringLiteral("L"), TFieldType::Boolean, 0}, 1, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        QVariant bound = QStringLiteral("left from before");
        QString why;
        EXPECT_EQ(BoundValue(c.Read, c.Target, bound, why), c.Why.isEmpty());
        EXPECT_EQ(why, c.Why);
        if (c.Why.isEmpty()) {
            EXPECT_EQ(bound.typeId(), c.Bound.typeId());
            EXPECT_EQ(bound, c.Bound);
        }
    }
}

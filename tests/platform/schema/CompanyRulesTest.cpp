// Rules every module applies to the company data the same way: the next number of a
// document counter.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/Connection.h"
#include "platform/db/Database.h"
#include "platform/schema/CompanyRules.h"
#include "platform/schema/CompanyTables.h"

#include <gtest/gtest.h>

using namespace fw;
using namespace testsupport;

namespace {

// The counter's value and the documents' numbers, and what taking the next number gives:
// the number, or the error's start (nothing taken, the counter as it was).
TEST(DocumentCounter, OnlyAWholeNumberBelowTwoToThe53GivesTheNextNumber)
{
    const double top = 9007199254740991.0; // 2^53 - 1: the last whole number one above its predecessor
    const struct {
        const char* what;
        double counter;
        double document;
        double next; // 0: refused
        const char* said;
    } cases[] = {
        {"an ordinary counter", 12, 5, 13, ""},
        {"the last number there is", top - 1, 5, top, ""},
        {"a fractional counter", 10.5, 5, 0, "Campul NewCounterOut din tabela COUNTER.DB are valoarea 10.5,"},
        {"a counter at 2^53 - 1, whose next would be 2^53", top, 5, 0,
         "Campul NewCounterOut din tabela COUNTER.DB are valoarea 9007199254740991,"},
        {"a counter past 2^53", 2 * top, 5, 0, "Campul NewCounterOut din tabela COUNTER.DB are valoarea 18014398509481982,"},
        {"a document with a fraction", 3, 7.25, 0, "Campul Contor din tabela Doc_out.DB are valoarea 7.25,"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DatabaseDir dir;
        CreateTable(dir.Path(), CounterDB, {{"NewCounterIn", TFieldType::Float}, {"NewCounterOut", TFieldType::Float}}, {},
                    {{1.0, c.counter}});
        CreateTable(dir.Path(), DocOutDB, {{"Contor", TFieldType::Float}}, {}, {{c.document}});
        const auto counters = OpenTable(dir.Path(), CounterDB);
        TTransaction transaction(Connection::Open(dir.Path()));
        try {
            EXPECT_EQ(TakeDocumentCounter(*counters, QStringLiteral("NewCounterOut"), DocOutDB), c.next);
            transaction.Commit();
            EXPECT_NE(c.next, 0) << "taken";
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(c.next, 0) << e.Message().toStdString();
            EXPECT_TRUE(e.Message().startsWith(QString::fromUtf8(c.said))) << e.Message().toStdString();
        }
        EXPECT_EQ(RawColumn(dir.Path(), QStringLiteral("SELECT NewCounterOut FROM COUNTER")).value(0).toDouble(),
                  c.next != 0 ? c.next : c.counter);
    }
}

} // namespace

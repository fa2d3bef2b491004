// A write that met another user's transaction is run again, and gives its value; nothing
// else is, and nothing inside a transaction someone else began.
#include "DbFixture.h"
#include "platform/core/Exceptions.h"
#include "platform/db/ConflictRetry.h"
#include "platform/db/Connection.h"
#include "platform/db/DbMessages.h"

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>

using namespace fw;
using namespace testsupport;

namespace {

enum class TFault { None, Conflict, Other };

TEST(ConflictRetry, RunsAgainOnlyWhatAConflictFailedAndGivesItsValue)
{
    const TFault C = TFault::Conflict, O = TFault::Other;
    struct Case {
        const char* what;
        std::vector<TFault> faults; // of the attempts in turn; the rest succeed
        bool insideAnother;
        int attempts;               // made in all
        std::optional<int> value;   // none: the error reaches the caller
    } cases[] = {
        {"no fault", {}, false, 1, 7},
        {"two conflicts, then done", {C, C}, false, 3, 7},
        {"three conflicts: the fourth and last attempt done", {C, C, C}, false, 4, 7},
        {"a conflict every time: the fourth is the caller's", {C, C, C, C, C}, false, 4, std::nullopt},
        {"another error: never again", {O, C}, false, 1, std::nullopt},
        {"a conflict after one: the other error still the caller's", {C, O}, false, 2, std::nullopt},
        {"inside another transaction: only its beginner can run it again", {C}, true, 1, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DatabaseDir dir;
        const std::shared_ptr<Connection> connection = Connection::Open(dir.Path(), TOpenMode::CreateMissing);
        std::optional<TTransaction> outer;
        if (c.insideAnother)
            outer.emplace(connection);
        int made = 0;
        const auto attempt = [&] {
            const size_t at = size_t(made++);
            const TFault fault = at < c.faults.size() ? c.faults[at] : TFault::None;
            if (fault == TFault::Conflict)
                throw ETransactionConflict(QStringLiteral("deadlock detected"));
            if (fault == TFault::Other)
                throw EDatabaseError(QStringLiteral("disk full"));
            return 7;
        };
        if (c.value) {
            EXPECT_EQ(RetryOnConflict(attempt, connection.get()), *c.value);
        } else {
            EXPECT_THROW(RetryOnConflict(attempt, connection.get()), EDatabaseError);
        }
        EXPECT_EQ(made, c.attempts);
    }
}

} // namespace

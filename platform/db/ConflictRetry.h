#pragma once

// Running a write again when the engine failed it for meeting another user's transaction.

#include "platform/db/Connection.h"
#include "platform/db/Database.h"

#include <exception>
#include <type_traits>

namespace fw {

// Runs `attempt`, which begins and ends its own transaction, and returns what it gives.
// When it fails for meeting another user's transaction (RetryAfterConflict), it runs again
// from the start, at most kTransactionAttempts times in all; any other error is the
// caller's at once. While `outer` (when given) is inside a transaction begun by someone
// else, the whole of that one must run again, which only whoever began it can do: no
// attempt is repeated.
template <class Attempt>
std::invoke_result_t<Attempt&> RetryOnConflict(Attempt&& attempt, const Connection* outer = nullptr)
{
    for (int n = 1;; ++n) {
        try {
            return attempt();
        } catch (const std::exception& e) {
            if ((outer && outer->TransactionDepth() > 0) || !RetryAfterConflict(e, n))
                throw;
        }
    }
}

} // namespace fw

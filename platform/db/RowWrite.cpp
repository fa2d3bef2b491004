#include "platform/db/RowWrite.h"

#include "platform/db/SqliteConnection.h"

namespace fw {

int WriteUpdate(Connection& connection, const TRowWrite& statement, const TRowLayout& layout, const QVariantList& values,
                const std::function<void(const NativeRow&)>& row)
{
    // A server's update returns its row in the same round trip: nothing to save there.
    if (connection.Engine() == TEngine::SQLite)
        return static_cast<SqliteConnection&>(connection).WriteUpdate(statement, layout, values, row);
    return connection.WriteRow(statement, values, row);
}

} // namespace fw

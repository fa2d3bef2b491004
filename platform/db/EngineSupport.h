#pragma once

// What the two engines share below Connection (internal to the dataset layer).

#include <QString>

namespace fw {

// The engine found the database damaged (a page it cannot read) or no database at all:
// the program's handler hears where, then EDatabaseDamaged says so in the user's words
// (dbmsg::DatabaseDamaged; the engine's message is left out).
[[noreturn]] void ThrowDamaged(const QString& message, const QString& where);

// The line of a server's client's error text that says what failed: without the warnings
// and notices that may come before it, the details after it, or its "ERROR:".
QString ClientErrorLine(const QString& text);

} // namespace fw

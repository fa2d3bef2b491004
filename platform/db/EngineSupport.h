#pragma once

// What the two engines share below Connection (internal to the dataset layer).

#include <QString>

namespace fw {

// The engine found the database damaged (a page it cannot read) or no database at all:
// the program's handler hears where, then EDatabaseDamaged carries the engine's message.
[[noreturn]] void ThrowDamaged(const QString& message, const QString& where);

} // namespace fw

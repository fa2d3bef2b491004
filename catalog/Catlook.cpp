#include "catalog/Catlook.h"

namespace corvanel {

// Placeholder until the lookup window exists: nothing is ever chosen.
bool ExecuteCatLookup(QWidget*, QString&, QString&) { return false; }

} // namespace corvanel

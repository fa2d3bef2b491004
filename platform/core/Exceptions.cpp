#include "platform/core/Exceptions.h"

namespace fw {

void Abort() { throw EAbort(); }

} // namespace fw

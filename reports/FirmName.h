#pragma once

// The company's name as every report heads its pages with it.

#include <QString>

namespace corvanel {

struct TProductionContext;

// The name in the company's own data; empty when it has none. EDatabaseError when it
// cannot be read.
QString ReadFirmName(TProductionContext& context);

} // namespace corvanel

#include "data/ProductionContext.h"

#include "data/ProductionData.h"
#include "platform/db/Database.h"

namespace corvanel {

// The system's conventions are read when the context is made, once Qt is up, whichever
// side loads the library first.
TProductionContext::TProductionContext() : Formats(fw::TFormatSettings::System()) {}

TProductionContext::~TProductionContext() = default;

fw::TSession* TProductionContext::Session() const { return Data ? Data->Session : fw::TSession::Default(); }

void UseFourDigitYearDates(fw::TFormatSettings& formats) { formats.ShortDateFormat = QStringLiteral("dd/mm/yyyy"); }

} // namespace corvanel

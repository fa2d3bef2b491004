#include "shell/AddOnFormats.h"

namespace corvanel {

fw::TFormatSettings& FormatSettings()
{
    // Made on first use rather than at load: the system's conventions are read once Qt
    // is up, whichever side loads the library first.
    static fw::TFormatSettings settings = fw::TFormatSettings::System();
    return settings;
}

void UseFourDigitYearDates() { FormatSettings().ShortDateFormat = QStringLiteral("dd/mm/yyyy"); }

} // namespace corvanel

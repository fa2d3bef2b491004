#pragma once
// Formats for the tests of reports that do not depend on the machine's locale.
#include "platform/core/Formats.h"

namespace testsupport {

// "1,234.5" and "07.12.2026".
inline void UsePointAndDottedDates(fw::TFormatSettings& formats)
{
    formats.DecimalSeparator = '.';
    formats.ThousandSeparator = ',';
    formats.ShortDateFormat = "dd.mm.yyyy";
    formats.DateSeparator = '.';
}

} // namespace testsupport

#pragma once

// The add-on's own number and date conventions. The framework's defaults belong to the
// host as much as to us, and the add-on changes its short date format at a moment of its
// own (see UseFourDigitYearDates), so it keeps a copy of its own.

#include "platform/core/Formats.h"

namespace corvanel {

// The conventions every date and number the add-on shows as text goes through: the
// system's until the first date box is created, then day, month and four-digit year.
fw::TFormatSettings& FormatSettings();

// Day, month, four-digit year, joined by the system's date separator, from now on.
void UseFourDigitYearDates();

} // namespace corvanel

#pragma once

// Values as a person reads them on screen and on paper, by the rules of Formats.h (and kept
// in Formats.cpp beside them). Files for machines keep full precision (CsvNumber), and a
// figure the user types back keeps FloatToStr's.

#include "platform/core/Formats.h"

namespace fw {

// A quantity: at most three decimals, trailing zeros off, the whole part grouped by the
// settings ("1,419.276" or "1.419,276"); the mask is for report elements and grid fields.
inline const QString ReadableQuantityMask = QStringLiteral("#,##0.###");
QString QuantityToStr(double value, const TFormatSettings& fs = DefaultFormatSettings());

// A day as DateToStr writes it; empty for a null date, which would otherwise read as
// 30.12.1899, the day numbered 0.
QString DateText(const QDate& date, const TFormatSettings& fs = DefaultFormatSettings());

} // namespace fw

#pragma once

// Rules on the company data that every module applies the same way, beside the table
// descriptions they belong to.

#include <QString>

namespace fw {

// Whether a text is an account symbol: a synthetic account, optionally followed by one or
// two analytic parts, separated by dots ("371", "4426.01", "371.02.003"). The text before
// the first dot may be at most 10 characters, each analytic part at most 20; more than two
// dots are refused (the whole text would be the synthetic part, with no analytic one).
// Characters are not otherwise examined, and an empty text is valid (no account).
bool IsValidAccountSymbol(const QString& text);

// Longest text before the first dot, and longest analytic part.
inline constexpr int MaxSyntheticLength = 10;
inline constexpr int MaxAnalyticLength = 20;

} // namespace fw

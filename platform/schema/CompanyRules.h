#pragma once

// Rules on the company data that every module applies the same way, beside the table
// descriptions they belong to.

#include <QString>

namespace fw {

class TTable;

// Whether a text is an account symbol: a synthetic account, optionally followed by one or
// two analytic parts, separated by dots ("371", "4426.01", "371.02.003"). The text before
// the first dot may be at most 10 characters, each analytic part at most 20; more than two
// dots are refused (the whole text would be the synthetic part, with no analytic one).
// Characters are not otherwise examined, and an empty text is valid (no account).
bool IsValidAccountSymbol(const QString& text);

// Longest text before the first dot, and longest analytic part.
inline constexpr int MaxSyntheticLength = 10;
inline constexpr int MaxAnalyticLength = 20;

// Takes the next number of a document counter: the first row of the counter table (made
// when the table has none) raised to one past both the value it holds and the largest
// `Contor` of `documents`, and stored. A counter another program left behind, emptied or
// never set cannot hand out a number a document already has. Inside the caller's
// transaction, with `counters` open and reading for update, so that nobody takes the same
// number meanwhile.
double TakeDocumentCounter(TTable& counters, const QString& field, const QString& documents);

} // namespace fw

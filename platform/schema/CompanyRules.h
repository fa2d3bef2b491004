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

// The largest document counter handed out: the numbers below it are whole numbers a
// double holds exactly, one apart (2^53 - 1).
inline constexpr double MaxDocumentCounter = 9007199254740991.0;

// Takes the next number of a document counter: the first row of the counter table (made
// when the table has none) raised to one past both the value it holds and the largest
// `Contor` of `documents`, and stored. A counter another program left behind, emptied or
// never set cannot hand out a number a document already has. Inside the caller's
// transaction, with `counters` open and reading for update, so that nobody takes the same
// number meanwhile. EDatabaseError naming the table and field, nothing changed, when
// either value is no whole number or the next number would pass MaxDocumentCounter (one
// more would then be the same number, and every later document would be refused).
double TakeDocumentCounter(TTable& counters, const QString& field, const QString& documents);

} // namespace fw

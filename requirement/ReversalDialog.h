#pragma once

// "Anuleaza consumul" for one receipt: its consumption documents not yet reversed, one to
// choose, then the question and the reversal.

#include "requirement/Reversal.h"

#include <vector>

class QWidget;

namespace corvanel {

struct TProductionContext;

// Lets the user choose one of the consumption documents of incoming document `receipt`
// and reverses it after the question (AskAndReverse). A receipt without any is told so.
// True when a reversal was written. Database errors reading the documents are shown.
bool ExecuteReversal(TProductionContext& context, QWidget* owner, double receipt);

} // namespace corvanel

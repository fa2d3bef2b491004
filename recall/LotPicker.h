#pragma once

// The lot picker of the recall window: the lots of one article, each with the day it first
// came in, how much came in and how much is left in stock.

#include <QString>

class QWidget;

namespace corvanel {

struct TProductionContext;

// Reads the lots of an article and lets the user choose one; true when a lot was chosen,
// which is then written into `lot` (left as it was otherwise). EDatabaseError when the lots
// cannot be read.
bool ExecuteLotPicker(TProductionContext& context, QWidget* owner, const QString& group, const QString& article,
                      QString& lot);

} // namespace corvanel

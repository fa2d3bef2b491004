#pragma once

// The recall drills on record, listed in a window of their own with each step's time.

class QWidget;

namespace corvanel {

struct TProductionContext;

// Shows the drills (the latest first) in a modal list; a database error is told in the
// add-on's words.
void ShowDrills(TProductionContext& context, QWidget* owner);

} // namespace corvanel

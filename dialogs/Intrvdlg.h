#pragma once

#include "platform/core/Formats.h"

class QWidget;

namespace corvanel {

// Asks for a period; true when confirmed, and then start and end hold whole days.
bool ExecuteInterval(QWidget* owner, fw::TDateTime& start, fw::TDateTime& end);

} // namespace corvanel

#pragma once

#include <QString>

class QWidget;

namespace corvanel {

// Asks for suppliers; true when confirmed, and then list holds the code list.
bool ExecuteSelFurn(QWidget* owner, QString& list);

} // namespace corvanel

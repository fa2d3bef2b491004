#pragma once

#include <QString>

class QWidget;

namespace corvanel {

// Asks for warehouses; true when confirmed, and then list holds the code list.
bool ExecuteSelGest(QWidget* owner, QString& list);

} // namespace corvanel

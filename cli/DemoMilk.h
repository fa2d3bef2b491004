#pragma once

// The demo's milk intake: its milk settings, and a quarter of three farmers' deliveries
// with their results (one farmer's somatic cells out of limits, one delivery with
// inhibitors), written as the "Receptie lapte" window writes them.

#include <QDate>
#include <QString>

namespace corvanel {
class TProductionData;
}

namespace corvanel::cli {

void WriteDemoMilk(TProductionData& dm, const QString& directory, const QDate& today);

} // namespace corvanel::cli

#pragma once

// The mass balance of a lot, as an inspector asks for it: what came in or was made, what
// production consumed of it, what was shipped, what lies in stock now, and what none of
// these accounts for. The lot followed is balanced, and forward each finished lot reached
// (one nothing further was made of).

#include "platform/core/Formats.h"
#include "recall/LotRecall.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace corvanel {

class TRecallReads;

// The lots a recall balances: the lots followed, and forward the finished lots reached.
std::vector<TLotKey> BalancedLots(const TRecall& recall);
// The balances of those lots, read through `reads` (their stock asked together).
std::vector<TLotBalance> LotBalances(TRecallReads& reads, const TReversals& reversals, const std::vector<TLotKey>& lots);

// The CSV of `corvanel recall --balance`, one record per lot, full precision:
// Cod_grupa;Cod_articol;Lot;Intrat;Consumat;Livrat;Stoc;Diferenta.
QString BalanceCsv(const std::vector<TLotBalance>& balances);
// "Bilant masic".
QString BalanceTitle();
// One line per lot and its figures, then a line per document and warehouse.
QStringList BalanceText(const std::vector<TLotBalance>& balances, const fw::TFormatSettings& formats);

} // namespace corvanel

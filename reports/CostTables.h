#pragma once

// The cost and variance reports as tables for other programs: the rows each export (CSV,
// XLSX) writes, made once so that the two formats say the same.

#include "reports/LotCost.h"
#include "reports/XlsxFile.h"
#include "reports/YieldVariance.h"

namespace corvanel {

// One row a finished lot: Contor, Numar, Data, Cod_grupa, Cod_articol, Lot, Cantitate,
// Cost_materiale, Cost_unitar, then Denumire and Loturi_fara_pret.
TSheet LotCostSheet(const std::vector<TLotCost>& costs);
// One row a material of each lot, with its share of the lot's cost.
TSheet LotMaterialSheet(const std::vector<TLotCost>& costs);
// One row a material of each receipt and product, then the product's total (material code
// "TOTAL", no group).
TSheet YieldVarianceSheet(const std::vector<TProductVariance>& variances);

// The table as CSV (fw::CsvRecord): dates YYYY-MM-DD, numbers in full precision with a
// decimal point, a number that is none (NaN) empty.
QString CsvText(const TSheet& sheet);

} // namespace corvanel

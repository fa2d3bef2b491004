#pragma once

// Each article's stock per warehouse, kept by the engine beside the lots: the stock figures
// read one row of it where they would otherwise sum every lot of the article.

#include <memory>

namespace fw {

class Connection;

// The table of totals and the triggers that keep it on every write of a lot, whoever
// writes (this program, the host, another workstation, a raw statement). A company that has
// none gets them, filled from its lots, in one transaction that holds the lots' writers
// back; one whose triggers were lost with its stock table (dropped and made again) gets
// its totals counted again. Returns whether the totals can be read: false where the company
// may only be read, or its stock table lacks a column they keep (read the lots then).
bool EnsureStockTotals(const std::shared_ptr<Connection>& conn);
// Whether the company's totals are kept (its triggers are there), asking only: for a
// connection opened without EnsureStockTotals. False where it cannot be asked.
bool StockTotalsKept(Connection& conn);

} // namespace fw

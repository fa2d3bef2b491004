#pragma once

#include <QString>

namespace pelmaris {

struct TReceiptLine;

// Where what left a receipt line's lot went, read from the outgoing documents that name
// the lot (its warehouse, group, article and lot): "consum 10 pe BMC nr. 3; vanzare 2 pe
// FAC nr. 5001". Consumption documents ("BMC") are told from sales and every other
// outgoing document. Empty when no outgoing line names the lot.
QString LotOutgoings(const QString& database, const TReceiptLine& line);

} // namespace pelmaris

#pragma once

// The document types the company's tables carry in their Tip column, as the host and the
// add-on write and recognise them.

#include <QString>

namespace fw {

inline const QString ConsumptionDocType = QStringLiteral("BMC"); // materials given to production (the add-on's)
inline const QString ProductionDocType = QStringLiteral("BP");   // products received from production
inline const QString ReceiptDocType = QStringLiteral("NIR");     // goods received from a supplier
inline const QString InvoiceDocType = QStringLiteral("FAC");     // a sale
inline const QString OpeningDocType = QStringLiteral("SI");      // the opening balance

} // namespace fw

#pragma once

// What the traceability report reads, without the report: the receipt lines of a period
// in the chosen warehouses and from the chosen suppliers, and the raw materials consumed
// for a receipt. The report lays these out on pages; a tool without a display writes them
// as they are.

#include "platform/core/Formats.h"
#include "platform/db/DataSet.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"

#include <QDate>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

namespace fw {
class TSession;
}

namespace corvanel {

// One line of a consumption document, as the report lists it under a receipt.
struct TRawMaterialLine {
    QString Group;
    QString Code;
    QString Name;
    QString Lot;
    double Quantity = 0;
    QString Warehouse;
    QString Unit;
};

class TTraceabilityData final : public QObject {
public:
    // Its datasets work in the session given (the add-on's).
    TTraceabilityData(fw::TSession* session, QObject* owner);

    fw::TQuery* Receipts;     // the receipt lines of the period, the report's rows
    fw::TDataSource* ReceiptSource;
    fw::TTable* WarehouseTable; // the warehouse of the current row (detail of ReceiptSource)
    fw::TTable* FirmTable;  // the company's own data

    // Restricts the receipts to warehouses and suppliers (code lists as the pickers give
    // them; an empty list restricts nothing): each code is a parameter of its condition.
    void SetSelection(const QString& warehouseList, const QString& supplierList);
    // Opens the company data and the receipts of the period.
    void OpenData(fw::TDateTime from, fw::TDateTime to);
    void CloseData();

    // The raw materials of the consumption document that carries the current receipt's
    // number and document date, in the report's order. EDatabaseError in the add-on's
    // words (msg::ReportDatabaseError) when they cannot be read.
    std::vector<TRawMaterialLine> RawMaterials();
    // The current receipt line's own expiry date (typed at receipt); none when it has none.
    QDate OwnExpiry() const;

    // The SQL lines of Receipts as stored (the lines of the two selections are replaced by
    // SetSelection) and of the raw materials of a receipt (RawMaterials), parameters NrDoc
    // and DataDoc.
    static const QStringList& ReceiptSql();
    static const QStringList& RawMaterialSql();

private:
    // The own expiry dates of the period's receipt lines, read once when the receipts are
    // opened (few lines have one), by receipt, article and lot.
    void ReadOwnExpiry(fw::TDateTime from, fw::TDateTime to);
    fw::TSession* session_;
    QHash<QString, QDate> ownExpiry_;
    // The raw materials' statement as the engine it was made for takes it.
    std::weak_ptr<fw::Connection> rawMaterialEngine_;
    QString rawMaterialSql_;
    QStringList rawMaterialOrder_; // its parameters, NrDoc and DataDoc, in the order they stand
};

} // namespace corvanel

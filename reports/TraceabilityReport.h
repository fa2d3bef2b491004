#pragma once

// The product traceability report: for a period, chosen warehouses and chosen suppliers,
// every finished-goods receipt line by lot, origin, warehouse and article group, with the
// raw materials consumed for it and totals of finished products.

#include "platform/core/Formats.h"
#include "platform/db/DataSet.h"
#include "platform/db/Query.h"
#include "platform/db/Table.h"
#include "platform/report/DataSetReportData.h"
#include "platform/report/Report.h"
#include "reports/TraceabilityData.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <functional>
#include <memory>

class QWidget;

namespace corvanel {

struct TPrintSettings;
struct TProductionContext;

// Holds the report over the data it reads; never shown.
class TTraceabilityReport final : public QObject {
public:
    // Laid out for the context's print settings; dates and numbers in its formats.
    TTraceabilityReport(TProductionContext& context, QObject* owner);
    ~TTraceabilityReport() override;

    TTraceabilityData* Data;
    // Data's datasets, by the names the report's events use.
    fw::TQuery* Receipts;        // the receipt lines of the period, the report's rows
    fw::TDataSource* ReceiptSource;
    fw::TTable* WarehouseTable;    // the warehouse of the current row (detail of ReceiptSource)
    fw::TTable* FirmTable;     // the company's own data
    fw::TReport* Report;

    // The period printed in the page header.
    fw::TDateTime FromDate = 0;
    fw::TDateTime ToDate = 0;
    // Report state: the running lot number and the last article printed.
    int LotNumber = 1;
    QString LastName;
    QString LastDescription;

    // Restricts the receipts to warehouses and suppliers (see TTraceabilityData).
    void SetSelection(const QString& warehouseList, const QString& supplierList);
    // Opens the company data and the receipts of the period FromDate..ToDate.
    void OpenData();
    void CloseData();

    // Events.
    void ReportBeforeGenerate();
    void ArticleTextPrint(QString& text);
    void RawMaterialsBeforePrint();

private:
    void BuildReport();
    void BuildPageHeader();
    fw::TReportGroup* BuildGroupHeaders(fw::TReportGroup* lotGroup);
    void BuildDetail();
    void BuildRawMaterials(fw::TReportBand* materials);
    void BuildTotals(fw::TReportGroup* lotGroup, fw::TReportGroup* warehouseGroup);
    void BuildPageFooter();
    // " - expira la " and the day, as an article's text ends.
    const QString& ExpiryText(fw::TDateTime day);
    // A framed row of the table with the rules at the left of columns 1..lastColumn.
    void ColumnRules(fw::TReportBand* band, int lastColumn);
    // The element placed inside a cell (or from one cell to the end of another).
    fw::TReportElement* InCell(fw::TReportElement* e, int column, int lastColumn = -1) const;
    // A text the report makes, named for the tests and the page model.
    static fw::TReportDataText* Computed(fw::TReportBand* band, const QString& name, std::function<QVariant()> value);
    // A text from the article's column to the end of the row.
    fw::TReportElement* Caption(fw::TReportBand* band, const QString& name, std::function<QVariant()> value);
    double ColumnLeft(int column) const;
    double ColumnWidth(int column) const;

    std::unique_ptr<fw::TDataSetReportData> rows_;
    std::unique_ptr<fw::TDataSetReportData> firmData_;
    std::unique_ptr<fw::TDataSetReportData> gestData_;
    // The receipt's fields the article's text is made of.
    struct {
        fw::TField* Name = nullptr;
        fw::TField* Days = nullptr;
        fw::TField* Registered = nullptr;
        fw::TField* Description = nullptr;
    } article_;
    std::vector<double> columns_; // left edges of the columns, then the right edge
    // The raw materials' names, lots, units and quantities, under the table's columns.
    std::array<fw::TReportMemo*, 4> materials_{};
    double lineHeight_ = 0; // of a memo line, mm
    // The last expiry written after an article's name, and its text (empty: none yet).
    struct {
        fw::TDateTime Day = 0;
        QString Text;
    } expiry_;
};

// The print settings the report always starts from: Arial 8, A4 portrait.
void PresetTraceabilityPrintSettings(TPrintSettings& settings);

// Reads the data of a report for a period and code lists; null, after telling the user,
// when the database could not be read. The form belongs to the caller.
std::unique_ptr<TTraceabilityReport> OpenTraceabilityReport(TProductionContext& context, QWidget* owner,
                                                            fw::TDateTime from, fw::TDateTime to,
                                                            const QString& warehouseList, const QString& supplierList);

// The command: warehouses, suppliers, period and print settings asked in turn (any cancel
// ends it quietly), then the report previewed or printed. The period and the warehouse
// list are given back as the user left them.
void ExecuteTraceabilityReport(TProductionContext& context, QWidget* owner, fw::TDateTime& from, fw::TDateTime& to,
                               QString& warehouseList);

} // namespace corvanel

#include "reports/ExpiringLotsReport.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "dialogs/CodeList.h"
#include "dialogs/WarehousePicker.h"
#include "platform/core/Exceptions.h"
#include "platform/print/Printer.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageDlg.h"
#include "reports/BusyMessage.h"
#include "reports/FirmName.h"
#include "reports/PrintSettings.h"
#include "reports/ReportColumns.h"
#include "reports/TableReport.h"
#include "reports/TraceabilityReport.h"
#include "platform/core/Readable.h"

#include <QInputDialog>
#include <QWidget>

namespace corvanel {

using namespace fw;

namespace {

const QString kValueMask = QStringLiteral("#,##0.00");
constexpr double kRow = 5; // mm

// The columns: the article takes what the page leaves.
enum TColumn { ColArticle, ColLot, ColEntry, ColExpiry, ColDays, ColQuantity, ColUnit, ColValue, ColumnCount };
constexpr double kWidths[ColumnCount] = {0, 28, 18, 18, 16, 22, 10, 24};

} // namespace

TExpiringLotsReport::TExpiringLotsReport(TProductionContext& context, QObject* owner)
    : QObject(owner),
      rows_({QStringLiteral("Gestiune"), QStringLiteral("Articol"), QStringLiteral("Lot"), QStringLiteral("Intrare"),
             QStringLiteral("Expira"), QStringLiteral("Zile"), QStringLiteral("Cantitate"), QStringLiteral("UM"),
             QStringLiteral("Valoare")})
{
    setObjectName(QStringLiteral("ExpiringLotsReport"));
    Report = NewTableReport(this, QStringLiteral("Loturi care expira"), &rows_, context);
    BuildReport();
}

TExpiringLotsReport::~TExpiringLotsReport() = default;

void TExpiringLotsReport::SetLots(const std::vector<TExpiringLot>& lots)
{
    rows_.Clear();
    for (const TExpiringLot& l : lots)
        rows_.AddRow({l.Warehouse, l.Group + QStringLiteral(" ") + l.Code + QStringLiteral(" ") + l.Name, l.LotText(), l.Entry,
                      l.Expiry, l.DaysLeft, l.Quantity, l.Unit, l.Value});
}

void TExpiringLotsReport::BuildReport()
{
    const std::vector<double> left = ColumnEdges(kWidths, Report->ContentWidth(), 40);
    const auto place = [&](TReportElement* e, int column, TReportAlignment alignment, int lastColumn = -1) {
        return PlaceInColumns(e, left, kRow, column, alignment, lastColumn);
    };
    const auto value = [this] { return rows_.Value(QStringLiteral("Valoare")).toDouble(); };

    // Page header: the company, as the other reports have it, and the moment of printing.
    AddTablePageHeader(
        *Report, QStringLiteral("Loturi care expira"), [this] { return FirmName; },
        [this] {
            return QStringLiteral("expirate sau care expira pana la %1 (%2 zile de la %3)")
                .arg(DateToStr(DateToDateTime(Day.addDays(Days)), Report->FormatSettings), QString::number(Days),
                     DateToStr(DateToDateTime(Day), Report->FormatSettings));
        },
        QStringLiteral("Window"),
        {QStringLiteral("Articol"), QStringLiteral("Lot"), QStringLiteral("Intrare"), QStringLiteral("Expira"),
         QStringLiteral("Zile"), QStringLiteral("Cantitate"), QStringLiteral("U.M."), QStringLiteral("Valoare")},
        left, kRow);

    TReportGroup* warehouse = Report->AddGroup(QStringLiteral("Gestiune"));
    TReportDataText* name = warehouse->Header()->AddExpression(
        [this] { return QStringLiteral("Gestiunea ") + rows_.Value(QStringLiteral("Gestiune")).toString(); }, 0, 1);
    name->Name = QStringLiteral("Warehouse");
    name->Bold = true;
    warehouse->Header()->Height = kRow + 1;
    // A value total under a rule: a warehouse's, and all of them.
    const auto total = [&](TReportBand* band, const QString& caption, const QString& name) {
        band->Frame = TFrameSide::Top;
        place(band->AddLabel(caption, 0, 0), ColArticle, TReportAlignment::Left, ColUnit)->Bold = true;
        TReportSum* sum = band->AddSum(value, kValueMask, 0, 0);
        sum->Name = name;
        place(sum, ColValue, TReportAlignment::Right)->Bold = true;
        band->Height = kRow + 2;
    };
    total(warehouse->Footer(), QStringLiteral("Valoare gestiune"), QStringLiteral("WarehouseValue"));

    TReportBand* detail = Report->Detail();
    const std::pair<const char*, TColumn> texts[] = {{"Articol", ColArticle}, {"Lot", ColLot},       {"Intrare", ColEntry},
                                                     {"Expira", ColExpiry},   {"UM", ColUnit}};
    for (const auto& [field, column] : texts)
        place(detail->AddDataText(QString::fromLatin1(field), 0, 0), column,
              column == ColEntry || column == ColExpiry ? TReportAlignment::Center : TReportAlignment::Left);
    // An expired lot says so where the days left would stand.
    TReportDataText* days = detail->AddDataText(QStringLiteral("Zile"), 0, 0);
    place(days, ColDays, TReportAlignment::Right);
    days->BeforePrint = [](TReportElement*, QString& text, bool&) {
        if (text.startsWith(QLatin1Char('-')))
            text = QStringLiteral("expirat");
    };
    TReportDataText* quantity = detail->AddDataText(QStringLiteral("Cantitate"), 0, 0);
    quantity->Mask = ReadableQuantityMask;
    place(quantity, ColQuantity, TReportAlignment::Right);
    TReportDataText* lotValue = detail->AddDataText(QStringLiteral("Valoare"), 0, 0);
    lotValue->Mask = kValueMask;
    place(lotValue, ColValue, TReportAlignment::Right);
    detail->Height = kRow;

    total(Report->Summary(), QStringLiteral("Valoare totala"), QStringLiteral("TotalValue"));
}

void PresetExpiringLotsPrintSettings(TPrintSettings& settings) { PresetTraceabilityPrintSettings(settings); }

std::unique_ptr<TExpiringLotsReport> OpenExpiringLotsReport(TProductionContext& context, QWidget* owner, const QDate& day,
                                                            int days, const QStringList& warehouses)
{
    auto form = std::make_unique<TExpiringLotsReport>(context, owner);
    form->Day = day;
    form->Days = days;
    if (!ReadReportRows(context, owner, [&] {
            form->FirmName = ReadFirmName(context);
            form->SetLots(ReadExpiringLots(context.Session(), day, days, warehouses));
        }))
        return nullptr;
    return form;
}

void ExecuteExpiringLotsReport(TProductionContext& context, QWidget* owner, int& days, QString& warehouseList)
{
    TPrintSettings& printSettings = PrintSettingsOf(context);
    PresetExpiringLotsPrintSettings(printSettings);
    if (!ExecuteWarehousePicker(context, owner, warehouseList))
        return;
    // The days are asked in a dialog of its own, run as every modal dialog of printing is.
    QInputDialog question(owner);
    question.setWindowTitle(QStringLiteral("Loturi care expira"));
    question.setObjectName(QStringLiteral("ExpiringDaysDlg"));
    question.setInputMode(QInputDialog::IntInput);
    question.setLabelText(QStringLiteral("Loturile care expira in cel mult (zile):"));
    question.setIntRange(0, 36500);
    question.setIntValue(days);
    if (fw::ExecPrintModal(question) != QDialog::Accepted)
        return;
    days = question.intValue();
    if (!ExecutePrintSettingsDlg(printSettings, owner))
        return;
    QStringList warehouses;
    try {
        warehouses = ParseCodeList(warehouseList);
    } catch (const EDatabaseError& error) {
        MessageDlg(msg::ReportDatabaseError(error.Message()), TMsgDlgType::Error, TMsgDlgButtons::OK);
        return;
    }
    const std::unique_ptr<TExpiringLotsReport> form =
        OpenExpiringLotsReport(context, owner, QDate::currentDate(), days, warehouses);
    if (form)
        RunReport(printSettings, *form->Report, owner);
}

} // namespace corvanel

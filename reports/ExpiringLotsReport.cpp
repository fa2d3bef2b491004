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
    Report = new TReport(this);
    Report->setObjectName(QStringLiteral("Report"));
    Report->Title = QStringLiteral("Loturi care expira");
    Report->SetData(&rows_);
    Report->PrintIfEmpty = false;
    Report->FormatSettings = context.Formats;
    ApplyPrintSettings(PrintSettingsOf(context), *Report);
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
    const double width = Report->ContentWidth();
    double fixed = 0;
    for (double w : kWidths)
        fixed += w;
    double left[ColumnCount + 1];
    left[0] = 0;
    for (int c = 0; c < ColumnCount; ++c)
        left[c + 1] = left[c] + (kWidths[c] > 0 ? kWidths[c] : std::max(40.0, width - fixed));
    const auto place = [&](TReportElement* e, int column, TReportAlignment alignment, int lastColumn = -1) {
        e->Left = left[column] + 1;
        e->Width = left[(lastColumn < 0 ? column : lastColumn) + 1] - left[column] - 2;
        e->Height = kRow;
        e->Alignment = alignment;
        e->Elide = true;
        return e;
    };
    const auto value = [this] { return rows_.Value(QStringLiteral("Valoare")).toDouble(); };

    // Page header: the company, as the other reports have it, and the moment of printing.
    TReportBand* header = Report->PageHeader();
    TReportDataText* firm = header->AddExpression([this] { return FirmName; }, 0, 0);
    firm->Name = QStringLiteral("Firma");
    firm->Width = width * 0.6;
    firm->Bold = true;
    firm->Elide = true;
    TReportSystemData* printedAt = header->AddSystemData(TSystemDataKind::DateTime, width - 60, 0, 60);
    printedAt->Alignment = TReportAlignment::Right;
    TReportLabel* title = header->AddLabel(QStringLiteral("Loturi care expira"), 0, 5);
    title->Name = QStringLiteral("Title");
    title->Alignment = TReportAlignment::Center;
    title->Bold = true;
    title->FontSize = 14;
    TReportDataText* window = header->AddExpression(
        [this] {
            return QStringLiteral("expirate sau care expira pana la %1 (%2 zile de la %3)")
                .arg(DateToStr(DateToDateTime(Day.addDays(Days)), Report->FormatSettings), QString::number(Days),
                     DateToStr(DateToDateTime(Day), Report->FormatSettings));
        },
        0, 12);
    window->Name = QStringLiteral("Window");
    window->Alignment = TReportAlignment::Center;
    const QString headings[ColumnCount] = {QStringLiteral("Articol"),   QStringLiteral("Lot"),  QStringLiteral("Intrare"),
                                           QStringLiteral("Expira"),    QStringLiteral("Zile"), QStringLiteral("Cantitate"),
                                           QStringLiteral("U.M."),      QStringLiteral("Valoare")};
    header->AddShape(TShapeKind::Rectangle, 0, 18, width, kRow + 1);
    for (int c = 0; c < ColumnCount; ++c) {
        TReportLabel* heading = header->AddLabel(headings[c], 0, 0);
        heading->Name = QStringLiteral("Heading");
        heading->Bold = true;
        place(heading, c, TReportAlignment::Center)->Top = 18.5;
    }
    header->Height = 18 + kRow + 2;

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
    std::unique_ptr<TExpiringLotsReport> form;
    try {
        form = std::make_unique<TExpiringLotsReport>(context, owner);
        form->FirmName = ReadFirmName(context);
        form->Day = day;
        form->Days = days;
        const TBusyMessage message(owner, msg::SelectingData());
        const THourGlass hourGlass(context.Screen);
        form->SetLots(ReadExpiringLots(context.Session(), day, days, warehouses));
    } catch (const EDatabaseError& error) {
        MessageDlg(msg::ReportDatabaseError(error.Message()), TMsgDlgType::Error, TMsgDlgButtons::OK);
        return nullptr;
    }
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

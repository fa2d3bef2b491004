#include "reports/TableReport.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "dialogs/PeriodDialog.h"
#include "platform/core/Exceptions.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageDlg.h"
#include "reports/BusyMessage.h"
#include "reports/PrintSettings.h"
#include "reports/TraceabilityReport.h"

namespace corvanel {

using namespace fw;

TReport* NewTableReport(QObject* owner, const QString& title, TReportData* rows, TProductionContext& context)
{
    auto* report = new TReport(owner);
    report->setObjectName(QStringLiteral("Report"));
    report->Title = title;
    report->SetData(rows);
    report->PrintIfEmpty = false;
    report->FormatSettings = context.Formats;
    ApplyPrintSettings(PrintSettingsOf(context), *report);
    return report;
}

TReportElement* PlaceInColumns(TReportElement* e, const std::vector<double>& edges, double row, int column,
                               TReportAlignment alignment, int lastColumn)
{
    e->Left = edges[size_t(column)] + 1;
    e->Width = edges[size_t(lastColumn < 0 ? column : lastColumn) + 1] - edges[size_t(column)] - 2;
    e->Height = row;
    e->Alignment = alignment;
    e->Elide = true;
    return e;
}

void AddTablePageHeader(TReport& report, const QString& title, std::function<QVariant()> firm,
                        std::function<QVariant()> subtitle, const QString& subtitleName, const QStringList& headings,
                        const std::vector<double>& edges, double row)
{
    const double width = report.ContentWidth();
    TReportBand* header = report.PageHeader();
    TReportDataText* firmText = header->AddExpression(std::move(firm), 0, 0);
    firmText->Name = QStringLiteral("Firma");
    firmText->Width = width * 0.6;
    firmText->Bold = true;
    firmText->Elide = true;
    TReportSystemData* printedAt = header->AddSystemData(TSystemDataKind::DateTime, width - 60, 0, 60);
    printedAt->Alignment = TReportAlignment::Right;
    TReportLabel* titleText = header->AddLabel(title, 0, 5);
    titleText->Name = QStringLiteral("Title");
    titleText->Alignment = TReportAlignment::Center;
    titleText->Bold = true;
    titleText->FontSize = 14;
    TReportDataText* subtitleText = header->AddExpression(std::move(subtitle), 0, 12);
    subtitleText->Name = subtitleName;
    subtitleText->Alignment = TReportAlignment::Center;
    header->AddShape(TShapeKind::Rectangle, 0, 18, width, row + 1);
    for (int c = 0; c < int(headings.size()); ++c) {
        TReportLabel* heading = header->AddLabel(headings[c], 0, 0);
        heading->Name = QStringLiteral("Heading");
        heading->Bold = true;
        PlaceInColumns(heading, edges, row, c, TReportAlignment::Center)->Top = 18.5;
    }
    header->Height = 18 + row + 2;
}

bool ReadReportRows(TProductionContext& context, QWidget* owner, const std::function<void()>& read)
{
    try {
        const TBusyMessage message(owner, msg::SelectingData());
        const THourGlass hourGlass(context.Screen);
        read();
        return true;
    } catch (const EDatabaseError& error) {
        MessageDlg(msg::ReportDatabaseError(error.Message()), TMsgDlgType::Error, TMsgDlgButtons::OK);
        return false;
    }
}

bool AskPeriodReport(TProductionContext& context, QWidget* owner, TDateTime& from, TDateTime& to,
                     const std::function<bool()>& narrow)
{
    TPrintSettings& printSettings = PrintSettingsOf(context);
    PresetTraceabilityPrintSettings(printSettings);
    return ExecutePeriodDialog(context.Formats, owner, from, to) && (!narrow || narrow())
           && ExecutePrintSettingsDlg(printSettings, owner);
}

} // namespace corvanel

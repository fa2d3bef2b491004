#include "recall/RecallReport.h"

#include "data/ProductionContext.h"
#include "platform/report/ReportPainter.h"
#include "reports/FirmName.h"
#include "reports/PrintSettings.h"
#include "recall/RecallContacts.h"
#include "reports/ReportColumns.h"
#include "platform/core/Readable.h"

namespace corvanel {

using namespace fw;

namespace {

// Columns of the table: the lot or document (what is left of the page), then columns as
// wide as what they hold (mm).
constexpr int kColumnCount = 8;
constexpr int kPartnerColumn = 3;
constexpr int kRemarkColumn = 7;
constexpr double kMinFirstColumn = 50;
constexpr double kRow = 4.5;      // a row of the table, mm
constexpr double kPad = 1;        // between a cell's rules and its text, mm
constexpr double kSlack = 0.5;    // what a text's measure may differ by between devices, mm
constexpr double kIndent = 3;     // per level of the tree, mm
constexpr double kHeaderTop = 16; // where the column headings start in the page header

// Each column but the first as wide as its widest text (the heading in bold) and its
// padding; the first (0: flexible) takes what the page leaves. On a page too narrow for
// that, the partner's and the remarks' columns, the ones whose texts run long, give up the
// difference in proportion to what each holds beyond its heading.
std::vector<double> ContentWidths(const std::vector<TRecallLine>& lines, const TPageFont& font, double contentWidth)
{
    TPageFont bold = font;
    bold.Bold = true;
    const QStringList& titles = RecallColumnTitles();
    std::vector<double> widths(kColumnCount, 0.0);
    std::vector<double> least(kColumnCount, 0.0);
    for (int c = 1; c < kColumnCount; ++c)
        widths[size_t(c)] = least[size_t(c)] = TextWidthMm(bold, titles.at(c)) + 2 * kPad + kSlack;
    for (const TRecallLine& line : lines) {
        const QStringList texts = RecallColumns(line);
        for (int c = 1; c < kColumnCount; ++c)
            if (!texts.at(c).isEmpty())
                widths[size_t(c)] = std::max(widths[size_t(c)], TextWidthMm(font, texts.at(c)) + 2 * kPad + kSlack);
    }
    double fixed = 0;
    for (double w : widths)
        fixed += w;
    const double over = fixed - (contentWidth - kMinFirstColumn);
    double spare = 0;
    for (int c : {kPartnerColumn, kRemarkColumn})
        spare += widths[size_t(c)] - least[size_t(c)];
    if (over > 0 && spare > 0) {
        const double share = std::min(over, spare) / spare;
        for (int c : {kPartnerColumn, kRemarkColumn})
            widths[size_t(c)] -= (widths[size_t(c)] - least[size_t(c)]) * share;
    }
    return widths;
}

} // namespace

TRecallReport::TRecallReport(TProductionContext& context, const TRecall& recall, QObject* owner)
    : QObject(owner), recall_(recall), lines_(RecallLines(recall, context.Formats)), totals_(RecallTotals(recall))
{
    setObjectName(QStringLiteral("RecallReport"));
    QStringList fields = RecallColumnTitles();
    fields << QStringLiteral("Adancime");
    rows_.SetFieldNames(fields);
    for (const TRecallLine& line : lines_) {
        QVariantList values;
        for (const QString& text : RecallColumns(line))
            values << text;
        values << line.Depth;
        rows_.AddRow(values);
    }
    Report = new TReport(this);
    Report->setObjectName(QStringLiteral("Report"));
    Report->Title = QStringLiteral("Urmarire lot");
    Report->SetData(&rows_);
    Report->PageHeaderOnFirstPage = true;
    Report->PageFooterOnLastPage = true;
    Report->FormatSettings = context.Formats;
    ApplyPrintSettings(PrintSettingsOf(context), *Report);
    BuildReport(ReadFirmName(context));
}

TRecallReport::~TRecallReport() = default;

void TRecallReport::BuildReport(const QString& firmName)
{
    const double width = Report->ContentWidth();
    columns_ = ColumnEdges(ContentWidths(lines_, {Report->FontName, Report->FontSize}, width), width, kMinFirstColumn);
    const auto place = [&](TReportElement* e, int column) {
        e->Left = columns_[size_t(column)] + kPad;
        e->Width = columns_[size_t(column) + 1] - columns_[size_t(column)] - 2 * kPad;
        e->Elide = true;
        e->Alignment = column == 5 ? TReportAlignment::Right : TReportAlignment::Left;
        return e;
    };

    // Page header: the company, the moment of printing, the title, the headings.
    TReportBand* header = Report->PageHeader();
    TReportLabel* firm = header->AddLabel(firmName, 0, 0, width * 0.6);
    firm->Name = QStringLiteral("Firma");
    firm->Bold = true;
    firm->Elide = true;
    TReportSystemData* printedAt = header->AddSystemData(TSystemDataKind::DateTime, width - 60, 0, 60);
    printedAt->Alignment = TReportAlignment::Right;
    TReportLabel* title = header->AddLabel(RecallTitle(recall_), 0, 6, width);
    title->Name = QStringLiteral("Titlu");
    title->Bold = true;
    title->FontSize = 12;
    title->Alignment = TReportAlignment::Center;
    title->Elide = true;
    header->AddShape(TShapeKind::Rectangle, 0, kHeaderTop, width, kRow + 1);
    const QStringList& titles = RecallColumnTitles();
    for (int c = 0; c < kColumnCount; ++c) {
        TReportLabel* heading = header->AddLabel(titles.at(c), 0, kHeaderTop + 0.5);
        heading->Name = QStringLiteral("Coloana");
        heading->Bold = true;
        place(heading, c);
        if (c > 0)
            header->AddShape(TShapeKind::VerticalLine, columns_[size_t(c)], kHeaderTop, 0, kRow + 1);
    }
    header->Height = kHeaderTop + kRow + 2;

    // A node a line, the lot or document indented by its depth; lots in bold.
    TReportBand* detail = Report->Detail();
    detail->Height = kRow;
    for (int c = 0; c < kColumnCount; ++c) {
        TReportDataText* text = detail->AddDataText(titles.at(c), 0, 0);
        place(text, c);
        if (c == 0) {
            const double left = text->Left;
            const double fullWidth = text->Width;
            text->BeforePrint = [this, left, fullWidth](TReportElement* e, QString&, bool&) {
                const int depth = rows_.Value(QStringLiteral("Adancime")).toInt();
                const double indent = std::min(depth * kIndent, fullWidth / 2);
                e->Left = left + indent;
                e->Width = fullWidth - indent;
                const int row = rows_.RecNo();
                e->Bold = row >= 0 && lines_[size_t(row)].Node->Kind == TRecallKind::Lot;
            };
        }
    }
    detail->AddShape(TShapeKind::HorizontalLine, 0, kRow, width, 0)->PenWidth = 0.1;

    // The totals, after the tree.
    TReportBand* summary = Report->Summary();
    if (!totals_.empty()) {
        TReportLabel* caption = summary->AddLabel(RecallTotalsTitle(recall_.Direction) + QLatin1Char(':'), 0, 3);
        caption->Name = QStringLiteral("Totaluri");
        caption->Bold = true;
    }
    const double lineHeight = LineHeightMm({Report->FontName, Report->FontSize});
    const auto memo = [&](const char* name, double left, double columnWidth, TReportAlignment alignment) {
        TReportMemo* m = summary->AddMemo(left, 3 + lineHeight + 1, columnWidth);
        m->Name = QString::fromLatin1(name);
        m->Alignment = alignment;
        m->Elide = true;
        return m;
    };
    TReportMemo* partners = memo("TotalPartener", 0, width * 0.35, TReportAlignment::Left);
    TReportMemo* articles = memo("TotalArticol", width * 0.36, width * 0.4, TReportAlignment::Left);
    TReportMemo* quantities = memo("TotalCantitate", width * 0.77, width * 0.13, TReportAlignment::Right);
    TReportMemo* units = memo("TotalUM", width * 0.91, width * 0.09, TReportAlignment::Left);
    for (const TRecallTotal& t : totals_) {
        partners->Lines << (t.Partner.isEmpty() ? QStringLiteral("-") : t.Partner);
        articles->Lines << QStringLiteral("%1/%2  %3").arg(t.Group, t.Article, t.Name);
        quantities->Lines << QuantityToStr(t.Quantity, Report->FormatSettings);
        units->Lines << t.Unit;
    }
    // What an inspector asks for, under the totals: each section its title and its lines.
    double top = totals_.empty() ? 3 : 3 + lineHeight + 1 + double(totals_.size()) * lineHeight + 3;
    const std::vector<TInspectionSection> sections = InspectionSections(recall_, Report->FormatSettings);
    for (const TInspectionSection& section : sections) {
        TReportLabel* title = summary->AddLabel(section.Title + QLatin1Char(':'), 0, top);
        title->Name = QStringLiteral("Sectiune");
        title->Bold = true;
        TReportMemo* lines = summary->AddMemo(0, top + lineHeight + 1, width);
        lines->Name = QStringLiteral("SectiuneLinii");
        lines->Elide = true;
        lines->Lines = section.Lines;
        top += lineHeight + 1 + double(section.Lines.size()) * lineHeight + 3;
    }
    summary->Enabled = !totals_.empty() || !sections.empty();

    // Forward, the customers to call come first, before the tree.
    const TInspectionSection call = CustomersToCall(recall_);
    if (!call.Lines.isEmpty()) {
        TReportGroup* first = Report->AddGroup(QString());
        first->Name = QStringLiteral("Anunt");
        first->BreakExpression = [] { return QVariant(0); }; // one group: its header prints once
        TReportBand* band = first->Header();
        TReportLabel* title = band->AddLabel(call.Title + QLatin1Char(':'), 0, 1);
        title->Name = QStringLiteral("ClientiDeAnuntat");
        title->Bold = true;
        TReportMemo* lines = band->AddMemo(0, 1 + lineHeight + 1, width);
        lines->Name = QStringLiteral("ClientiDeAnuntatLinii");
        lines->Elide = true;
        lines->Lines = call.Lines;
        band->Height = 1 + lineHeight + 1 + double(call.Lines.size()) * lineHeight + 2;
    }

    TReportBand* footer = Report->PageFooter();
    footer->AddShape(TShapeKind::HorizontalLine, 0, 1.5, width, 0);
    TReportSystemData* page = footer->AddSystemData(TSystemDataKind::PageNumber, width * 0.8, 2.5, width * 0.2);
    page->Name = QStringLiteral("Pagina");
    page->Prefix = QStringLiteral("Pagina ");
    page->Alignment = TReportAlignment::Right;
}

void PresetRecallPrintSettings(TPrintSettings& settings) { PresetA4Arial8(settings, QPageLayout::Landscape); }

void PrintRecall(TProductionContext& context, const TRecall& recall, QWidget* owner)
{
    // The recall starts from its own layout each time; the context's settings, which the
    // traceability report prints with, are given back as they were whatever happens.
    TPrintSettings& settings = PrintSettingsOf(context);
    struct TRestore {
        TPrintSettings& Settings;
        const TPrintSettings Kept;
        ~TRestore() { Settings = Kept; }
    } restore{settings, settings};
    PresetRecallPrintSettings(settings);
    if (!ExecutePrintSettingsDlg(settings, owner))
        return;
    TRecallReport report(context, recall, nullptr);
    RunReport(settings, *report.Report, owner);
}

} // namespace corvanel

#include "reports/TraceabilityReport.h"

#include "data/Messages.h"
#include "data/ProductionContext.h"
#include "dialogs/PeriodDialog.h"
#include "dialogs/SupplierPicker.h"
#include "dialogs/WarehousePicker.h"
#include "platform/core/Exceptions.h"
#include "platform/report/ReportPainter.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageDlg.h"
#include "reports/BusyMessage.h"
#include "reports/PrintSettings.h"
#include "reports/ReportColumns.h"
#include "platform/core/Readable.h"

#include <QWidget>
#include <array>

namespace corvanel {

using namespace fw;

namespace {

const QString kFinishedGroup = QStringLiteral("02");

// The body of every page is a table of six columns; all but the wide middle one have a
// fixed width (mm), the middle one takes what the page leaves.
enum TColumn { ColNr, ColData, ColArticle, ColLot, ColUnit, ColQuantity, ColumnCount };

// A column of the table: its heading, the receipt field a detail row shows in it (none:
// the row's text is made by the report), its width (0: the flexible one), how its texts
// are aligned, the mask of its numbers, and the list of the raw materials printed under it.
struct TColumnSpec {
    const char* Title;
    const char* Field;
    double Width;
    TReportAlignment Alignment;
    const char* Mask;
    const char* Materials;
};
constexpr TColumnSpec kColumns[ColumnCount] = {
    {"Nr. crt.", nullptr, 12, TReportAlignment::Center, nullptr, nullptr},
    {"Data", nullptr, 18, TReportAlignment::Center, nullptr, nullptr},
    {"Dirijare produs", nullptr, 0, TReportAlignment::Left, nullptr, "MPDenumire"},
    {"Lot", "Lot", 30, TReportAlignment::Center, nullptr, "MPLot"},
    {"U.M.", "Unitate_masura", 12, TReportAlignment::Center, nullptr, "MPUM"},
    {"Cantitate", "Cantitate", 24, TReportAlignment::Right, "#,##0.00", "MPCantitate"},
};
constexpr double kMaterialIndent = 3; // the raw materials' names under the article's, mm
const QString kQuantityMask = QString::fromLatin1(kColumns[ColQuantity].Mask);

constexpr double kRow = 5;        // height of a row of the table, mm
constexpr double kPad = 1;        // space between a cell's rules and its text, mm
constexpr double kHeaderTop = 27; // where the column headings start in the page header

template <class T> T* Styled(T* element, TReportAlignment alignment, bool bold = true)
{
    element->Alignment = alignment;
    element->Bold = bold;
    return element;
}

} // namespace

TTraceabilityReport::TTraceabilityReport(TProductionContext& context, QObject* owner) : QObject(owner)
{
    setObjectName(QStringLiteral("TraceabilityReport"));
    Data = new TTraceabilityData(context.Session(), this);
    Receipts = Data->Receipts;
    ReceiptSource = Data->ReceiptSource;
    WarehouseTable = Data->WarehouseTable;
    FirmTable = Data->FirmTable;

    rows_ = std::make_unique<TDataSetReportData>(Receipts);
    firmData_ = std::make_unique<TDataSetReportData>(FirmTable);
    gestData_ = std::make_unique<TDataSetReportData>(WarehouseTable);

    Report = new TReport(this);
    Report->setObjectName(QStringLiteral("Report"));
    Report->Title = QStringLiteral("Trasabilitate produse");
    Report->SetData(rows_.get());
    Report->PaperSize = QPageSize(QPageSize::A4);
    Report->Orientation = QPageLayout::Portrait;
    Report->PageHeaderOnFirstPage = true;
    Report->PageFooterOnLastPage = true;
    Report->PrintIfEmpty = false;
    Report->FormatSettings = context.Formats;
    // The columns are laid out for the page the print settings give.
    ApplyPrintSettings(PrintSettingsOf(context), *Report);
    BuildReport();
}

TTraceabilityReport::~TTraceabilityReport() = default;

double TTraceabilityReport::ColumnLeft(int column) const { return columns_.at(size_t(column)); }

double TTraceabilityReport::ColumnWidth(int column) const
{
    return columns_.at(size_t(column) + 1) - columns_.at(size_t(column));
}

void TTraceabilityReport::ColumnRules(TReportBand* band, int lastColumn)
{
    band->Frame = TFrameSide::All;
    for (int c = 1; c <= lastColumn && c < ColumnCount; ++c)
        band->AddShape(TShapeKind::VerticalLine, ColumnLeft(c), 0, 0, kRow)->StretchWithBand = true;
}

TReportElement* TTraceabilityReport::InCell(TReportElement* e, int column, int lastColumn) const
{
    if (lastColumn < 0)
        lastColumn = column;
    e->Left = ColumnLeft(column) + kPad;
    e->Width = ColumnLeft(lastColumn) + ColumnWidth(lastColumn) - e->Left - kPad;
    e->Height = kRow;
    e->Elide = true;
    return e;
}

TReportDataText* TTraceabilityReport::Computed(TReportBand* band, const QString& name, std::function<QVariant()> value)
{
    TReportDataText* e = band->AddExpression(std::move(value), 0, 0);
    e->Name = name;
    return e;
}

TReportElement* TTraceabilityReport::Caption(TReportBand* band, const QString& name, std::function<QVariant()> value)
{
    return Styled(InCell(Computed(band, name, std::move(value)), ColArticle, ColQuantity), TReportAlignment::Left);
}

void TTraceabilityReport::BuildReport()
{
    std::array<double, ColumnCount> widths{};
    for (int c = 0; c < ColumnCount; ++c)
        widths[size_t(c)] = kColumns[c].Width;
    columns_ = ColumnEdges(widths, Report->ContentWidth(), 40.0);
    Report->BeforeGenerate = [this](TReport*) { ReportBeforeGenerate(); };
    BuildPageHeader();
    TReportGroup* lotGroup = Report->AddGroup(QStringLiteral("Lot"));
    TReportGroup* warehouseGroup = BuildGroupHeaders(lotGroup);
    TReportGroup* articleGroup = Report->AddGroup(QStringLiteral("Cod_grupa"));
    ColumnRules(articleGroup->Header(), ColQuantity);
    TReportDataText* groupName = articleGroup->Header()->AddDataText(QStringLiteral("DenGrupa"), 0, 0);
    groupName->BeforePrint = [](TReportElement*, QString& t, bool&) { t += QLatin1Char(':'); };
    Styled(InCell(groupName, ColArticle), TReportAlignment::Left);
    BuildDetail();
    BuildRawMaterials(articleGroup->Footer());
    BuildTotals(lotGroup, warehouseGroup);
    BuildPageFooter();
}

// The company, the moment of printing, the title, the period, the headings.
void TTraceabilityReport::BuildPageHeader()
{
    const double width = Report->ContentWidth();
    TReportBand* header = Report->PageHeader();
    TReportDataText* firmName = header->AddDataText(QStringLiteral("Denumire"), 0, 0, 0, firmData_.get());
    firmName->Name = QStringLiteral("FirmDenumire");
    firmName->Bold = true;
    firmName->FontSize = 10;
    firmName->Width = width * 0.6;
    firmName->Elide = true;
    double top = 5;
    for (const QString& field : {QStringLiteral("Cod fiscal"), QStringLiteral("Adresa")}) {
        header->AddLabel(field, 0, top, 16);
        TReportDataText* value = header->AddDataText(field, 0, 0, 0, firmData_.get());
        value->Name = QStringLiteral("Firm") + QString(field).remove(QLatin1Char(' '));
        value->Left = 17;
        value->Top = top;
        value->Width = width * 0.6 - 17;
        value->Elide = true;
        top += 3.6;
    }
    TReportSystemData* printedAt = header->AddSystemData(TSystemDataKind::DateTime, width - 60, 0, 60);
    printedAt->Name = QStringLiteral("PrintedAt");
    printedAt->Alignment = TReportAlignment::Right;
    TReportLabel* title = header->AddLabel(QStringLiteral("Trasabilitatea produselor"), 0, 14);
    title->Name = QStringLiteral("Title");
    Styled(title, TReportAlignment::Center)->FontSize = 16;
    TReportDataText* period = Computed(header, QStringLiteral("Period"), [this] {
        return QStringLiteral("în perioada ") + DateToStr(FromDate, Report->FormatSettings) + QStringLiteral(" - ")
               + DateToStr(ToDate, Report->FormatSettings);
    });
    period->Top = 21;
    period->Alignment = TReportAlignment::Center;
    period->FontSize = 9;
    header->AddShape(TShapeKind::Rectangle, 0, kHeaderTop, width, kRow + 1);
    for (int c = 0; c < ColumnCount; ++c) {
        TReportLabel* heading = header->AddLabel(QString::fromUtf8(kColumns[c].Title), 0, 0);
        heading->Name = QStringLiteral("Heading");
        Styled(InCell(heading, c), TReportAlignment::Center)->Top = kHeaderTop;
        heading->Height = kRow + 1;
        if (c > 0)
            header->AddShape(TShapeKind::VerticalLine, ColumnLeft(c), kHeaderTop, 0, kRow + 1);
    }
    header->Height = kHeaderTop + kRow + 1;
}

// Lot (each on a new page, numbered), then origin and warehouse; the warehouse's group.
TReportGroup* TTraceabilityReport::BuildGroupHeaders(TReportGroup* lotGroup)
{
    lotGroup->NewPage = true;
    TReportBand* lotHeader = lotGroup->Header();
    ColumnRules(lotHeader, ColArticle);
    TReportDataText* number = Computed(lotHeader, QStringLiteral("NrCrt"), [] { return QVariant(); });
    number->BeforePrint = [this](TReportElement*, QString& t, bool&) { t = QString::number(LotNumber++); };
    Styled(InCell(number, ColNr), kColumns[ColNr].Alignment);
    Styled(InCell(lotHeader->AddDataText(QStringLiteral("Data_inregistrarii"), 0, 0), ColData), kColumns[ColData].Alignment);
    TField* lot = Receipts->FieldByName(QStringLiteral("Lot"));
    Caption(lotHeader, QStringLiteral("LotCaption"), [lot] { return QStringLiteral("LOT: ") + lot->AsString(); });

    TField* supplierName = Receipts->FieldByName(QStringLiteral("Nume_furnizor"));
    TReportBand* supplierHeader = Report->AddGroup(QStringLiteral("Furnizor"))->Header();
    ColumnRules(supplierHeader, ColArticle);
    Caption(supplierHeader, QStringLiteral("Provenienta"),
            [supplierName] { return QStringLiteral("Provenienta: ") + supplierName->AsString(); });

    TReportGroup* warehouseGroup = Report->AddGroup(QStringLiteral("Cod_gestiune"));
    ColumnRules(warehouseGroup->Header(), ColArticle);
    TReportDataText* warehouse = warehouseGroup->Header()->AddDataText(QStringLiteral("Denumire"), 0, 0, 0, gestData_.get());
    warehouse->Name = QStringLiteral("Gestiune");
    Styled(InCell(warehouse, ColArticle, ColQuantity), TReportAlignment::Left);
    return warehouseGroup;
}

// One receipt line: the article made by the report, then the columns of its own fields.
void TTraceabilityReport::BuildDetail()
{
    TReportBand* detail = Report->Detail();
    ColumnRules(detail, ColQuantity);
    const auto field = [this](const char* name) { return Receipts->FieldByName(QString::fromLatin1(name)); };
    article_ = {field("Denumire"), field("ZileValabilitate"), field("Data_inregistrarii"), field("Descriere")};
    TReportDataText* article = Computed(detail, QStringLiteral("Articol"), [] { return QVariant(); });
    article->BeforePrint = [this](TReportElement*, QString& t, bool&) { ArticleTextPrint(t); };
    Styled(InCell(article, ColArticle), kColumns[ColArticle].Alignment);
    for (int c = ColArticle + 1; c < ColumnCount; ++c) {
        TReportDataText* value = detail->AddDataText(QString::fromLatin1(kColumns[c].Field), 0, 0);
        if (kColumns[c].Mask)
            value->Mask = QString::fromLatin1(kColumns[c].Mask);
        Styled(InCell(value, c), kColumns[c].Alignment);
    }
    InCell(detail->AddDataText(QStringLiteral("Cod_articol"), 0, 0), ColArticle)->Enabled = false;
}

// After each article group: the raw materials of its receipt, in the columns of the table.
void TTraceabilityReport::BuildRawMaterials(TReportBand* materials)
{
    ColumnRules(materials, ColQuantity);
    TReportLabel* used = materials->AddLabel(QStringLiteral("Materii prime utilizate:"), 0, 0);
    used->Name = QStringLiteral("MateriiPrime");
    Styled(InCell(used, ColArticle), TReportAlignment::Left)->Height = 0;
    used->Top = kPad / 2;
    lineHeight_ = LineHeightMm({Report->FontName, Report->FontSize});
    const double firstLine = kPad / 2 + LineHeightMm({Report->FontName, Report->FontSize, true});
    for (int c = ColArticle; c < ColumnCount; ++c) {
        TReportMemo* m = materials->AddMemo(0, 0, 0);
        m->Name = QString::fromLatin1(kColumns[c].Materials);
        Styled(InCell(m, c), kColumns[c].Alignment, false);
        if (c == ColArticle) {
            m->Left += kMaterialIndent;
            m->Width -= kMaterialIndent;
        }
        m->Top = firstLine;
        m->Height = 0;
        materials_[size_t(c - ColArticle)] = m;
    }
    materials->Height = kRow;
    materials->BeforePrint = [this](TReportBand*, bool&) { RawMaterialsBeforePrint(); };
}

// Totals of finished products: per warehouse, per lot and for the whole report.
void TTraceabilityReport::BuildTotals(TReportGroup* lotGroup, TReportGroup* warehouseGroup)
{
    TField* quantity = Receipts->FieldByName(QStringLiteral("Cantitate"));
    TField* group = Receipts->FieldByName(QStringLiteral("Cod_grupa"));
    const auto finishedQuantity = [quantity, group] {
        return group->AsString() == kFinishedGroup ? quantity->AsFloat() : 0.0;
    };
    const auto total = [&](TReportBand* band, const QString& name, std::function<QVariant()> caption) {
        band->Frame = TFrameSide::All;
        band->AddShape(TShapeKind::VerticalLine, ColumnLeft(ColQuantity), 0, 0, kRow)->StretchWithBand = true;
        Styled(InCell(Computed(band, name, std::move(caption)), ColNr, ColUnit), TReportAlignment::Left);
        TReportSum* sum = band->AddSum(finishedQuantity, kQuantityMask, 0, 0);
        sum->Name = name + QStringLiteral("Total");
        Styled(InCell(sum, ColQuantity), kColumns[ColQuantity].Alignment);
    };
    TField* warehouse = WarehouseTable->FieldByName(QStringLiteral("Denumire"));
    total(warehouseGroup->Footer(), QStringLiteral("TotalGestiune"), [warehouse] {
        return QStringLiteral("Total cantitate de produse finite/vana(sarja) ") + warehouse->AsString();
    });
    TField* lot = Receipts->FieldByName(QStringLiteral("Lot"));
    total(lotGroup->Footer(), QStringLiteral("TotalLot"),
          [lot] { return QStringLiteral("Total cantitate de produse finite/lot ") + lot->AsString(); });
    total(Report->Summary(), QStringLiteral("TotalGeneral"),
          [] { return QStringLiteral("Total general cantitate de produse finite obtinute:"); });
}

// The last article printed and the page number.
void TTraceabilityReport::BuildPageFooter()
{
    const double width = Report->ContentWidth();
    TReportBand* footer = Report->PageFooter();
    footer->AddShape(TShapeKind::HorizontalLine, 0, 1.5, width, 0);
    TReportDataText* description = Computed(footer, QStringLiteral("Descriere"), [this] { return LastDescription; });
    description->Top = 2.5;
    description->Width = width * 0.36;
    description->Elide = true;
    TReportDataText* sheet = Computed(footer, QStringLiteral("FisaProdusului"),
                                      [this] { return QStringLiteral("Fisa Produsului ") + LastName; });
    sheet->Top = 2.5;
    sheet->Left = width * 0.38;
    sheet->Width = width * 0.44;
    sheet->Alignment = TReportAlignment::Center;
    sheet->Elide = true;
    TReportSystemData* page = footer->AddSystemData(TSystemDataKind::PageNumber, width * 0.84, 2.5, width * 0.16);
    page->Name = QStringLiteral("Pagina");
    page->Prefix = QStringLiteral("Pagina ");
    page->Alignment = TReportAlignment::Right;
}

void TTraceabilityReport::ReportBeforeGenerate()
{
    LotNumber = 1;
    expiry_ = {};
}

// The lines of a receipt mostly expire on one day: its text is spelt once for them.
const QString& TTraceabilityReport::ExpiryText(TDateTime day)
{
    if (expiry_.Text.isEmpty() || expiry_.Day != day)
        expiry_ = {day, QStringLiteral(" - expira la ") + DateToStr(day, Report->FormatSettings)};
    return expiry_.Text;
}

void TTraceabilityReport::ArticleTextPrint(QString& text)
{
    // Runs for every receipt line: the fields were looked up when the report was built.
    const QString name = article_.Name->AsString();
    text = name;
    // A date the supplier gave the lot, typed at receipt, stands before the shelf life.
    if (const QDate own = Data->OwnExpiry(); own.isValid())
        text += ExpiryText(DateToDateTime(own));
    // No registration day, no expiry: counted from day 0 it would read 1900.
    else if (!article_.Days->IsNull() && !article_.Registered->IsNull())
        text += ExpiryText(article_.Registered->AsDateTime() + article_.Days->AsFloat());
    LastName = name;
    LastDescription = article_.Description->AsString();
}

void TTraceabilityReport::RawMaterialsBeforePrint()
{
    for (TReportMemo* memo : materials_)
        memo->Lines.clear();
    auto& [names, lots, units, quantities] = materials_;
    for (const TRawMaterialLine& line : Data->RawMaterials()) {
        names->Lines << line.Name;
        lots->Lines << line.Lot;
        units->Lines << line.Unit;
        quantities->Lines << QuantityToStr(line.Quantity, Report->FormatSettings);
    }
    // The last line keeps a little room above the rule that closes the list.
    names->Height = names->Lines.isEmpty() ? 0 : double(names->Lines.size()) * lineHeight_ + kPad;
}

void TTraceabilityReport::SetSelection(const QString& warehouseList, const QString& supplierList)
{
    Data->SetSelection(warehouseList, supplierList);
}

void TTraceabilityReport::OpenData() { Data->OpenData(FromDate, ToDate); }

void TTraceabilityReport::CloseData() { Data->CloseData(); }

void PresetTraceabilityPrintSettings(TPrintSettings& settings) { PresetA4Arial8(settings, QPageLayout::Portrait); }

std::unique_ptr<TTraceabilityReport> OpenTraceabilityReport(TProductionContext& context, QWidget* owner, TDateTime from,
                                                            TDateTime to, const QString& warehouseList,
                                                            const QString& supplierList)
{
    auto form = std::make_unique<TTraceabilityReport>(context, owner);
    form->FromDate = from;
    form->ToDate = to;
    try {
        // A list that cannot be read is reported like the database errors it would cause.
        form->SetSelection(warehouseList, supplierList);
        const TBusyMessage message(owner, msg::SelectingData());
        const THourGlass hourGlass(context.Screen);
        form->OpenData();
    } catch (const EDatabaseError& error) {
        MessageDlg(msg::ReportDatabaseError(error.Message()), TMsgDlgType::Error, TMsgDlgButtons::OK);
        return nullptr;
    }
    return form;
}

void ExecuteTraceabilityReport(TProductionContext& context, QWidget* owner, TDateTime& from, TDateTime& to,
                               QString& warehouseList)
{
    TPrintSettings& printSettings = PrintSettingsOf(context);
    PresetTraceabilityPrintSettings(printSettings);
    if (!ExecuteWarehousePicker(context, owner, warehouseList))
        return;
    QString supplierList;
    if (!ExecuteSupplierPicker(context, owner, supplierList))
        return;
    if (!ExecutePeriodDialog(context.Formats, owner, from, to))
        return;
    if (!ExecutePrintSettingsDlg(printSettings, owner))
        return;
    const std::unique_ptr<TTraceabilityReport> form =
        OpenTraceabilityReport(context, owner, from, to, warehouseList, supplierList);
    if (!form)
        return;
    RunReport(printSettings, *form->Report, owner);
    form->CloseData();
}

} // namespace corvanel

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

namespace corvanel {

using namespace fw;

namespace {

const QString kFinishedGroup = QStringLiteral("02");
const QString kQuantityMask = QStringLiteral("#,##0.00");

// The body of every page is a table of six columns; all but the wide middle one have a
// fixed width (mm), the middle one takes what the page leaves.
enum TColumn { ColNr, ColData, ColArticle, ColLot, ColUnit, ColQuantity, ColumnCount };
constexpr double kColumnWidths[ColumnCount] = {12, 18, 0, 30, 12, 24};

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
    RawMaterialQuery = Data->RawMaterialQuery;

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

void TTraceabilityReport::BuildReport()
{
    const double width = Report->ContentWidth();
    columns_ = ColumnEdges(kColumnWidths, width, 40.0);
    // A text inside its cell (or from one cell to the end of another).
    const auto cell = [&](TReportElement* e, int column, int lastColumn = -1) {
        if (lastColumn < 0)
            lastColumn = column;
        e->Left = ColumnLeft(column) + kPad;
        e->Width = ColumnLeft(lastColumn) + ColumnWidth(lastColumn) - e->Left - kPad;
        e->Height = kRow;
        e->Elide = true;
        return e;
    };
    const auto data = [&](TReportBand* band, const QString& field, TReportData* source = nullptr) {
        return band->AddDataText(field, 0, 0, 0, source);
    };
    const auto text = [&](TReportBand* band, const QString& name, std::function<QVariant()> value) {
        TReportDataText* e = band->AddExpression(std::move(value), 0, 0);
        e->Name = name;
        return e;
    };
    TField* lot = Receipts->FieldByName(QStringLiteral("Lot"));
    TField* quantity = Receipts->FieldByName(QStringLiteral("Cantitate"));
    TField* group = Receipts->FieldByName(QStringLiteral("Cod_grupa"));
    const auto finishedQuantity = [quantity, group] {
        return group->AsString() == kFinishedGroup ? quantity->AsFloat() : 0.0;
    };
    const auto total = [&](TReportBand* band, const QString& name, std::function<QVariant()> caption) {
        band->Frame = TFrameSide::All;
        band->AddShape(TShapeKind::VerticalLine, ColumnLeft(ColQuantity), 0, 0, kRow)->StretchWithBand = true;
        Styled(cell(text(band, name, std::move(caption)), ColNr, ColUnit), TReportAlignment::Left);
        TReportSum* sum = band->AddSum(finishedQuantity, kQuantityMask, 0, 0);
        sum->Name = name + QStringLiteral("Total");
        Styled(cell(sum, ColQuantity), TReportAlignment::Right);
    };

    Report->BeforeGenerate = [this](TReport*) { ReportBeforeGenerate(); };

    // Page header: the company, the moment of printing, the title, the period, the headings.
    TReportBand* header = Report->PageHeader();
    TReportDataText* firmName = data(header, QStringLiteral("Denumire"), firmData_.get());
    firmName->Name = QStringLiteral("FirmDenumire");
    firmName->Bold = true;
    firmName->FontSize = 10;
    firmName->Width = width * 0.6;
    firmName->Elide = true;
    const std::pair<QString, QString> firmLines[] = {{QStringLiteral("Cod fiscal"), QStringLiteral("Cod fiscal")},
                                                     {QStringLiteral("Adresa"), QStringLiteral("Adresa")}};
    double top = 5;
    for (const auto& [caption, field] : firmLines) {
        header->AddLabel(caption, 0, top, 16);
        TReportDataText* value = data(header, field, firmData_.get());
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
    TReportDataText* period = text(header, QStringLiteral("Period"), [this] {
        return QStringLiteral("în perioada ") + DateToStr(FromDate, Report->FormatSettings) + QStringLiteral(" - ")
               + DateToStr(ToDate, Report->FormatSettings);
    });
    period->Top = 21;
    period->Alignment = TReportAlignment::Center;
    period->FontSize = 9;
    const QString headings[ColumnCount] = {QStringLiteral("Nr. crt."),        QStringLiteral("Data"),
                                           QStringLiteral("Dirijare produs"), QStringLiteral("Lot"),
                                           QStringLiteral("U.M."),            QStringLiteral("Cantitate")};
    header->AddShape(TShapeKind::Rectangle, 0, kHeaderTop, width, kRow + 1);
    for (int c = 0; c < ColumnCount; ++c) {
        TReportLabel* heading = header->AddLabel(headings[c], 0, 0);
        heading->Name = QStringLiteral("Heading");
        Styled(cell(heading, c), TReportAlignment::Center)->Top = kHeaderTop;
        heading->Height = kRow + 1;
        if (c > 0)
            header->AddShape(TShapeKind::VerticalLine, ColumnLeft(c), kHeaderTop, 0, kRow + 1);
    }
    header->Height = kHeaderTop + kRow + 1;

    // Lot, then origin, warehouse and article group.
    TReportGroup* lotGroup = Report->AddGroup(QStringLiteral("Lot"));
    lotGroup->NewPage = true;
    TReportBand* lotHeader = lotGroup->Header();
    ColumnRules(lotHeader, ColArticle);
    TReportDataText* number = text(lotHeader, QStringLiteral("NrCrt"), [] { return QVariant(); });
    number->BeforePrint = [this](TReportElement*, QString& t, bool&) { t = QString::number(LotNumber++); };
    Styled(cell(number, ColNr), TReportAlignment::Center);
    Styled(cell(data(lotHeader, QStringLiteral("Data_inregistrarii")), ColData), TReportAlignment::Center);
    Styled(cell(text(lotHeader, QStringLiteral("LotCaption"), [lot] { return QStringLiteral("LOT: ") + lot->AsString(); }),
                ColArticle, ColQuantity),
           TReportAlignment::Left);

    TField* supplierName = Receipts->FieldByName(QStringLiteral("Nume_furnizor"));
    TReportBand* supplierHeader = Report->AddGroup(QStringLiteral("Furnizor"))->Header();
    ColumnRules(supplierHeader, ColArticle);
    Styled(cell(text(supplierHeader, QStringLiteral("Provenienta"),
                     [supplierName] { return QStringLiteral("Provenienta: ") + supplierName->AsString(); }),
                ColArticle, ColQuantity),
           TReportAlignment::Left);

    TReportGroup* warehouseGroup = Report->AddGroup(QStringLiteral("Cod_gestiune"));
    ColumnRules(warehouseGroup->Header(), ColArticle);
    TReportDataText* warehouse = data(warehouseGroup->Header(), QStringLiteral("Denumire"), gestData_.get());
    warehouse->Name = QStringLiteral("Gestiune");
    Styled(cell(warehouse, ColArticle, ColQuantity), TReportAlignment::Left);

    TReportGroup* articleGroup = Report->AddGroup(QStringLiteral("Cod_grupa"));
    ColumnRules(articleGroup->Header(), ColQuantity);
    TReportDataText* groupName = data(articleGroup->Header(), QStringLiteral("DenGrupa"));
    groupName->BeforePrint = [](TReportElement*, QString& t, bool&) { t += QLatin1Char(':'); };
    Styled(cell(groupName, ColArticle), TReportAlignment::Left);

    // Detail: one receipt line.
    TReportBand* detail = Report->Detail();
    ColumnRules(detail, ColQuantity);
    TReportDataText* article = text(detail, QStringLiteral("Articol"), [] { return QVariant(); });
    article->BeforePrint = [this](TReportElement*, QString& t, bool&) { ArticleTextPrint(t); };
    Styled(cell(article, ColArticle), TReportAlignment::Left);
    Styled(cell(data(detail, QStringLiteral("Lot")), ColLot), TReportAlignment::Center);
    Styled(cell(data(detail, QStringLiteral("Unitate_masura")), ColUnit), TReportAlignment::Center);
    TReportDataText* amount = data(detail, QStringLiteral("Cantitate"));
    amount->Mask = kQuantityMask;
    Styled(cell(amount, ColQuantity), TReportAlignment::Right);
    cell(data(detail, QStringLiteral("Cod_articol")), ColArticle)->Enabled = false;

    // After each article group: the raw materials of its receipt, four aligned columns.
    TReportBand* materials = articleGroup->Footer();
    ColumnRules(materials, ColQuantity);
    TReportLabel* used = materials->AddLabel(QStringLiteral("Materii prime utilizate:"), 0, 0);
    used->Name = QStringLiteral("MateriiPrime");
    Styled(cell(used, ColArticle), TReportAlignment::Left)->Height = 0;
    used->Top = kPad / 2;
    const auto memo = [&](const char* name, int column, TReportAlignment alignment, double indent = 0) {
        TReportMemo* m = materials->AddMemo(0, 0, 0);
        m->Name = QString::fromLatin1(name);
        Styled(cell(m, column), alignment, false);
        m->Left += indent;
        m->Width -= indent;
        m->Top = kPad / 2 + LineHeightMm({Report->FontName, Report->FontSize, true});
        m->Height = 0;
        return m;
    };
    lineHeight_ = LineHeightMm({Report->FontName, Report->FontSize});
    names_ = memo("MPDenumire", ColArticle, TReportAlignment::Left, 3);
    lots_ = memo("MPLot", ColLot, TReportAlignment::Center);
    units_ = memo("MPUM", ColUnit, TReportAlignment::Center);
    quantities_ = memo("MPCantitate", ColQuantity, TReportAlignment::Right);
    materials->Height = kRow;
    materials->BeforePrint = [this](TReportBand*, bool&) { RawMaterialsBeforePrint(); };

    // Totals of finished products: per warehouse, per lot and for the whole report.
    total(warehouseGroup->Footer(), QStringLiteral("TotalGestiune"), [this] {
        return QStringLiteral("Total cantitate de produse finite/vana(sarja) ")
               + WarehouseTable->FieldByName(QStringLiteral("Denumire"))->AsString();
    });
    total(lotGroup->Footer(), QStringLiteral("TotalLot"),
          [lot] { return QStringLiteral("Total cantitate de produse finite/lot ") + lot->AsString(); });
    total(Report->Summary(), QStringLiteral("TotalGeneral"),
          [] { return QStringLiteral("Total general cantitate de produse finite obtinute:"); });

    // Page footer: the last article printed and the page number.
    TReportBand* footer = Report->PageFooter();
    footer->AddShape(TShapeKind::HorizontalLine, 0, 1.5, width, 0);
    TReportDataText* description = text(footer, QStringLiteral("Descriere"), [this] { return LastDescription; });
    description->Top = 2.5;
    description->Width = width * 0.36;
    description->Elide = true;
    TReportDataText* sheet = text(footer, QStringLiteral("FisaProdusului"),
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

void TTraceabilityReport::ReportBeforeGenerate() { LotNumber = 1; }

void TTraceabilityReport::ArticleTextPrint(QString& text)
{
    const QString name = Receipts->FieldByName(QStringLiteral("Denumire"))->AsString();
    TField* days = Receipts->FieldByName(QStringLiteral("ZileValabilitate"));
    TField* registered = Receipts->FieldByName(QStringLiteral("Data_inregistrarii"));
    text = name;
    // No registration day, no expiry: counted from day 0 it would read 1900.
    if (!days->IsNull() && !registered->IsNull())
        text += QStringLiteral(" - expira la ")
                + DateToStr(registered->AsDateTime() + days->AsFloat(), Report->FormatSettings);
    LastName = name;
    LastDescription = Receipts->FieldByName(QStringLiteral("Descriere"))->AsString();
}

void TTraceabilityReport::RawMaterialsBeforePrint()
{
    for (TReportMemo* memo : {names_, lots_, units_, quantities_})
        memo->Lines.clear();
    for (const TRawMaterialLine& line : Data->RawMaterials()) {
        names_->Lines << line.Name;
        lots_->Lines << line.Lot;
        units_->Lines << line.Unit;
        quantities_->Lines << QuantityToStr(line.Quantity, Report->FormatSettings);
    }
    // The last line keeps a little room above the rule that closes the list.
    names_->Height = names_->Lines.isEmpty() ? 0 : double(names_->Lines.size()) * lineHeight_ + kPad;
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

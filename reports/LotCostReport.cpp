#include "reports/LotCostReport.h"

#include "data/ProductionContext.h"
#include "platform/core/Csv.h"
#include "reports/FirmName.h"
#include "reports/PrintSettings.h"
#include "reports/ProductionCharts.h"
#include "platform/core/Readable.h"
#include "reports/ReportColumns.h"
#include "reports/TableReport.h"

#include <cmath>

namespace corvanel {

using namespace fw;

namespace {

const QString kValueMask = QStringLiteral("#,##0.00");
const QString kShareMask = QStringLiteral("0.0");
constexpr double kRow = 5; // mm

// The material takes what the page leaves.
enum TColumn { ColMaterial, ColQuantity, ColCost, ColShare, ColumnCount };
constexpr double kWidths[ColumnCount] = {0, 30, 30, 20};

QString Day(const QDate& date, const TFormatSettings& formats) { return DateToStr(DateToDateTime(date), formats); }

} // namespace

TLotCostReport::TLotCostReport(TProductionContext& context, QObject* owner)
    : QObject(owner),
      rows_({QStringLiteral("Lot"), QStringLiteral("Produs"), QStringLiteral("Material"), QStringLiteral("Cantitate"),
             QStringLiteral("Cost"), QStringLiteral("Procent"), QStringLiteral("CostLot"), QStringLiteral("CostUnitar")})
{
    setObjectName(QStringLiteral("LotCostReport"));
    Report = NewTableReport(this, QStringLiteral("Costul loturilor fabricate"), &rows_, context);
    BuildReport();
}

TLotCostReport::~TLotCostReport() = default;

void TLotCostReport::SetCosts(const std::vector<TLotCost>& costs)
{
    rows_.Clear();
    const TFormatSettings& formats = Report->FormatSettings;
    for (const TLotCost& c : costs) {
        const TBatchLine& b = c.Batch;
        // The group breaks on the receipt line, which two lots of one name never share.
        const QString key = CsvNumber(b.Receipt) + QLatin1Char('/') + CsvNumber(b.Line);
        const QString product = QStringLiteral("Receptia nr. %1 din %2: %3 %4 %5, lot %6, %7 %8")
                                    .arg(QString::number(b.Number, 'f', 0), Day(b.Date, formats), b.Group, b.Code, b.Name,
                                         b.Lot, QuantityToStr(b.Quantity, formats), b.Unit);
        const QString unit = std::isnan(c.UnitCost) ? QStringLiteral("-")
                                                     : FormatFloat(QStringLiteral("#,##0.0000"), c.UnitCost, formats);
        if (c.Materials.empty())
            rows_.AddRow({key, product, QStringLiteral("(nimic consumat)"), QVariant(), 0.0, QVariant(), c.MaterialCost, unit});
        for (const TMaterialCost& m : c.Materials) {
            const QString material = m.Unpriced > 0 ? QStringLiteral("%1 %2 (fara pret de achizitie)").arg(m.Group, m.Code)
                                                    : m.Group + QLatin1Char(' ') + m.Code;
            rows_.AddRow({key, product, material, m.Quantity, m.Cost, m.Share, c.MaterialCost, unit});
        }
    }
    DrawReportChart(*chart_, TChartKind::UnitCost, {Period, {}, costs, {}});
}

void TLotCostReport::BuildReport()
{
    const std::vector<double> left = ColumnEdges(kWidths, Report->ContentWidth(), 50);
    const auto place = [&](TReportElement* e, int column, TReportAlignment alignment, int lastColumn = -1) {
        return PlaceInColumns(e, left, kRow, column, alignment, lastColumn);
    };
    const auto text = [this](const char* field) { return rows_.Value(QString::fromLatin1(field)); };

    AddTablePageHeader(
        *Report, QStringLiteral("Costul loturilor fabricate"), [this] { return FirmName; },
        [this] {
            return QStringLiteral("receptii de produse din %1 - %2, materiale la pretul de achizitie al loturilor")
                .arg(Day(Period.From, Report->FormatSettings), Day(Period.To, Report->FormatSettings));
        },
        QStringLiteral("Period"),
        {QStringLiteral("Material"), QStringLiteral("Cantitate"), QStringLiteral("Cost (lei)"), QStringLiteral("% din cost")},
        left, kRow);

    TReportGroup* lot = Report->AddGroup(QStringLiteral("Lot"));
    TReportDataText* product = lot->Header()->AddExpression([text] { return text("Produs"); }, 0, 1);
    product->Name = QStringLiteral("Product");
    product->Bold = true;
    place(product, ColMaterial, TReportAlignment::Left, ColShare)->Top = 1;
    lot->Header()->Height = kRow + 1;
    TReportBand* footer = lot->Footer();
    footer->Frame = TFrameSide::Top;
    TReportDataText* unit = footer->AddExpression(
        [text] { return QStringLiteral("Cost materiale, pe unitate: ") + text("CostUnitar").toString() + QStringLiteral(" lei"); },
        0, 0);
    unit->Name = QStringLiteral("UnitCost");
    place(unit, ColMaterial, TReportAlignment::Left, ColQuantity);
    TReportDataText* lotCost = footer->AddExpression([text] { return text("CostLot"); }, 0, 0);
    lotCost->Name = QStringLiteral("LotCost");
    lotCost->Mask = kValueMask;
    place(lotCost, ColCost, TReportAlignment::Right)->Bold = true;
    footer->Height = kRow + 2;

    TReportBand* detail = Report->Detail();
    place(detail->AddDataText(QStringLiteral("Material"), 0, 0), ColMaterial, TReportAlignment::Left);
    TReportDataText* quantity = detail->AddDataText(QStringLiteral("Cantitate"), 0, 0);
    quantity->Mask = ReadableQuantityMask;
    place(quantity, ColQuantity, TReportAlignment::Right);
    TReportDataText* cost = detail->AddDataText(QStringLiteral("Cost"), 0, 0);
    cost->Mask = kValueMask;
    place(cost, ColCost, TReportAlignment::Right);
    TReportDataText* share = detail->AddDataText(QStringLiteral("Procent"), 0, 0);
    share->Mask = kShareMask;
    place(share, ColShare, TReportAlignment::Right);
    detail->Height = kRow;

    TReportBand* summary = Report->Summary();
    summary->Frame = TFrameSide::Top;
    place(summary->AddLabel(QStringLiteral("Cost materiale, toate loturile"), 0, 0), ColMaterial, TReportAlignment::Left,
          ColQuantity)
        ->Bold = true;
    TReportSum* total = summary->AddSum([text] { return text("Cost").toDouble(); }, kValueMask, 0, 0);
    total->Name = QStringLiteral("TotalCost");
    place(total, ColCost, TReportAlignment::Right)->Bold = true;
    summary->Height = kRow + 2;
    chart_ = AddReportChart(*Report, kRow + 4);
}

std::unique_ptr<TLotCostReport> OpenLotCostReport(TProductionContext& context, QWidget* owner, const TBatchPeriod& period)
{
    auto form = std::make_unique<TLotCostReport>(context, owner);
    form->Period = period;
    if (!ReadReportRows(context, owner, [&] {
            form->FirmName = ReadFirmName(context);
            form->SetCosts(ReadLotCosts(context.Session(), period));
        }))
        return nullptr;
    return form;
}

void ExecuteLotCostReport(TProductionContext& context, QWidget* owner, TDateTime& from, TDateTime& to)
{
    if (!AskPeriodReport(context, owner, from, to))
        return;
    if (const std::unique_ptr<TLotCostReport> form = OpenLotCostReport(context, owner, {DateTimeToDate(from), DateTimeToDate(to)}))
        RunReport(PrintSettingsOf(context), *form->Report, owner);
}

} // namespace corvanel

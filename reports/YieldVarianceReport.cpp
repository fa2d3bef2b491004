#include "reports/YieldVarianceReport.h"

#include "data/ProductionContext.h"
#include "platform/core/Csv.h"
#include "platform/core/Readable.h"
#include "reports/FirmName.h"
#include "reports/PrintSettings.h"
#include "reports/ProductFilterDialog.h"
#include "reports/ProductionCharts.h"
#include "reports/ReportColumns.h"
#include "reports/TableReport.h"

#include <cmath>

namespace corvanel {

using namespace fw;

namespace {

const QString kValueMask = QStringLiteral("#,##0.00");
const QString kPercentMask = QStringLiteral("0.0");
constexpr double kRow = 5; // mm

// The material takes what the page leaves.
enum TColumn { ColMaterial, ColPlanned, ColActual, ColVariance, ColPercent, ColValue, ColumnCount };
constexpr double kWidths[ColumnCount] = {0, 24, 24, 24, 16, 26};

QString Day(const QDate& date, const TFormatSettings& formats) { return DateToStr(DateToDateTime(date), formats); }

// An unknown figure (NaN) prints as nothing.
QVariant Figure(double value) { return std::isfinite(value) ? QVariant(value) : QVariant(); }

} // namespace

TYieldVarianceReport::TYieldVarianceReport(TProductionContext& context, QObject* owner)
    : QObject(owner),
      rows_({QStringLiteral("Produs"), QStringLiteral("Titlu"), QStringLiteral("Material"), QStringLiteral("Necesar"),
             QStringLiteral("Consumat"), QStringLiteral("Diferenta"), QStringLiteral("Procent"), QStringLiteral("Valoare"),
             QStringLiteral("TotalNecesar"), QStringLiteral("TotalConsumat"), QStringLiteral("TotalDiferenta"),
             QStringLiteral("TotalProcent"), QStringLiteral("TotalValoare")})
{
    setObjectName(QStringLiteral("YieldVarianceReport"));
    Report = NewTableReport(this, QStringLiteral("Necesar fata de consum"), &rows_, context);
    BuildReport();
}

TYieldVarianceReport::~TYieldVarianceReport() = default;

void TYieldVarianceReport::SetVariances(const std::vector<TProductVariance>& variances)
{
    rows_.Clear();
    const TFormatSettings& formats = Report->FormatSettings;
    for (const TProductVariance& p : variances) {
        const QString key = CsvNumber(p.Receipt) + QLatin1Char('/') + p.Group + QLatin1Char('/') + p.Code;
        const QString title = QStringLiteral("Receptia nr. %1 din %2: %3 %4 %5, %6 %7")
                                  .arg(QString::number(p.Number, 'f', 0), Day(p.Date, formats), p.Group, p.Code, p.Name,
                                       QuantityToStr(p.Quantity, formats), p.Unit);
        const TMaterialVariance& t = p.Total;
        for (const TMaterialVariance& m : p.Materials)
            rows_.AddRow({key, title, m.Group + QLatin1Char(' ') + m.Code, m.Planned, m.Actual, m.QuantityVariance(),
                          Figure(m.QuantityPercent()), Figure(m.ValueVariance()), t.Planned, t.Actual, t.QuantityVariance(),
                          Figure(t.QuantityPercent()), Figure(t.ValueVariance())});
    }
    DrawReportChart(*chart_, TChartKind::Variance, {Period, {}, {}, variances});
}

void TYieldVarianceReport::BuildReport()
{
    const std::vector<double> left = ColumnEdges(kWidths, Report->ContentWidth(), 50);
    const auto place = [&](TReportElement* e, int column, TReportAlignment alignment, int lastColumn = -1) {
        return PlaceInColumns(e, left, kRow, column, alignment, lastColumn);
    };
    const auto field = [this](const char* name) { return rows_.Value(QString::fromLatin1(name)); };

    AddTablePageHeader(
        *Report, QStringLiteral("Necesar fata de consum"), [this] { return FirmName; },
        [this] {
            const QString products = Products.isEmpty() ? QString() : QStringLiteral("; produsele ") + Products.join(QStringLiteral(", "));
            return QStringLiteral("receptii de produse din %1 - %2%3; valoarea la pretul loturilor consumate")
                .arg(Day(Period.From, Report->FormatSettings), Day(Period.To, Report->FormatSettings), products);
        },
        QStringLiteral("Period"),
        {QStringLiteral("Material"), QStringLiteral("Necesar"), QStringLiteral("Consumat"), QStringLiteral("Diferenta"),
         QStringLiteral("%"), QStringLiteral("Valoare dif.")},
        left, kRow);

    TReportGroup* product = Report->AddGroup(QStringLiteral("Produs"));
    TReportDataText* title = product->Header()->AddExpression([field] { return field("Titlu"); }, 0, 1);
    title->Name = QStringLiteral("Product");
    title->Bold = true;
    place(title, ColMaterial, TReportAlignment::Left, ColValue)->Top = 1;
    product->Header()->Height = kRow + 1;

    // The same columns in the detail (a material) and the footer (the product's total).
    const std::pair<const char*, const char*> columns[] = {{"Necesar", "TotalNecesar"},     {"Consumat", "TotalConsumat"},
                                                           {"Diferenta", "TotalDiferenta"}, {"Procent", "TotalProcent"},
                                                           {"Valoare", "TotalValoare"}};
    const QString masks[] = {ReadableQuantityMask, ReadableQuantityMask, ReadableQuantityMask, kPercentMask, kValueMask};
    TReportBand* detail = Report->Detail();
    place(detail->AddDataText(QStringLiteral("Material"), 0, 0), ColMaterial, TReportAlignment::Left);
    TReportBand* footer = product->Footer();
    footer->Frame = TFrameSide::Top;
    place(footer->AddLabel(QStringLiteral("Total"), 0, 0), ColMaterial, TReportAlignment::Left)->Bold = true;
    for (int c = 0; c < int(std::size(columns)); ++c) {
        TReportDataText* one = detail->AddDataText(QString::fromLatin1(columns[c].first), 0, 0);
        one->Mask = masks[c];
        place(one, ColPlanned + c, TReportAlignment::Right);
        TReportDataText* total = footer->AddDataText(QString::fromLatin1(columns[c].second), 0, 0);
        total->Mask = masks[c];
        place(total, ColPlanned + c, TReportAlignment::Right)->Bold = true;
    }
    detail->Height = kRow;
    footer->Height = kRow + 2;
    chart_ = AddReportChart(*Report, 4);
}

std::unique_ptr<TYieldVarianceReport> OpenYieldVarianceReport(TProductionContext& context, QWidget* owner,
                                                              const TBatchPeriod& period, const QStringList& products)
{
    auto form = std::make_unique<TYieldVarianceReport>(context, owner);
    form->Period = period;
    form->Products = products;
    if (!ReadReportRows(context, owner, [&] {
            form->FirmName = ReadFirmName(context);
            form->SetVariances(ReadYieldVariances(context.Session(), period, products));
        }))
        return nullptr;
    return form;
}

void ExecuteYieldVarianceReport(TProductionContext& context, QWidget* owner, TDateTime& from, TDateTime& to,
                                QStringList& products)
{
    if (!AskPeriodReport(context, owner, from, to, [&] { return AskReportProducts(context, owner, products); }))
        return;
    if (const std::unique_ptr<TYieldVarianceReport> form =
            OpenYieldVarianceReport(context, owner, {DateTimeToDate(from), DateTimeToDate(to)}, products))
        RunReport(PrintSettingsOf(context), *form->Report, owner);
}

} // namespace corvanel

#include "milk/MilkReports.h"

#include "data/ProductionContext.h"
#include "platform/core/Readable.h"
#include "reports/ReportColumns.h"
#include "reports/TableReport.h"

#include <QChart>
#include <array>

namespace corvanel {

using namespace fw;

namespace {

QString Readable(const std::optional<double>& v, const TFormatSettings& fs)
{
    return v ? QuantityToStr(*v, fs) : QStringLiteral("-");
}

QString Money(double v, const TFormatSettings& fs) { return FormatFloat(QStringLiteral("#,##0.00##"), v, fs); }

} // namespace

TBarChartData MilkQualityChart(const std::vector<TFarmerQuality>& rows)
{
    TBarChartData data;
    data.Series = {{QStringLiteral("NTG"), {}}, {QStringLiteral("NCS"), {}}};
    for (const TFarmerQuality& q : rows) {
        data.Categories << q.Farmer;
        data.Series[0].Values.push_back(q.Germs.Mean.value_or(0) / 1000);
        data.Series[1].Values.push_back(q.Cells.Mean.value_or(0) / 1000);
    }
    return data;
}

QString SamplesText(const TRollingMean& mean)
{
    QStringList parts;
    for (const int n : mean.PerMonth)
        parts << QString::number(n);
    return parts.join(QStringLiteral(" + "));
}

TMilkQualityReport::TMilkQualityReport(TProductionContext& context, const QString& firmName, const QDate& month,
                                       const std::vector<TFarmerQuality>& rows, QObject* owner)
    : QObject(owner)
{
    const QStringList fields{QStringLiteral("Furnizor"), QStringLiteral("Nume"), QStringLiteral("NTG"), QStringLiteral("NTG_probe"),
                             QStringLiteral("NCS"), QStringLiteral("NCS_probe"), QStringLiteral("Conform")};
    rows_.SetFieldNames(fields);
    const TFormatSettings& fs = context.Formats;
    for (const TFarmerQuality& q : rows)
        rows_.AddRow({q.Farmer, q.Name, Readable(q.Germs.Mean, fs), SamplesText(q.Germs), Readable(q.Cells.Mean, fs),
                      SamplesText(q.Cells), q.Conform ? QStringLiteral("conform") : QStringLiteral("neconform")});
    Report = NewTableReport(this, QStringLiteral("Calitatea laptelui pe furnizori"), &rows_, context);
    constexpr std::array<double, 7> widths{22, 0, 26, 22, 26, 26, 22};
    const std::vector<double> edges = ColumnEdges(widths, Report->ContentWidth(), 30);
    const double row = 5;
    const QString subtitle = QStringLiteral("Luna %1 (NTG: doua luni, cel mult 100.000/ml; NCS: trei luni, cel mult 400.000/ml)")
                                 .arg(month.toString(QStringLiteral("MM.yyyy")));
    AddTablePageHeader(*Report, Report->Title, [firmName] { return QVariant(firmName); }, [subtitle] { return QVariant(subtitle); },
                       QStringLiteral("Luna"),
                       {QStringLiteral("Furnizor"), QStringLiteral("Nume"), QStringLiteral("NTG medie"), QStringLiteral("Probe/luna"),
                        QStringLiteral("NCS medie"), QStringLiteral("Probe/luna"), QStringLiteral("Verdict")},
                       edges, row);
    for (int c = 0; c < int(fields.size()); ++c) {
        const bool number = c == 2 || c == 4;
        PlaceInColumns(Report->Detail()->AddDataText(fields[c], 0, 0), edges, row, c,
                       number ? TReportAlignment::Right : TReportAlignment::Left);
    }
    Report->Detail()->Height = row;
    if (!rows.empty()) {
        TReportPicture* picture = AddReportChart(*Report, row);
        const std::unique_ptr<QChart> chart =
            MakeBarChart(QStringLiteral("Mediile lunii %1 pe furnizori").arg(month.toString(QStringLiteral("MM.yyyy"))),
                         QStringLiteral("mii/ml"), MilkQualityChart(rows));
        picture->Image = ChartPicture(*chart, QSizeF(picture->Width, picture->Height));
    }
}

TMilkStatementReport::TMilkStatementReport(TProductionContext& context, const QString& firmName, const TMilkSettings& settings,
                                           const std::vector<TFarmerStatement>& rows, QObject* owner)
    : QObject(owner)
{
    const TFormatSettings& fs = context.Formats;
    const QString unit = settings.PricePerLitre ? QStringLiteral("l") : QStringLiteral("kg");
    // Each farmer's statement as lines of a caption and a value, one row per line.
    QStringList captions{QStringLiteral("Luna"),
                         QStringLiteral("Livrari"),
                         QStringLiteral("Cantitate livrata (%1)").arg(unit),
                         QStringLiteral("Livrari cu inhibitori, neplatite"),
                         QStringLiteral("Cantitate neplatita (%1)").arg(unit),
                         QStringLiteral("Cantitate platita (%1)").arg(unit),
                         QStringLiteral("Grasime medie ponderata (%)"),
                         QStringLiteral("Proteina medie ponderata (%)"),
                         QStringLiteral("NTG, media geometrica a lunii (/ml)"),
                         QStringLiteral("NCS, media geometrica a lunii (/ml)"),
                         QStringLiteral("Pret de baza (lei/%1), grasime %2%, proteina %3%")
                             .arg(unit, QuantityToStr(settings.ReferenceFat, fs), QuantityToStr(settings.ReferenceProtein, fs)),
                         QStringLiteral("Bonus/deducere grasime (lei/%1)").arg(unit),
                         QStringLiteral("Bonus/deducere proteina (lei/%1)").arg(unit),
                         QStringLiteral("Deducere clasa NTG (lei/%1)").arg(unit),
                         QStringLiteral("Deducere clasa NCS (lei/%1)").arg(unit),
                         QStringLiteral("Pret (lei/%1)").arg(unit),
                         QStringLiteral("Valoare (lei)")};
    rows_.SetFieldNames({QStringLiteral("Furnizor"), QStringLiteral("Rand"), QStringLiteral("Eticheta"), QStringLiteral("Valoare")});
    for (const TFarmerStatement& s : rows) {
        const QStringList values{s.Month.toString(QStringLiteral("MM.yyyy")),
                                 QString::number(s.Deliveries),
                                 QuantityToStr(s.Quantity, fs),
                                 QString::number(s.Unpaid),
                                 QuantityToStr(s.UnpaidQuantity, fs),
                                 QuantityToStr(s.PaidQuantity, fs),
                                 Readable(s.Fat, fs),
                                 Readable(s.Protein, fs),
                                 Readable(s.Germs, fs),
                                 Readable(s.Cells, fs),
                                 Money(s.BasePrice, fs),
                                 Money(s.FatBonus, fs),
                                 Money(s.ProteinBonus, fs),
                                 Money(-s.GermDeduction, fs),
                                 Money(-s.CellDeduction, fs),
                                 Money(s.Price, fs),
                                 FormatFloat(QStringLiteral("#,##0.00"), s.Amount, fs)};
        const QString farmer = s.Farmer + QStringLiteral(" - ") + s.Name;
        for (int i = 0; i < int(captions.size()); ++i)
            rows_.AddRow({farmer, i, captions[i], values[i]});
    }
    Report = NewTableReport(this, QStringLiteral("Decont lunar lapte"), &rows_, context);
    const double width = Report->ContentWidth(), row = 6;
    TReportBand* header = Report->PageHeader();
    TReportDataText* firm = header->AddExpression([firmName] { return QVariant(firmName); }, 0, 0, width * 0.6);
    firm->Name = QStringLiteral("Firma");
    firm->Bold = true;
    TReportLabel* title = header->AddLabel(Report->Title, 0, 6);
    title->Name = QStringLiteral("Title");
    title->Alignment = TReportAlignment::Center;
    title->Bold = true;
    title->FontSize = 14;
    header->Height = 16;
    // A page for each farmer: the statement handed to the farmer is theirs alone.
    TReportGroup* farmer = Report->AddGroup(QStringLiteral("Furnizor"));
    farmer->NewPage = true;
    TReportDataText* name = farmer->Header()->AddDataText(QStringLiteral("Furnizor"), 0, 0, width);
    name->Bold = true;
    name->FontSize = 12;
    farmer->Header()->Height = 10;
    TReportBand* detail = Report->Detail();
    TReportDataText* caption = detail->AddDataText(QStringLiteral("Eticheta"), 0, 0, width - 50);
    caption->Height = row;
    TReportDataText* value = detail->AddDataText(QStringLiteral("Valoare"), width - 50, 0, 50);
    value->Height = row;
    value->Alignment = TReportAlignment::Right;
    detail->Height = row;
    detail->BeforePrint = [this, count = int(captions.size())](TReportBand* band, bool&) {
        // The amount, last, stands out.
        const bool last = rows_.Value(QStringLiteral("Rand")).toInt() == count - 1;
        for (int i = 0; i < band->ElementCount(); ++i)
            band->Elements(i)->Bold = last;
    };
}

} // namespace corvanel

#include "reports/ProductionCharts.h"

#include "data/Messages.h"
#include "platform/core/Exceptions.h"
#include "platform/report/Report.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QColor>
#include <QDateTimeAxis>
#include <QDir>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QLocale>
#include <QPainter>
#include <QSaveFile>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <map>

namespace corvanel {

namespace {

// A product in a legend: its code alone, as the users call their products; the names are
// long enough to crowd a legend of a dozen products out of sight.
QString ProductName(const QString& group, const QString& code, const QString&)
{
    return code.isEmpty() ? group : code;
}

// Colours far enough apart to tell a dozen products apart, none as pale as the background
// (the default theme's later colours are).
QColor SeriesColour(size_t index)
{
    static const QRgb colours[] = {0x1f77b4, 0xff7f0e, 0x2ca02c, 0xd62728, 0x9467bd, 0x8c564b,
                                   0xe377c2, 0x7f7f7f, 0xbcbd22, 0x17becf, 0x393b79, 0x637939};
    return QColor(colours[index % std::size(colours)]);
}

std::unique_ptr<QChart> NewChart(const QString& title)
{
    auto chart = std::make_unique<QChart>();
    chart->setTitle(title);
    // Numbers as the user writes them: a decimal comma in Romanian.
    chart->setLocale(QLocale());
    chart->setLocalizeNumbers(true);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

QValueAxis* ValueAxis(const QString& title)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setLabelFormat(QStringLiteral("%.2f"));
    return axis;
}

} // namespace

TBarChartData MonthlyProduction(const std::vector<TBatchLine>& lines, const QDate& from, const QDate& to)
{
    TBarChartData data;
    std::vector<QDate> months;
    for (QDate m(from.year(), from.month(), 1); m <= to; m = m.addMonths(1)) {
        months.push_back(m);
        data.Categories << m.toString(QStringLiteral("MM.yyyy"));
    }
    std::map<QString, size_t> index;
    for (const TBatchLine& l : lines) {
        const QDate month(l.Date.year(), l.Date.month(), 1);
        const auto at = std::find(months.begin(), months.end(), month);
        if (at == months.end())
            continue;
        const QString name = ProductName(l.Group, l.Code, l.Name);
        auto [it, added] = index.try_emplace(name, data.Series.size());
        if (added)
            data.Series.push_back({name, std::vector<double>(months.size(), 0.0)});
        data.Series[it->second].Values[size_t(at - months.begin())] += l.Quantity;
    }
    return data;
}

namespace {

// Points per product, in the order products first come, each series by day.
template <class TItem, class TPointOf>
std::vector<TLineSeries> Series(const std::vector<TItem>& items, TPointOf pointOf)
{
    std::vector<TLineSeries> series;
    std::map<QString, size_t> index;
    for (const TItem& item : items) {
        const auto [name, point] = pointOf(item);
        if (!point.Day.isValid() || !std::isfinite(point.Value))
            continue;
        auto [it, added] = index.try_emplace(name, series.size());
        if (added)
            series.push_back({name, {}});
        series[it->second].Points.push_back(point);
    }
    for (TLineSeries& s : series)
        std::stable_sort(s.Points.begin(), s.Points.end(), [](const TTimePoint& a, const TTimePoint& b) { return a.Day < b.Day; });
    return series;
}

} // namespace

std::vector<TLineSeries> UnitCostOverTime(const std::vector<TLotCost>& costs)
{
    // A batch nothing was drawn for (not consumed yet, or reversed) cost nothing only on paper.
    return Series(costs, [](const TLotCost& c) {
        return std::pair{ProductName(c.Batch.Group, c.Batch.Code, c.Batch.Name),
                         TTimePoint{c.Batch.Date, c.Materials.empty() ? std::nan("") : c.UnitCost}};
    });
}

std::vector<TLineSeries> YieldVarianceOverTime(const std::vector<TProductVariance>& variances)
{
    // Likewise a batch nothing was drawn for: waiting for its consumption is no waste.
    return Series(variances, [](const TProductVariance& v) {
        const bool drawn = v.Total.Actual != 0 || v.Total.ActualValue != 0;
        return std::pair{ProductName(v.Group, v.Code, v.Name), TTimePoint{v.Date, drawn ? v.Total.QuantityPercent() : std::nan("")}};
    });
}

std::unique_ptr<QChart> MakeBarChart(const QString& title, const QString& valueTitle, const TBarChartData& data)
{
    std::unique_ptr<QChart> chart = NewChart(title);
    auto* series = new QBarSeries;
    double top = 0;
    for (const TBarSeries& s : data.Series) {
        auto* set = new QBarSet(s.Name);
        set->setColor(SeriesColour(size_t(series->count())));
        set->setBorderColor(set->color());
        for (double v : s.Values) {
            *set << v;
            top = std::max(top, v);
        }
        series->append(set);
    }
    chart->addSeries(series);
    auto* categories = new QBarCategoryAxis;
    categories->append(data.Categories);
    chart->addAxis(categories, Qt::AlignBottom);
    series->attachAxis(categories);
    QValueAxis* values = ValueAxis(valueTitle);
    values->setRange(0, top > 0 ? top * 1.1 : 1);
    values->applyNiceNumbers();
    chart->addAxis(values, Qt::AlignLeft);
    series->attachAxis(values);
    return chart;
}

std::unique_ptr<QChart> MakeLineChart(const QString& title, const QString& valueTitle, const std::vector<TLineSeries>& data)
{
    std::unique_ptr<QChart> chart = NewChart(title);
    auto* days = new QDateTimeAxis;
    days->setFormat(QStringLiteral("dd.MM.yyyy"));
    QValueAxis* values = ValueAxis(valueTitle);
    chart->addAxis(days, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    QDate first, last;
    double low = 0, high = 0;
    for (const TLineSeries& s : data) {
        auto* line = new QLineSeries;
        line->setName(s.Name);
        line->setColor(SeriesColour(size_t(chart->series().size())));
        line->setPointsVisible(true);
        for (const TTimePoint& p : s.Points) {
            line->append(double(p.Day.startOfDay().toMSecsSinceEpoch()), p.Value);
            first = first.isValid() ? std::min(first, p.Day) : p.Day;
            last = last.isValid() ? std::max(last, p.Day) : p.Day;
            low = std::min(low, p.Value);
            high = std::max(high, p.Value);
        }
        chart->addSeries(line);
        line->attachAxis(days);
        line->attachAxis(values);
    }
    // A single day still spans an axis; the values keep 0 in sight.
    if (first.isValid())
        days->setRange(first.addDays(-1).startOfDay(), last.addDays(1).startOfDay());
    const double spread = high - low;
    const double margin = spread > 0 ? spread * 0.1 : std::max(std::abs(high) * 0.1, 1.0);
    values->setRange(low < 0 ? low - margin : 0, high + margin);
    values->applyNiceNumbers();
    return chart;
}

TPeriodFigures ReadPeriodFigures(fw::TSession* session, const TBatchPeriod& period)
{
    return {period, ReadBatchLines(session, period), ReadLotCosts(session, period), ReadYieldVariances(session, period, {})};
}

std::unique_ptr<QChart> MakeChart(TChartKind kind, const TPeriodFigures& figures)
{
    switch (kind) {
    case TChartKind::Production: {
        QDate first = figures.Period.To;
        for (const TBatchLine& l : figures.Batches)
            if (l.Date.isValid())
                first = std::min(first, l.Date);
        return MakeBarChart(QStringLiteral("Productia pe luni si produse"), QStringLiteral("Cantitate"),
                            MonthlyProduction(figures.Batches, std::max(first, figures.Period.From), figures.Period.To));
    }
    case TChartKind::UnitCost:
        return MakeLineChart(QStringLiteral("Costul materialelor pe unitate de produs"), QStringLiteral("lei / unitate"),
                             UnitCostOverTime(figures.Costs));
    case TChartKind::Variance:
        break;
    }
    return MakeLineChart(QStringLiteral("Consumul fata de necesarul retetei"), QStringLiteral("abatere (%)"),
                         YieldVarianceOverTime(figures.Variances));
}

QString ChartCaption(TChartKind kind)
{
    switch (kind) {
    case TChartKind::Production:
        return QStringLiteral("Productie pe luni");
    case TChartKind::UnitCost:
        return QStringLiteral("Cost pe unitate");
    case TChartKind::Variance:
        break;
    }
    return QStringLiteral("Abatere de la reteta");
}

namespace {

QImage ChartImage(QChart& chart, const QSize& size, double scale)
{
    QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    // The chart is drawn through a scene of its own and given back as it was.
    QGraphicsScene scene;
    QGraphicsItem* parent = chart.parentItem();
    QGraphicsScene* before = chart.scene();
    if (before)
        before->removeItem(&chart);
    const QSizeF oldSize = chart.size();
    scene.addItem(&chart);
    chart.resize(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    // Laid out at `size`, drawn `scale` times larger: the same chart, finer.
    scene.render(&painter, QRectF(QPointF(0, 0), QSizeF(image.size())), QRectF(QPointF(0, 0), size));
    painter.end();
    scene.removeItem(&chart);
    chart.resize(oldSize);
    if (before) {
        before->addItem(&chart);
        chart.setParentItem(parent);
    }
    return image;
}

} // namespace

QImage ChartPicture(QChart& chart, const QSizeF& sizeMm)
{
    // Laid out as a screen shows it (96 pixels an inch), drawn at print resolution.
    constexpr double kScreenDpi = 96;
    const QSize layout(qRound(sizeMm.width() / 25.4 * kScreenDpi), qRound(sizeMm.height() / 25.4 * kScreenDpi));
    return ChartImage(chart, layout, fw::PictureDpi / kScreenDpi);
}

fw::TReportPicture* AddReportChart(fw::TReport& report, double top)
{
    fw::TReportPicture* picture = report.Summary()->AddPicture(0, top, report.ContentWidth(), ReportChartHeight);
    picture->Name = QStringLiteral("Chart");
    return picture;
}

void DrawReportChart(fw::TReportPicture& picture, TChartKind kind, const TPeriodFigures& figures)
{
    const std::unique_ptr<QChart> chart = MakeChart(kind, figures);
    picture.Enabled = !chart->series().isEmpty();
    picture.Image = picture.Enabled ? ChartPicture(*chart, QSizeF(picture.Width, picture.Height)) : QImage();
}

void SaveChartPng(QChart& chart, const QString& fileName, const QSize& size)
{
    const QImage image = ChartImage(chart, size, 1);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        throw fw::EInOutError(msg::FileNotWritten(QDir::toNativeSeparators(fileName)) + QLatin1Char(' ') + file.errorString());
}

void SaveChartPng(TChartKind kind, const TPeriodFigures& figures, const QString& fileName, const QSize& size)
{
    SaveChartPng(*MakeChart(kind, figures), fileName, size);
}

} // namespace corvanel

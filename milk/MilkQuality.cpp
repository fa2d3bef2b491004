#include "milk/MilkQuality.h"

#include "milk/MilkMessages.h"
#include "platform/core/Csv.h"

#include <QRegularExpression>
#include <cmath>

namespace corvanel {

namespace {

const QString kGerms = QStringLiteral("NTG");
const QString kCells = QStringLiteral("NCS");

// Which month of the period (0 oldest) a day falls in; -1 outside it.
int MonthIndex(const QDate& first, int months, const QDate& day)
{
    const int index = (day.year() - first.year()) * 12 + day.month() - first.month();
    return index >= 0 && index < months ? index : -1;
}

TFarmerQuality Judge(const QString& farmer, const QString& name, const QDate& month, const std::vector<TDeliveryRow>& rows)
{
    // Germs over this month and the one before, cells over this one and the two before.
    std::vector<std::vector<double>> germs(2), cells(3);
    const QDate germsFrom = month.addMonths(-1), cellsFrom = month.addMonths(-2);
    for (const TDeliveryRow& d : rows) {
        if (d.Farmer != farmer)
            continue;
        const auto germ = d.Results.constFind(kGerms);
        const int g = MonthIndex(germsFrom, 2, d.Day);
        if (germ != d.Results.constEnd() && germ->Number && g >= 0)
            germs[size_t(g)].push_back(*germ->Number);
        const auto cell = d.Results.constFind(kCells);
        const int c = MonthIndex(cellsFrom, 3, d.Day);
        if (cell != d.Results.constEnd() && cell->Number && c >= 0)
            cells[size_t(c)].push_back(*cell->Number);
    }
    TFarmerQuality q{farmer, name, month, RollingMean(germs, 2), RollingMean(cells, 1), false};
    q.Conform = q.Germs.Mean && q.Cells.Mean && *q.Germs.Mean <= GermLimit && *q.Cells.Mean <= CellLimit;
    return q;
}

QString MeanText(const TRollingMean& m) { return m.Mean ? fw::CsvNumber(*m.Mean) : QString(); }

} // namespace

std::optional<double> GeometricMean(const std::vector<double>& values)
{
    if (values.empty())
        return std::nullopt;
    double logs = 0;
    for (const double v : values) {
        if (!(v > 0))
            return 0.0;
        logs += std::log(v);
    }
    // Counts per ml are whole numbers; rounding also keeps a mean of values at a limit
    // exactly at it, where the logarithms would leave it a hair above.
    return std::round(std::exp(logs / double(values.size())));
}

TRollingMean RollingMean(const std::vector<std::vector<double>>& months, int minimumPerMonth)
{
    TRollingMean m;
    std::vector<double> all;
    m.RuleMet = !months.empty();
    for (const std::vector<double>& month : months) {
        m.PerMonth.push_back(int(month.size()));
        m.RuleMet = m.RuleMet && int(month.size()) >= minimumPerMonth;
        all.insert(all.end(), month.begin(), month.end());
    }
    m.Samples = int(all.size());
    if (m.RuleMet)
        m.Mean = GeometricMean(all);
    return m;
}

QDate MonthOf(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^\\d{4}-\\d{2}$"));
    const QDate first = QDate::fromString(text.trimmed() + QStringLiteral("-01"), Qt::ISODate);
    if (!form.match(text.trimmed()).hasMatch() || !first.isValid())
        throw EMilkRefused(msg::MilkBadMonth(text));
    return first;
}

std::vector<TFarmerQuality> FarmersQuality(const std::vector<TDeliveryRow>& deliveries, const QDate& month,
                                           const QMap<QString, QString>& names)
{
    QStringList farmers;
    for (const TDeliveryRow& d : deliveries)
        if (d.Day.year() == month.year() && d.Day.month() == month.month() && !farmers.contains(d.Farmer))
            farmers << d.Farmer;
    farmers.sort();
    std::vector<TFarmerQuality> rows;
    for (const QString& farmer : farmers)
        rows.push_back(Judge(farmer, names.value(farmer), month, deliveries));
    return rows;
}

std::vector<TFarmerQuality> ReadFarmersQuality(fw::Connection& engine, const QDate& month)
{
    const std::vector<TDeliveryRow> rows = ReadMilkDeliveries(engine, month.addMonths(-2), month.addMonths(1).addDays(-1));
    return FarmersQuality(rows, month, FarmerNames(engine));
}

QString FarmersQualityCsv(const std::vector<TFarmerQuality>& rows)
{
    QString out = fw::CsvRecord({QStringLiteral("Furnizor"), QStringLiteral("Luna"), QStringLiteral("NTG_medie"),
                                 QStringLiteral("NTG_probe"), QStringLiteral("NCS_medie"), QStringLiteral("NCS_probe"),
                                 QStringLiteral("Conform")});
    for (const TFarmerQuality& q : rows)
        out += fw::CsvRecord({q.Farmer, q.Month.toString(QStringLiteral("yyyy-MM")), MeanText(q.Germs),
                              QString::number(q.Germs.Samples), MeanText(q.Cells), QString::number(q.Cells.Samples),
                              q.Conform ? QStringLiteral("da") : QStringLiteral("nu")});
    return out;
}

std::vector<TFarmerQuality> FarmerYear(fw::Connection& engine, const QString& farmer, const QDate& month)
{
    const QDate first = month.addMonths(-11);
    std::vector<TDeliveryRow> rows = ReadMilkDeliveries(engine, first.addMonths(-2), month.addMonths(1).addDays(-1));
    std::erase_if(rows, [&](const TDeliveryRow& d) { return d.Farmer != farmer; });
    const QString name = FarmerNames(engine).value(farmer);
    std::vector<TFarmerQuality> year;
    year.reserve(12);
    for (int i = 0; i < 12; ++i)
        year.push_back(Judge(farmer, name, first.addMonths(i), rows));
    return year;
}

} // namespace corvanel

#pragma once

// Each farmer's milk as the hygiene rules judge raw cow's milk: rolling geometric means of
// the plate count at 30 °C (two months, at least two samples in each) and of the somatic
// cells (three months, at least one sample in each). A mean without enough samples is
// empty and the farmer does not conform; a mean exactly at its limit conforms. The
// arithmetic is apart from the reading, so it is tested without a database.

#include "milk/MilkIntake.h"

#include <QDate>
#include <QMap>
#include <QString>
#include <optional>
#include <vector>

namespace corvanel {

inline constexpr double GermLimit = 100000; // germs/ml
inline constexpr double CellLimit = 400000; // cells/ml

// A period's mean: the results of each month (oldest first).
struct TRollingMean {
    std::optional<double> Mean; // whole units per ml; none when the sampling rule is not met
    std::vector<int> PerMonth;  // samples in each month, oldest first
    int Samples = 0;            // in the whole period
    bool RuleMet = false;
};

// The geometric mean of all the values, rounded to a whole number (0 when any is 0 or less);
// none for no value.
std::optional<double> GeometricMean(const std::vector<double>& values);
// The rolling mean over `months` (oldest first), given only when each month has at least
// `minimumPerMonth` samples.
TRollingMean RollingMean(const std::vector<std::vector<double>>& months, int minimumPerMonth);

struct TFarmerQuality {
    QString Farmer;
    QString Name;
    QDate Month; // its first day
    TRollingMean Germs;
    TRollingMean Cells;
    bool Conform = false;
};

// The first day of a month written YYYY-MM; EMilkRefused for any other text.
QDate MonthOf(const QString& text);

// Each farmer who delivered in `month` (first day), by code, from the deliveries of that
// month and the two before it.
std::vector<TFarmerQuality> FarmersQuality(const std::vector<TDeliveryRow>& deliveries, const QDate& month,
                                           const QMap<QString, QString>& names);
std::vector<TFarmerQuality> ReadFarmersQuality(fw::Connection& engine, const QDate& month);

// The columns Furnizor;Luna;NTG_medie;NTG_probe;NCS_medie;NCS_probe;Conform ("da"/"nu"), a
// header line first; the probes are the samples of the whole period.
QString FarmersQualityCsv(const std::vector<TFarmerQuality>& rows);

// A farmer's twelve months up to `month`: the rolling means of each (for the year's chart).
std::vector<TFarmerQuality> FarmerYear(fw::Connection& engine, const QString& farmer, const QDate& month);

} // namespace corvanel

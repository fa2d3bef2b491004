#pragma once

// The farm gate: each farmer's delivery of raw milk a receipt line with its own lot, its
// laboratory results recorded with it; the day's deliveries emptied into a tank, making
// one tank lot with documents like the consumption's (all or nothing, the genealogy from
// each delivery lot to the tank lot), so that a recall follows farmer, tank, products and
// customers. No window here: the window and the tool call these.

#include "data/LabResults.h"
#include "milk/MilkSettings.h"
#include "platform/core/Exceptions.h"

#include <QDate>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace fw {
class Connection;
}

namespace corvanel {

class TProductionData;

// A delivery or a tank refused before anything was written; the message says why.
class EMilkRefused final : public fw::Exception {
public:
    using fw::Exception::Exception;
};

// One farmer's delivery as typed: litres or kilograms (the other from the density, the
// delivery's own else the settings'), and the laboratory's results for it.
struct TMilkDelivery {
    QString Farmer; // supplier code
    std::optional<double> Litres;
    std::optional<double> Kg;
    std::optional<double> Density;
    std::optional<double> Temperature;
    QString Sample;
    std::vector<std::pair<QString, TLabValue>> Results; // parameter code, value
};

// A delivery written: its receipt line and lot, and whether the lot is non-conforming.
struct TRecordedDelivery {
    double Receipt = 0;
    double Line = 0;
    QString Lot;
    bool NonConforming = false;
};

// Writes the deliveries of `day` in one transaction under the lots' writers' lock: per
// delivery a receipt ("NIR", the farmer as supplier) with one line and its stock lot, the
// delivery's row, its results judged against the norms. A delivery with inhibitors found
// ("pozitiv") is non-conforming at once, whatever the norms say, so it is never drawn.
// EMilkRefused naming the delivery when one cannot be written; nothing is then written.
// The lots' standing changes are recorded `at` (now; a history written afterwards gives
// the time it tells of).
std::vector<TRecordedDelivery> RecordMilkDeliveries(TProductionData& dm, const TMilkSettings& settings, const QDate& day,
                                                    const std::vector<TMilkDelivery>& deliveries, const QString& agent,
                                                    const QDateTime& at = QDateTime::currentDateTime());

// A delivery as read back, with the last result of each parameter.
struct TDeliveryRow {
    double Receipt = 0;
    double Line = 0;
    QDate Day;
    QString Farmer;
    QString Group, Article, Lot;
    double Litres = 0;
    double Kg = 0;
    std::optional<double> Density, Temperature;
    QString Sample;
    std::optional<double> Tank; // the tank receipt it was emptied into
    QMap<QString, TLabValue> Results;
    bool Inhibitors() const;
};

// The deliveries from `from` to `to` (days included), by farmer, day and receipt line.
std::vector<TDeliveryRow> ReadMilkDeliveries(fw::Connection& engine, const QDate& from, const QDate& to);

// The tank lot made of the deliveries named (receipt, line) on `day`: in one transaction
// taking the counter row first, a production receipt ("BP") of one line, the tank lot, in
// the settings' warehouse; a consumption document ("BMC", the receipt's number and date)
// emptying each delivery's lot whole into it, with its genealogy. EMilkRefused naming the
// delivery that is not released, already in a tank, or gone; nothing is then written.
// Returns the tank lot's name.
QString MakeTankLot(TProductionData& dm, const TMilkSettings& settings, const QDate& day,
                    const std::vector<std::pair<double, double>>& deliveries, const QString& agent);

// The farmers' names by code (the supplier table).
QMap<QString, QString> FarmerNames(fw::Connection& engine);

// The suppliers as the intake offers them: those who have delivered milk here first, then
// the others (packaging and ingredient suppliers, customers, a new farmer's first delivery),
// each part by code.
struct TSupplierChoice {
    QString Code;
    QString Name;
    bool Farmer = false;
};
std::vector<TSupplierChoice> MilkSupplierChoices(fw::Connection& engine);

} // namespace corvanel

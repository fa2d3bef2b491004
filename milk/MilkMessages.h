#pragma once

// What the milk intake tells its user, in the user's words (Romanian). Kept beside the
// milk's code (the add-on's other texts are in data/Messages) under the same namespace.

#include <QString>
#include <QStringList>

namespace corvanel::msg {

// A delivery refused before anything was written; `which` names it (farmer and place).
QString MilkUnknownFarmer(const QString& farmer);
QString MilkNoQuantity(const QString& farmer);
QString MilkBadDensity(const QString& farmer);
QString MilkArticleNotSet();
QString MilkUnknownArticle(const QString& article);
QString MilkNoDeliveries();
QString MilkDeliveriesRecorded(int count, const QStringList& nonConforming);
// The standing's reason for a delivery with inhibitors.
QString MilkInhibitorsReason();

// The tank lot refused: a delivery not conforming, already emptied, or whose lot is gone.
QString MilkNonConformingDelivery(const QString& lot, const QString& farmer, const QString& standing);
QString MilkAlreadyInTank(const QString& lot, const QString& farmer, const QString& tankLot);
QString MilkDeliveryLotGone(const QString& lot, const QString& farmer);
QString MilkUnknownDelivery(double receipt, double line);
QString MilkTankWritten(const QString& tankLot, int deliveries);

// A month typed as YYYY-MM.
QString MilkBadMonth(const QString& text);
// A setting of the [Lapte] section with a value the add-on does not read.
QString MilkBadClasses(const QString& key, const QString& value);

} // namespace corvanel::msg

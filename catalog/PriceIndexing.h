#pragma once

// Price indexing: the sale prices of one catalog group multiplied by a factor, with a
// small window saying so while the update runs.

#include <QMdiSubWindow> // until the form header includes it itself

#include "platform/ui/Form.h"

#include <optional>

namespace fw {
class TQuery;
class TSession;
} // namespace fw

namespace corvanel {

struct TProductionContext;

// Shown over the lookup while the prices change; it owns the update.
class TPriceIndexingForm final : public fw::TForm {
public:
    // Visible at once; the update runs in the session given.
    TPriceIndexingForm(fw::TSession* session, QWidget* owner);

    // The update of one group (parameters Coef, float, and Group, text).
    fw::TQuery& update() const { return *update_; }

private:
    fw::TQuery* update_;
};

// The largest percentage the window accepts, either way. No upper bound worth the name:
// any increase a user could mean fits.
inline constexpr double kLargestPercentage = 999999999.99;

// The factor a percentage change gives: percentage / 100 + 1. Below -100% or above the
// largest percentage there is none: the user is warned and nothing is returned.
std::optional<double> IndexFactor(double percentage);

// The update of one group (parameters Coef, float, and Group, text) on TVELDA, in the
// session given (the add-on's).
fw::TQuery* NewIndexPricesQuery(fw::TSession* session, QObject* owner);
// Runs that update for the group and factor in one transaction and returns the number of
// articles changed. A database error leaves every price as it was and goes on with the
// add-on's database message. A price the factor would take past what a number holds
// (infinite, or not a number from an infinite one) changes nothing either: the user is
// warned and the silent abort goes on.
int UpdateGroupPrices(fw::TQuery& update, const QString& groupCode, double factor);

// Multiplies the sale price of every article of the group by the factor (null prices stay
// null) while the progress window shows, then says so. A database error leaves every
// price as it was and goes on to the caller with the add-on's database message.
void IndexGroupPrices(TProductionContext& context, QWidget* owner, const QString& groupCode, double factor);

} // namespace corvanel

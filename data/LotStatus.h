#pragma once

// A lot's standing for production and shipping: released (usable) or not, why, and every
// change of it with who made it and when. The stock ledger asks which lots are not usable
// (its one rule leaves them out); changes are written here, under the same lock as every
// writer of lots, so that a hold and a consumption deciding at once never half-meet.

#include "data/StockLots.h"
#include "platform/core/Exceptions.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace fw {
class Connection;
}

namespace corvanel {

class TProductionData;

// The standings a lot can have. Only a released lot is drawn, counted or shipped.
enum class TLotState {
    Released,      // "Eliberat": the standing of a lot nobody held
    Held,          // "Blocat": by hand, with a reason
    NonConforming, // "Neconform": a laboratory result out of its norm
    Awaiting,      // "In asteptare": a new lot of an article that must be released first (never stored)
};

// The name stored and shown ("Eliberat", "Blocat", "Neconform"); the state of a stored
// name, none for a name the add-on does not know (which is then taken as not usable).
QString LotStateName(TLotState state);
std::optional<TLotState> LotStateNamed(const QString& name);

// A lot as its standing is kept: by article (group, code) and lot name, whatever warehouse
// its stock rows lie in.
struct TLotId {
    QString Group;
    QString Code;
    QString Lot;
};

// Where a lot stands: its standing's stored name and the reason given for it.
struct TLotStanding {
    QString State = LotStateName(TLotState::Released);
    QString Reason;
    bool Usable() const { return State == LotStateName(TLotState::Released); }
};

// A change of standing refused before anything was written; the message says why.
class ELotStateRefused final : public fw::Exception {
public:
    using fw::Exception::Exception;
};

// One change of a lot's standing, as it was recorded.
struct TLotStateChange {
    QString State;
    QString Reason;
    QString Agent;
    QString Moment; // "yyyy-MM-dd HH:mm:ss", local time of the workstation that made it
};

// The lots of each material that are not usable, by lot name: one statement for many
// materials (lots without a name are never held), and the lots waiting for a release. Read inside the caller's transaction,
// it sees the holds committed before it.
std::vector<QHash<QString, TLotStanding>> UnusableLots(fw::Connection& engine, const std::vector<TMaterialDraw>& materials);

// How many lots of one article may be not usable, as an expression bound in `values`:
// those whose standing is not released, plus one where the article's new lots wait for a
// release (`releaseKept`: the company keeps that setting). Nought: every lot is usable.
QString UnusableCountSql(const QString& group, const QString& code, bool releaseKept, QVariantList& values);

// A lot's standing now (released when it never had one, unless it waits for a release) and its changes in the order made.
TLotStanding LotStandingOf(fw::Connection& engine, const TLotId& lot);
std::vector<TLotStateChange> LotStateHistory(fw::Connection& engine, const TLotId& lot);

// Inside the caller's transaction: the counter row taken (LockLotWriters) before a lot's
// standing is written; whether the lot is in stock or was ever received; its standing
// set and the change recorded, unchecked.
void LockLotWriters(fw::Connection& engine);
bool KnownLot(fw::Connection& engine, const TLotId& lot);
// Whether the catalog holds the article (group, code).
bool ArticleExists(fw::Connection& engine, const QString& group, const QString& code);
void RecordLotState(fw::Connection& engine, const TLotId& lot, TLotState state, const QString& reason, const QString& agent,
                    const QDateTime& at);

// Sets a lot's standing, recording the change with `agent` and `reason`, in one
// transaction that first takes the counter row, as every writer of lots does: a
// consumption deciding meanwhile either drew on the lot before (and the change waits for
// it) or sees the change. ELotStateRefused (its message in the user's words) when the
// reason is empty or the lot already stands so; EDatabaseError when it cannot be written.
void ChangeLotState(TProductionData& dm, const TLotId& lot, TLotState state, const QString& reason, const QString& agent,
                    const QDateTime& at = QDateTime::currentDateTime());

} // namespace corvanel
